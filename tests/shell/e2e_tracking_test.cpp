// Whole tracking runs against the mock web: the targets, the counters, the
// status line, restarts, stalls and the close of the window.
#include <algorithm>

#include "tests/shell/e2e_fixture.h"

namespace vexo {
namespace {

using Targets_t = std::vector<std::pair<std::string, std::string>>;

const Targets_t& kFirstRun = kMockFirstRun;

Targets_t Sorted(Targets_t t) {
  std::sort(t.begin(), t.end());
  return t;
}

class E2eTrackingTest : public E2eTest {
 protected:
  bool SilentInFlight() const {
    for (HttpClient* c : main_->Clients().Running())
      if (Contains(c->URL, "www.silent.cn")) return true;
    return false;
  }
};

TEST_F(E2eTrackingTest, AFirstRunFindsExactlyTheExpectedTargetsLive) {
  TMain& m = OpenReal();
  StartWith(testing::kMockKeyword);
  ASSERT_TRUE(DriveUntil([&] { return m.viewer.sum1.Caption() != "0"; }));
  EXPECT_FALSE(m.viewer.RowText(1, 1).empty()) << "row 1 fills as the first target arrives";
  ASSERT_TRUE(DriveUntil([&] { return SitesFetched(); }));

  EXPECT_EQ(Sorted(Targets()), Sorted(kFirstRun));
  EXPECT_EQ(m.viewer.sum1.Caption(), "11");
  for (int row = 1; row <= 8; ++row) {
    const Bytes link = m.viewer.RowText(row, 1);
    EXPECT_TRUE(std::any_of(kFirstRun.begin(), kFirstRun.end(),
                            [&](const auto& t) { return t.first == link; }))
        << "row " << row << ": " << link;
  }
  EXPECT_EQ(web_.Hits("www.baidu.com/s?wd=x"), 0) << "a refresh to an engine is not followed";
  EXPECT_EQ(web_.Hits("www.refresh.cn/next.htm"), web_.Hits("www.refresh.cn/"))
      << "every visit of the refreshing page is followed once";
  EXPECT_EQ(m.Clients().Size(), m.Clients().RunningCount())
      << "a request's record goes as the request ends";
  // The line rotates every 29 ticks and skips marker lines, so a few rotations
  // may pass before it lands on a site.
  EXPECT_TRUE(DriveUntil([&] { return Contains(m.sbar.Caption(), " http://"); }, 300))
      << "the status line shows the sites";
  // The tooltip follows the count at the next scheduler tick.
  EXPECT_TRUE(
      DriveUntil([&] { return m.viewer.TrayIcon1.ToolTip() == Gb("已跟踪到:11个目标"); }, 5));
  EXPECT_EQ(m.gjc3.Caption(), Gb("中文")) << "a highlighted whole keyword splits nothing";
}

TEST_F(E2eTrackingTest, TheCycleCounterMovesAndTheSilentSiteIsCancelledAtTheSecondStallTick) {
  TMain& m = OpenReal();
  StartWith(testing::kMockKeyword);
  // In flight and not yet seen by a stall tick, so that the tick that sees it
  // falls within the steps below.
  ASSERT_TRUE(DriveUntil([&] {
    return SitesFetched() && SilentInFlight() && !Contains(m.sys.Caption(), "www.silent.cn");
  }));
  const long long start = time_.Now();
  // Up to the next stall tick: the request is seen in flight.
  while (!Contains(m.sys.Caption(), "www.silent.cn") && time_.Now() - start < 16000) Step();
  ASSERT_TRUE(Contains(m.sys.Caption(), "www.silent.cn"));
  EXPECT_TRUE(SilentInFlight());
  // The next tick cancels it.
  const long long seen = time_.Now();
  while (SilentInFlight() && time_.Now() - seen < 16000) Step();
  EXPECT_FALSE(SilentInFlight());
  EXPECT_GT(time_.Now() - seen, 14000);

  while (m.viewer.ss.Caption() == "0" && time_.Now() < 8 * 15000 + 1000) {
    time_.AdvanceBy(1000);
    testing::RunFor(1);
  }
  EXPECT_EQ(m.viewer.ss.Caption(), "1");
  EXPECT_GE(time_.Now(), 8 * 15000);
}

TEST_F(E2eTrackingTest, ARestartWithTheSameKeywordsReportsNothingTwice) {
  TMain& m = OpenReal();
  StartWith(testing::kMockKeyword);
  ASSERT_TRUE(DriveUntil([&] { return SitesFetched(); }));
  m.Spt1Click();  // stop
  ASSERT_TRUE(FileExists(Kix()));
  const int engine0 = web_.EngineRequests();
  const int gb0 = web_.Hits("www.gbsite.cn/");

  m.Spt1Click();  // the same keywords again
  ASSERT_TRUE(DriveUntil([&] { return web_.EngineRequests() >= engine0 + 72; }));
  EXPECT_EQ(web_.Hits("www.gbsite.cn/"), gb0) << "the sites wait for the end of the pass";
  ASSERT_TRUE(DriveUntil([&] { return web_.Hits("www.gbsite.cn/") > gb0 && Quiet(); }));
  EXPECT_EQ(m.viewer.sum1.Caption(), "0");
  EXPECT_TRUE(Targets().empty());
}

TEST_F(E2eTrackingTest, OtherKeywordsWipeTheHistoryAndTheSites) {
  TMain& m = OpenReal();
  StartWith(testing::kMockKeyword);
  ASSERT_TRUE(DriveUntil([&] { return SitesFetched(); }));
  m.Spt1Click();
  ASSERT_TRUE(FileExists(Kix()));
  ASSERT_TRUE(FileExists(Block(1)));
  m.gjc.SetText(Gb("英文"));
  m.Spt1Click();
  EXPECT_FALSE(FileExists(Kix()));
  EXPECT_FALSE(FileExists(Block(1)));
  EXPECT_EQ(ResultStore::IndexOfLine(*m.Store().SiteQueue(), "http://www.gbsite.cn"), -1);
}

TEST_F(E2eTrackingTest, ClosingMidRunSavesAgesAndTheNextStartContinues) {
  TMain& m = OpenReal();
  StartWith(testing::kMockKeyword);
  ASSERT_TRUE(DriveUntil([&] { return TextToInt(m.viewer.sum1.Caption()) >= 3; }));
  boxes_.answers = {MsgAnswer::Ok};
  ASSERT_TRUE(m.FormCloseQuery());
  const StringList saved = Lines(Block(1));
  ASSERT_GE(saved.size(), 7u) << "the open block with its number and three targets";
  EXPECT_EQ(saved.front(), "1");
  m.FormDestroy();
  const StringList kix = Lines(Kix());
  EXPECT_EQ(ResultStore::IndexOfLine(kix, kPassMarker), -1);
  EXPECT_TRUE(ResultStore::IndexOfLine(kix, "[:--:]") >= 0 ||
              ResultStore::IndexOfLine(kix, "[:==:]") >= 0)
      << "an age marker";
  main_.reset();

  TMain& again = OpenReal();
  EXPECT_EQ(again.gjc.Text(), Gb(testing::kMockKeyword));
  again.Spt1Click();
  ASSERT_EQ(again.trackingRun, 1);
  for (const Bytes& site : kix)
    EXPECT_GE(ResultStore::IndexOfLine(*again.Store().SiteQueue(), site), 0) << site;
  ASSERT_TRUE(DriveUntil([&] { return SitesFetched(); }));
  EXPECT_EQ(TextToInt(again.viewer.sum1.Caption()) + static_cast<long long>(saved.size() - 1) / 2,
            static_cast<long long>(kFirstRun.size()))
      << "the targets of the closed run are not reported again";
}

TEST_F(E2eTrackingTest, HighlightedHalvesOfAKeywordSplitItDuringTheFirstPassOnly) {
  TMain& m = OpenReal();
  StartWith("中文信息");
  ASSERT_TRUE(DriveUntil([&] { return web_.EngineRequests() >= 72 && Quiet(); }));
  const Bytes learned = m.gjc3.Caption();
  EXPECT_NE(learned, Gb("中文信息"));
  EXPECT_TRUE(Contains(learned, Gb("中文")) && Contains(learned, Gb("信息"))) << GbToUtf8(learned);
}

TEST_F(E2eTrackingTest, AnEngineHostConfiguredInCapitalsStillTeachesTheSplit) {
  PutBytes(Ini(), "[vexo]\r\nhost_zhongsou_site=P.ZhongSou.com\r\n");
  TMain& m = OpenReal();
  StartWith("中文信息");
  EXPECT_EQ(m.Store().SiteQueue()->at(13),
            "http://p.zhongsou.com/zssite.cgi?bg=1&word=" + Gb("中文信息"));
  ASSERT_TRUE(DriveUntil([&] { return web_.EngineRequests() >= 72 && Quiet(); }));
  EXPECT_TRUE(Contains(m.gjc3.Caption(), Gb("中文")) && Contains(m.gjc3.Caption(), Gb("信息")) &&
              m.gjc3.Caption() != Gb("中文信息"))
      << GbToUtf8(m.gjc3.Caption());
}

}  // namespace
}  // namespace vexo
