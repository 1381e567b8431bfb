// The window chrome: dragging, hiding and bringing back, centring, closing,
// the two toggles, help with its messages, the about box, news and the status
// line.
#include "platform/ini_profile.h"
#include "tests/viewer/viewer_fixture.h"
#include "viewer/help_page.h"

namespace vexo::viewer_test {
namespace {

using Chrome = ViewerTest;
using Toggles = ViewerTest;
using Help = ViewerTest;

struct DragCase {
  const char* name;
  bool press;
  std::vector<std::pair<int, int>> moves;  // cursor positions after the press
  std::pair<int, int> release;
  std::pair<int, int> moved_by;
};

class Drag : public ViewerTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(Drag, MovesTheWindowByTheCursorsPath) {
  const DragCase& c = GetParam();
  TMain& m = Open();
  m.viewer.window.SetBounds(200, 100, 540, 400);
  if (c.press) m.viewer.Image1MouseDown(300, 110);
  for (const auto& [x, y] : c.moves) m.viewer.Image1MouseMove(x, y);
  m.viewer.Image1MouseUp(c.release.first, c.release.second);
  EXPECT_EQ(m.viewer.window.Left(), 200 + c.moved_by.first);
  EXPECT_EQ(m.viewer.window.Top(), 100 + c.moved_by.second);
  EXPECT_EQ(m.viewer.dragX, -1);
  EXPECT_EQ(m.viewer.dragY, -1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Drag,
    ::testing::Values(
        DragCase{"thirty_right_ten_down", true, {{330, 120}}, {330, 120}, {30, 10}},
        DragCase{"in_steps", true, {{310, 110}, {320, 100}, {290, 90}}, {280, 95}, {-20, -15}},
        DragCase{"release_applies_last_step", true, {}, {310, 130}, {10, 20}},
        DragCase{"no_press_no_move", false, {{330, 120}}, {400, 400}, {0, 0}}),
    [](const auto& test) { return std::string(test.param.name); });

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

struct ScreenCase {
  int width, height, left, top;
};

class Centre : public ViewerTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(Centre, TruncatesTowardZero) {
  screen_ = {GetParam().width, GetParam().height};
  TMain& m = Open();
  m.viewer.FormResize();
  EXPECT_EQ(m.viewer.window.Left(), GetParam().left);
  EXPECT_EQ(m.viewer.window.Top(), GetParam().top);
  EXPECT_EQ(m.viewer.window.Width(), 540);
}

INSTANTIATE_TEST_SUITE_P(Screens, Centre,
                         ::testing::Values(ScreenCase{1024, 768, 242, 184},
                                           ScreenCase{1023, 767, 241, 183},
                                           ScreenCase{300, 200, -120, -100},
                                           ScreenCase{301, 201, -119, -99}));

TEST_F(Chrome, CloseAsksTheWindowToClose) {
  TMain& m = Open();
  m.viewer.close1Click();
  EXPECT_EQ(closed_, 1);
}

TEST_F(Chrome, TitleControlsShowTheirPressedLook) {
  TMain& m = Open();
  m.viewer.min1MouseDown();
  EXPECT_EQ(m.viewer.min1.Caption(), "_");
  EXPECT_EQ(m.viewer.min1.Color(), 0xFFFFFF);
  m.viewer.min1MouseUp();
  EXPECT_TRUE(m.viewer.min1.Caption().empty());
  EXPECT_EQ(m.viewer.min1.Color(), kDefaultColour);
  m.viewer.close1MouseDown();
  EXPECT_EQ(m.viewer.close1.Caption(), "\xA1\xEE");
  m.viewer.close1MouseUp();
  EXPECT_TRUE(m.viewer.close1.Caption().empty());
}

TEST_F(Chrome, AboutBoxIsModalAndItsAddressOpensThePublisherPage) {
  TMain& m = Open();
  m.viewer.modalGuard = 3;
  about_ = [](Tmake& box) { box.Label10Click(); };
  m.viewer.about1Click();
  EXPECT_EQ(guard_seen_, 120);
  EXPECT_EQ(m.viewer.modalGuard, 3);
  EXPECT_EQ(about_caption_, Gb("关于Vexo"));
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0].rfind("http://", 0), 0u);
}

TEST_F(Chrome, NewsIsModalAndStatusLineOpensThePublisherPage) {
  TMain& m = Open();
  m.viewer.Spb1Click();
  EXPECT_EQ(news_, 1);
  EXPECT_EQ(guard_seen_, 120);
  EXPECT_EQ(m.viewer.modalGuard, 0);
  m.viewer.sbarClick();
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(Tmake(browser_).Label10.Caption(), browser_.opened[0]);
}

TEST_F(Chrome, WithoutAWindowSideTheHandlersDoNothing) {
  MainServices s = Services();
  s.chrome = {};
  s.browser = nullptr;
  s.status_icon = nullptr;
  TMain m(s);
  m.FormCreate();
  m.viewer.window.SetBounds(5, 7, 540, 400);
  m.viewer.close1Click();
  m.viewer.FormResize();
  m.viewer.about1Click();
  m.viewer.Spb1Click();
  m.viewer.sbarClick();
  m.viewer.TrayIcon1Click();
  EXPECT_EQ(m.viewer.window.Left(), 5);
  EXPECT_EQ(m.viewer.modalGuard, 0);
  EXPECT_TRUE(browser_.opened.empty());
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

TEST_F(Help, TheHelpPageIsGb2312WithTheKeywordSyntax) {
  const Bytes html = HelpPageHtml();
  EXPECT_NE(html.find("charset=gb2312"), std::string::npos);
  EXPECT_NE(html.find(Gb("奇瑞/别克/宝来")), std::string::npos);
  EXPECT_NE(html.find(Gb("汽车 -二手")), std::string::npos);
  EXPECT_EQ(GbToUtf8(html).find("\xEF\xBF\xBD"), std::string::npos) << "all of it is GB2312";
}

TEST_F(Help, OpensTheProgramFoldersPageAndWritesNone) {
  TMain& m = Open();
  const std::string page = Home() + "help.htm";
  m.viewer.help1Click();
  EXPECT_FALSE(FileExists(page)) << "the program writes no help page";
  ASSERT_TRUE(WriteFileAtomic(page, "mine"));
  m.viewer.help1Click();
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{page}));
}

TEST_F(Help, WithoutOneInTheProgramFolderTheInstalledPageOpens) {
  const std::string installed = Root() + "/usr/share/vexo/help.htm";
  ASSERT_TRUE(CreateDir(Root() + "/usr/share/vexo"));
  ASSERT_TRUE(WriteFileAtomic(installed, "installed"));
  const std::string executable = Root() + "/usr/bin/vexo";
  EXPECT_EQ(FindHelpPage(Home(), executable), installed);
  ASSERT_TRUE(WriteFileAtomic(Home() + "help.htm", "mine"));
  EXPECT_EQ(FindHelpPage(Home(), executable), Home() + "help.htm");
  EXPECT_EQ(FindHelpPage(Root() + "/none/", Root() + "/opt/bin/vexo"), "");
}

TEST_F(Help, UnwritableFolderStillShowsTheMessages) {
  TMain& m = Open();
  m.kl2.SetCaption(Root() + "/missing/folder/");
  m.viewer.help1Click();
  EXPECT_TRUE(browser_.opened.empty());
  EXPECT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(m.gjc.Text(), Gb("奇瑞/别克/宝来"));
}

}  // namespace
}  // namespace vexo::viewer_test
