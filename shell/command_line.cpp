#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <ostream>

#include "platform/single_instance.h"
#include "vexo_version.h"

namespace vexo {

namespace {

constexpr const char* kUsage = "usage: vexo [--help | --version]\n";
// Long enough for a window that is still starting to set up its socket.
constexpr int kShowTimeoutMs = 10000;

}  // namespace

std::string ProgramHelpText() {
  return std::string(kUsage) +
         "\n"
         "Vexo (V鹊) keeps track of Chinese-language news and web pages for keywords.\n"
         "Started without arguments it opens its window. A second start on the same\n"
         "program folder brings the running window forward and exits.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "  -v, --version  show the version and exit\n"
         "\n"
         "The program folder is $VEXO_HOME when set, else the executable's folder when\n"
         "it is writable, else $XDG_DATA_HOME/vexo. Exit status: 0 done, 2 bad usage,\n"
         "3 the program folder is in use by vexo-cli.\n";
}

std::optional<int> HandleProgramCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                            std::ostream& err) {
  // Parsed without an application object: --help and --version must work
  // where no display is.
  QCommandLineParser parser;
  const QCommandLineOption help({"h", "help"}, "");
  const QCommandLineOption version({"v", "version"}, "");
  parser.addOption(help);
  parser.addOption(version);
  QStringList list{"vexo"};
  for (const auto& a : args) list << QString::fromLocal8Bit(a.data(), qsizetype(a.size()));
  if (!parser.parse(list)) {
    err << "vexo: " << parser.errorText().toLocal8Bit().toStdString() << "\n" << kUsage;
    return kProgramBadUsage;
  }
  if (!parser.positionalArguments().isEmpty()) {
    err << "vexo: unexpected argument '"
        << parser.positionalArguments().constFirst().toLocal8Bit().toStdString() << "'\n"
        << kUsage;
    return kProgramBadUsage;
  }
  if (parser.isSet(help)) {
    out << ProgramHelpText();
    return kProgramOk;
  }
  if (parser.isSet(version)) {
    out << "vexo " << kVersion << "\n";
    return kProgramOk;
  }
  return std::nullopt;
}

int ShowRunningWindow(const FolderLock& lock, const std::string& folder, std::ostream& err) {
  // A command-line run has no window to show.
  if (lock.CurrentHolder().program != "vexo-cli" &&
      AskRunningInstanceToShow(folder, kShowTimeoutMs))
    return kProgramOk;
  err << "vexo: the program folder " << folder << " is in use by " << lock.HolderDescription()
      << "; try again when it has ended\n";
  return kProgramFolderBusy;
}

}  // namespace vexo
