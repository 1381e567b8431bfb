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
  ViewerPart& v = Run(20);
  v.x3Click();
  EXPECT_EQ(v.x3.Caption(), Cross());
  EXPECT_EQ(v.M31.Caption(), "*" + Link(3));
  const StringList& open = *v.Store().OpenBlock();
  EXPECT_EQ(open[5], "*" + Link(3));
  EXPECT_EQ(open[6], TitleLine(3));
  EXPECT_FALSE(FileExists(Block(1))) << "the open block is saved only over an existing file";

  v.CaptionMouseDown(3);
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{Link(3)})) << "opened without the mark";

  v.x3Click();
  EXPECT_TRUE(v.x3.Caption().empty());
  EXPECT_EQ(v.M31.Caption(), Link(3));
  EXPECT_EQ((*v.Store().OpenBlock())[5], Link(3));
}

TEST_F(Marks, MarkInAStoppedRunIsSavedToItsBlockFile) {
  ViewerPart& v = Run(20);
  ASSERT_TRUE(v.Store().SaveOpenBlock());
  v.x8Click();
  EXPECT_EQ(Lines(Block(1))[15], "*" + Link(8));
  v.x8Click();
  EXPECT_EQ(Lines(Block(1))[15], Link(8));
}

TEST_F(Marks, MarkOnASavedBlockPageIsStoredInThatBlockFile) {
  ViewerPart& v = Run(410);
  v.SetSa("185");
  v.Spt6Click();  // targets 193-200 of block 1
  v.x2Click();
  EXPECT_EQ(Lines(Block(1))[2 * 194 - 1], "*" + Link(194));
  EXPECT_EQ(v.M21.Caption(), "*" + Link(194));

  // The mark comes back from the file when the page is shown again.
  v.Spt4Click();
  EXPECT_TRUE(v.x2.Caption().empty());
  v.SetSa("185");
  v.Spt6Click();
  EXPECT_EQ(v.x2.Caption(), Cross());
}

TEST_F(Marks, RowOfTheEarlierBlockOnASpanningPageTogglesOnlyOnScreen) {
  ViewerPart& v = Run(410);
  v.SetSa("188");
  v.Spt6Click();  // 196-200 from block 1, 201-203 from block 2; Sa is 201
  ASSERT_EQ(v.Sa(), "201");
  const StringList block1 = Lines(Block(1));
  const StringList block2 = Lines(Block(2));
  v.x1Click();
  EXPECT_EQ(v.x1.Caption(), Cross());
  EXPECT_EQ(Lines(Block(1)), block1);
  EXPECT_EQ(Lines(Block(2)), block2);
  v.x7Click();  // target 202 lies in block 2, the chosen one
  EXPECT_EQ(Lines(Block(2))[2 * 2 - 1], "*" + Link(202));
}

TEST_F(Marks, BeforeAnyRunAMarkStoresNothing) {
  ViewerPart& v = Open();
  v.x1Click();  // the page start becomes "1"; with no targets the cells are emptied
  EXPECT_EQ(v.Sa(), "1");
  v.x1Click();
  EXPECT_EQ(v.x1.Caption(), Cross());
  EXPECT_FALSE(DirExists(Home() + "Temp"));
}

TEST_F(Marks, EmptyRowStoresNothing) {
  ViewerPart& v = Run(5);
  const StringList before = *v.Store().OpenBlock();
  v.x7Click();
  EXPECT_EQ(v.x7.Caption(), Cross());
  EXPECT_EQ(*v.Store().OpenBlock(), before);
}

TEST_F(Marks, RowFoundByItsLinkWhenTheCaptionWasChanged) {
  ViewerPart& v = Run(12);
  v.M42.SetCaption(Gb("…别的标题…"));
  v.x4Click();
  EXPECT_EQ((*v.Store().OpenBlock())[7], "*" + Link(4));
}

