#include "cli/track_command.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <ostream>

#include "cli/cli_commands.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/timer_qt.h"
#include "shell/application.h"
#include "shell/fvexo1.h"

namespace vexo {

namespace {

std::atomic<bool> stop_requested{false};

constexpr int kPollMs = 50;
constexpr long long kMaxSeconds = 10LL * 365 * 24 * 3600;

bool ParseTrackArgs(const std::vector<std::string>& args, std::string& keywords,
                    long long& seconds) {
  bool have_keywords = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--seconds") {
      if (i + 1 >= args.size() || !TryTextToInt(args[i + 1], seconds) || seconds < 0 ||
          seconds > kMaxSeconds)
        return false;
      ++i;
    } else if (!have_keywords) {
      keywords = args[i];
      have_keywords = true;
    } else {
      return false;
    }
  }
  return have_keywords;
}

// Prints the targets appended to the open block since the last call.
class TargetPrinter {
 public:
  TargetPrinter(TMain& main, std::ostream& out) : main_(main), out_(out) {}
  void Poll() {
    const StringList* block = main_.Store().OpenBlock();
    if (!block) return;
    if (block != block_) {  // a new run's block
      block_ = block;
      printed_ = 1;
    }
    while (printed_ + 1 < block->size()) {
      ++number_;
      out_ << number_ << '\t' << GbToUtf8((*block)[printed_ + 1]) << '\t'
           << GbToUtf8((*block)[printed_]) << '\n';
      printed_ += 2;
    }
    // A block that rolled over into a block file starts again from its head.
    if (printed_ > block->size()) printed_ = 1;
    out_.flush();
  }

 private:
  TMain& main_;
  std::ostream& out_;
  const StringList* block_ = nullptr;
  std::size_t printed_ = 1;
  long long number_ = 0;
};

}  // namespace

void RequestTrackStop() {
  stop_requested = true;
}

int RunTrackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string keywords;
  long long seconds = 60;
  if (!ParseTrackArgs(args, keywords, seconds)) {
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
  services.browser = nullptr;
  // The autostart entry belongs to the window program; a run from the command
  // line leaves it as it is.
  services.autostart_entry.clear();
  int code = kCliOk;
  {
    TMain main(services);
    main.FormCreate();
    main.FormShow();
    main.gjc.SetText(Utf8ToGb(keywords));
    main.Spt1Click();
    if (main.trackingRun != 1) {
      err << "vexo-cli track: no keywords\n";
      code = kCliBadUsage;
    } else {
      TargetPrinter printer(main, out);
      QTimer poll;
      QTimer::connect(&poll, &QTimer::timeout, [&] {
        printer.Poll();
        if (stop_requested) QCoreApplication::exit(0);
      });
      poll.start(kPollMs);
      QTimer::singleShot(std::chrono::seconds(seconds), [] { QCoreApplication::exit(0); });
      QCoreApplication::exec();
      poll.stop();
      printer.Poll();
      main.Spt1Click();  // stop
    }
    main.FormCloseQuery();
    main.FormDestroy();
    out << "sum1\t" << GbToUtf8(main.sum1.Caption()) << '\n';
    out << "ss\t" << GbToUtf8(main.ss.Caption()) << '\n';
  }
  return code;
}

}  // namespace vexo
