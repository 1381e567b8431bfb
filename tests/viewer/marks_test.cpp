// Marks stored on the link lines of the blocks, clearing the run's list,
// opening a target in the browser and the hover hint.
#include "tests/viewer/viewer_fixture.h"

namespace vexo::viewer_test {
namespace {

using Marks = ViewerTest;
using Clear = ViewerTest;
using OpenTarget = ViewerTest;

const Bytes& Cross() {
  static const Bytes kCross = Gb("×");
  return kCross;
}

TEST_F(Marks, MarkInTheOpenBlockRewritesTheLinkLineAndTheRow) {
  TMain& m = Run(20);
  m.viewer.x3Click();
  EXPECT_EQ(m.viewer.x3.Caption(), Cross());
  EXPECT_EQ(m.viewer.M31.Caption(), "*" + Link(3));
  const StringList& open = *m.Store().OpenBlock();
  EXPECT_EQ(open[5], "*" + Link(3));
  EXPECT_EQ(open[6], TitleLine(3));
  EXPECT_FALSE(FileExists(Block(1))) << "the open block is saved only over an existing file";

  m.viewer.CaptionMouseDown(3);
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{Link(3)})) << "opened without the mark";

  m.viewer.x3Click();
  EXPECT_TRUE(m.viewer.x3.Caption().empty());
  EXPECT_EQ(m.viewer.M31.Caption(), Link(3));
  EXPECT_EQ((*m.Store().OpenBlock())[5], Link(3));
}

TEST_F(Marks, MarkInAStoppedRunIsSavedToItsBlockFile) {
  TMain& m = Run(20);
  ASSERT_TRUE(m.Store().SaveOpenBlock());
  m.viewer.x8Click();
  EXPECT_EQ(Lines(Block(1))[15], "*" + Link(8));
  m.viewer.x8Click();
  EXPECT_EQ(Lines(Block(1))[15], Link(8));
}

TEST_F(Marks, MarkOnASavedBlockPageIsStoredInThatBlockFile) {
  TMain& m = Run(410);
  m.viewer.SetSa("185");
  m.viewer.Spt6Click();  // targets 193-200 of block 1
  m.viewer.x2Click();
  EXPECT_EQ(Lines(Block(1))[2 * 194 - 1], "*" + Link(194));
  EXPECT_EQ(m.viewer.M21.Caption(), "*" + Link(194));

  // The mark comes back from the file when the page is shown again.
  m.viewer.Spt4Click();
  EXPECT_TRUE(m.viewer.x2.Caption().empty());
  m.viewer.SetSa("185");
  m.viewer.Spt6Click();
  EXPECT_EQ(m.viewer.x2.Caption(), Cross());
}

TEST_F(Marks, RowOfTheEarlierBlockOnASpanningPageTogglesOnlyOnScreen) {
  TMain& m = Run(410);
  m.viewer.SetSa("188");
  m.viewer.Spt6Click();  // 196-200 from block 1, 201-203 from block 2; Sa is 201
  ASSERT_EQ(m.viewer.Sa(), "201");
  const StringList block1 = Lines(Block(1));
  const StringList block2 = Lines(Block(2));
  m.viewer.x1Click();
  EXPECT_EQ(m.viewer.x1.Caption(), Cross());
  EXPECT_EQ(Lines(Block(1)), block1);
  EXPECT_EQ(Lines(Block(2)), block2);
  m.viewer.x7Click();  // target 202 lies in block 2, the chosen one
  EXPECT_EQ(Lines(Block(2))[2 * 2 - 1], "*" + Link(202));
}

TEST_F(Marks, BeforeAnyRunAMarkStoresNothing) {
  TMain& m = Open();
  m.viewer.x1Click();  // the page start becomes "1"; with no targets the cells are emptied
  EXPECT_EQ(m.viewer.Sa(), "1");
  m.viewer.x1Click();
  EXPECT_EQ(m.viewer.x1.Caption(), Cross());
  EXPECT_FALSE(DirExists(Home() + "Temp"));
}

TEST_F(Marks, EmptyRowStoresNothing) {
  TMain& m = Run(5);
  const StringList before = *m.Store().OpenBlock();
  m.viewer.x7Click();
  EXPECT_EQ(m.viewer.x7.Caption(), Cross());
  EXPECT_EQ(*m.Store().OpenBlock(), before);
}

TEST_F(Marks, RowFoundByItsLinkWhenTheCaptionWasChanged) {
  TMain& m = Run(12);
  m.viewer.M42.SetCaption(Gb("…别的标题…"));
  m.viewer.x4Click();
  EXPECT_EQ((*m.Store().OpenBlock())[7], "*" + Link(4));
}

TEST_F(Clear, CancelChangesNothingAndRestoresTheGuard) {
  TMain& m = Run(12);
  m.viewer.modalGuard = 7;
  int guard_during = -1;
  boxes_.while_open = [&](const MessageBoxRequest&) { guard_during = m.viewer.modalGuard; };
  boxes_.answers = {MsgAnswer::Cancel};
  m.viewer.Spt3Click();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("Vexo提示"));
  EXPECT_EQ(boxes_.shown[0].text, Gb("  确认要清空已跟踪的结果吗？"));
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(guard_during, 120);
  EXPECT_EQ(m.viewer.modalGuard, 7);
  EXPECT_EQ(m.viewer.sum1.Caption(), "12");
  EXPECT_EQ(Shown(), Range(1, 8));
  EXPECT_FALSE(FileExists(Block(1)));
}

