// The scheduler's rules on virtual time. Clients are real but go nowhere:
// every host leads to a closed local port, and no test here runs the event
// loop until it asks for the clients' answers.
#include <algorithm>
#include <map>

#include "fetch/http_client.h"
#include "parser/page_codes.h"
#include "parser/source_urls.h"
#include "platform/connect_to.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"
#include "tests/support/test_http_server.h"

namespace vexo {
namespace {

const Bytes kPass(kPassMarker);

class SchedulerTest : public ShellTest {
 protected:
  // The rules of slots and tags without the courtesy's spacing; the tests of
  // the courtesy set their own.
  SchedulerTest() {
    SetConnectToMap("*=127.0.0.1:" + std::to_string(closed_.Port()));
    PutBytes(Ini(), "[vexo]\r\nhost_spacing_ms=0\r\n");
  }
  ~SchedulerTest() override {
    main_.reset();
    ::vexo::testing::GoOffline();
  }

  std::vector<Bytes> Urls() const {
    std::vector<Bytes> urls;
    for (HttpClient* c : main_->Clients().Running()) urls.push_back(c->URL);
    return urls;
  }
  std::vector<int> Tags() const {
    std::vector<int> tags;
    for (HttpClient* c : main_->Clients().Running()) tags.push_back(c->Tag);
    return tags;
  }
  // One scheduler tick.
  void Tick() { time_.AdvanceBy(20); }
  // A queue of engine URLs on hosts of their own, then the pass marker.
  static StringList DistinctHosts(int count) {
    StringList queue;
    for (int i = 1; i <= count; ++i) queue.push_back("http://e" + std::to_string(i) + ".cn/q");
    queue.push_back(kPass);
    return queue;
  }

