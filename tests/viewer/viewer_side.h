#pragma once
// What the viewer's fixtures share, whether the part stands alone or sits in a
// whole window: the targets of the runs they lay out, the desktop side of the
// chrome handlers (recording what they ask), and the rows read back.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/status_icon.h"
#include "store/result_store.h"
#include "viewer/chrome_services.h"
#include "viewer/make1.h"
#include "viewer/viewer_part.h"

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

// The desktop around the viewer: message boxes, browser and status area
// scripted or recording, and a chrome side that counts what it is asked.
class DesktopSide {
 protected:
  // `guard` reads the part's modal guard when a modal window opens.
  ChromeServices ChromeSide(std::function<std::uint8_t()> guard) {
    ChromeServices c;
    c.screen_size = [this] { return screen_; };
    c.window_active = [this] { return active_; };
    c.restore_application = [this] { ++restored_; };
    c.raise_window = [this] { ++raised_; };
    c.close_window = [this] { ++closed_; };
    c.show_about = [this, guard](Tmake& box) {
      guard_seen_ = guard();
      about_caption_ = box.caption;
      if (about_) about_(box);
    };
    c.show_news = [this, guard] {
      guard_seen_ = guard();
      ++news_;
      return true;
    };
    return c;
  }

  // The target numbers shown in rows 1-8 of `part` (0 for an empty row),
  // after checking that each row's title belongs to its link.
  static std::vector<int> ShownIn(ViewerPart& part) {
    std::vector<int> shown;
    for (int row = 1; row <= 8; ++row) {
      Bytes link = part.LinkLabel(row)->Caption();
      if (link.empty()) {
        shown.push_back(0);
        continue;
      }
      if (link[0] == '*') link.erase(0, 1);
      const std::string prefix = "http://news.example/";
      int n = -1;
      if (link.rfind(prefix, 0) == 0) n = std::atoi(link.c_str() + prefix.size());
      EXPECT_EQ(part.CaptionLabel(row)->Caption(), TitleLine(n)) << "row " << row;
      shown.push_back(n);
    }
    return shown;
  }

  // Appends targets from..to as a run finds them.
  static void AddTargets(ResultStore& store, int from, int to) {
    for (int i = from; i <= to; ++i) EXPECT_EQ(store.AppendTarget(Link(i), Title(i)), 1);
  }

  // Empties the rows of `part` and starts a run with `total` targets found,
  // shown live as the store shows them: blocks of 200 saved as files
  // first_block, first_block + 1, ..., the rest in the open block.
  static void StartRun(ViewerPart& part, int total, long long first_block) {
    for (int row = 1; row <= 8; ++row) {
      part.SetRowText(row, 1, "");
      part.SetRowText(row, 2, "");
    }
    part.sum1.SetCaption("0");
    part.SetSa("");
    part.Store().CreateRunLists();
    part.Store().EditOpenBlock()->push_back(std::to_string(first_block));
    AddTargets(part.Store(), 1, total);
    // The run's full blocks on disk, where the tests read them.
    part.Store().FinishSaves();
  }

  static StringList Lines(const std::string& path) {
    StringList lines;
    LoadLines(path, lines);
    return lines;
  }

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
};

}  // namespace vexo::viewer_test
