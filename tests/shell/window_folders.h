#pragma once
// The program's temporary folders with the main window's services pointing at
// them.

#include "shell/fvexo1.h"
#include "tests/support/program_folders.h"

namespace vexo::testing {

class WindowFolders : public ProgramFolders {
 public:
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
};

}  // namespace vexo::testing
