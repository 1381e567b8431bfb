// The open block: which targets are accepted, the duplicate test, the run's
// count, the roll-over into block files, and the saves at a stop.
#include "store/result_store.h"

#include <climits>

#include "store_fixture.h"

namespace vexo::store_test {
namespace {

// ---- Acceptance -------------------------------------------------------------

struct AcceptCase {
  const char* name;
  std::string link;
  std::string title;
  int expected;
};

class AcceptanceTest : public StoreTest, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(AcceptanceTest, AcceptsOnlyAbsoluteLinksWithAPathAndTitlesOverTenBytes) {
  StartRun();
  const AcceptCase& c = GetParam();
  EXPECT_EQ(store.AppendTarget(c.link, c.title), c.expected);
  EXPECT_EQ(store.OpenBlock()->size(), c.expected == 1 ? 3u : 1u);
  EXPECT_EQ(host.sum1, c.expected == 1 ? "1" : "0");
}

const std::string kTitle11 = "abcdefghijk";  // 11 bytes

INSTANTIATE_TEST_SUITE_P(
    Links, AcceptanceTest,
    ::testing::Values(AcceptCase{"plain", "http://www.a.com/x.htm", kTitle11, 1},
                      AcceptCase{"upper_scheme", "HTTP://WWW.A.COM/X.HTM", kTitle11, 1},
                      AcceptCase{"https", "https://www.a.com/x.htm", kTitle11, 1},
                      AcceptCase{"upper_https", "HTTPS://WWW.A.COM/X.HTM", kTitle11, 1},
                      AcceptCase{"https_host_only", "https://www.a.com", kTitle11, 0},
                      AcceptCase{"no_scheme", "www.a.com/x.htm", kTitle11, 0},
                      AcceptCase{"other_scheme", "ftp://www.a.com/x.htm", kTitle11, 0},
                      AcceptCase{"ends_in_slash", "http://www.a.com/news/", kTitle11, 0},
                      AcceptCase{"ends_in_hash", "http://www.a.com/x.htm#", kTitle11, 0},
                      AcceptCase{"host_only", "http://www.a.com", kTitle11, 0},
                      // The path must start at the ninth byte or later.
                      AcceptCase{"slash_at_ninth_byte", "http://a/b", kTitle11, 1},
                      AcceptCase{"slash_only_at_eighth", "http:///b", kTitle11, 0},
                      AcceptCase{"title_ten_bytes", "http://www.a.com/x.htm", "abcdefghij", 0},
                      AcceptCase{"title_empty", "http://www.a.com/x.htm", "", 0},
                      AcceptCase{"empty_link", "", kTitle11, 0},
                      // Stored lines cannot hold line breaks.
                      AcceptCase{"line_break_in_link", "http://www.a.com/x\r\n[:++:]", kTitle11, 0},
                      AcceptCase{"line_break_in_title", "http://www.a.com/x.htm", "abcde\nfghijk",
                                 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(StoreTest, RejectsEverythingBeforeARunCreatedTheLists) {
  EXPECT_EQ(store.AppendTarget("http://www.a.com/x.htm", kTitle11), 0);
  EXPECT_EQ(host.sum1, "0");
  store.CreateRunLists();
  store.EditOpenBlock()->push_back("1");
  EXPECT_EQ(store.AppendTarget("http://www.a.com/x.htm", kTitle11), 1);
}

TEST_F(StoreTest, AppendsLinkLineThenTitleBetweenEllipsisMarks) {
  StartRun(4);
  ASSERT_EQ(store.AppendTarget(Link(1), Title(1)), 1);
  ASSERT_EQ(store.AppendTarget(Link(2), Title(2)), 1);
  const StringList expected{"4", Link(1), TitleLine(1), Link(2), TitleLine(2)};
  EXPECT_EQ(*store.OpenBlock(), expected);
  EXPECT_EQ(host.sum1, "2");
  EXPECT_EQ(Gb("…"), "\xA1\xAD");
}

TEST_F(StoreTest, ACountAtItsLimitRejectsWithoutAppending) {
  StartRun();
  store.SetTargetCount(LLONG_MAX);
  EXPECT_EQ(store.AppendTarget(Link(1), Title(1)), 0);
  EXPECT_EQ(store.OpenBlock()->size(), 1u);
  EXPECT_EQ(store.TargetCount(), LLONG_MAX);
}

TEST_F(StoreTest, TheCountGoesOnFromWhereItWasSetAndANewRunStartsItAgain) {
  StartRun();
  store.SetTargetCount(41);
  ASSERT_EQ(store.AppendTarget(Link(1), Title(1)), 1);
  EXPECT_EQ(host.sum1, "42");
  store.SetTargetCount(-5);  // no negative count
  ASSERT_EQ(store.AppendTarget(Link(2), Title(2)), 1);
  EXPECT_EQ(host.sum1, "1");
  StartRun();
  EXPECT_EQ(store.TargetCount(), 0);
  ASSERT_EQ(store.AppendTarget(Link(3), Title(3)), 1);
  EXPECT_EQ(host.sum1, "1");
}

TEST_F(StoreTest, EachTargetIsToldWithItsLinesAsStored) {
  struct Told : FakeHost {
    std::vector<std::string> lines;
    void TargetAppended(long long n, std::string_view link, std::string_view title) override {
      lines.push_back(std::to_string(n) + " " + std::string(link) + " " + std::string(title));
    }
  } told;
  told.folder = host.folder;
  ResultStore telling{told};
  telling.CreateRunLists();
  telling.SiteQueue()->push_back(Bytes(kPassMarker));
  telling.EditOpenBlock()->push_back("1");
  ASSERT_EQ(telling.AppendTarget(Link(1), Title(1)), 1);
  ASSERT_EQ(telling.AppendTarget(Link(2), Title(1)), 0);
  EXPECT_EQ(told.lines, std::vector<std::string>{"1 " + Link(1) + " " + TitleLine(1)});
}

// ---- Duplicate test ---------------------------------------------------------

TEST_F(StoreTest, DuplicatesGoByTitleNotByLink) {
  StartRun();
  ASSERT_EQ(store.AppendTarget(Link(1), Title(1)), 1);
  EXPECT_EQ(store.AppendTarget(Link(2), Title(1)), 0);
  EXPECT_EQ(store.AppendTarget(Link(1), Title(2)), 1);
  EXPECT_EQ(host.sum1, "2");
}

TEST_F(StoreTest, OpenBlockComparesWholeLinesIgnoringAsciiCase) {
  StartRun();
  ASSERT_EQ(store.AppendTarget(Link(1), "Shanghai Daily News"), 1);
  EXPECT_EQ(store.AppendTarget(Link(2), "SHANGHAI DAILY NEWS"), 0);
  // Part of a title already in the open block is a new title there.
  EXPECT_EQ(store.AppendTarget(Link(3), "Shanghai Daily"), 1);
}

TEST_F(StoreTest, TitleInsideATitleOfAnyBlockFileIsADuplicate) {
  WriteBlock(1, 1, 3);                                // a saved block of this run
  WriteRaw(Block(100), JoinLines({TitleLine(500)}));  // a history file
  StartRun(2);
  EXPECT_EQ(store.AppendTarget(Link(9), Title(2)), 0);
  EXPECT_EQ(store.AppendTarget(Link(9), Title(500)), 0);
  // A piece of a stored title is inside it too.
  EXPECT_EQ(store.AppendTarget(Link(9), Title(500).substr(2)), 0);
  EXPECT_EQ(store.AppendTarget(Link(9), Title(4)), 1);
}

TEST_F(StoreTest, HistoryIsNotConsultedWhileNotTracking) {
  WriteBlock(1, 1, 1);
  StartRun(2);
  host.tracking = false;
  EXPECT_EQ(store.InHistory(Title(1)), -1);
  EXPECT_EQ(store.AppendTarget(Link(1), Title(1)), 1);
}

// ---- Roll-over --------------------------------------------------------------

TEST_F(StoreTest, TheTwoHundredthTargetClosesTheBlock) {
  StartRun(7);
  for (int i = 1; i <= 199; ++i) ASSERT_EQ(store.AppendTarget(Link(i), Title(i)), 1);
  EXPECT_EQ(store.OpenBlock()->size(), 399u);
  EXPECT_FALSE(FileExists(Block(7)));

  ASSERT_EQ(store.AppendTarget(Link(200), Title(200)), 1);
  store.FinishSaves();
  const StringList saved = ReadLines(Block(7));
  ASSERT_EQ(saved.size(), 401u);
  EXPECT_EQ(saved, BlockLines(7, 1, 200));
  EXPECT_EQ(*store.OpenBlock(), StringList{"8"});
  EXPECT_EQ(host.sum1, "200");

  // The saved block is history for the rest of the run.
  EXPECT_EQ(store.AppendTarget(Link(1), Title(1)), 0);
  ASSERT_EQ(store.AppendTarget(Link(201), Title(201)), 1);
  EXPECT_EQ(store.OpenBlock()->size(), 3u);
}

TEST_F(StoreTest, BlockFileLinesEndInCrLf) {
  StartRun(1);
  for (int i = 1; i <= 200; ++i) ASSERT_EQ(store.AppendTarget(Link(i), Title(i)), 1);
  store.FinishSaves();
  const std::string raw = ReadRaw(Block(1));
  EXPECT_EQ(raw.substr(0, 3), "1\r\n");
  EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
}

// ---- Saving at a stop -------------------------------------------------------

TEST_F(StoreTest, OpenBlockWithOnlyItsNumberIsNotSaved) {
  EXPECT_FALSE(store.SaveOpenBlock());  // no lists yet
  StartRun(3);
  EXPECT_FALSE(store.SaveOpenBlock());
  EXPECT_FALSE(DirExists(Temp()));
}

TEST_F(StoreTest, SavingTheOpenBlockCreatesTempAndNamesTheFileByLineZero) {
  StartRun(3);
  ASSERT_EQ(store.AppendTarget(Link(1), Title(1)), 1);
  EXPECT_TRUE(store.SaveOpenBlock());
  EXPECT_EQ(ReadLines(Block(3)), BlockLines(3, 1, 1));
  // The block stays open in memory.
  EXPECT_EQ(store.OpenBlock()->size(), 3u);
}

TEST_F(StoreTest, OpenBlockWhoseLineZeroIsNotANumberIsNeverWritten) {
  for (const char* line0 : {"../../kix", "", "-3", "0", "abc"}) {
    store.CreateRunLists();
    *store.EditOpenBlock() = {line0, Link(1), TitleLine(1)};
    EXPECT_FALSE(store.SaveOpenBlock()) << line0;
  }
  EXPECT_FALSE(FileExists(root_ + "/kix"));
  EXPECT_FALSE(DirExists(Temp()));
}

TEST_F(StoreTest, AFailedSaveLeavesTheOldBlockFileIntact) {
  WriteBlock(1, 1, 3);
  const std::string before = ReadRaw(Block(1));
  StartRun(1);
  for (int i = 10; i <= 40; ++i) ASSERT_EQ(store.AppendTarget(Link(i), Title(i)), 1);
  {
    FileSizeLimit limit(200);
    EXPECT_FALSE(store.SaveOpenBlock());
  }
  EXPECT_EQ(ReadRaw(Block(1)), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Temp()), {}), 1);
  EXPECT_TRUE(store.SaveOpenBlock());
  EXPECT_EQ(ReadLines(Block(1)).size(), 63u);
}

// ---- Lists --------------------------------------------------------------------

TEST_F(StoreTest, ListsAreAbsentUntilARunAndFreshForEachRun) {
  EXPECT_EQ(store.OpenBlock(), nullptr);
  EXPECT_EQ(store.SiteQueue(), nullptr);
  EXPECT_EQ(store.FollowUp(), nullptr);
  StartRun();
  store.FollowUp()->push_back("http://www.a.com/");
  store.CreateRunLists();
  EXPECT_TRUE(store.OpenBlock()->empty());
  EXPECT_TRUE(store.SiteQueue()->empty());
  EXPECT_TRUE(store.FollowUp()->empty());
  store.DestroyLists();
  EXPECT_EQ(store.OpenBlock(), nullptr);
  store.ClearLists();
  ASSERT_NE(store.SiteQueue(), nullptr);
  EXPECT_TRUE(store.SiteQueue()->empty());
}

TEST_F(StoreTest, PathsSpellTempWithACapital) {
  EXPECT_EQ(store.TempFolder(), root_ + "/Temp");
  EXPECT_EQ(store.BlockFile(17), root_ + "/Temp/17.tmp");
  EXPECT_EQ(store.SiteQueueFile(), root_ + "/kix");
}

TEST(IndexOfLine, ComparesWholeLinesIgnoringAsciiCaseOnly) {
  const StringList list{"http://www.A.com", "\xC4\xE3", "[:--:]", "http://www.a.com"};
  EXPECT_EQ(ResultStore::IndexOfLine(list, "HTTP://WWW.a.COM"), 0);
  EXPECT_EQ(ResultStore::IndexOfLine(list, "http://www.a.co"), -1);
  EXPECT_EQ(ResultStore::IndexOfLine(list, "\xC4\xE3"), 1);
  // Bytes above 0x7F are not letters to fold: E3 and C3 stay different.
  EXPECT_EQ(ResultStore::IndexOfLine(list, "\xC4\xC3"), -1);
  EXPECT_EQ(ResultStore::IndexOfLine(list, "[:--:]"), 2);
  EXPECT_EQ(ResultStore::IndexOfLine({}, ""), -1);
  EXPECT_EQ(ResultStore::IndexOfLine({""}, ""), 0);
}

}  // namespace
}  // namespace vexo::store_test
