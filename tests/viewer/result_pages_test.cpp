// Paging through a run's targets across block files and the open block, and
// the buttons and row boxes that follow the page start.
#include "tests/viewer/viewer_fixture.h"

namespace vexo::viewer_test {
namespace {

using Pages = ViewerTest;

enum class Op { First, Previous, Next, Last };

void Press(ViewerPart& v, Op op) {
  switch (op) {
    case Op::First:
      v.Spt4Click();
      break;
    case Op::Previous:
      v.Spt5Click();
      break;
    case Op::Next:
      v.Spt6Click();
      break;
    case Op::Last:
      v.Spt7Click();
      break;
  }
}

struct PageCase {
  const char* name;
  int total;
  const char* sa;  // page start before the press
  Op op;
  std::vector<int> rows;
  const char* sa_after;
};

class PageTable : public ViewerTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageTable, ShowsTheRowsAndPageStart) {
  const PageCase& c = GetParam();
  ViewerPart& v = Run(c.total);
  v.SetSa(c.sa);
  Press(v, c.op);
  EXPECT_EQ(Shown(), c.rows);
  EXPECT_EQ(v.Sa(), c.sa_after);
}

std::vector<int> Rows(std::initializer_list<int> r) {
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, PageTable,
    ::testing::Values(
        PageCase{"twenty_next_from_1", 20, "1", Op::Next, Range(9, 16), "9"},
        PageCase{"twenty_next_ends_with_last", 20, "9", Op::Next, Range(13, 20), "13"},
        PageCase{"twenty_previous", 20, "13", Op::Previous, Range(5, 12), "5"},
        PageCase{"twenty_previous_clamped", 20, "5", Op::Previous, Range(1, 8), "1"},
        PageCase{"next_to_block_end", 410, "185", Op::Next, Range(193, 200), "193"},
        PageCase{"next_into_second_block", 410, "193", Op::Next, Range(201, 208), "201"},
        PageCase{"previous_from_second_block", 410, "201", Op::Previous, Range(193, 200), "193"},
        PageCase{"previous_moves_off_200", 410, "208", Op::Previous, Range(201, 208), "201"},
        PageCase{"page_across_two_block_files", 410, "188", Op::Next,
                 Rows({196, 197, 198, 199, 200, 201, 202, 203}), "201"},
        PageCase{"page_across_into_open_block", 210, "188", Op::Next,
                 Rows({196, 197, 198, 199, 200, 201, 202, 203}), "201"},
        PageCase{"next_in_open_block", 410, "393", Op::Next, Range(401, 408), "401"},
        PageCase{"next_to_last_of_open_block", 410, "401", Op::Next, Range(403, 410), "403"},
        PageCase{"first_from_a_saved_block", 410, "201", Op::First, Range(1, 8), "1"},
        PageCase{"first_from_open_block_only", 20, "13", Op::First, Range(1, 8), "1"},
        PageCase{"last_with_405", 405, "1", Op::Last,
                 Rows({398, 399, 400, 401, 402, 403, 404, 405}), "401"},
        PageCase{"last_with_400", 400, "1", Op::Last, Range(393, 400), "401"},
        PageCase{"last_with_410", 410, "1", Op::Last, Range(403, 410), "403"},
        PageCase{"last_with_20", 20, "1", Op::Last, Range(13, 20), "13"},
        PageCase{"next_on_405_last_page_shows_it_again", 405, "401", Op::Next,
                 Rows({398, 399, 400, 401, 402, 403, 404, 405}), "401"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Pages, FiveTargetsHideTheNavigationAndShowFiveRowBoxes) {
  ViewerPart& v = Run(5);
  EXPECT_EQ(Shown(), Range(1, 5));
  EXPECT_EQ(v.Sa(), "1");
  for (SpeedButton* b : {&v.Spt4, &v.Spt5, &v.Spt6, &v.Spt7}) EXPECT_FALSE(b->Visible());
  EXPECT_TRUE(v.Spt3.Visible());
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(v.RowBox(k)->Visible(), k <= 5) << k;
  v.Spt6Click();
  v.Spt7Click();
  EXPECT_EQ(Shown(), Range(1, 5)) << "fewer than nine targets: one page";
}

TEST_F(Pages, TwentyTargetsWalkForwardAndBackWithTheButtonsFollowing) {
  ViewerPart& v = Run(20);
  EXPECT_TRUE(v.Spt6.Visible());
  EXPECT_TRUE(v.Spt7.Visible());
  EXPECT_FALSE(v.Spt4.Visible());
  v.Spt6Click();
  EXPECT_TRUE(v.Spt4.Visible());
  EXPECT_TRUE(v.Spt5.Visible());
  v.Spt6Click();
  EXPECT_EQ(v.Sa(), "13");
  EXPECT_FALSE(v.Spt6.Visible()) << "row 8 holds the last target";
  EXPECT_FALSE(v.Spt7.Visible());
  v.Spt5Click();
  v.Spt5Click();
  EXPECT_EQ(v.Sa(), "1");
  EXPECT_FALSE(v.Spt4.Visible());
  EXPECT_FALSE(v.Spt5.Visible());
  EXPECT_EQ(Shown(), Range(1, 8));
}

TEST_F(Pages, LastPageOf405KeepsNextAndLastOffered) {
  ViewerPart& v = Run(405);
  v.Spt7Click();
  EXPECT_TRUE(v.Spt6.Visible());
  EXPECT_TRUE(v.Spt7.Visible());
}

TEST_F(Pages, NewTargetsAppearOnTheFirstPageAndOnTheNewestPage) {
  ViewerPart& v = Run(3);
  EXPECT_EQ(Shown(), Range(1, 3));
  Add(4, 12);
  EXPECT_EQ(Shown(), Range(1, 8)) << "first page stays";
  v.Spt7Click();
  EXPECT_EQ(v.Sa(), "5");
  Add(13, 13);
  EXPECT_EQ(Shown(), Range(6, 13)) << "the newest page scrolls";
}

TEST_F(Pages, RunStartingAtALaterBlockNumberPagesThroughItsOwnBlocks) {
  ViewerPart& v = Run(230, 7);
  EXPECT_TRUE(FileExists(Block(7)));
  v.SetSa("185");
  v.Spt6Click();
  EXPECT_EQ(Shown(), Range(193, 200));
  v.Spt6Click();
  EXPECT_EQ(Shown(), Range(201, 208));
  v.Spt4Click();
  EXPECT_EQ(Shown(), Range(1, 8));
}

TEST_F(Pages, APageOfABlockJustRolledOverIsReadOnceItsFileIsWritten) {
  ViewerPart& v = Run(0);
  Add(1, 205);  // block 1 is written in the background
  v.SetSa("185");
  v.Spt6Click();
  EXPECT_EQ(Shown(), Range(193, 200));
  v.x1Click();
  const StringList block = Lines(Block(1));
  ASSERT_EQ(block.size(), 401u);
  EXPECT_EQ(block[2 * 193 - 1], "*" + Link(193)) << "marked in the written file";
}

TEST_F(Pages, MissingBlockFileLeavesTheRowsAsTheyWere) {
  ViewerPart& v = Run(410);
  v.SetSa("201");
  v.Spt6Click();
  const std::vector<int> before = Shown();
  ASSERT_TRUE(DeleteFile(Block(1)));
  v.SetSa("201");
  v.Spt5Click();
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(v.Sa(), "201");
}

TEST_F(Pages, LastPageWithoutThePreviousBlockFallsBackToTheOpenBlock) {
  ViewerPart& v = Run(405);
  ASSERT_TRUE(DeleteFile(Block(2)));
  v.SetSa("9");
  v.Spt7Click();
  EXPECT_EQ(v.Sa(), "1");
  const std::vector<int> shown = Shown();
  EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 5),
            (std::vector<int>{401, 402, 403, 404, 405}));
}

TEST_F(Pages, NextOnAnEmptyPageStartCountsItAsOne) {
  ViewerPart& v = Run(20);
  v.SetSa("");
  v.Spt6Click();
  EXPECT_EQ(v.Sa(), "9");
  EXPECT_EQ(Shown(), Range(9, 16));
}

TEST_F(Pages, BeforeAnyRunThePagingButtonsDoNothing) {
  ViewerPart& v = Open();
  const Bytes row1 = v.M12.Caption();
  for (Op op : {Op::First, Op::Previous, Op::Next, Op::Last}) Press(v, op);
  EXPECT_EQ(v.M12.Caption(), row1) << "the welcome rows stay";
}

struct BadCounts {
  const char* sum;
  const char* sa;
};

class HostileCounts : public ViewerTest, public ::testing::WithParamInterface<BadCounts> {};

TEST_P(HostileCounts, EndTheHandlersWithoutHarm) {
  ViewerPart& v = Run(410);
  v.Spt7Click();
  v.sum1.SetCaption(GetParam().sum);
  v.SaEdit.SetText(GetParam().sa);
  for (Op op : {Op::Previous, Op::Next, Op::Last, Op::First}) Press(v, op);
  for (int row = 1; row <= 8; ++row) v.MarkClick(row);
  // Nothing crashes; the rows hold targets of the run or are as they were.
  for (int n : Shown()) EXPECT_TRUE(n >= 0 && n <= 410);
  EXPECT_EQ(v.Store().OpenBlock()->size(), 21u);
}

INSTANTIATE_TEST_SUITE_P(Texts, HostileCounts,
                         ::testing::Values(BadCounts{"abc", "9"}, BadCounts{"410", "x"},
                                           BadCounts{"99999999999999999999", "9"},
                                           BadCounts{"410", "9223372036854775807"},
                                           BadCounts{"-9223372036854775808", "-5"},
                                           BadCounts{"410", "-400"}, BadCounts{"", ""}));

TEST_F(Pages, DamagedBlockFilesNeverCrashThePaging) {
  ViewerPart& v = Run(410);
  struct Damage {
    long long block;
    StringList lines;
  };
  for (const Damage& d : {Damage{1, {}}, Damage{1, {"1", "http://x/1.htm"}}, Damage{2, {"junk"}},
                          Damage{2, StringList(3, Bytes(5000, '\xB0'))}}) {
    ASSERT_TRUE(SaveLines(Block(d.block), d.lines));
    for (const char* sa : {"1", "188", "193", "201", "390", "401"}) {
      v.SetSa(sa);
      for (Op op : {Op::Previous, Op::Next, Op::Last, Op::First}) Press(v, op);
      v.MarkClick(2);
    }
  }
  EXPECT_EQ(v.Store().OpenBlock()->size(), 21u) << "the open block is untouched";
  EXPECT_EQ(Lines(Block(1)), (StringList{"1", "http://x/1.htm"})) << "marks found nothing to store";
}

TEST_F(Pages, SaChangeShowsClearAndHidesExportForTheWelcomeRows) {
  ViewerPart& v = Open();
  v.Spt2.SetVisible(true);
  v.SetSa("0");
  EXPECT_FALSE(v.Spt2.Visible()) << "row 1 holds the welcome link";
  EXPECT_TRUE(v.Spt3.Visible());
  v.SetRowText(1, 1, Link(1));
  v.Spt2.SetVisible(true);
  v.SetSa("1");
  EXPECT_TRUE(v.Spt2.Visible()) << "never hidden for a real target, never shown either";
}

TEST_F(Pages, ZeroTargetsEmptyEveryMarkCellAndHideEveryRowBox) {
  ViewerPart& v = Run(12);
  v.x1.SetCaption(Gb("×"));
  v.sum1.SetCaption("0");
  v.SetSa("7");
  for (int k = 1; k <= 8; ++k) {
    EXPECT_TRUE(v.MarkCell(k)->Caption().empty());
    EXPECT_FALSE(v.RowBox(k)->Visible());
  }
}

}  // namespace
}  // namespace vexo::viewer_test
