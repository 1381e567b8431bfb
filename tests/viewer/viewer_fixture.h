#pragma once
// The viewer's part on its own, for the result-page, mark and chrome handlers:
// temporary folders, a result store whose appended targets reach the part as
// the window passes them on, a stand-in window that records what the part asks
// of it, and the desktop side of DesktopSide; runs of any size laid out
// through the store's own AppendTarget, so that block files roll over as in a
// real run.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/result_store.h"
#include "tests/support/folder_only_host.h"
#include "tests/support/program_folders.h"
#include "tests/viewer/recording_viewer_host.h"
#include "tests/viewer/viewer_side.h"
#include "texts/texts.h"
#include "viewer/viewer_part.h"

namespace vexo::viewer_test {

// The store's side of the window: new targets go to the part's rows, and a
// file the store could not write is told to the window, as the window does.
class ShowingStoreHost : public testing::FolderOnlyHost {
 public:
  ShowingStoreHost(std::string programFolder, ViewerHost& window)
      : FolderOnlyHost(std::move(programFolder)), window_(window) {}

  ViewerPart* part = nullptr;

  void TargetAppended(long long number, std::string_view link, std::string_view title) override {
    if (part) part->ShowNewTarget(number, link, title);
  }
  void SaveFailed(const std::string& path) override { window_.SaveFailed(path); }

 private:
  ViewerHost& window_;
};

class ViewerTest : public ::testing::Test,
                   protected testing::ProgramFolders,
                   protected DesktopSide {
 protected:
  ViewerServices Services() {
    ViewerServices s;
    s.messages = &boxes_;
    s.browser = &browser_;
    s.status_icon = &icon_;
    s.chrome = ChromeSide([this] { return part_->modalGuard; });
    s.executable = "/opt/vexo/vexo";
    return s;
  }

  ViewerPart& Open() { return Open(Services()); }

  // The part as a window without a configuration file shows it: the welcome
  // rows, both toggles on.
  ViewerPart& Open(ViewerServices services) {
    storeHost_.part = nullptr;
    part_ = std::make_unique<ViewerPart>(host_, store_, std::move(services));
    storeHost_.part = part_.get();
    part_->ShowWelcomeRows();
    part_->popupOnNew = 1;
    part_->Ts.SetCaption(Texts().toggle_on);
    part_->Ru.SetCaption(Texts().toggle_on);
    return *part_;
  }

  // A run with `total` targets found (see StartRun).
  ViewerPart& Run(int total, long long first_block = 1) {
    ViewerPart& v = part_ ? *part_ : Open();
    StartRun(v, total, first_block);
    return v;
  }
  void Add(int from, int to) { AddTargets(store_, from, to); }

  std::vector<int> Shown() { return ShownIn(*part_); }

  testing::RecordingViewerHost host_{Home()};
  ShowingStoreHost storeHost_{Home(), host_};
  ResultStore store_{storeHost_};
  std::unique_ptr<ViewerPart> part_;
};

}  // namespace vexo::viewer_test
