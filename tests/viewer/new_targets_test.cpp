// New targets as the store tells them: the live rows of the first page and of
// the newest eight, the row labels with their mark cells, and the pop-up.
#include "tests/viewer/viewer_fixture.h"

namespace vexo::viewer_test {
namespace {

class NewTargets : public ViewerTest {
 protected:
  // A run with no target yet and empty rows; every value `Sa` takes from now
  // on is recorded (its change handler runs on each).
  ViewerPart& Start() {
    ViewerPart& v = Run(0);
    v.SaEdit.changed.Connect([this, &v] { saChanges.push_back(v.Sa()); });
    return v;
  }
  void FillRows(int count, int firstTarget) {
    for (int r = 1; r <= count; ++r) {
      part_->SetRowText(r, 1, Link(firstTarget + r - 1));
      part_->SetRowText(r, 2, TitleLine(firstTarget + r - 1));
    }
  }
  std::vector<Bytes> Links() const {
    std::vector<Bytes> links;
    for (int r = 1; r <= 8; ++r) links.push_back(part_->RowText(r, 1));
    return links;
  }
  int Append(int i) { return store_.AppendTarget(Link(i), Title(i)); }

  std::vector<Bytes> saChanges;
};

TEST_F(NewTargets, FirstPageFillsTheFirstEmptyRowAndStaysOnPageOne) {
  ViewerPart& v = Start();
  FillRows(3, 1);
  v.Store().SetTargetCount(3);
  v.SetSa("1");
  saChanges.clear();
  ASSERT_EQ(Append(4), 1);
  EXPECT_EQ(v.M41.Caption(), Link(4));
  EXPECT_EQ(v.M42.Caption(), TitleLine(4));
  EXPECT_TRUE(v.M51.Caption().empty());
  EXPECT_EQ(saChanges, (std::vector<Bytes>{"2", "1"}));
  EXPECT_EQ(v.sum1.Caption(), "4");
}

TEST_F(NewTargets, EmptyPageStartCountsAsTheFirstPage) {
  ViewerPart& v = Start();
  ASSERT_EQ(Append(1), 1);
  EXPECT_EQ(v.M11.Caption(), Link(1));
  EXPECT_EQ(v.Sa(), "1");
}

TEST_F(NewTargets, FullFirstPageShowsNothingNew) {
  ViewerPart& v = Start();
  FillRows(8, 1);
  v.Store().SetTargetCount(8);
  v.SetSa("1");
  const auto before = Links();
  ASSERT_EQ(Append(9), 1);
  EXPECT_EQ(Links(), before);
  EXPECT_EQ(v.Sa(), "1");
}

TEST_F(NewTargets, NewestEightScrollUpByOneWithTheirMarks) {
  ViewerPart& v = Start();
  FillRows(8, 5);  // targets 5..12 on show
  v.SetRowText(2, 1, "*" + Link(6));
  v.Store().SetTargetCount(12);
  v.SetSa("5");
  saChanges.clear();
  ASSERT_EQ(Append(13), 1);
  EXPECT_EQ(v.Sa(), "6");
  EXPECT_EQ(saChanges, std::vector<Bytes>{"6"});
  EXPECT_EQ(v.M11.Caption(), "*" + Link(6));
  EXPECT_EQ(v.x1.Caption(), Gb("×"));
  EXPECT_TRUE(v.x2.Caption().empty());
  EXPECT_EQ(v.M72.Caption(), TitleLine(12));
  EXPECT_EQ(v.M81.Caption(), Link(13));
  EXPECT_EQ(v.M82.Caption(), TitleLine(13));
}

TEST_F(NewTargets, OtherPagesAreLeftAlone) {
  ViewerPart& v = Start();
  FillRows(8, 5);
  v.Store().SetTargetCount(13);  // becomes 14: row 8 does not show the one before
  v.SetSa("5");
  const auto before = Links();
  ASSERT_EQ(Append(14), 1);
  EXPECT_EQ(Links(), before);
  EXPECT_EQ(v.Sa(), "5");
}

TEST_F(NewTargets, APageStartThatIsNotANumberStillKeepsTheTarget) {
  ViewerPart& v = Start();
  v.SetSa("x");
  EXPECT_EQ(Append(1), 1);
  EXPECT_EQ(v.Store().OpenBlock()->size(), 3u);
  EXPECT_TRUE(v.M11.Caption().empty());
}

TEST_F(NewTargets, LinkLabelSetsTheMarkCellFromItsLeadingStar) {
  ViewerPart& v = Open();
  v.x3.SetCaption("stale");
  v.SetRowText(3, 1, "*http://www.a.com/x");
  EXPECT_EQ(v.x3.Caption(), "\xA1\xC1");
  v.SetRowText(3, 1, "http://www.a.com/x");
  EXPECT_EQ(v.x3.Caption(), "");
  v.SetRowText(3, 1, "*http://www.a.com/x");
  v.SetRowText(3, 2, "*caption");  // captions leave the mark alone
  EXPECT_EQ(v.x3.Caption(), "\xA1\xC1");
  v.SetRowText(3, 1, "");
  EXPECT_EQ(v.x3.Caption(), "");
}

TEST_F(NewTargets, AnyOtherWhichMeansTheCaption) {
  ViewerPart& v = Open();
  for (const int which : {0, 2, 3, -1}) {
    v.SetRowText(5, which, "cap" + std::to_string(which));
    EXPECT_EQ(v.M52.Caption(), "cap" + std::to_string(which));
    EXPECT_EQ(v.RowText(5, which), "cap" + std::to_string(which));
  }
  EXPECT_TRUE(v.M51.Caption().empty());
}

TEST_F(NewTargets, RowsOutsideOneToEightAreIgnored) {
  ViewerPart& v = Open();
  const auto before = Links();
  for (const int row : {0, 9, -1, 1000}) {
    v.SetRowText(row, 1, "*http://www.a.com/x");
    EXPECT_EQ(v.RowText(row, 1), "");
  }
  EXPECT_EQ(Links(), before);
  for (int r = 1; r <= 8; ++r) EXPECT_TRUE(v.MarkCell(r)->Caption().empty()) << r;
}

TEST_F(NewTargets, AStoredTargetPopsTheWindowUpOnlyWhileTheToggleIsOn) {
  ViewerPart& v = Open();
  ASSERT_EQ(v.popupOnNew, 1);
  v.NewTargetStored();
  EXPECT_EQ(restored_, 1);
  EXPECT_TRUE(v.window.Visible());
  v.TsClick();
  v.NewTargetStored();
  EXPECT_EQ(restored_, 1) << "the toggle is off";
}

}  // namespace
}  // namespace vexo::viewer_test
