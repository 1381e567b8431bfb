// New targets as the store tells them: the live rows of the first page and of
// the newest eight, the row labels with their mark cells, and the pop-up.
#include "tests/viewer/viewer_fixture.h"

namespace vexo::viewer_test {
namespace {

class NewTargets : public ViewerTest {
 protected:
  // A run with no target yet and empty rows; every value `Sa` takes from now
  // on is recorded (its change handler runs on each).
  TMain& Start() {
    TMain& m = Run(0);
    m.viewer.SaEdit.changed.Connect([this, &m] { saChanges.push_back(m.viewer.Sa()); });
    return m;
  }
  void FillRows(int count, int firstTarget) {
    for (int r = 1; r <= count; ++r) {
      main_->viewer.SetRowText(r, 1, Link(firstTarget + r - 1));
      main_->viewer.SetRowText(r, 2, TitleLine(firstTarget + r - 1));
    }
  }
  std::vector<Bytes> Links() const {
    std::vector<Bytes> links;
    for (int r = 1; r <= 8; ++r) links.push_back(main_->viewer.RowText(r, 1));
    return links;
  }
  int Append(int i) { return main_->Store().AppendTarget(Link(i), Title(i)); }

  std::vector<Bytes> saChanges;
};

TEST_F(NewTargets, FirstPageFillsTheFirstEmptyRowAndStaysOnPageOne) {
  TMain& m = Start();
  FillRows(3, 1);
  m.Store().SetTargetCount(3);
  m.viewer.SetSa("1");
  saChanges.clear();
  ASSERT_EQ(Append(4), 1);
  EXPECT_EQ(m.viewer.M41.Caption(), Link(4));
  EXPECT_EQ(m.viewer.M42.Caption(), TitleLine(4));
  EXPECT_TRUE(m.viewer.M51.Caption().empty());
  EXPECT_EQ(saChanges, (std::vector<Bytes>{"2", "1"}));
  EXPECT_EQ(m.viewer.sum1.Caption(), "4");
}

TEST_F(NewTargets, EmptyPageStartCountsAsTheFirstPage) {
  TMain& m = Start();
  ASSERT_EQ(Append(1), 1);
  EXPECT_EQ(m.viewer.M11.Caption(), Link(1));
  EXPECT_EQ(m.viewer.Sa(), "1");
}

TEST_F(NewTargets, FullFirstPageShowsNothingNew) {
  TMain& m = Start();
  FillRows(8, 1);
  m.Store().SetTargetCount(8);
  m.viewer.SetSa("1");
  const auto before = Links();
  ASSERT_EQ(Append(9), 1);
  EXPECT_EQ(Links(), before);
  EXPECT_EQ(m.viewer.Sa(), "1");
}

TEST_F(NewTargets, NewestEightScrollUpByOneWithTheirMarks) {
  TMain& m = Start();
  FillRows(8, 5);  // targets 5..12 on show
  m.viewer.SetRowText(2, 1, "*" + Link(6));
  m.Store().SetTargetCount(12);
  m.viewer.SetSa("5");
  saChanges.clear();
  ASSERT_EQ(Append(13), 1);
  EXPECT_EQ(m.viewer.Sa(), "6");
  EXPECT_EQ(saChanges, std::vector<Bytes>{"6"});
  EXPECT_EQ(m.viewer.M11.Caption(), "*" + Link(6));
  EXPECT_EQ(m.viewer.x1.Caption(), Gb("×"));
  EXPECT_TRUE(m.viewer.x2.Caption().empty());
  EXPECT_EQ(m.viewer.M72.Caption(), TitleLine(12));
  EXPECT_EQ(m.viewer.M81.Caption(), Link(13));
  EXPECT_EQ(m.viewer.M82.Caption(), TitleLine(13));
}

TEST_F(NewTargets, OtherPagesAreLeftAlone) {
  TMain& m = Start();
  FillRows(8, 5);
  m.Store().SetTargetCount(13);  // becomes 14: row 8 does not show the one before
  m.viewer.SetSa("5");
  const auto before = Links();
  ASSERT_EQ(Append(14), 1);
  EXPECT_EQ(Links(), before);
  EXPECT_EQ(m.viewer.Sa(), "5");
}

TEST_F(NewTargets, APageStartThatIsNotANumberStillKeepsTheTarget) {
  TMain& m = Start();
  m.viewer.SetSa("x");
  EXPECT_EQ(Append(1), 1);
  EXPECT_EQ(m.Store().OpenBlock()->size(), 3u);
  EXPECT_TRUE(m.viewer.M11.Caption().empty());
}

TEST_F(NewTargets, LinkLabelSetsTheMarkCellFromItsLeadingStar) {
  TMain& m = Open();
  m.viewer.x3.SetCaption("stale");
  m.viewer.SetRowText(3, 1, "*http://www.a.com/x");
  EXPECT_EQ(m.viewer.x3.Caption(), "\xA1\xC1");
  m.viewer.SetRowText(3, 1, "http://www.a.com/x");
  EXPECT_EQ(m.viewer.x3.Caption(), "");
  m.viewer.SetRowText(3, 1, "*http://www.a.com/x");
  m.viewer.SetRowText(3, 2, "*caption");  // captions leave the mark alone
  EXPECT_EQ(m.viewer.x3.Caption(), "\xA1\xC1");
  m.viewer.SetRowText(3, 1, "");
  EXPECT_EQ(m.viewer.x3.Caption(), "");
}

TEST_F(NewTargets, AnyOtherWhichMeansTheCaption) {
  TMain& m = Open();
  for (const int which : {0, 2, 3, -1}) {
    m.viewer.SetRowText(5, which, "cap" + std::to_string(which));
    EXPECT_EQ(m.viewer.M52.Caption(), "cap" + std::to_string(which));
    EXPECT_EQ(m.viewer.RowText(5, which), "cap" + std::to_string(which));
  }
  EXPECT_TRUE(m.viewer.M51.Caption().empty());
}

TEST_F(NewTargets, RowsOutsideOneToEightAreIgnored) {
  TMain& m = Open();
  const auto before = Links();
  for (const int row : {0, 9, -1, 1000}) {
    m.viewer.SetRowText(row, 1, "*http://www.a.com/x");
    EXPECT_EQ(m.viewer.RowText(row, 1), "");
  }
  EXPECT_EQ(Links(), before);
  for (int r = 1; r <= 8; ++r) EXPECT_TRUE(m.viewer.MarkCell(r)->Caption().empty()) << r;
}

TEST_F(NewTargets, AStoredTargetPopsTheWindowUpOnlyWhileTheToggleIsOn) {
  TMain& m = Open();
  ASSERT_EQ(m.viewer.popupOnNew, 1);
  m.viewer.NewTargetStored();
  EXPECT_EQ(restored_, 1);
  EXPECT_TRUE(m.viewer.window.Visible());
  m.viewer.TsClick();
  m.viewer.NewTargetStored();
  EXPECT_EQ(restored_, 1) << "the toggle is off";
}

}  // namespace
}  // namespace vexo::viewer_test