TEST_F(Clear, CancelChangesNothingAndRestoresTheGuard) {
  ViewerPart& v = Run(12);
  v.modalGuard = 7;
  int guard_during = -1;
  boxes_.while_open = [&](const MessageBoxRequest&) { guard_during = v.modalGuard; };
  boxes_.answers = {MsgAnswer::Cancel};
  v.Spt3Click();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("Vexo提示"));
  EXPECT_EQ(boxes_.shown[0].text, Gb("  确认要清空已跟踪的结果吗？"));
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(guard_during, 120);
  EXPECT_EQ(v.modalGuard, 7);
  EXPECT_EQ(v.sum1.Caption(), "12");
  EXPECT_EQ(Shown(), Range(1, 8));
  EXPECT_FALSE(FileExists(Block(1)));
}

TEST_F(Clear, OkEmptiesTheViewSavesTheBlockAndNumbersAgainFromOne) {
  ViewerPart& v = Run(12);
  v.ss.SetCaption("4");
  v.x2Click();
  boxes_.answers = {MsgAnswer::Ok};
  v.Spt3Click();
  EXPECT_EQ(v.sum1.Caption(), "0");
  EXPECT_EQ(v.ss.Caption(), "0");
  EXPECT_EQ(v.Sa(), "");
  EXPECT_EQ(Shown(), Range(1, 0));
  for (int k = 1; k <= 8; ++k) {
    EXPECT_TRUE(v.MarkCell(k)->Caption().empty());
    EXPECT_FALSE(v.RowBox(k)->Visible());
  }
  EXPECT_FALSE(v.Spt3.Visible());
  EXPECT_EQ(Lines(Block(1)).size(), 25u) << "the cleared targets stay on disk";
  EXPECT_EQ(*v.Store().OpenBlock(), StringList{"2"});

  Add(13, 13);
  EXPECT_EQ(v.sum1.Caption(), "1");
  EXPECT_EQ(v.Sa(), "1");
  EXPECT_EQ(v.M11.Caption(), Link(13));
  // Paging now stays within the new block.
  Add(14, 30);
  v.Spt4Click();
  EXPECT_EQ(v.M11.Caption(), Link(13));
  v.Spt7Click();
  EXPECT_EQ(v.M81.Caption(), Link(30));
}

TEST_F(Clear, BeforeAnyRunOnlyTheViewIsEmptied) {
  ViewerPart& v = Open();
  boxes_.answers = {MsgAnswer::Ok};
  v.Spt3Click();
  EXPECT_TRUE(v.M11.Caption().empty());
  EXPECT_FALSE(DirExists(Home() + "Temp"));
}

struct AddressCase {
  const char* name;
  Bytes link;
  std::vector<std::string> opened;
};

class OpenAddresses : public ViewerTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(OpenAddresses, ReachTheBrowserAsOneSafeArgument) {
  ViewerPart& v = Open();
  v.SetRowText(2, 1, GetParam().link);
  v.CaptionMouseDown(2);
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
  ViewerPart& v = Open();
  const Bytes link = "*http://a.example/" + Bytes(2000, 'a');
  v.SetRowText(1, 1, link);
  v.CaptionMouseDown(1);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0], link.substr(1, 999));
}

TEST_F(OpenTarget, WelcomeRowOpensThePublisherPage) {
  ViewerPart& v = Open();
  v.CaptionMouseDown(1);
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{v.M11.Caption()}));
}

TEST_F(OpenTarget, HoverShowsTheLinkWithItsMark) {
  ViewerPart& v = Run(10);
  v.x5Click();
  v.CaptionMouseMove(5);
  EXPECT_EQ(v.M52.Hint(), "*" + Link(5));
  v.CaptionMouseMove(9);  // no such row
  v.CaptionMouseDown(0);
  EXPECT_TRUE(browser_.opened.empty());
}

TEST_F(OpenTarget, PressedLookOfTheLabelButtons) {
  ViewerPart& v = Open();
  v.LabelButtonMouseDown(v.Spt6);
  EXPECT_EQ(v.Spt6.Color(), 0xFFFFFF);
  v.LabelButtonMouseUp(v.Spt6);
  EXPECT_EQ(v.Spt6.Color(), kDefaultColour);
}

}  // namespace
}  // namespace vexo::viewer_test
