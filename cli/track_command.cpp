#include "cli/track_command.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <ostream>

#include "cli/cli_commands.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/single_instance.h"
#include "platform/timer_qt.h"
#include "shell/application.h"
#include "shell/fvexo1.h"

namespace vexo {

namespace {

std::atomic<bool> stop_requested{false};

constexpr int kPollMs = 50;
constexpr long long kMaxSeconds = 10LL * 365 * 24 * 3600;

bool ParseTrackArgs(const std::vector<std::string>& args, std::string& keywords, long long& seconds,
                    bool& gb) {
  bool have_keywords = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--seconds") {
      if (i + 1 >= args.size() || !TryTextToInt(args[i + 1], seconds) || seconds < 0 ||
          seconds > kMaxSeconds)
        return false;
      ++i;
    } else if (args[i] == "--gb") {
      gb = true;
    } else if (!have_keywords) {
      keywords = args[i];
      have_keywords = true;
    } else {
      return false;
    }
  }
  return have_keywords;
}

}  // namespace

void RequestTrackStop() {
  stop_requested = true;
}

int RunTrackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string keywords;
  long long seconds = 60;
  bool gb = false;  // raw GB2312 instead of UTF-8 at the terminal
  if (!ParseTrackArgs(args, keywords, seconds, gb)) {
    err << "usage: vexo-cli track KEYWORDS [--seconds N]\n";
    return kCliBadUsage;
  }
  if (!QCoreApplication::instance()) {
    err << "vexo-cli track: no event loop\n";
    return kCliFailed;
  }
  stop_requested = false;

  Application app;
  QtTimerService timers;
  ScriptedMessageBoxes boxes;  // every question is answered with OK
  MainServices services = ProgramServices(app, timers, boxes);
  // The folder's files are not shared with a running window or run.
  FolderLock lock(services.program_folder);
  switch (lock.TryLock()) {
    case FolderLock::Outcome::kTaken:
      break;
    case FolderLock::Outcome::kHeld:
      err << "vexo-cli track: the program folder " << services.program_folder << " is in use by "
          << lock.HolderDescription() << "; close it first\n";
      return kCliFolderBusy;
    case FolderLock::Outcome::kFailed:
      err << "vexo-cli track: " << lock.FailureText() << "\n";
      return kCliFailed;
  }
  services.browser = nullptr;
  // The autostart entry belongs to the window program; a run from the command
  // line leaves it as it is.
  services.autostart_entry.clear();
  const auto to_terminal = [gb](std::string_view s) { return gb ? Bytes(s) : GbToUtf8(s); };
  // Printed as each target is appended, so that none is missed when the open
  // block rolls over into a block file; the numbers are those of sum1.
  services.target_appended = [&out, &to_terminal](long long number, std::string_view link,
                                                  std::string_view title) {
    out << number << '\t' << to_terminal(title) << '\t' << to_terminal(link) << '\n';
    out.flush();
  };
  bool saveFailed = false;
  services.save_failed = [&err, &saveFailed](const std::string& path) {
    err << "vexo-cli track: cannot save " << path << "\n";
    saveFailed = true;
  };
  int code = kCliOk;
  {
    TMain main(services);
    main.FormCreate();
    main.FormShow();
    main.gjc.SetText(gb ? Bytes(keywords) : Utf8ToGb(keywords));
    main.Spt1Click();
    if (main.trackingRun != 1) {
      err << "vexo-cli track: no keywords\n";
      code = kCliBadUsage;
    } else {
      // A signal handler may only set a flag; the loop looks at it.
      QTimer poll;
      QTimer::connect(&poll, &QTimer::timeout, [] {
        if (stop_requested) QCoreApplication::exit(0);
      });
      poll.start(kPollMs);
      QTimer::singleShot(std::chrono::seconds(seconds), [] { QCoreApplication::exit(0); });
      QCoreApplication::exec();
      poll.stop();
      main.Spt1Click();  // stop
    }
    main.FormCloseQuery();
    main.FormDestroy();
    out << "sum1\t" << to_terminal(main.viewer.sum1.Caption()) << '\n';
    out << "ss\t" << to_terminal(main.viewer.ss.Caption()) << '\n';
  }
  // Targets that never reached a block file are lost with this process.
  if (code == kCliOk && saveFailed) code = kCliFailed;
  return code;
}

}  // namespace vexo
