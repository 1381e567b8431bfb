// The track button: the prologue, the start of a run with its site queue and
// engine URLs, the keywords-changed rule, and the stop with its saving.
#include <algorithm>
#include <stdexcept>

#include "parser/keyword_query.h"
#include "platform/ini_profile.h"
#include "tests/shell/shell_fixture.h"
#include "texts/texts.h"

namespace vexo {
namespace {

using TrackingTest = ShellTest;

const Bytes kPass(kPassMarker);

TEST_F(TrackingTest, BlankKeywordsShowTheMessageAndChangeNothingElse) {
  TMain& m = Open();
  m.viewer.modalGuard = 5;
  int guard_during_box = -1;
  boxes_.while_open = [&](const MessageBoxRequest&) { guard_during_box = m.viewer.modalGuard; };
  StartWith("  \t ");
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("Vexo提示"));
  EXPECT_EQ(boxes_.shown[0].text, Gb(" 请先填写<关键词>项，可参考“？”按钮中的说明"));
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(guard_during_box, 120);
  EXPECT_EQ(m.viewer.modalGuard, 5);
  EXPECT_EQ(m.Spt1.Caption(), Gb("跟踪"));
  EXPECT_EQ(m.trackingRun, 0);
  EXPECT_FALSE(m.Timer2.Enabled());
  EXPECT_TRUE(m.gjc.Enabled());
  EXPECT_EQ(m.Store().SiteQueue(), nullptr);
  EXPECT_EQ(m.viewer.LinkLabel(1)->Caption(), kPublisherHomePage) << "welcome rows stay";
}

TEST_F(TrackingTest, AMessageBoxThatFailsStillGivesTheGuardBack) {
  TMain& m = Open();
  m.viewer.modalGuard = 5;
  boxes_.while_open = [](const MessageBoxRequest&) { throw std::runtime_error("no display"); };
  StartWith("  ");
  EXPECT_EQ(m.viewer.modalGuard, 5) << "else the window could never hide again";
  EXPECT_EQ(m.trackingRun, 0);
}

TEST_F(TrackingTest, StartResetsTheWindowAndSwitchesTheSchedulerOn) {
  TMain& m = Open();
  std::vector<Bytes> sa_values;
  m.viewer.SaEdit.OnChange = [&] { sa_values.push_back(m.viewer.SaEdit.Text()); };
  m.La1.SetCaption("  ■");
  m.animationCounter = 9;
  m.stallTicks = 3;
  m.queueCursor = 44;
  m.runningParsers = 2;
  m.sys.SetCaption("||http://old");
  StartWith(" 手机 ");

  EXPECT_EQ(m.Spt1.Caption(), Gb("停止"));
  EXPECT_EQ(m.trackingRun, 1);
  EXPECT_EQ(m.queueCursor, 0);
  EXPECT_EQ(m.runningParsers, 0);
  EXPECT_EQ(m.animationCounter, 0);
  EXPECT_EQ(m.stallTicks, 0);
  EXPECT_EQ(m.La1.Caption(), "");
  EXPECT_EQ(m.sys.Caption(), "");
  EXPECT_FALSE(m.gjc.Enabled());
  EXPECT_EQ(m.gjc2.Caption(), Gb("手机"));
  EXPECT_EQ(m.gjc3.Caption(), SplitMixedKeywords(Gb(" 手机 ")));
  EXPECT_EQ(sa_values, (std::vector<Bytes>{"0", ""}));
  EXPECT_EQ(m.viewer.sum1.Caption(), "0");
  EXPECT_TRUE(m.viewer.sum1.Visible());
  EXPECT_EQ(m.viewer.ss.Caption(), "0");
  EXPECT_TRUE(m.viewer.ss.Visible());
  EXPECT_EQ(m.sbar.Caption(), Gb(" Vexo正在进行跟踪……"));
  EXPECT_FALSE(m.viewer.Spt2.Visible());
  for (int row = 1; row <= 8; ++row) {
    EXPECT_EQ(m.viewer.LinkLabel(row)->Caption(), "") << row;
    EXPECT_EQ(m.viewer.CaptionLabel(row)->Caption(), "") << row;
    EXPECT_EQ(m.viewer.MarkCell(row)->Caption(), "") << row;
  }
  ASSERT_NE(m.Store().OpenBlock(), nullptr);
  EXPECT_EQ(*m.Store().OpenBlock(), StringList{"1"});
  EXPECT_TRUE(m.Store().FollowUp()->empty());
  EXPECT_TRUE(m.Timer2.Enabled());
  EXPECT_EQ(m.Timer2.Interval(), 20);
  EXPECT_FALSE(m.Tsys.Enabled()) << "the scheduler switches the stall timer on";
  EXPECT_EQ(m.Tsys.Interval(), 15000);
}

TEST_F(TrackingTest, ANewRunQueuesTheFullSetAboveThePassMarker) {
  TMain& m = StartWith("手机 -诺基亚");
  const StringList& q = *m.Store().SiteQueue();
  ASSERT_EQ(q.size(), 73u);
  EXPECT_EQ(q[72], kPass);
  EXPECT_EQ(m.statusCursor, 73);
  const Bytes kw = Gb("手机%20-诺基亚");
  EXPECT_EQ(q[0], "http://www.google.com/news?hl=zh-CN&ie=GB2312&scoring=d&start=0&q=" + kw);
  EXPECT_EQ(q[1], "http://news.zhongsou.com/zsnews.cgi?mt=0&sort=1&bg=1&word=" + kw);
  EXPECT_EQ(q[2], "http://news.baidu.com/ns?tn=news&ie=gb2312&ct=0&cl=2&pn=0&word=" + kw);
  EXPECT_EQ(q[71], "http://www.baidu.com/s?pn=190&ie=gb2312&word=" + kw);
}

TEST_F(TrackingTest, ConfiguredHostsGoIntoTheQueue) {
  PutBytes(Ini(), "[vexo]\r\nhost_google=g.google.test:81\r\n");
  TMain& m = StartWith("k");
  EXPECT_EQ(m.Store().SiteQueue()->front(),
            "http://g.google.test:81/news?hl=zh-CN&ie=GB2312&scoring=d&start=0&q=k");
}

TEST_F(TrackingTest, ConfiguredHttpsHostsGoIntoTheQueue) {
  PutBytes(Ini(), "[vexo]\r\nhost_google=https://g.google.test:81\r\n");
  TMain& m = StartWith("k");
  EXPECT_EQ(m.Store().SiteQueue()->front(),
            "https://g.google.test:81/news?hl=zh-CN&ie=GB2312&scoring=d&start=0&q=k");
}

StringList Sites(int n) {
  StringList s;
  for (int i = 0; i < n; ++i) s.push_back("http://site" + std::to_string(i) + ".cn");
  return s;
}

TEST_F(TrackingTest, AQueueOfAHundredLinesGetsOnlyTheNewsFront) {
  Put(Ini(), {"[vexo]", "gjc=k"});
  Put(Kix(), Sites(99));  // 99 sites + the pass marker = 100 lines
  TMain& m = StartWith("k");
  const StringList& q = *m.Store().SiteQueue();
  ASSERT_EQ(q.size(), 3u + 100u);
  EXPECT_EQ(q[3], kPass);
  EXPECT_EQ(q[4], "http://site0.cn");
  EXPECT_EQ(m.statusCursor, 4);
}

TEST_F(TrackingTest, AQueueOfNinetyNineLinesStillGetsTheFullSet) {
  Put(Ini(), {"[vexo]", "gjc=k"});
  Put(Kix(), Sites(98));
  TMain& m = StartWith("k");
  EXPECT_EQ(m.Store().SiteQueue()->size(), 72u + 99u);
}

TEST_F(TrackingTest, TheOldestAgeMarkerForgetsTheCandidatesAndLimitsThePass) {
  Put(Ini(), {"[vexo]", "gjc=k"});
  Put(Kix(),
      {"http://proven1.cn", "http://proven2.cn", "[:++:]", "http://cand1.cn", "http://cand2.cn"});
  TMain& m = StartWith("k");
  const StringList& q = *m.Store().SiteQueue();
  ASSERT_EQ(q.size(), 3u + 4u);
  EXPECT_EQ(StringList(q.begin() + 3, q.end()),
            (StringList{kPass, "http://proven1.cn", "http://proven2.cn", "[:++:]"}));
}

TEST_F(TrackingTest, SameKeywordsKeepHistoryAndSitesOtherKeywordsDropThem) {
  Put(Ini(), {"[vexo]", "gjc=k", "gjc3=kept"});
  for (int n : {1, 50, 100, 101}) Put(Block(n), {Gb("…旧的标题内容…")});
  Put(Kix(), {"http://remembered.cn"});
  {
    TMain& m = StartWith("k");
    EXPECT_EQ(m.gjc3.Caption(), "kept");
    EXPECT_EQ(m.Store().SiteQueue()->back(), "http://remembered.cn");
    m.Spt1Click();
  }
  EXPECT_TRUE(FileExists(Block(1)));
  EXPECT_TRUE(FileExists(Block(50)));
  EXPECT_TRUE(FileExists(Kix()));

  main_->gjc.SetText("other");
  main_->Spt1Click();
  for (int n : {1, 50, 100, 101}) EXPECT_FALSE(FileExists(Block(n))) << n;
  EXPECT_EQ(main_->gjc3.Caption(), SplitMixedKeywords("other"));
  EXPECT_EQ(main_->Store().SiteQueue()->size(), 73u);
  EXPECT_EQ(*main_->Store().OpenBlock(), StringList{"1"});
}

TEST_F(TrackingTest, StopSavesTheOpenBlockAndTheRememberedSites) {
  TMain& m = StartWith("手机");
  m.Store().RememberSite("http://www.sina.com.cn/news/1.html");
  ASSERT_EQ(m.Store().AppendTarget("http://www.sina.com.cn/news/1.html", Gb("手机新品今日发布")),
            1);
  EXPECT_EQ(m.viewer.LinkLabel(1)->Caption(), "http://www.sina.com.cn/news/1.html");
  m.Spt1Click();
  EXPECT_EQ(m.Spt1.Caption(), Gb("跟踪"));
  EXPECT_TRUE(m.gjc.Enabled());
  EXPECT_EQ(m.trackingRun, 0);
  EXPECT_FALSE(m.Timer2.Enabled());
  EXPECT_TRUE(m.viewer.Spt2.Visible());
  EXPECT_EQ(m.sbar.Caption(), Gb(" Vexo已经停止跟踪"));
  EXPECT_EQ(m.viewer.TrayIcon1.ToolTip(), Gb("已跟踪到:1个目标"));
  EXPECT_EQ(Lines(Block(1)),
            (StringList{"1", "http://www.sina.com.cn/news/1.html", Gb("…手机新品今日发布…")}));
  EXPECT_EQ(Lines(Kix()), (StringList{"http://www.sina.com.cn", "[:--:]"}));
  EXPECT_NE(m.Store().SiteQueue(), nullptr) << "the lists stay until the next start";
}

TEST_F(TrackingTest, StopWithNothingFoundWritesNoBlockFileAndHidesExport) {
  TMain& m = StartWith("k");
  m.Spt1Click();
  EXPECT_FALSE(FileExists(Block(1)));
  EXPECT_FALSE(m.viewer.Spt2.Visible());
  EXPECT_EQ(m.viewer.TrayIcon1.ToolTip(), Gb("已跟踪到:0个目标"));
}

TEST_F(TrackingTest, StopWithAOneLineQueueWritesNoSiteQueueFile) {
  TMain& m = StartWith("k");
  *m.Store().SiteQueue() = {kPass};
  m.Spt1Click();
  EXPECT_FALSE(FileExists(Kix()));
}

TEST_F(TrackingTest, EveryClickCancelsTheRunningClientsFirst) {
  TMain& m = StartWith("k");
  m.Clients().Adopt(FakeClient(1));
  m.Clients().Adopt(FakeClient(2));
  m.Tsys.SetEnabled(true);
  m.Tsys.SetInterval(100);
  m.Spt1Click();
  EXPECT_EQ(cancelled_, (std::vector<HttpClient*>{FakeClient(1), FakeClient(2)}));
  EXPECT_TRUE(m.Clients().Running().empty());
  EXPECT_FALSE(m.Tsys.Enabled());
  EXPECT_EQ(m.Tsys.Interval(), 15000);
}

TEST_F(TrackingTest, AnUnknownCaptionRunsOnlyThePrologue) {
  TMain& m = StartWith("k");
  m.Spt1.SetCaption("?");
  m.Spt1Click();
  EXPECT_EQ(m.trackingRun, 0);
  EXPECT_FALSE(m.Timer2.Enabled());
  EXPECT_FALSE(m.gjc.Enabled()) << "no stop was run";
  EXPECT_FALSE(FileExists(Kix()));
}

TEST_F(TrackingTest, TheSchedulerTicksEveryTwentyMillisecondsOnlyDuringARun) {
  TMain& m = Open();
  int ticks = 0;
  m.Timer2.OnTimer = [&] { ++ticks; };
  time_.AdvanceBy(1000);
  EXPECT_EQ(ticks, 0);
  StartWith("k");
  time_.AdvanceBy(100);
  EXPECT_EQ(ticks, 5);
  m.Spt1Click();
  time_.AdvanceBy(1000);
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(time_.ArmedCount(), 0u);
}

TEST_F(TrackingTest, ClosingStopsTheTimers) {
  TMain& m = StartWith("k");
  m.Tsys.SetEnabled(true);
  boxes_.answers = {MsgAnswer::Ok};
  ASSERT_TRUE(m.FormCloseQuery());
  EXPECT_EQ(time_.ArmedCount(), 0u);
}

TEST_F(TrackingTest, AHostileSiteQueueFileIsLoadedWithoutHarm) {
  Put(Ini(), {"[vexo]", "gjc=k"});
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 131) % 256);
  PutBytes(Kix(), junk);
  TMain& m = StartWith("k");
  const StringList& q = *m.Store().SiteQueue();
  const int pass = ResultStore::IndexOfLine(q, kPassMarker);
  ASSERT_GE(pass, 3);
  EXPECT_EQ(m.statusCursor, pass + 1);
  m.Spt1Click();
  EXPECT_TRUE(FileExists(Kix()));
}

