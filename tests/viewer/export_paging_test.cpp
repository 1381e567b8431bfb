// Paging, numbering and file naming of exports, checked on the files on disk.
#include <gtest/gtest.h>

#include "export_fixture.h"
#include "viewer/export_html.h"

namespace vexo::export_test {
namespace {

using ::testing::ElementsAre;

std::vector<long long> Range(long long from, long long to) {
  std::vector<long long> v;
  for (long long i = from; i <= to; ++i) v.push_back(i);
  return v;
}

// Which of the four navigation links a page's bar has, and where they lead.
struct Bar {
  Bytes first, previous, next, last;
};
Bar BarOf(const Bytes& page) {
  Bar bar;
  auto target = [&](const char* label) -> Bytes {
    const Bytes piece = "\">" + Gb(label);
    const std::size_t at = page.find(piece);
    if (at == Bytes::npos) return "-";
    const std::size_t start = page.rfind("<a href=\"", at) + 9;
    return page.substr(start, at - start);
  };
  bar.first = target("|&lt;最前");
  bar.previous = target("&lt;&lt;上页");
  bar.next = target("下页&gt;&gt;");
  bar.last = target("最后&gt;|");
  return bar;
}

TEST_F(ExportTest, FortyFiveTargetsMakeThreePagesWithTheLinksThatApply) {
  LayOutRun(45);
  const ExportResult r = Export(ExportKind::Html);
  ASSERT_EQ(r.status, ExportStatus::kDone);
  EXPECT_THAT(OutNames(), ElementsAre("back.htm", "back1.htm", "back2.htm"));
  EXPECT_EQ(RowNumbers(Read("back.htm")), Range(1, 20));
  EXPECT_EQ(RowNumbers(Read("back1.htm")), Range(21, 40));
  EXPECT_EQ(RowNumbers(Read("back2.htm")), Range(41, 45));

  const Bar p0 = BarOf(Read("back.htm"));
  EXPECT_EQ(p0.first, "-");
  EXPECT_EQ(p0.previous, "-");
  EXPECT_EQ(p0.next, "back1.htm");
  EXPECT_EQ(p0.last, "back2.htm");
  const Bar p1 = BarOf(Read("back1.htm"));
  EXPECT_EQ(p1.first, "back.htm");
  EXPECT_EQ(p1.previous, "back.htm");
  EXPECT_EQ(p1.next, "back2.htm");
  EXPECT_EQ(p1.last, "back2.htm");
  const Bar p2 = BarOf(Read("back2.htm"));
  EXPECT_EQ(p2.first, "back.htm");
  EXPECT_EQ(p2.previous, "back1.htm");
  EXPECT_EQ(p2.next, "-");
  EXPECT_EQ(p2.last, "-");
}

TEST_F(ExportTest, FortyTargetsMakeTwoPagesTheSecondWithoutNextOrLast) {
  LayOutRun(40);
  ASSERT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  EXPECT_THAT(OutNames(), ElementsAre("back.htm", "back1.htm"));
  const Bar p1 = BarOf(Read("back1.htm"));
  EXPECT_EQ(p1.next, "-");
  EXPECT_EQ(p1.last, "-");
  EXPECT_EQ(p1.previous, "back.htm");
}

TEST_F(ExportTest, MarkedTargetsAreLeftOutButPagesStillCutAtTwentyPositions) {
  LayOutRun(45, 1, {3, 21});
  ASSERT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  EXPECT_EQ(RowNumbers(Read("back.htm")), Range(1, 19));
  EXPECT_EQ(RowNumbers(Read("back1.htm")), Range(20, 38));
  EXPECT_EQ(RowNumbers(Read("back2.htm")), Range(39, 43));
  const Bytes all = Read("back.htm") + Read("back1.htm") + Read("back2.htm");
  EXPECT_EQ(all.find(Title(3)), Bytes::npos);
  EXPECT_EQ(all.find(Title(21)), Bytes::npos);
  EXPECT_EQ(all.find(Link(3) + "\""), Bytes::npos);
  EXPECT_NE(all.find(Title(22)), Bytes::npos);
}

TEST_F(ExportTest, PageHoldsEachRowInTheTemplateOrder) {
  keywords_ = Gb("手机");
  LayOutRun(1);
  ASSERT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  const Bytes expected =
      Gb("<html><head><title>关键词：手机</title><style type=\"text/css\"><!--p {font-size: "
         "9pt}--></style><META http-equiv=Content-Type content=\"text/html; "
         "charset=gb2312\"></head><body><p></p><p><font color=\"#009900\"><a "
         "href=\"http://www.site1.com/a.htm\" target=\"_blank\">1、http://www.site1.com/a.htm</a>"
         "</font><br>…重要新闻标题第000001…</p><p></p><p><a href=\"http://www.vexo-soft.example/\" "
         "target=\"_blank\">以上信息由软件V鹊(Vexo)跟踪搜集</a></p></body></html>");
  EXPECT_EQ(Read("back.htm"), expected);
}

TEST_F(ExportTest, RunAcrossBlockFilesIsReadInOrderWithNumberingOverTheWholeExport) {
  LayOutRun(410, 4);  // blocks 4 and 5 saved, 10 targets in open block 6
  ASSERT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  ASSERT_EQ(OutNames().size(), 21u);  // 10 + 10 + 1
  EXPECT_EQ(RowNumbers(Read("back9.htm")), Range(181, 200));
  EXPECT_EQ(RowNumbers(Read("back10.htm")), Range(201, 220));
  EXPECT_EQ(RowNumbers(Read("back20.htm")), Range(401, 410));
  EXPECT_EQ(BarOf(Read("back10.htm")).last, "back20.htm");
  EXPECT_NE(Read("back20.htm").find(Title(410)), Bytes::npos);
}

TEST_F(ExportTest, BlocksBeforeTheRunAndMissingBlockFilesAreNotRead) {
  LayOutRun(410, 4);
  // A block of an earlier run below F must not be exported.
  ASSERT_TRUE(SaveLines(BlockPath(3), {"3", "http://old.example.com/x", Gb("…旧的目标标题内容…")}));
  DeleteFile(BlockPath(5));
  ASSERT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  const Bytes all = Read("back.txt");
  EXPECT_EQ(all.find("old.example"), Bytes::npos);
  EXPECT_EQ(TextRows(all).size(), 210u);  // 200 of block 4, 10 of the open block
}

TEST_F(ExportTest, FullBlockOfTwoHundredGivesExactlyTenPages) {
  LayOutRun(200);
  ASSERT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  EXPECT_EQ(OutNames().size(), 10u);
  EXPECT_EQ(RowNumbers(Read("back9.htm")), Range(181, 200));
  EXPECT_EQ(BarOf(Read("back9.htm")).next, "-");
}

TEST_F(ExportTest, TextOfTenHundredTenTargetsIsEightHundredRowsThenTheRest) {
  LayOutRun(1010);
  ASSERT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  EXPECT_THAT(OutNames(), ElementsAre("back.txt", "back1.txt"));
  const auto first = TextRows(Read("back.txt"));
  const auto second = TextRows(Read("back1.txt"));
  ASSERT_EQ(first.size(), 800u);
  ASSERT_EQ(second.size(), 210u);
  EXPECT_EQ(first[0], "\"" + Link(1) + "\",\"" + TitleLine(1) + "\"");
  EXPECT_EQ(second[0], "\"" + Link(801) + "\",\"" + TitleLine(801) + "\"");
  EXPECT_EQ(second[209], "\"" + Link(1010) + "\",\"" + TitleLine(1010) + "\"");
  EXPECT_EQ(Read("back1.txt").substr(Read("back1.txt").size() - 2), "\r\n");
}

TEST_F(ExportTest, TextOfExactlyTwoHundredWithEmptyOpenBlockIsOneFile) {
  LayOutRun(200);
  ASSERT_EQ(open_block_.size(), 1u);
  ASSERT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  EXPECT_THAT(OutNames(), ElementsAre("back.txt"));
  EXPECT_EQ(TextRows(Read("back.txt")).size(), 200u);
}

TEST_F(ExportTest, TextLeavesMarkedTargetsOut) {
  LayOutRun(5, 1, {2, 5});
  ASSERT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  const auto rows = TextRows(Read("back.txt"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1], "\"" + Link(3) + "\",\"" + TitleLine(3) + "\"");
}

TEST_F(ExportTest, FilesAreNumberedBeforeTheFirstDotOfTheBareName) {
  LayOutRun(45);
  ASSERT_EQ(Export(ExportKind::Html, "my.result.htm").status, ExportStatus::kDone);
  EXPECT_THAT(OutNames(), ElementsAre("my.result.htm", "my1.result.htm", "my2.result.htm"));
  EXPECT_EQ(BarOf(Read("my.result.htm")).last, "my2.result.htm");
}

TEST_F(ExportTest, NavigationLinksToOddFileNamesStayLinksToThoseFiles) {
  LayOutRun(25);
  ASSERT_EQ(Export(ExportKind::Html, "a #b?.htm").status, ExportStatus::kDone);
  EXPECT_THAT(OutNames(), ElementsAre("a #b?.htm", "a #b?1.htm"));
  EXPECT_EQ(BarOf(Read("a #b?.htm")).next, "a%20%23b%3F1.htm");
}

TEST_F(ExportTest, NothingToExportWritesNoFile) {
  LayOutRun(0);
  EXPECT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  EXPECT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  EXPECT_TRUE(OutNames().empty());
}

TEST(ExportNames, BareNameTakesTheExtensionOfTheFilter) {
  struct Case {
    std::string chosen;
    ExportKind kind;
    std::string bare;
  } cases[] = {
      {"/home/u/Save/result.dat", ExportKind::Html, "result.htm"},
      {"/home/u/Save/result.dat", ExportKind::Text, "result.txt"},
      {"/home/u/Save/back", ExportKind::Html, "back.htm"},
      {"back.htm", ExportKind::Text, "back.txt"},
      {"/x/my.result.dat", ExportKind::Html, "my.result.htm"},
      {"/x/folder.d/", ExportKind::Html, "back.htm"},
      {"", ExportKind::Text, "back.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BareOutputName(c.chosen, c.kind), c.bare) << c.chosen;
  }
  EXPECT_EQ(ExportKindOfFilter(1), ExportKind::Html);
  EXPECT_EQ(ExportKindOfFilter(2), ExportKind::Text);
  EXPECT_EQ(ExportKindOfFilter(0), ExportKind::Text);
}

TEST(ExportNames, FileNumberGoesBeforeTheFirstDot) {
  EXPECT_EQ(ExportFileName("back.htm", 0), "back.htm");
  EXPECT_EQ(ExportFileName("back.htm", 1), "back1.htm");
  EXPECT_EQ(ExportFileName("back.htm", 12), "back12.htm");
  EXPECT_EQ(ExportFileName("a.b.txt", 3), "a3.b.txt");
}

TEST(ExportBlocks, FirstBlockOfTheRunFollowsTheOpenBlockAndCount) {
  StringList open{"7"};
  for (int i = 0; i < 10; ++i) open.insert(open.end(), {"http://a.com/x", Gb("…标题…")});
  long long first = 0;
  ASSERT_TRUE(RunFirstBlock(open, "410", &first));
  EXPECT_EQ(first, 5);
  ASSERT_TRUE(RunFirstBlock(open, "10", &first));
  EXPECT_EQ(first, 7);
  ASSERT_TRUE(RunFirstBlock({"3"}, "200", &first));
  EXPECT_EQ(first, 2);
  EXPECT_FALSE(RunFirstBlock(open, "x1", &first));
  EXPECT_FALSE(RunFirstBlock({"abc"}, "1", &first));
  EXPECT_FALSE(RunFirstBlock({}, "1", &first));
  EXPECT_FALSE(RunFirstBlock({"1"}, "99999999999999999", &first));
}

}  // namespace
}  // namespace vexo::export_test
