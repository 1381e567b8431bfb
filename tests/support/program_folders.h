#pragma once
// A program folder and a configuration folder under one temporary folder, and
// the window services that point at them, for tests that create a main window.

#include <QTemporaryDir>
#include <string>

#include "platform/files.h"
#include "shell/fvexo1.h"

namespace vexo::testing {

class ProgramFolders {
 public:
  ProgramFolders() {
    CreateDir(Home());
    CreateDir(Conf());
  }

  std::string Root() const { return dir_.path().toStdString(); }
  std::string Home() const { return Root() + "/home/"; }
  std::string Conf() const { return Root() + "/conf/"; }
  std::string Ini() const { return Home() + "vexo.ini"; }
  std::string Autostart() const { return Conf() + "autostart/vexo.desktop"; }
  std::string Block(long long n) const { return Home() + "Temp/" + std::to_string(n) + ".tmp"; }
  std::string Kix() const { return Home() + "kix"; }

  // Services on these folders; the rest is left to the test.
  MainServices FolderServices(Application& app, TimerService& timers,
                              MessageBoxService& messages) const {
    MainServices s;
    s.app = &app;
    s.timers = &timers;
    s.messages = &messages;
    s.program_folder = Home();
    s.config_file = Ini();
    s.autostart_entry = Autostart();
    s.executable = "/opt/vexo/vexo";
    return s;
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace vexo::testing
