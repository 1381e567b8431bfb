// The tray icon component over a scripted status area: the tooltip cut, the
// desktop requests, the mouse events and removal on destruction.
#include <gtest/gtest.h>
#include <QTimer>

#include "platform/codepage.h"
#include "tests/support/run_until.h"
#include "viewer/tray_icon.h"

namespace vexo {
namespace {

using Request = ScriptedStatusIcon::Request;

struct CutCase {
  const char* name;
  Bytes text;
  std::size_t kept;
};

class ToolTipCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(ToolTipCut, KeepsAtMost62BytesAndWholeCharacters) {
  ScriptedStatusIcon shell;
  TTrayIcon icon(shell);
  icon.SetActive(true);
  icon.SetToolTip(GetParam().text);
  EXPECT_EQ(icon.ToolTip(), GetParam().text.substr(0, GetParam().kept));
  EXPECT_EQ(shell.showing.tooltip, icon.ToolTip());
  // What is shown always converts back without a broken character.
  EXPECT_EQ(GbToUtf8(icon.ToolTip()).find("\xEF\xBF\xBD"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Texts, ToolTipCut,
                         ::testing::Values(CutCase{"seventy_ascii", Bytes(70, 'a'), 62},
                                           CutCase{"exactly_62", Bytes(62, 'b'), 62},
                                           CutCase{"short", "abc", 3}, CutCase{"empty", "", 0},
                                           // 31 characters: the 62nd byte ends the last whole one.
                                           CutCase{"chinese_even",
                                                   [] {
                                                     Bytes s;
                                                     for (int i = 0; i < 35; ++i) s += Gb("跟");
                                                     return s;
                                                   }(),
                                                   62},
                                           // One ASCII byte first: byte 62 is the first half of a
                                           // character, which is left out.
                                           CutCase{"chinese_odd",
                                                   [] {
                                                     Bytes s = "a";
                                                     for (int i = 0; i < 35; ++i) s += Gb("踪");
                                                     return s;
                                                   }(),
                                                   61},
                                           CutCase{"count_text",
                                                   Gb("已跟踪到:") + "123456" + Gb("个目标"), 21}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(TrayIcon, ActiveAddsAndRemovesOnlyOnAChange) {
  ScriptedStatusIcon shell;
  TTrayIcon icon(shell);
  icon.SetToolTip("tip");
  EXPECT_TRUE(shell.calls.empty()) << "an icon not shown only updates the component";
  icon.SetActive(false);
  EXPECT_TRUE(shell.calls.empty());
  icon.SetActive(true);
  icon.SetActive(true);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].request, Request::Add);
  EXPECT_EQ(shell.calls[0].data.tooltip, "tip");
  icon.SetActive(false);
  EXPECT_FALSE(shell.shown);
  icon.SetToolTip("new");
  icon.SetActive(true);
  EXPECT_EQ(shell.showing.tooltip, "new");
}

TEST(TrayIcon, IconAndTipChangesModifyTheShownIcon) {
  ScriptedStatusIcon shell;
  TTrayIcon icon(shell);
  icon.SetActive(true);
  icon.SetIcon(":/a.png");
  icon.SetIcon(":/a.png");
  icon.SetToolTip("t");
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[1].request, Request::Modify);
  EXPECT_EQ(shell.showing.icon, ":/a.png");
  EXPECT_EQ(shell.showing.tooltip, "t");
}

TEST(TrayIcon, RefusedRequestsOnlyAnswerFalse) {
  ScriptedStatusIcon shell;
  shell.refuse = true;
  TTrayIcon icon(shell);
  icon.SetActive(true);
  EXPECT_TRUE(icon.Active());
  EXPECT_FALSE(icon.AddIcon());
  EXPECT_FALSE(icon.ModifyIcon());
  EXPECT_FALSE(icon.RemoveIcon());
  icon.SetToolTip("still kept");
  EXPECT_EQ(icon.ToolTip(), "still kept");
}

TEST(TrayIcon, IconAddedWithoutATipGetsItAfterTheCurrentEvent) {
  ScriptedStatusIcon shell;
  TTrayIcon icon(shell);
  // The order a stored form loads its properties in.
  icon.SetActive(true);
  icon.SetIcon(":/vexo.png");
  icon.SetToolTip(Gb("V鹊(Vexo)"));
  const std::size_t before = shell.calls.size();
  EXPECT_TRUE(testing::RunUntil([&] { return shell.calls.size() > before; }, 1000));
  EXPECT_EQ(shell.calls.back().request, Request::Modify);
  EXPECT_EQ(shell.showing.tooltip, Gb("V鹊(Vexo)"));
  EXPECT_EQ(shell.showing.icon, ":/vexo.png");
}

TEST(TrayIcon, PendingTipRefreshOfADestroyedIconNeverRuns) {
  ScriptedStatusIcon shell;
  {
    TTrayIcon icon(shell);
    icon.SetActive(true);
  }
  const std::size_t after = shell.calls.size();
  testing::RunFor(50);
  EXPECT_EQ(shell.calls.size(), after);
  EXPECT_FALSE(shell.shown);
}

TEST(TrayIcon, LeftReleaseClicksAndDoubleClickRaisesItsOwnEvent) {
  ScriptedStatusIcon shell;
  TTrayIcon icon(shell);
  int clicks = 0, doubles = 0;
  icon.OnClick = [&](TTrayIcon* sender) {
    EXPECT_EQ(sender, &icon);
    ++clicks;
  };
  icon.OnDblClick = [&](TTrayIcon*) { ++doubles; };
  shell.Mouse(StatusIconMouse::LeftUp);
  EXPECT_EQ(clicks, 1);
  shell.Mouse(StatusIconMouse::LeftUp);
  shell.Mouse(StatusIconMouse::LeftDoubleClick);
  shell.Mouse(StatusIconMouse::LeftUp);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(doubles, 1);
  shell.Mouse(StatusIconMouse::Other);
  EXPECT_EQ(clicks + doubles, 4);
}

class RecordingMenu : public StatusIconMenu {
 public:
  void PopupAt(ScreenPoint at) override { shown_at.push_back(at); }
  std::vector<ScreenPoint> shown_at;
};

TEST(TrayIcon, RightClickPopsTheMenuUpAtTheCursorThenReports) {
  ScriptedStatusIcon shell;
  TTrayIcon icon(shell);
  shell.Mouse(StatusIconMouse::RightUp);  // nothing assigned: nothing happens
  RecordingMenu menu;
  icon.PopupMenu = &menu;
  shell.cursor = {812, 590};
  std::vector<std::string> order;
  icon.OnRightClick = [&](TTrayIcon* sender, MouseButton button, int shift, int x, int y) {
    EXPECT_EQ(sender, &icon);
    EXPECT_EQ(button, MouseButton::Right);
    EXPECT_EQ(shift, 0);
    EXPECT_EQ(x, 812);
    EXPECT_EQ(y, 590);
    order.push_back(menu.shown_at.empty() ? "event first" : "menu first");
  };
  shell.Mouse(StatusIconMouse::RightUp);
  ASSERT_EQ(menu.shown_at.size(), 1u);
  EXPECT_EQ(menu.shown_at[0].x, 812);
  EXPECT_EQ(order, (std::vector<std::string>{"menu first"}));
}

TEST(TrayIcon, DestructionRemovesAShownIconAndStopsTheEvents) {
  ScriptedStatusIcon shell;
  {
    TTrayIcon icon(shell);
    icon.SetActive(true);
    ASSERT_TRUE(shell.shown);
  }
  EXPECT_FALSE(shell.shown);
  EXPECT_FALSE(shell.on_mouse);
  shell.Mouse(StatusIconMouse::LeftUp);  // nobody listens any more

  ScriptedStatusIcon idle;
  { TTrayIcon icon(idle); }
  EXPECT_TRUE(idle.calls.empty()) << "an icon never shown is not removed";
}

TEST(TrayIcon, ShowDesigningCountsOnlyInADesigner) {
  ScriptedStatusIcon shell;
  TTrayIcon running(shell);
  running.SetShowDesigning(true);
  EXPECT_FALSE(running.ShowDesigning());
  EXPECT_TRUE(shell.calls.empty());

  ScriptedStatusIcon designer_shell;
  {
    TTrayIcon designed(designer_shell, true);
    designed.SetActive(true);
    EXPECT_TRUE(designer_shell.calls.empty()) << "Active does not show it in a designer";
    designed.SetShowDesigning(true);
    EXPECT_TRUE(designer_shell.shown);
  }
  EXPECT_FALSE(designer_shell.shown);
}

}  // namespace
}  // namespace vexo
