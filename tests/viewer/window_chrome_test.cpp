// The window chrome: dragging, hiding and bringing back, centring, closing,
// the two toggles, help with its messages, the about box, news and the status
// line.
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
  ViewerPart& v = Open();
  v.window.SetBounds(200, 100, 540, 400);
  if (c.press) v.Image1MouseDown(300, 110);
  for (const auto& [x, y] : c.moves) v.Image1MouseMove(x, y);
  v.Image1MouseUp(c.release.first, c.release.second);
  EXPECT_EQ(v.window.Left(), 200 + c.moved_by.first);
  EXPECT_EQ(v.window.Top(), 100 + c.moved_by.second);
  EXPECT_EQ(v.dragX, -1);
  EXPECT_EQ(v.dragY, -1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Drag,
    ::testing::Values(
        DragCase{"thirty_right_ten_down", true, {{330, 120}}, {330, 120}, {30, 10}},
        DragCase{"in_steps", true, {{310, 110}, {320, 100}, {290, 90}}, {280, 95}, {-20, -15}},
        DragCase{"release_applies_last_step", true, {}, {310, 130}, {10, 20}},
        DragCase{"no_press_no_move", false, {{330, 120}}, {400, 400}, {0, 0}}),
    [](const auto& test) { return std::string(test.param.name); });

struct ScreenCase {
  int width, height, left, top;
};

class Centre : public ViewerTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(Centre, TruncatesTowardZero) {
  screen_ = {GetParam().width, GetParam().height};
  ViewerPart& v = Open();
  v.FormResize();
  EXPECT_EQ(v.window.Left(), GetParam().left);
  EXPECT_EQ(v.window.Top(), GetParam().top);
  EXPECT_EQ(v.window.Width(), 540);
}

INSTANTIATE_TEST_SUITE_P(Screens, Centre,
                         ::testing::Values(ScreenCase{1024, 768, 242, 184},
                                           ScreenCase{1023, 767, 241, 183},
                                           ScreenCase{300, 200, -120, -100},
                                           ScreenCase{301, 201, -119, -99}));

TEST_F(Chrome, CloseAsksTheWindowToClose) {
  ViewerPart& v = Open();
  v.close1Click();
  EXPECT_EQ(closed_, 1);
}

TEST_F(Chrome, TitleControlsShowTheirPressedLook) {
  ViewerPart& v = Open();
  v.min1MouseDown();
  EXPECT_EQ(v.min1.Caption(), "_");
  EXPECT_EQ(v.min1.Color(), 0xFFFFFF);
  v.min1MouseUp();
  EXPECT_TRUE(v.min1.Caption().empty());
  EXPECT_EQ(v.min1.Color(), kDefaultColour);
  v.close1MouseDown();
  EXPECT_EQ(v.close1.Caption(), "\xA1\xEE");
  v.close1MouseUp();
  EXPECT_TRUE(v.close1.Caption().empty());
}

TEST_F(Chrome, AboutBoxIsModalAndItsAddressOpensThePublisherPage) {
  ViewerPart& v = Open();
  v.modalGuard = 3;
  about_ = [](Tmake& box) { box.Label10Click(); };
  v.about1Click();
  EXPECT_EQ(guard_seen_, 120);
  EXPECT_EQ(v.modalGuard, 3);
  EXPECT_EQ(about_caption_, Gb("关于Vexo"));
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0].rfind("http://", 0), 0u);
}

TEST_F(Chrome, NewsIsModalAndStatusLineOpensThePublisherPage) {
  ViewerPart& v = Open();
  v.Spb1Click();
  EXPECT_EQ(news_, 1);
  EXPECT_EQ(guard_seen_, 120);
  EXPECT_EQ(v.modalGuard, 0);
  v.sbarClick();
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(Tmake(browser_).Label10.Caption(), browser_.opened[0]);
}

TEST_F(Chrome, WithoutAWindowSideTheHandlersDoNothing) {
  ViewerServices s = Services();
  s.chrome = {};
  s.browser = nullptr;
  s.status_icon = nullptr;
  ViewerPart& v = Open(s);
  v.window.SetBounds(5, 7, 540, 400);
  v.close1Click();
  v.FormResize();
  v.about1Click();
  v.Spb1Click();
  v.sbarClick();
  v.TrayIcon1Click();
  EXPECT_EQ(v.window.Left(), 5);
  EXPECT_EQ(v.modalGuard, 0);
  EXPECT_TRUE(browser_.opened.empty());
}

TEST_F(Help, TheHelpPageIsGb2312WithTheKeywordSyntax) {
  const Bytes html = HelpPageHtml();
  EXPECT_NE(html.find("charset=gb2312"), std::string::npos);
  EXPECT_NE(html.find(Gb("奇瑞/别克/宝来")), std::string::npos);
  EXPECT_NE(html.find(Gb("汽车 -二手")), std::string::npos);
  EXPECT_EQ(GbToUtf8(html).find("\xEF\xBF\xBD"), std::string::npos) << "all of it is GB2312";
}

TEST_F(Help, OpensTheProgramFoldersPageAndWritesNone) {
  ViewerPart& v = Open();
  const std::string page = Home() + "help.htm";
  v.help1Click();
  EXPECT_FALSE(FileExists(page)) << "the program writes no help page";
  ASSERT_TRUE(WriteFileAtomic(page, "mine"));
  v.help1Click();
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

}  // namespace
}  // namespace vexo::viewer_test
