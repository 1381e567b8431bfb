// What the viewer's part asks of the window it sits in: minimising, the run's
// timers, the autorun entry, the keywords, the program folder and the report
// of a file it could not save.
#include "platform/save_dialog.h"
#include "tests/viewer/viewer_fixture.h"

namespace vexo::viewer_test {
namespace {

using Host = ViewerTest;

TEST_F(Host, HideIsLeftToTheWindowEvenWhileADialogIsOpen) {
  ViewerPart& v = Open();
  v.modalGuard = 120;
  v.min1Click();
  EXPECT_EQ(host_.minimised, 1) << "the window refuses it, not the part";
  EXPECT_TRUE(v.window.Visible());
}

TEST_F(Host, TrayClickResumesTheTimersAndBringsTheHiddenWindowBack) {
  ViewerPart& v = Open();
  v.window.SetVisible(false);
  icon_.Mouse(StatusIconMouse::LeftUp);
  EXPECT_EQ(host_.timersResumed, 1);
  EXPECT_TRUE(v.window.Visible());
  EXPECT_EQ(restored_ + raised_, 2);
}

TEST_F(Host, TrayClickWhileADialogIsOpenStillResumesTheTimers) {
  ViewerPart& v = Open();
  v.window.SetVisible(false);
  v.modalGuard = 120;
  v.TrayIcon1Click();
  EXPECT_EQ(host_.timersResumed, 1);
  EXPECT_FALSE(v.window.Visible());
  EXPECT_EQ(restored_ + raised_, 0);
}

TEST_F(Host, AutorunToggleTellsTheWindowEachTime) {
  ViewerPart& v = Open();
  v.RuClick();
  EXPECT_TRUE(v.Ru.Caption().empty());
  v.RuClick();
  EXPECT_EQ(v.Ru.Caption(), Gb("√"));
  EXPECT_EQ(host_.autorun, (std::vector<bool>{false, true}));
}

TEST_F(Host, HelpFillsTheExampleKeywordsBetweenItsTwoMessages) {
  ViewerPart& v = Open();
  std::vector<std::size_t> filled_during;
  boxes_.while_open = [&](const MessageBoxRequest&) {
    filled_during.push_back(host_.keywords.size());
  };
  v.help1Click();
  EXPECT_EQ(filled_during, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(host_.keywords, std::vector<Bytes>{Gb("奇瑞/别克/宝来")});
}

TEST_F(Host, ClearWhoseBlockCannotBeSavedTellsTheWindowAndEmptiesNothing) {
  ViewerPart& v = Run(12);
  CreateDir(Block(1));  // the block's name is taken
  boxes_.answers = {MsgAnswer::Ok};
  v.Spt3Click();
  EXPECT_EQ(host_.saveFailures, std::vector<std::string>{Block(1)});
  EXPECT_EQ(v.sum1.Caption(), "12");
  EXPECT_EQ(Shown(), Range(1, 8));
}

TEST_F(Host, ExportWritesThePagesWithTheWindowsKeywordsInItsProgramFolder) {
  ScriptedSaveDialogs dialogs;
  ViewerServices s = Services();
  s.save_dialogs = &dialogs;
  ViewerPart& v = Open(s);
  Run(25);
  host_.gjc2 = Gb("手机 报价");
  host_.gjc3 = Gb("手机+报价");
  const std::string out = Root() + "/out";
  ASSERT_TRUE(CreateDir(out));
  dialogs.answers.push_back({true, out + "/back.htm", 1});
  v.Spt2Click();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].initial_folder, Home() + "Save");
  Bytes page;
  ASSERT_TRUE(ReadFileBytes(out + "/back.htm", page));
  EXPECT_NE(page.find(Gb("关键词：手机 报价</title>")), Bytes::npos);
  EXPECT_TRUE(FileExists(out + "/back1.htm"));
}

}  // namespace
}  // namespace vexo::viewer_test
