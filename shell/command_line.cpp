#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <ostream>

#include "platform/codepage.h"
#include "platform/instance_channel.h"
#include "platform/message_box.h"
#include "platform/single_instance.h"
#include "texts/texts.h"
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
         "it is writable, else $XDG_DATA_HOME/vexo. Exit status: 0 done, 1 the\n"
         "folder's lock file could not be made or written, 2 bad usage, 3 the\n"
         "program folder is in use by another Vexo.\n";
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

int RefuseFolder(const FolderLock& lock, bool held, const std::string& folder, std::ostream& err,
                 MessageBoxService& boxes) {
  // A command-line run has no window to show.
  if (held && lock.CurrentHolder().program != "vexo-cli" &&
      AskRunningInstanceToShow(folder, kShowTimeoutMs))
    return kProgramOk;
  const ShellTexts& t = Texts();
  MessageBoxRequest box;
  box.caption = t.msg_caption;
  if (held) {
    err << "vexo: the program folder " << folder << " is in use by " << lock.HolderDescription()
        << "; try again when it has ended\n";
    box.text = t.msg_folder_busy_before + Utf8ToGb(folder) + t.msg_folder_busy_by +
               Utf8ToGb(lock.HolderDescription()) + t.msg_folder_busy_after;
  } else {
    err << "vexo: " << lock.FailureText() << "\n";
    box.text = t.msg_lock_failed + Utf8ToGb(lock.FailureText());
  }
  boxes.Show(box);
  return held ? kProgramFolderBusy : kProgramFailed;
}

}  // namespace vexo
