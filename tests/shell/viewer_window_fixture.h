#pragma once
// The viewer's handlers in a whole main window, for what they do through the
// window's own behaviour (minimising, the run's timers, the autorun entry, the
// configuration, the keyword edit, the status line): temporary folders, the
// desktop side of DesktopSide, runs laid out through the store's own
// AppendTarget.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/fvexo1.h"
#include "tests/shell/window_folders.h"
#include "tests/viewer/viewer_side.h"

namespace vexo::viewer_test {

class ViewerTest : public ::testing::Test, protected testing::WindowFolders, protected DesktopSide {
 protected:
  MainServices Services() {
    MainServices s = FolderServices(app_, time_, boxes_);
    s.cancel_client = [](HttpClient*) {};
    s.browser = &browser_;
    s.status_icon = &icon_;
    s.chrome = ChromeSide([this] { return main_->viewer.modalGuard; });
    return s;
  }

  TMain& Open() {
    main_ = std::make_unique<TMain>(Services());
    main_->FormCreate();
    return *main_;
  }

  // A run with `total` targets found (see StartRun).
  TMain& Run(int total, long long first_block = 1) {
    TMain& m = main_ ? *main_ : Open();
    StartRun(m.viewer, total, first_block);
    return m;
  }
  void Add(int from, int to) { AddTargets(main_->Store(), from, to); }

  std::vector<int> Shown() { return ShownIn(main_->viewer); }

  Application app_;
  VirtualTimerService time_;
  std::unique_ptr<TMain> main_;
};

}  // namespace vexo::viewer_test
