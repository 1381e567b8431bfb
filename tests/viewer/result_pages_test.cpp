// Paging through a run's targets across block files and the open block, and
// the buttons and row boxes that follow the page start.
#include "tests/viewer/viewer_fixture.h"

namespace vexo::viewer_test {
namespace {

using Pages = ViewerTest;

enum class Op { First, Previous, Next, Last };

void Press(TMain& m, Op op) {
  switch (op) {
    case Op::First:
      m.viewer.Spt4Click();
      break;
    case Op::Previous:
      m.viewer.Spt5Click();
      break;
    case Op::Next:
      m.viewer.Spt6Click();
      break;
    case Op::Last:
      m.viewer.Spt7Click();
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
  TMain& m = Run(c.total);
  m.viewer.SetSa(c.sa);
  Press(m, c.op);
  EXPECT_EQ(Shown(), c.rows);
  EXPECT_EQ(m.viewer.Sa(), c.sa_after);
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
  TMain& m = Run(5);
  EXPECT_EQ(Shown(), Range(1, 5));
  EXPECT_EQ(m.viewer.Sa(), "1");
  for (SpeedButton* b : {&m.viewer.Spt4, &m.viewer.Spt5, &m.viewer.Spt6, &m.viewer.Spt7})
    EXPECT_FALSE(b->Visible());
  EXPECT_TRUE(m.viewer.Spt3.Visible());
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(m.viewer.RowBox(k)->Visible(), k <= 5) << k;
  m.viewer.Spt6Click();
  m.viewer.Spt7Click();
  EXPECT_EQ(Shown(), Range(1, 5)) << "fewer than nine targets: one page";
}

TEST_F(Pages, TwentyTargetsWalkForwardAndBackWithTheButtonsFollowing) {
  TMain& m = Run(20);
  EXPECT_TRUE(m.viewer.Spt6.Visible());
  EXPECT_TRUE(m.viewer.Spt7.Visible());
  EXPECT_FALSE(m.viewer.Spt4.Visible());
  m.viewer.Spt6Click();
  EXPECT_TRUE(m.viewer.Spt4.Visible());
  EXPECT_TRUE(m.viewer.Spt5.Visible());
  m.viewer.Spt6Click();
  EXPECT_EQ(m.viewer.Sa(), "13");
  EXPECT_FALSE(m.viewer.Spt6.Visible()) << "row 8 holds the last target";
  EXPECT_FALSE(m.viewer.Spt7.Visible());
  m.viewer.Spt5Click();
  m.viewer.Spt5Click();
  EXPECT_EQ(m.viewer.Sa(), "1");
  EXPECT_FALSE(m.viewer.Spt4.Visible());
  EXPECT_FALSE(m.viewer.Spt5.Visible());
  EXPECT_EQ(Shown(), Range(1, 8));
}

TEST_F(Pages, LastPageOf405KeepsNextAndLastOffered) {
  TMain& m = Run(405);
  m.viewer.Spt7Click();
  EXPECT_TRUE(m.viewer.Spt6.Visible());
  EXPECT_TRUE(m.viewer.Spt7.Visible());
}

TEST_F(Pages, NewTargetsAppearOnTheFirstPageAndOnTheNewestPage) {
  TMain& m = Run(3);
  EXPECT_EQ(Shown(), Range(1, 3));
  Add(4, 12);
  EXPECT_EQ(Shown(), Range(1, 8)) << "first page stays";
  m.viewer.Spt7Click();
  EXPECT_EQ(m.viewer.Sa(), "5");
  Add(13, 13);
  EXPECT_EQ(Shown(), Range(6, 13)) << "the newest page scrolls";
}

TEST_F(Pages, RunStartingAtALaterBlockNumberPagesThroughItsOwnBlocks) {
  TMain& m = Run(230, 7);
  EXPECT_TRUE(FileExists(Block(7)));
  m.viewer.SetSa("185");
  m.viewer.Spt6Click();
  EXPECT_EQ(Shown(), Range(193, 200));
  m.viewer.Spt6Click();
  EXPECT_EQ(Shown(), Range(201, 208));
  m.viewer.Spt4Click();
  EXPECT_EQ(Shown(), Range(1, 8));
}

TEST_F(Pages, MissingBlockFileLeavesTheRowsAsTheyWere) {
  TMain& m = Run(410);
  m.viewer.SetSa("201");
  m.viewer.Spt6Click();
  const std::vector<int> before = Shown();
  ASSERT_TRUE(DeleteFile(Block(1)));
  m.viewer.SetSa("201");
  m.viewer.Spt5Click();
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(m.viewer.Sa(), "201");
}

TEST_F(Pages, LastPageWithoutThePreviousBlockFallsBackToTheOpenBlock) {
  TMain& m = Run(405);
  ASSERT_TRUE(DeleteFile(Block(2)));
  m.viewer.SetSa("9");
  m.viewer.Spt7Click();
  EXPECT_EQ(m.viewer.Sa(), "1");
  const std::vector<int> shown = Shown();
  EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 5),
            (std::vector<int>{401, 402, 403, 404, 405}));
}

TEST_F(Pages, NextOnAnEmptyPageStartCountsItAsOne) {
  TMain& m = Run(20);
  m.viewer.SetSa("");
  m.viewer.Spt6Click();
  EXPECT_EQ(m.viewer.Sa(), "9");
  EXPECT_EQ(Shown(), Range(9, 16));
}

TEST_F(Pages, BeforeAnyRunThePagingButtonsDoNothing) {
  TMain& m = Open();
  const Bytes row1 = m.viewer.M12.Caption();
  for (Op op : {Op::First, Op::Previous, Op::Next, Op::Last}) Press(m, op);
  EXPECT_EQ(m.viewer.M12.Caption(), row1) << "the welcome rows stay";
}

struct BadCounts {
  const char* sum;
  const char* sa;
};

class HostileCounts : public ViewerTest, public ::testing::WithParamInterface<BadCounts> {};

TEST_P(HostileCounts, EndTheHandlersWithoutHarm) {
  TMain& m = Run(410);
  m.viewer.Spt7Click();
  m.viewer.sum1.SetCaption(GetParam().sum);
  m.viewer.SaEdit.SetText(GetParam().sa);
  for (Op op : {Op::Previous, Op::Next, Op::Last, Op::First}) Press(m, op);
  for (int row = 1; row <= 8; ++row) m.viewer.MarkClick(row);
  // Nothing crashes; the rows hold targets of the run or are as they were.
  for (int n : Shown()) EXPECT_TRUE(n >= 0 && n <= 410);
  EXPECT_EQ(m.Store().OpenBlock()->size(), 21u);
}

INSTANTIATE_TEST_SUITE_P(Texts, HostileCounts,
                         ::testing::Values(BadCounts{"abc", "9"}, BadCounts{"410", "x"},
                                           BadCounts{"99999999999999999999", "9"},
                                           BadCounts{"410", "9223372036854775807"},
                                           BadCounts{"-9223372036854775808", "-5"},
                                           BadCounts{"410", "-400"}, BadCounts{"", ""}));

TEST_F(Pages, DamagedBlockFilesNeverCrashThePaging) {
  TMain& m = Run(410);
  struct Damage {
    long long block;
    StringList lines;
  };
  for (const Damage& d : {Damage{1, {}}, Damage{1, {"1", "http://x/1.htm"}}, Damage{2, {"junk"}},
                          Damage{2, StringList(3, Bytes(5000, '\xB0'))}}) {
    ASSERT_TRUE(SaveLines(Block(d.block), d.lines));
    for (const char* sa : {"1", "188", "193", "201", "390", "401"}) {
      m.viewer.SetSa(sa);
      for (Op op : {Op::Previous, Op::Next, Op::Last, Op::First}) Press(m, op);
      m.viewer.MarkClick(2);
    }
  }
  EXPECT_EQ(m.Store().OpenBlock()->size(), 21u) << "the open block is untouched";
  EXPECT_EQ(Lines(Block(1)), (StringList{"1", "http://x/1.htm"})) << "marks found nothing to store";
}

TEST_F(Pages, SaChangeShowsClearAndHidesExportForTheWelcomeRows) {
  TMain& m = Open();
  m.viewer.Spt2.SetVisible(true);
  m.viewer.SetSa("0");
  EXPECT_FALSE(m.viewer.Spt2.Visible()) << "row 1 holds the welcome link";
  EXPECT_TRUE(m.viewer.Spt3.Visible());
  m.viewer.SetRowText(1, 1, Link(1));
  m.viewer.Spt2.SetVisible(true);
  m.viewer.SetSa("1");
  EXPECT_TRUE(m.viewer.Spt2.Visible()) << "never hidden for a real target, never shown either";
}

TEST_F(Pages, ZeroTargetsEmptyEveryMarkCellAndHideEveryRowBox) {
  TMain& m = Run(12);
  m.viewer.x1.SetCaption(Gb("×"));
  m.viewer.sum1.SetCaption("0");
  m.viewer.SetSa("7");
  for (int k = 1; k <= 8; ++k) {
    EXPECT_TRUE(m.viewer.MarkCell(k)->Caption().empty());
    EXPECT_FALSE(m.viewer.RowBox(k)->Visible());
  }
}

}  // namespace
}  // namespace vexo::viewer_test
