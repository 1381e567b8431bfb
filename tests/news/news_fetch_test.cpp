// Fetching a category: six portals at once, rows as pieces arrive, stars from
// the title files once all six are over, the abort timer, leaving and closing.
#include <algorithm>

#include "tests/news/news_fixture.h"

namespace vexo {
namespace {

const Bytes kA = Gb("第一条新闻标题很长很长");
const Bytes kB = Gb("第二条新闻标题很长很长");
const Bytes kC = Gb("第三条新闻标题很长很长");

using NewsFetch = NewsFixture;

TEST_F(NewsFetch, SixSourcesListEveryHeadlineAndFreeTheButtons) {
  ServeCategory(1, {{"http://news.example.cn/a.htm", kA}, {"/news/b.htm", kB}});
  Tnews& w = Open();
  EXPECT_FALSE(w.Spt1.Enabled());
  EXPECT_EQ(w.Stgd.Cell(1, 0), GetNewsTexts().waiting);
  EXPECT_EQ(w.cap.Caption(), Gb("[滚动新闻]——新闻内容属于现场及时抓取"));
  ASSERT_TRUE(WaitIdle());

  EXPECT_EQ(w.Stgd.RowCount(), 13);
  EXPECT_TRUE(w.Stgd.Cell(1, 12).empty());
  for (int n = 1; n <= 8; ++n) EXPECT_TRUE(w.CategoryButton(n)->Enabled());
  // The six portal pages of the category, by host and path.
  std::vector<std::string> asked = portal_.Requests();
  std::sort(asked.begin(), asked.end());
  std::vector<std::string> expected;
  for (int i = 1; i <= 6; ++i) expected.push_back(Source(1, i).substr(7));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(asked, expected);
  // A root path joins the host of the very source it came from.
  const auto links = w.Stgd.Column(2);
  EXPECT_EQ(std::count(links.begin(), links.end(), "http://news.sina.com.cn/news/b.htm"), 1);
  EXPECT_EQ(std::count(links.begin(), links.end(), "http://news.example.cn/a.htm"), 6);
  for (int r = 0; r < 12; ++r) EXPECT_TRUE(w.Stgd.Cell(0, r).empty()) << r;
}

TEST_F(NewsFetch, RelativeLinksResolveAgainstTheSourceAddress) {
  for (int i = 1; i <= 6; ++i) SetSilent(1, i);
  portal_.SetPage(
      "http://news.sina.com.cn/news1000/",
      testing::MockPortal::Anchor("/c/2.shtml", kA) + testing::MockPortal::Anchor("n3.shtml", kB));
  Tnews& w = Open();
  ASSERT_TRUE(testing::RunUntil([&] { return w.Stgd.RowCount() == 3; }));
  EXPECT_EQ(w.Stgd.Cell(2, 0), "http://news.sina.com.cn/c/2.shtml");
  EXPECT_EQ(w.Stgd.Cell(2, 1), "http://news.sina.com.cn/news1000/n3.shtml");
}

TEST_F(NewsFetch, OnlyAnswersWithStatus200GiveRows) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  testing::PortalPage missing;
  missing.status_line = "HTTP/1.0 404 Not Found";
  missing.body = testing::MockPortal::Anchor("http://x.example.cn/b.htm", kB);
  portal_.SetPage(Source(1, 3), missing);
  Open();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Captions(), StringList(5, kA));
}

TEST_F(NewsFetch, NoHeadlineAnywhereKeepsTheWaitingText) {
  ServeCategory(1, {});
  Tnews& w = Open();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(w.Stgd.RowCount(), 1);
  EXPECT_EQ(w.Stgd.Cell(1, 0), GetNewsTexts().waiting);
}

TEST_F(NewsFetch, AnAnchorSplitBetweenPiecesIsLost) {
  for (int i = 1; i <= 6; ++i) SetSilent(1, i);
  // Padding, so that the rest of the page fits the second piece.
  const std::string first =
      std::string(80, ' ') + testing::MockPortal::Anchor("http://a.example.cn/1.htm", kA);
  const std::string second = testing::MockPortal::Anchor("http://a.example.cn/2.htm", kB);
  const std::string third = testing::MockPortal::Anchor("http://a.example.cn/3.htm", kC);
  testing::PortalPage page;
  page.body = first + second + third;
  // The cut falls inside the second anchor's address.
  page.piece = first.size() + 20;
  page.pause_ms = 40;
  portal_.SetPage(Source(1, 1), page);
  Open();
  ASSERT_TRUE(WaitRunning(5));
  EXPECT_EQ(Captions(), (StringList{kA, kC}));
}

