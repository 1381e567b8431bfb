// The program entry: the application with its title and hint pause, the main
// window and its view, the message loop, and the orderly end.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/first_expose_view.h"
#include "platform/folders.h"
#include "platform/instance_channel.h"
#include "platform/message_box_qt_view.h"
#include "platform/save_dialog_qt_view.h"
#include "platform/shown_report_view.h"
#include "platform/single_instance.h"
#include "platform/status_icon_qt_view.h"
#include "platform/timer_qt.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/fvexo1.h"
#include "shell/fvexo1_view.h"
#include "shell/news_button_view.h"
#include "ui/font_preload.h"
#include "vexo_version.h"

namespace {

// A signal only writes a byte here; the event loop does the rest.
int g_signal_pipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  const ssize_t written = ::write(g_signal_pipe[1], &byte, 1);
  (void)written;
}

// SIGTERM (the desktop session ends) and SIGINT end the program as a confirmed
// close would: the run stops, the store is saved and the configuration is
// written.
void CatchTermination() {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signal_pipe) != 0) return;
  struct sigaction action = {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

// Runs `ending` on the event loop once a termination signal came.
void OnTermination(QObject* owner, std::function<void()> ending) {
  if (g_signal_pipe[0] < 0) return;
  auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner,
                   [notifier, ending = std::move(ending)] {
                     char byte;
                     (void)::read(g_signal_pipe[0], &byte, 1);
                     notifier->setEnabled(false);
                     ending();
                   });
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (const auto code = vexo::HandleProgramCommandLine(args, std::cout, std::cerr)) return *code;

  // One window program per program folder: a second start shows the first.
  const std::string folder = vexo::ProgramFolder(vexo::CurrentFolderEnvironment());
  vexo::FolderLock lock(folder);
  CatchTermination();
  if (const auto outcome = lock.TryLock(); outcome != vexo::FolderLock::Outcome::kTaken) {
    QApplication qt(argc, argv);
    vexo::QtMessageBoxes boxes;
    QObject guard;
    OnTermination(&guard, [&boxes] { boxes.AnswerEverythingOk(); });
    return vexo::RefuseFolder(lock, outcome == vexo::FolderLock::Outcome::kHeld, folder, std::cerr,
                              boxes);
  }

  // Beside everything up to the window's first text.
  vexo::FontPreload fonts;
  vexo::Application app;
  vexo::InitApplication(app);

  QApplication qt(argc, argv);
  // The tray icon stands for the program: it ends by the close question only.
  qt.setQuitOnLastWindowClosed(false);
  // Ties the window to the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(vexo::kAppId));
  QApplication::setStyle(new vexo::HintPauseStyle(app));

  vexo::RegisterPictures();
  vexo::QtTimerService timers;
  vexo::QtMessageBoxes boxes;
  vexo::QtSaveDialogs dialogs;
  vexo::QtStatusIcon status_area;
  // The tray icon follows the window's first expose.
  status_area.Hold();
  vexo::ChromeLink chrome;
  vexo::MainServices services = vexo::ProgramServices(app, timers, boxes);
  services.save_dialogs = &dialogs;
  services.status_icon = &status_area;
  services.chrome = chrome.Services();
  services.chrome.show_news = vexo::NewsWindowOpener(chrome, timers, services);
  int code = 0;
  {
    vexo::TMain form(std::move(services));
    // The autostart entry is written, and flushed to disk, once the window is
    // on screen.
    form.ARun.Hold();
    form.FormCreate();
    fonts.Wait();
    {
      vexo::MainView view(form, &chrome);
      boxes.SetOwner(&view);
      dialogs.SetOwner(&view);
      view.OnClosed = [] { QCoreApplication::quit(); };
      // Inert unless the start-up benchmark asks for it; first, so that it
      // counts none of the work below.
      vexo::ExitWhenShown(view);
      std::optional<vexo::InstanceServer> instance;
      vexo::AfterFirstExpose(view, [&] {
        // A second start of the program brings the window back as the tray
        // icon does; until the server listens it asks again.
        instance.emplace(folder, [&form] { form.viewer.TrayIcon1Click(); });
        form.ARun.Release();
        status_area.Release();
      });

      OnTermination(&view, [&] {
        dialogs.CancelEverything();
        boxes.AnswerEverythingOk();
        QTimer::singleShot(0, &view, [&view] {
          view.close();
          // Whatever the close query decided, the session is over.
          QCoreApplication::quit();
        });
      });

      form.viewer.FormResize();
      view.show();
      code = qt.exec();
      boxes.SetOwner(nullptr);
      dialogs.SetOwner(nullptr);
    }
    // A session that ended before the window was on screen.
    form.ARun.Release();
    form.FormDestroy();
  }
  return code;
}
