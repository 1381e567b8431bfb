#pragma once
// A main window for the result-page, mark and chrome handlers: temporary
// folders, scripted message boxes, a recording browser, a scripted status area
// and a stand-in window side; runs of any size laid out through the store's
// own AppendTarget, so that block files roll over as in a real run.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "shell/fvexo1.h"
#include "tests/support/program_folders.h"
#include "viewer/make1.h"

namespace vexo::viewer_test {

inline Bytes Title(int i) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%05d", i);
  return Gb("今日要闻标题第") + digits + Gb("条");
}
inline Bytes TitleLine(int i) {
  return Gb("…") + Title(i) + Gb("…");
}
inline Bytes Link(int i) {
  return "http://news.example/" + std::to_string(i) + ".htm";
}

// Targets first..last in rows 1-8, empty rows after them.
inline std::vector<int> Range(int first, int last) {
  std::vector<int> v;
  for (int i = first; i <= last; ++i) v.push_back(i);
  while (v.size() < 8) v.push_back(0);
  return v;
}

class ViewerTest : public ::testing::Test, protected testing::ProgramFolders {
 protected:
  MainServices Services() {
    MainServices s = FolderServices(app_, time_, boxes_);
    s.cancel_client = [](HttpClient*) {};
    s.browser = &browser_;
    s.status_icon = &icon_;
    s.chrome.screen_size = [this] { return screen_; };
    s.chrome.window_active = [this] { return active_; };
    s.chrome.restore_application = [this] { ++restored_; };
    s.chrome.raise_window = [this] { ++raised_; };
    s.chrome.close_window = [this] { ++closed_; };
    s.chrome.show_about = [this](Tmake& box) {
      guard_seen_ = main_->viewer.modalGuard;
      about_caption_ = box.caption;
      if (about_) about_(box);
    };
    s.chrome.show_news = [this] {
      guard_seen_ = main_->viewer.modalGuard;
      ++news_;
      return true;
    };
    return s;
  }

  TMain& Open() {
    main_ = std::make_unique<TMain>(Services());
    main_->FormCreate();
    return *main_;
  }

  // A run with `total` targets found, shown live as the store shows them:
  // blocks of 200 saved as files first_block, first_block + 1, ..., the rest in
  // the open block.
  TMain& Run(int total, long long first_block = 1) {
    TMain& m = main_ ? *main_ : Open();
    for (int row = 1; row <= 8; ++row) {
      m.viewer.SetRowText(row, 1, "");
      m.viewer.SetRowText(row, 2, "");
    }
    m.viewer.sum1.SetCaption("0");
    m.viewer.SetSa("");
    m.Store().CreateRunLists();
    m.Store().EditOpenBlock()->push_back(std::to_string(first_block));
    Add(1, total);
    return m;
  }
  void Add(int from, int to) {
    for (int i = from; i <= to; ++i) EXPECT_EQ(main_->Store().AppendTarget(Link(i), Title(i)), 1);
  }

  // The target numbers shown in rows 1-8 (0 for an empty row), after checking
  // that each row's title belongs to its link.
  std::vector<int> Shown() {
    std::vector<int> shown;
    for (int row = 1; row <= 8; ++row) {
      Bytes link = main_->viewer.LinkLabel(row)->Caption();
      if (link.empty()) {
        shown.push_back(0);
        continue;
      }
      if (link[0] == '*') link.erase(0, 1);
      const std::string prefix = "http://news.example/";
      int n = -1;
      if (link.rfind(prefix, 0) == 0) n = std::atoi(link.c_str() + prefix.size());
      EXPECT_EQ(main_->viewer.CaptionLabel(row)->Caption(), TitleLine(n)) << "row " << row;
      shown.push_back(n);
    }
    return shown;
  }

  StringList Lines(const std::string& path) const {
    StringList lines;
    LoadLines(path, lines);
    return lines;
  }

  Application app_;
  VirtualTimerService time_;
  ScriptedMessageBoxes boxes_;
  RecordingBrowser browser_;
  ScriptedStatusIcon icon_;
  ScreenSize screen_{1024, 768};
  bool active_ = false;
  int restored_ = 0;
  int raised_ = 0;
  int closed_ = 0;
  int news_ = 0;
  int guard_seen_ = -1;
  Bytes about_caption_;
  std::function<void(Tmake&)> about_;
  std::unique_ptr<TMain> main_;
};

}  // namespace vexo::viewer_test
