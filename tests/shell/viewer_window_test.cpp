// The viewer's handlers where they act through the whole window: hiding and
// the tray icon with the window's minimising and the run's timers, the
// toggles with the autorun entry and the configuration, help with the keyword
// edit, and a failed save told on the status line.
#include "platform/ini_profile.h"
#include "tests/shell/viewer_window_fixture.h"

namespace vexo::viewer_test {
namespace {

using Chrome = ViewerTest;
using Toggles = ViewerTest;
using Help = ViewerTest;
using Clear = ViewerTest;

TEST_F(Chrome, HideIsRefusedWhileADialogIsOpen) {
  TMain& m = Open();
  m.viewer.modalGuard = 120;
  m.viewer.min1Click();
  EXPECT_TRUE(m.viewer.window.Visible());
  m.viewer.modalGuard = 0;
  m.viewer.min1Click();
  EXPECT_FALSE(m.viewer.window.Visible());
  EXPECT_FALSE(app_.TaskbarButtonVisible());
  EXPECT_TRUE(icon_.shown) << "the tray icon stays";
}

TEST_F(Chrome, TrayClickBringsTheHiddenWindowBackCentred) {
  TMain& m = Open();
  m.viewer.window.SetBounds(5, 7, 540, 400);
  m.viewer.min1Click();
  icon_.Mouse(StatusIconMouse::LeftUp);
  EXPECT_TRUE(m.viewer.window.Visible());
  EXPECT_EQ(m.viewer.window.Left(), (1024 - 540) / 2);
  EXPECT_EQ(m.viewer.window.Top(), (768 - 400) / 2);
  EXPECT_EQ(restored_, 1);
  EXPECT_EQ(raised_, 1);
}

TEST_F(Chrome, TrayClickWhileADialogIsOpenNeitherShowsNorMoves) {
  TMain& m = Open();
  m.viewer.window.SetBounds(5, 7, 540, 400);
  m.viewer.min1Click();
  m.viewer.modalGuard = 120;
  m.viewer.TrayIcon1Click();
  EXPECT_FALSE(m.viewer.window.Visible());
  EXPECT_EQ(m.viewer.window.Left(), 5);
  EXPECT_EQ(raised_, 0);
}

TEST_F(Chrome, TrayClickOnTheActiveWindowOnlyChecksTheTimers) {
  TMain& m = Open();
  m.viewer.window.SetBounds(5, 7, 540, 400);
  active_ = true;
  m.trackingRun = 1;
  m.viewer.TrayIcon1Click();
  EXPECT_TRUE(m.Timer2.Enabled());
  EXPECT_TRUE(m.Tsys.Enabled());
  EXPECT_EQ(m.viewer.window.Left(), 5);
  EXPECT_EQ(restored_ + raised_, 0);
}

TEST_F(Chrome, TimersOfAnIdleWindowStayOff) {
  TMain& m = Open();
  m.viewer.modalGuard = 120;
  m.viewer.TrayIcon1Click();
  EXPECT_FALSE(m.Timer2.Enabled());
  EXPECT_FALSE(m.Tsys.Enabled());
}

TEST_F(Toggles, AutorunIsWrittenAndRemovedAtOnce) {
  TMain& m = Open();  // no vexo.ini: "ru" defaults to on
  ASSERT_TRUE(FileExists(Autostart()));
  m.viewer.RuClick();
  EXPECT_TRUE(m.viewer.Ru.Caption().empty());
  EXPECT_FALSE(FileExists(Autostart()));
  m.viewer.RuClick();
  EXPECT_EQ(m.viewer.Ru.Caption(), Gb("√"));
  Bytes entry;
  ASSERT_TRUE(ReadFileBytes(Autostart(), entry));
  EXPECT_NE(entry.find("Exec=/opt/vexo/vexo\n"), std::string::npos);
}

TEST_F(Toggles, BothAreWrittenToTheConfigurationAtShutdown) {
  TMain& m = Open();
  m.viewer.TsClick();
  m.viewer.RuClick();
  EXPECT_EQ(m.viewer.popupOnNew, 0);
  EXPECT_TRUE(m.viewer.Ts.Caption().empty());
  EXPECT_FALSE(FileExists(Ini())) << "written only at shutdown";
  m.FormDestroy();
  IniProfile ini(Ini());
  ini.Load();
  EXPECT_EQ(ini.ReadInt("vexo", "ts", 7), 0);
  EXPECT_EQ(ini.ReadInt("vexo", "ru", 7), 0);

  main_.reset();
  TMain& again = Open();
  EXPECT_EQ(again.viewer.popupOnNew, 0);
  EXPECT_FALSE(FileExists(Autostart()));
  again.viewer.TsClick();
  EXPECT_EQ(again.viewer.popupOnNew, 1);
  EXPECT_EQ(again.viewer.Ts.Caption(), Gb("√"));
}

TEST_F(Help, ShowsBothMessagesAndFillsTheExampleKeywords) {
  TMain& m = Open();
  m.gjc.SetText(Gb("旧的"));
  m.viewer.modalGuard = 9;
  std::vector<Bytes> keywords_during;
  std::vector<int> guard_during;
  boxes_.while_open = [&](const MessageBoxRequest&) {
    keywords_during.push_back(m.gjc.Text());
    guard_during.push_back(m.viewer.modalGuard);
  };
  m.viewer.help1Click();
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(keywords_during, (std::vector<Bytes>{Gb("旧的"), Gb("奇瑞/别克/宝来")}));
  EXPECT_EQ(guard_during, (std::vector<int>{120, 120}));
  EXPECT_EQ(m.viewer.modalGuard, 9);

  const MessageBoxRequest& syntax = boxes_.shown[0];
  EXPECT_EQ(syntax.caption, Gb("<关键词>填法"));
  EXPECT_EQ(syntax.buttons, MsgButtons::Ok);
  const StringList lines = SplitLines(syntax.text);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(syntax.text.find('\n'), std::string::npos) << "lines joined by CR alone";
  for (const Bytes& line : lines) EXPECT_EQ(line.size(), 58u) << GbToUtf8(line);
  EXPECT_EQ(lines[0], std::string(58, ' '));
  EXPECT_EQ(lines[2], Gb("多个关键词时，用空格\" \"，或加号\"+\"，表示\"并且\"之意，即前后"));
  EXPECT_EQ(lines[12], Gb("      例如：武钢股份600005/仪征化纤600871                 "));

  const MessageBoxRequest& example = boxes_.shown[1];
  EXPECT_EQ(example.caption, Gb("<关键词>例子"));
  const StringList example_lines = SplitLines(example.text);
  ASSERT_EQ(example_lines.size(), 5u);
  for (const Bytes& line : example_lines) EXPECT_EQ(line.size(), 46u) << GbToUtf8(line);
  EXPECT_EQ(example_lines[1], Gb(" 系统已填入了\"奇瑞/别克/宝来\"，此种填法系统将 "));
  EXPECT_EQ(example_lines[4], Gb("      【 下一步只需点击上方<跟踪>按钮 】      "));
}

TEST_F(Help, UnwritableFolderStillShowsTheMessages) {
  TMain& m = Open();
  m.kl2.SetCaption(Root() + "/missing/folder/");
  m.viewer.help1Click();
  EXPECT_TRUE(browser_.opened.empty());
  EXPECT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(m.gjc.Text(), Gb("奇瑞/别克/宝来"));
}

TEST_F(Clear, ASaveThatFailsEmptiesNothingAndSaysSo) {
  TMain& m = Run(12);
  CreateDir(Block(1));  // the block's name is taken
  boxes_.answers = {MsgAnswer::Ok};
  m.viewer.Spt3Click();
  EXPECT_EQ(m.viewer.sum1.Caption(), "12");
  EXPECT_EQ(Shown(), Range(1, 8));
  EXPECT_EQ(m.Store().OpenBlock()->size(), 25u);
  EXPECT_EQ(m.Store().OpenBlock()->front(), "1");
  EXPECT_EQ(m.sbar.Caption(), Gb(" 无法保存结果，请检查磁盘空间和Temp文件夹"));
}

}  // namespace
}  // namespace vexo::viewer_test