TEST_F(Clear, OkEmptiesTheViewSavesTheBlockAndNumbersAgainFromOne) {
  TMain& m = Run(12);
  m.viewer.ss.SetCaption("4");
  m.viewer.x2Click();
  boxes_.answers = {MsgAnswer::Ok};
  m.viewer.Spt3Click();
  EXPECT_EQ(m.viewer.sum1.Caption(), "0");
  EXPECT_EQ(m.viewer.ss.Caption(), "0");
  EXPECT_EQ(m.viewer.Sa(), "");
  EXPECT_EQ(Shown(), Range(1, 0));
  for (int k = 1; k <= 8; ++k) {
    EXPECT_TRUE(m.viewer.MarkCell(k)->Caption().empty());
    EXPECT_FALSE(m.viewer.RowBox(k)->Visible());
  }
  EXPECT_FALSE(m.viewer.Spt3.Visible());
  EXPECT_EQ(Lines(Block(1)).size(), 25u) << "the cleared targets stay on disk";
  EXPECT_EQ(*m.Store().OpenBlock(), StringList{"2"});

  Add(13, 13);
  EXPECT_EQ(m.viewer.sum1.Caption(), "1");
  EXPECT_EQ(m.viewer.Sa(), "1");
  EXPECT_EQ(m.viewer.M11.Caption(), Link(13));
  // Paging now stays within the new block.
  Add(14, 30);
  m.viewer.Spt4Click();
  EXPECT_EQ(m.viewer.M11.Caption(), Link(13));
  m.viewer.Spt7Click();
  EXPECT_EQ(m.viewer.M81.Caption(), Link(30));
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

TEST_F(Clear, BeforeAnyRunOnlyTheViewIsEmptied) {
  TMain& m = Open();
  boxes_.answers = {MsgAnswer::Ok};
  m.viewer.Spt3Click();
  EXPECT_TRUE(m.viewer.M11.Caption().empty());
  EXPECT_FALSE(DirExists(Home() + "Temp"));
}

struct AddressCase {
  const char* name;
  Bytes link;
  std::vector<std::string> opened;
};

class OpenAddresses : public ViewerTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(OpenAddresses, ReachTheBrowserAsOneSafeArgument) {
  TMain& m = Open();
  m.viewer.SetRowText(2, 1, GetParam().link);
  m.viewer.CaptionMouseDown(2);
  EXPECT_EQ(browser_.opened, GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Links, OpenAddresses,
    ::testing::Values(AddressCase{"plain", "http://a.example/x.htm", {"http://a.example/x.htm"}},
                      AddressCase{"marked", "*http://a.example/x.htm", {"http://a.example/x.htm"}},
                      AddressCase{"shell_bytes",
                                  "http://a.example/a b\"c';d$(touch x)`id`&e|f",
                                  {"http://a.example/a%20b\"c';d$(touch%20x)`id`&e|f"}},
                      AddressCase{"gb_text",
                                  "http://a.example/" + Gb("新闻") + ".htm",
                                  {"http://a.example/%D0%C2%CE%C5.htm"}},
                      AddressCase{
                          "line_break", "http://a.example/a\r\nb", {"http://a.example/a%0D%0Ab"}},
                      AddressCase{"dash", "-http://a.example/", {}},
                      AddressCase{"local_program", "/usr/bin/xterm", {}},
                      AddressCase{"file_scheme", "file:///etc/passwd", {}},
                      AddressCase{"empty", "", {}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(OpenTarget, LongAddressIsCutAt999Bytes) {
  TMain& m = Open();
  const Bytes link = "*http://a.example/" + Bytes(2000, 'a');
  m.viewer.SetRowText(1, 1, link);
  m.viewer.CaptionMouseDown(1);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0], link.substr(1, 999));
}

TEST_F(OpenTarget, WelcomeRowOpensThePublisherPage) {
  TMain& m = Open();
  m.viewer.CaptionMouseDown(1);
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{m.viewer.M11.Caption()}));
}

TEST_F(OpenTarget, HoverShowsTheLinkWithItsMark) {
  TMain& m = Run(10);
  m.viewer.x5Click();
  m.viewer.CaptionMouseMove(5);
  EXPECT_EQ(m.viewer.M52.Hint(), "*" + Link(5));
  m.viewer.CaptionMouseMove(9);  // no such row
  m.viewer.CaptionMouseDown(0);
  EXPECT_TRUE(browser_.opened.empty());
}

TEST_F(OpenTarget, PressedLookOfTheLabelButtons) {
  TMain& m = Open();
  m.viewer.LabelButtonMouseDown(m.viewer.Spt6);
  EXPECT_EQ(m.viewer.Spt6.Color(), 0xFFFFFF);
  m.viewer.LabelButtonMouseUp(m.viewer.Spt6);
  EXPECT_EQ(m.viewer.Spt6.Color(), kDefaultColour);
}

}  // namespace
}  // namespace vexo::viewer_test