TEST_F(TrackingTest, ATempPathThatIsAFileLosesTheBlockButNothingElse) {
  PutBytes(Home() + "Temp", "a file, not a folder");
  TMain& m = StartWith("手机");
  m.Store().RememberSite("http://www.sina.com.cn/news/1.html");
  m.Store().AppendTarget("http://www.sina.com.cn/news/1.html", Gb("手机新品今日发布"));
  m.Spt1Click();
  EXPECT_EQ(m.Spt1.Caption(), Gb("跟踪"));
  EXPECT_EQ(Content(Home() + "Temp"), "a file, not a folder");
  EXPECT_EQ(Lines(Kix()), (StringList{"http://www.sina.com.cn", "[:--:]"}));
}

TEST_F(TrackingTest, ASiteQueueSaveThatFailsHalfWayLeavesTheOldFile) {
  Put(Ini(), {"[vexo]", "gjc=k"});
  const StringList old = {"http://old.cn", "[:--:]"};
  Put(Kix(), old);
  TMain& m = StartWith("k");
  for (int i = 0; i < 300; ++i)
    m.Store().SiteQueue()->push_back("http://new" + std::to_string(i) + ".cn/");
  WithFileSizeLimit(1024, [&] { m.Spt1Click(); });
  EXPECT_EQ(Lines(Kix()), old);
}

}  // namespace
}  // namespace vexo