  testing::ClosedPort closed_;
};

TEST_F(SchedulerTest, TheFirstTickTakesEightEngineUrlsAndStartsThoseWhoseHostHasRoom) {
  TMain& m = StartWith("手机");
  const StringList all = FullPassUrls(m.Sources(), m.gjc.Text());
  Tick();
  // Google, Zhongsou, Baidu news pages 1 to 3: the third of one host waits.
  EXPECT_EQ(m.queueCursor, 8);
  EXPECT_EQ(Urls(), std::vector<Bytes>(all.begin(), all.begin() + 6));
  EXPECT_EQ(Tags(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(Contains(Urls().front(), "/news?") && Contains(Urls().front(), "start=0"));
  for (HttpClient* c : m.Clients().Running()) {
    EXPECT_TRUE(c->NoCache);
    EXPECT_TRUE(c->MultiThreaded);
  }
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_EQ(m.Clients().Running().size(), 8u) << "other hosts fill the pool, never more than eight";
  EXPECT_EQ(m.Courtesy().MostAtOnce(), 2);
  EXPECT_TRUE(m.Tsys.Enabled());
}

TEST_F(SchedulerTest, EachRequestsRecordCarriesItsTagAndAnEnginePagesSource) {
  TMain& m = StartWith("手机");
  Tick();
  ASSERT_FALSE(m.Clients().Running().empty());
  for (const HttpClient* c : m.Clients().Running()) {
    const ClientPool::Request* r = m.Clients().RequestOf(*c);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->address, c->URL);
    EXPECT_EQ(r->tag, c->Tag);
    EXPECT_TRUE(IsEnginePageTag(r->tag));
    EXPECT_NE(r->source, nullptr);
    EXPECT_EQ(r->source, SourceOfUrl(m.Sources(), c->URL));
  }
  *m.Store().FollowUp() = {"http://a.cn/1.htm"};
  Tick();
  const ClientPool::Request* follow = m.Clients().RequestOf(*m.Clients().Running().back());
  ASSERT_NE(follow, nullptr);
  EXPECT_EQ(follow->address, "http://a.cn/1.htm");
  EXPECT_TRUE(IsFollowUpTag(follow->tag));
  EXPECT_EQ(follow->source, nullptr) << "a site is no engine's";
}

TEST_F(SchedulerTest, AFreedSlotIsFilledWithTheNextEngineUrlAsSlotOne) {
  TMain& m = StartWith("手机");
  *m.Store().SiteQueue() = DistinctHosts(10);
  Tick();
  ASSERT_EQ(m.Clients().Running().size(), 8u);
  m.Clients().StopRunning(m.Clients().Running()[2]);
  Tick();
  ASSERT_EQ(m.Clients().Running().size(), 8u);
  EXPECT_EQ(m.Clients().Running().back()->URL, "http://e9.cn/q");
  EXPECT_EQ(m.Clients().Running().back()->Tag, 1);
}

TEST_F(SchedulerTest, NothingStartsWhileAParserIsPending) {
  TMain& m = StartWith("手机");
  *m.Store().SiteQueue() = DistinctHosts(10);
  m.runningParsers = 1;
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_TRUE(m.Clients().Running().empty());
  EXPECT_EQ(m.queueCursor, 0);
  m.runningParsers = 0;
  Tick();
  EXPECT_EQ(m.Clients().Running().size(), 8u);
}

TEST_F(SchedulerTest, StartsToOneHostAreSpacedByASecondWithJitterAndNeverMoreThanTwoAtOnce) {
  PutBytes(Ini(), "[vexo]\r\nhost_spacing_ms=1000\r\n");
  TMain& m = StartWith("手机");
  std::map<Bytes, std::vector<long long>> starts;  // host: start times
  for (int i = 0; i < 250; ++i) {
    Tick();
    for (const HttpClient* c : m.Clients().Running())
      starts[HostCourtesy::HostOf(c->URL)].push_back(time_.NowMs());
    m.Clients().StopAllRunning();  // out of the pool's count, still the host's connections
  }
  ASSERT_GE(starts.size(), 4u);
  for (const auto& [host, times] : starts) {
    EXPECT_EQ(times.size(), 2u) << host << ": the first two never end";
    EXPECT_GE(times[1] - times[0], 1000) << host;
    EXPECT_LE(times[1] - times[0], 1520) << host;
  }
}

TEST_F(SchedulerTest, APassThatFailsAtOnceWaitsItsTimeAndSettlesAtAFewRequestsAMinute) {
  TMain& m = StartWith("k");
  EXPECT_EQ(m.PassMs(), 60000);
  *m.Store().SiteQueue() = {"http://www.google.com/x", kPass, "http://s1.cn"};
  // Every request is refused at once; ten minutes of it.
  for (int second = 0; second < 600; ++second) {
    time_.AdvanceBy(1000);
    testing::RunUntil([&] { return m.Clients().Running().empty(); }, 1000);
  }
  EXPECT_LE(m.Courtesy().Starts(), 1 + 10 * 4) << "three news pages and one site a minute";
  EXPECT_GE(m.Courtesy().Starts(), 9 * 4);

  PutBytes(Ini(), "[vexo]\r\npass_seconds=1\r\n");
  main_.reset();
  EXPECT_EQ(Open().PassMs(), 10000) << "never closer than ten seconds";
}

// However a server fails, and however fast, the failure waits for the next
// pass: a server that counts its connections sees a few a minute at most.
TEST_F(SchedulerTest, NoKindOfFailureTurnsIntoALoopOfRequests) {
  struct Case {
    const char* name;
    testing::Script answer;
  };
  const std::string toNews = "Location: http://www.google.com/x\r\n";
  const std::vector<Case> cases = {
      {"reset at once", testing::Script().Reset()},
      {"closed without a word", testing::Script().Close()},
      {"not HTTP", testing::Script().Send("\x16\x03\x01 garbage\r\n\r\n").Close()},
      {"503 asking no pause", testing::Reply("HTTP/1.1 503 Busy", "Retry-After: 0\r\n", "")},
      {"429", testing::Reply("HTTP/1.1 429 Too Many", "", "")},
      {"500", testing::Reply("HTTP/1.1 500 Oops", "", "")},
      {"redirect to the news address", testing::Reply("HTTP/1.1 302 Found", toNews, "")},
      {"empty page", testing::Reply("HTTP/1.1 200 OK", "Content-Length: 0\r\n", "")},
      {"cut short",
       testing::Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n<p>").Close()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestHttpServer server([&](const std::string&) { return c.answer; });
    SetConnectToMap("*=127.0.0.1:" + std::to_string(server.Port()));
    TMain& m = StartWith("k");
    *m.Store().SiteQueue() = {"http://www.google.com/x", kPass, "http://s1.cn"};
    for (int second = 0; second < 300; ++second) {
      time_.AdvanceBy(1000);
      testing::RunUntil([&] { return m.Clients().Running().empty() && m.runningParsers == 0; },
                        1000);
    }
    // Five passes of three news pages and a site. The site's redirect leads
    // to the news address, which is asked once more; back to itself, no more.
    // A refusal pauses its host for longer still.
    EXPECT_LE(m.Courtesy().Starts(), 1 + 5 * 4);
    EXPECT_LE(server.Accepted(), 2 * m.Courtesy().Starts());
    EXPECT_GE(server.Accepted(), 1);
    main_.reset();
  }
}

TEST_F(SchedulerTest, TheFollowUpListGoesFirstFromItsEndWithTagsFromFiftyOne) {
  TMain& m = StartWith("手机");
  *m.Store().FollowUp() = {"http://a.cn/1.htm", "http://b.cn/2.htm", "http://c.cn/3.htm"};
  Tick();
  EXPECT_EQ(Urls(),
            (std::vector<Bytes>{"http://c.cn/3.htm", "http://b.cn/2.htm", "http://a.cn/1.htm"}));
  EXPECT_EQ(Tags(), (std::vector<int>{51, 52, 53}));
  for (const HttpClient* c : m.Clients().Running())
    EXPECT_TRUE(c->AcceptCompressed) << "a revisit may come compressed";
  EXPECT_EQ(m.queueCursor, 0) << "the engine URLs wait";
  EXPECT_TRUE(m.Store().FollowUp()->empty());
  Tick();
  EXPECT_EQ(m.Clients().Running().size(), 8u) << "then the engine URLs fill the free slots";
  EXPECT_EQ(m.Clients().Running().back()->Tag, 5);
  EXPECT_FALSE(m.Clients().Running().back()->AcceptCompressed)
      << "engine requests stay as they were";
}

TEST_F(SchedulerTest, FollowUpMarkersAtTheEndAreDroppedUnfetched) {
  struct Case {
    const char* name;
    StringList follow;
    std::vector<Bytes> started;
    StringList left;
  };
  const std::vector<Case> cases = {
      {"two age markers", {"http://a.cn", "[:--:]", "[:==:]"}, {"http://a.cn"}, {}},
      {"one marker", {"http://a.cn", "http://b.cn", "[:--:]"}, {"http://b.cn", "http://a.cn"}, {}},
      {"only markers", {"[:--:]", "[:++:]"}, {}, {}},
      {"three stacked age markers",
       {"http://a.cn", "[:--:]", "[:--:]", "[:--:]"},
       {"http://a.cn"},
       {}},
      {"markers between empty lines",
       {"http://a.cn", "[:--:]", "", "[:==:]", ""},
       {"http://a.cn"},
       {}},
      {"any bracket line", {"http://a.cn", "[x]", "[:\\\\:]", "[:--:]"}, {"http://a.cn"}, {}},
      {"empty lines", {"http://a.cn", "", ""}, {"http://a.cn"}, {}},
      {"more than eight",
       {"http://1.cn", "http://2.cn", "http://3.cn", "http://4.cn", "http://5.cn", "http://6.cn",
        "http://7.cn", "http://8.cn", "http://9.cn"},
       {"http://9.cn", "http://8.cn", "http://7.cn", "http://6.cn", "http://5.cn", "http://4.cn",
        "http://3.cn", "http://2.cn"},
       {"http://1.cn"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMain& m = StartWith("k");
    m.runningParsers = 1;
    Tick();
    *m.Store().FollowUp() = c.follow;
    m.runningParsers = 0;
    Tick();
    std::vector<Bytes> started;
    for (HttpClient* client : m.Clients().Running())
      if (IsFollowUpTag(client->Tag)) started.push_back(client->URL);
    EXPECT_EQ(started, c.started);
    if (!c.left.empty()) {
      EXPECT_EQ(*m.Store().FollowUp(), c.left);
    }
    m.Spt1Click();  // stop
  }
}

TEST_F(SchedulerTest, QueueLinesWithAWebSchemeAreFetchedAndOthersSkipped) {
  TMain& m = StartWith("k");
  *m.Store().SiteQueue() = {"http://e1.cn/q",  "https://e2.cn/q",   "ftp://e3.cn/q",
                            "HTTPS://e4.cn/q", "x https://e5.cn/q", kPass};
  Tick();
  EXPECT_EQ(Urls(), (std::vector<Bytes>{"http://e1.cn/q", "https://e2.cn/q", "x https://e5.cn/q"}));
  EXPECT_EQ(Tags(), (std::vector<int>{1, 2, 5}));
}

TEST_F(SchedulerTest, ThePassEndsAtThePassMarkerTheSitesFollowAndTheNextPassWaitsItsTime) {
  TMain& m = StartWith("k");
  *m.Store().SiteQueue() = {"http://www.google.com/x", kPass, "http://s1.cn", "http://s2.cn",
                            "[:--:]"};
  Tick();
  EXPECT_EQ(Urls(), (std::vector<Bytes>{"http://www.google.com/x"}));
  EXPECT_GT(m.queueCursor, 5) << "past the end after the marker";

  Tick();  // the remembered sites become the follow-up list
  EXPECT_EQ(*m.Store().FollowUp(), (StringList{"http://s1.cn", "http://s2.cn", "[:--:]"}));
  Tick();  // from its end; the age marker is dropped
  EXPECT_EQ(Urls(),
            (std::vector<Bytes>{"http://www.google.com/x", "http://s2.cn", "http://s1.cn"}));
  EXPECT_EQ(Tags(), (std::vector<int>{1, 51, 52}));
  EXPECT_TRUE(m.Store().FollowUp()->empty());

  time_.AdvanceBy(m.PassMs() - 80);
  EXPECT_EQ(m.Store().SiteQueue()->size(), 5u) << "the next pass waits its time";
  EXPECT_EQ(m.Clients().Running().size(), 3u);
  Tick();  // the next pass: the news front above the remembered sites
  const StringList news = FrontUrls(m.Sources(), m.gjc.Text());
  StringList expected_queue = news;
  for (const Bytes& line : {kPass, Bytes("http://s1.cn"), Bytes("http://s2.cn"), Bytes("[:--:]")})
    expected_queue.push_back(line);
  EXPECT_EQ(*m.Store().SiteQueue(), expected_queue);
  ASSERT_EQ(m.Clients().Running().size(), 6u);
  EXPECT_EQ(Urls()[3], news[0]);
  EXPECT_EQ(Tags(), (std::vector<int>{1, 51, 52, 1, 2, 3}));
}

// Revisits ask "changed since?": a server that answers 304 is not read again
// and its site keeps its place; one that ignores the question is read again.
TEST_F(SchedulerTest, ARevisitAsksChangedSinceAndAnUnchangedSiteIsNotReadAgain) {
  std::map<std::string, std::vector<std::string>> asked;  // host: its requests
  testing::TestHttpServer server([&](const std::string& request) {
    const auto at = request.find("Host: ");
    const std::string host =
        at == std::string::npos ? "" : request.substr(at + 6, request.find('\r', at) - at - 6);
    asked[host].push_back(request);
    const std::string visit = std::to_string(asked[host].size());
    if (host == "same.cn" && Contains(request, "If-None-Match: \"s1\"\r\n"))
      return testing::Reply("HTTP/1.0 304 Not Modified", "ETag: \"s1\"\r\n", "");
    // The page of the deaf site names a new story at every visit; the titles
    // of the two sites differ, for a title is taken once.
    const std::string page = host == "same.cn" ? "1" : visit;
    if (host == "same.cn" || host == "deaf.cn")
      return testing::Reply("HTTP/1.0 200 OK",
                            "Content-Type: text/html; charset=gb2312\r\n"
                            "ETag: \"" +
                                host.substr(0, 1) + "1\"\r\n",
                            "<html><body><p><a href=\"/p" + page + ".htm\">" +
                                Gb("中文新闻第" + page + "篇 ") + host +
                                "</a></p></body></html>\r\n");
    return testing::Reply("HTTP/1.0 404 Not Found", "", "");
  });
  SetConnectToMap("*=127.0.0.1:" + std::to_string(server.Port()));
  MainServices services = Services();
  services.cancel_client = nullptr;
  main_ = std::make_unique<TMain>(services);
  main_->FormCreate();
  TMain& m = StartWith("中文");
  *m.Store().SiteQueue() = {kPass, "http://deaf.cn", "[:--:]", "http://same.cn"};
  const auto quietAfter = [&](std::size_t visits) {
    for (int i = 0; i < 5000; ++i) {
      if (asked["same.cn"].size() >= visits && asked["deaf.cn"].size() >= visits &&
          m.Clients().Running().empty() && m.runningParsers == 0)
        return true;
      time_.AdvanceBy(m.Clients().Running().empty() && m.runningParsers == 0 ? 200 : 20);
      testing::RunFor(2);
    }
    return false;
  };
  const auto targetsOf = [&](const char* host) {
    const StringList& block = *m.Store().OpenBlock();
    return std::count_if(block.begin(), block.end(), [&](const Bytes& line) {
      return line.starts_with("http://" + std::string(host));
    });
  };

  ASSERT_TRUE(quietAfter(1));
  EXPECT_FALSE(Contains(asked["same.cn"][0], "If-None-Match"));
  EXPECT_EQ(targetsOf("same.cn"), 1);
  EXPECT_EQ(targetsOf("deaf.cn"), 1);
  // Back among the candidates, to see the unchanged answer keep it proven.
  StringList& queue = *m.Store().SiteQueue();
  queue.erase(std::find(queue.begin(), queue.end(), "http://same.cn"));
  queue.push_back("http://same.cn");

  ASSERT_TRUE(quietAfter(2));
  EXPECT_TRUE(Contains(asked["same.cn"][1], "\r\nIf-None-Match: \"s1\"\r\n\r\n"));
  EXPECT_TRUE(Contains(asked["deaf.cn"][1], "\r\nIf-None-Match: \"d1\"\r\n\r\n"));
  EXPECT_EQ(targetsOf("same.cn"), 1) << "a 304 is not analysed";
  EXPECT_EQ(targetsOf("deaf.cn"), 2) << "a server that ignores the question is read again";
  const int same = ResultStore::IndexOfLine(queue, "http://same.cn");
  EXPECT_LT(same, ResultStore::IndexOfLine(queue, "[:--:]")) << "the visit counts";
  EXPECT_GT(same, ResultStore::IndexOfLine(queue, kPass));

  m.Spt1Click();  // stop: saved beside the site queue
  EXPECT_EQ(Lines(m.RevisitFile()),
            (StringList{"http://deaf.cn\t\"d1\"\t", "http://same.cn\t\"s1\"\t"}));
}

TEST_F(SchedulerTest, AFollowUpAskedInThisPassIsNotAskedAgainUntilTheNext) {
  TMain& m = StartWith("k");
  *m.Store().SiteQueue() = {"http://www.google.com/x", kPass};
  *m.Store().FollowUp() = {"http://loop.cn/self.htm"};
  Tick();
  EXPECT_EQ(Urls(), (std::vector<Bytes>{"http://loop.cn/self.htm"}));
  *m.Store().FollowUp() = {"http://loop.cn/self.htm"};  // it refreshed to itself
  Tick();
  EXPECT_TRUE(m.Store().FollowUp()->empty());
  EXPECT_EQ(m.Courtesy().Starts(), 1) << "the loop asked once";
  time_.AdvanceBy(m.PassMs());
  *m.Store().FollowUp() = {"http://loop.cn/self.htm"};
  Tick();
  EXPECT_EQ(Urls().back(), "http://loop.cn/self.htm") << "asked again in the next pass";
}

TEST_F(SchedulerTest, TheTooltipCarriesTheTargetCount) {
  TMain& m = StartWith("k");
  m.viewer.sum1.SetCaption("17");
  Tick();
  EXPECT_EQ(m.viewer.TrayIcon1.ToolTip(), Gb("已跟踪到:17个目标"));
}

TEST_F(SchedulerTest, TheActivityLineGrowsClearsAndTheStatusLineRotatesOverTheSites) {
  TMain& m = StartWith("k");
  m.viewer.window.SetVisible(true);
  m.viewer.window.SetBounds(0, 0, 540, 400);
  *m.Store().SiteQueue() = {"http://e.cn/q", kPass,          "http://s1.cn",
                            "[:--:]",        "http://s2.cn", "http://s3.cn"};
  m.statusCursor = 2;
  m.runningParsers = 1;  // the display runs on its own
  const Bytes square = Gb("  ■");
  Tick();
  EXPECT_EQ(m.La1.Caption(), square);
  for (int i = 2; i <= 21; ++i) Tick();
  Bytes eleven;
  for (int i = 0; i < 11; ++i) eleven += square;
  EXPECT_EQ(m.La1.Caption(), eleven);
  Tick();
  Tick();
  EXPECT_EQ(m.La1.Caption(), "");
  for (int i = 24; i <= 29; ++i) Tick();
  EXPECT_EQ(m.sbar.Caption(), " http://s2.cn") << "the age marker is skipped";
  for (int i = 0; i < 29; ++i) Tick();
  EXPECT_EQ(m.sbar.Caption(), " http://s1.cn")
      << "wraps to the first line after the marker before the last line";
  for (int i = 0; i < 29; ++i) Tick();
  EXPECT_EQ(m.sbar.Caption(), " http://s2.cn");
}

TEST_F(SchedulerTest, AHiddenWindowShowsNoActivity) {
  TMain& m = StartWith("k");
  m.viewer.window.SetVisible(false);
  m.runningParsers = 1;
  for (int i = 0; i < 40; ++i) Tick();
  EXPECT_EQ(m.La1.Caption(), "");
  EXPECT_EQ(m.animationCounter, 0);
}

TEST_F(SchedulerTest, ARequestRunningAtTwoStallTicksIsCancelledAtTheSecond) {
  TMain& m = StartWith("k");
  *m.Store().SiteQueue() = DistinctHosts(10);
  Tick();
  ASSERT_EQ(m.Clients().Running().size(), 8u);
  time_.AdvanceBy(15000);
  EXPECT_TRUE(cancelled_.empty());
  Bytes memo = "|";
  for (const Bytes& url : Urls()) memo += "|" + url;
  EXPECT_EQ(m.sys.Caption(), memo);
  time_.AdvanceBy(15000);
  EXPECT_EQ(cancelled_, m.Clients().Running());
  EXPECT_EQ(m.sys.Caption(), "|");
}

TEST_F(SchedulerTest, ANewRequestInsideAnInFlightUrlIsCancelledAtTheFirstTick) {
  TMain& m = StartWith("k");
  m.runningParsers = 1;
  HttpClient root, other;
  root.URL = "http://site.cn";
  other.URL = "http://else.cn/a";
  m.Clients().Adopt(&root);
  m.Clients().Adopt(&other);
  m.sys.SetCaption("||http://site.cn/deep/page.htm");
  m.Tsys.SetEnabled(true);
  time_.AdvanceBy(15000);
  EXPECT_EQ(cancelled_, (std::vector<HttpClient*>{&root}));
  EXPECT_EQ(m.sys.Caption(), "||http://else.cn/a");
  m.Clients().StopAllRunning();
}

TEST_F(SchedulerTest, TheCycleCounterGrowsEveryEightStallTicks) {
  TMain& m = StartWith("k");
  m.runningParsers = 1;
  m.Tsys.SetEnabled(true);
  time_.AdvanceBy(7 * 15000);
  EXPECT_EQ(m.viewer.ss.Caption(), "0");
  time_.AdvanceBy(15000);
  EXPECT_EQ(m.viewer.ss.Caption(), "1");
  time_.AdvanceBy(8 * 15000);
  EXPECT_EQ(m.viewer.ss.Caption(), "2");
}

TEST_F(SchedulerTest, TheStallTimerSwitchesItselfOffOutsideARunAndRestartsTheScheduler) {
  TMain& m = StartWith("k");
  m.Timer2.SetEnabled(false);
  m.Tsys.SetEnabled(true);
  time_.AdvanceBy(15000);
  EXPECT_TRUE(m.Timer2.Enabled());
  m.trackingRun = 0;
  time_.AdvanceBy(15000);
  EXPECT_FALSE(m.Tsys.Enabled());
}

TEST_F(SchedulerTest, RefusedConnectionsAtTheStartShowTheNetworkMessage) {
  TMain& m = StartWith("k");
  Tick();
  ASSERT_FALSE(m.Clients().Running().empty());
  ASSERT_TRUE(testing::RunUntil([&] { return m.Clients().Running().empty(); }));
  EXPECT_EQ(m.sbar.Caption(), Gb(" ★ 还没有拨号连接上网络 or 此时网络线路出现故障"));
  EXPECT_TRUE(m.Timer2.Enabled());
  EXPECT_TRUE(m.Tsys.Enabled());
}

TEST_F(SchedulerTest, FailuresAfterTheFirstStallTickLeaveTheStatusLineAlone) {
  TMain& m = StartWith("k");
  m.sys.SetCaption("|");
  const Bytes before = m.sbar.Caption();
  Tick();
  ASSERT_TRUE(testing::RunUntil([&] { return m.Clients().Running().empty(); }));
  EXPECT_EQ(m.sbar.Caption(), before);
}

TEST_F(SchedulerTest, ClientsCancelledByStopStillDestroyThemselvesQuietly) {
  MainServices s = Services();
  s.cancel_client = nullptr;
  main_ = std::make_unique<TMain>(s);
  main_->FormCreate();
  TMain& m = StartWith("k");
  Tick();
  ASSERT_FALSE(m.Clients().Running().empty());
  m.Spt1Click();  // stop: cancelled, out of the list
  EXPECT_TRUE(m.Clients().Running().empty());
  testing::RunFor(50);
  EXPECT_NE(m.sbar.Caption(), Gb(" ★ 上网带宽较窄 or 此时网络较拥挤"));
  EXPECT_EQ(m.Parsers().PendingWorkers(), 0);
  EXPECT_EQ(m.trackingRun, 0);
  EXPECT_FALSE(m.Timer2.Enabled()) << "a stopped run stays stopped";
}

}  // namespace
}  // namespace vexo