TEST_F(NewsFetch, StarsComeFromBothTitleFilesOnceAllSixAreOver) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA},
                    {"http://x.example.cn/b.htm", kB},
                    {"http://x.example.cn/c.htm", kC}});
  SetSilent(1, 4);
  const Bytes lastB = Gb("第二条新闻标题很长很长");
  WriteTitles(folder_ + "Temp/news1", {Lower(kA), ""});
  WriteTitles(folder_ + "Temp/news12", {lastB});
  Tnews& w = Open();
  ASSERT_TRUE(WaitRunning(1));
  ASSERT_EQ(w.Stgd.RowCount(), 16);
  for (int r = 0; r < 15; ++r) EXPECT_TRUE(w.Stgd.Cell(0, r).empty()) << r;
  EXPECT_FALSE(w.Spt2.Enabled());

  // The silent portal is cut by the abort timer.
  timers_.AdvanceBy(kNewsAbortMs - 1);
  EXPECT_TRUE(w.Fetching());
  timers_.AdvanceBy(1);
  ASSERT_TRUE(WaitIdle());
  EXPECT_FALSE(w.Tsys.Enabled());
  EXPECT_TRUE(w.Spt2.Enabled());
  for (int r = 0; r < 15; ++r) {
    const Bytes& caption = w.Stgd.Cell(1, r);
    EXPECT_EQ(w.Stgd.Cell(0, r), caption == kC ? Bytes() : Star()) << r;
  }
  // The earlier-visit file now holds the last-visit file as it stood.
  EXPECT_EQ(FileText(folder_ + "Temp/news12"), Lower(kA) + "\r\n\r\n");
}

TEST_F(NewsFetch, NoTitleFilesNoStarsAndNoFilesMade) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  Tnews& w = Open();
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(w.Stgd.Cell(0, 0).empty());
  EXPECT_FALSE(FileExists(folder_ + "Temp/news12"));
}

TEST_F(NewsFetch, CategoriesCannotChangeUntilAllSixAreOver) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  ServeCategory(2, {{"http://x.example.cn/b.htm", kB}});
  SetSilent(1, 6);
  Tnews& w = Open();
  ASSERT_TRUE(WaitRunning(1));
  w.Spt2Click();
  EXPECT_EQ(w.category, 1);
  EXPECT_EQ(portal_.Requests().size(), 6u);
  EXPECT_EQ(Captions(), StringList(5, kA));

  timers_.AdvanceBy(kNewsAbortMs);
  ASSERT_TRUE(WaitIdle());
  w.Spt2Click();
  EXPECT_EQ(w.category, 2);
  EXPECT_EQ(w.cap.Caption(), Gb("[财经新闻]——新闻内容属于现场及时抓取"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Captions(), StringList(6, kB));
  // Leaving category 1 wrote what it listed, the empty last row included.
  StringList shown(5, kA);
  shown.push_back("");
  EXPECT_EQ(FileText(folder_ + "Temp/news1"), JoinLines(shown));
}

TEST_F(NewsFetch, TheAbortPeriodIsNotRestartedByANewFetch) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  for (int i = 1; i <= 6; ++i) SetSilent(2, i);
  Tnews& w = Open();
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(w.Tsys.Enabled());  // still on from the first fetch
  timers_.AdvanceBy(10000);
  w.Spt2Click();
  ASSERT_TRUE(WaitRunning(6));
  ASSERT_TRUE(WaitRequests(12));
  timers_.AdvanceBy(kNewsAbortMs - 10000 - 1);
  EXPECT_TRUE(w.Fetching());
  timers_.AdvanceBy(1);
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(w.Spt3.Enabled());

  // A fetch started with the timer off gets a whole period.
  for (int i = 1; i <= 6; ++i) SetSilent(3, i);
  w.Spt3Click();
  ASSERT_TRUE(WaitRequests(18));
  timers_.AdvanceBy(kNewsAbortMs - 1);
  EXPECT_EQ(w.RunningClients(), 6u);
  timers_.AdvanceBy(1);
  EXPECT_TRUE(WaitIdle());
}

TEST_F(NewsFetch, ClosingMidFetchSavesWhatWasShownAndKeepsTheLastVisit) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  SetSilent(1, 2);
  WriteTitles(folder_ + "Temp/news1", {kC, ""});
  WriteTitles(folder_ + "Temp/news12", {kB});
  Open();
  ASSERT_TRUE(WaitRunning(1));
  window_->FormDestroy();
  EXPECT_FALSE(window_->Fetching());
  window_.reset();
  testing::RunFor(30);  // nothing of the window may run any more

  StringList shown(5, kA);
  shown.push_back("");
  EXPECT_EQ(FileText(folder_ + "Temp/news1"), JoinLines(shown));
  // The visit that was last until now moves back one place, as a completed
  // fetch would have moved it.
  EXPECT_EQ(FileText(folder_ + "Temp/news12"), JoinLines({kC, ""}));
}

TEST_F(NewsFetch, ClosingWhenIdleSavesTheListAndLeavesTheEarlierVisit) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  WriteTitles(folder_ + "Temp/news1", {kC, ""});
  Open();
  ASSERT_TRUE(WaitIdle());
  window_.reset();  // destruction runs FormDestroy
  StringList shown(6, kA);
  shown.push_back("");
  EXPECT_EQ(FileText(folder_ + "Temp/news1"), JoinLines(shown));
  EXPECT_EQ(FileText(folder_ + "Temp/news12"), JoinLines({kC, ""}));
}

TEST_F(NewsFetch, ATitlesFolderThatIsAFileFailsQuietly) {
  ServeCategory(1, {{"http://x.example.cn/a.htm", kA}});
  ASSERT_TRUE(WriteFileAtomic(folder_ + "Temp", "in the way"));
  Tnews& w = Open();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(w.Stgd.RowCount(), 7);
  window_.reset();
  EXPECT_EQ(FileText(folder_ + "Temp"), "in the way");
}

}  // namespace
}  // namespace vexo
