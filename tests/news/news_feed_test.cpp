// The current set's news centre: feeds gathered whole and read item by item,
// each fetched from the local portal server in place of its host.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "news/feed_headlines.h"
#include "news/news_feeds.h"
#include "platform/ini_profile.h"
#include "tests/news/news_fixture.h"

namespace vexo {
namespace {

constexpr const char* kRss = "http://rss.example.cn/rss/news.xml";
constexpr const char* kAtom = "http://atom.example.cn/atom.xml";

std::string RssItem(const std::string& title, const std::string& link) {
  return "<item><title>" + title + "</title><link>" + link +
         "</link><description>&lt;p&gt;snippet&lt;/p&gt;</description></item>\n";
}

// UTF-8, as most feeds are today.
std::string Rss(const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
         "<title>频道</title><link>http://rss.example.cn/</link>" +
         items + "</channel></rss>";
}

// GB2312, as People's Daily's are.
std::string GbAtom() {
  return "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
         "<title>" +
         Gb("站点") + "</title><entry><title>" + Gb("第三条：原子条目标题") +
         "</title><link rel=\"alternate\" href=\"/c/3.htm\"/><summary>" + Gb("摘要") +
         "</summary></entry></feed>";
}

class NewsFeeds : public NewsFixture {
 protected:
  void SetUp() override {
    NewsFixture::SetUp();
    ::setenv("VEXO_SOURCES", "current", 1);
    // Category 1 from the local server only: two feeds, four that are missing.
    const std::string ini = folder_ + "vexo.ini";
    ASSERT_TRUE(WriteProfileString(ini, "vexo", "news1_1", kRss));
    ASSERT_TRUE(WriteProfileString(ini, "vexo", "news1_2", kAtom));
    for (int i = 3; i <= 6; ++i)
      ASSERT_TRUE(WriteProfileString(ini, "vexo", NewsSourceKey(1, i),
                                     "http://none.example.cn/rss/" + IntToText(i) + ".xml"));
    sources_ = ReadNewsSources(ini);
  }
  void TearDown() override {
    NewsFixture::TearDown();
    testing::ChooseClassicSources();
  }

  Tnews& OpenFeeds() {
    NewsServices s = Services();
    s.sources = sources_;
    window_ = std::make_unique<Tnews>(s);
    window_->FormCreate();
    window_->FormShow();
    return *window_;
  }

  // Caption and link of every row, in no particular order.
  std::multiset<std::pair<Bytes, Bytes>> Rows() const {
    std::multiset<std::pair<Bytes, Bytes>> out;
    for (int r = 0; r + 1 < window_->Stgd.RowCount(); ++r)
      out.emplace(window_->Stgd.Cell(1, r), window_->Stgd.Cell(2, r));
    return out;
  }

  void SetSilentAddress(const std::string& address) {
    testing::PortalPage page;
    page.silent = true;
    portal_.SetPage(address, page);
  }

  NewsSources sources_;
};

TEST_F(NewsFeeds, RssAndAtomItemsBecomeRowsWithTheirTitlesAndLinks) {
  portal_.SetPage(kRss,
                  Rss(RssItem("<![CDATA[第一条：人民网新闻标题]]>", "http://a.example.cn/1.htm") +
                      RssItem("第二条 &amp; 中新网", "https://b.example.cn/2.htm")));
  portal_.SetPage(kAtom, GbAtom());
  Tnews& w = OpenFeeds();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Rows(), (std::multiset<std::pair<Bytes, Bytes>>{
                        {Gb("第一条：人民网新闻标题"), "http://a.example.cn/1.htm"},
                        {Gb("第二条 & 中新网"), "https://b.example.cn/2.htm"},
                        {Gb("第三条：原子条目标题"), "http://atom.example.cn/c/3.htm"}}));
  EXPECT_EQ(portal_.Requests().size(), 6u);
  for (const std::string& request : portal_.Server().Received())
    EXPECT_TRUE(Contains(request, "\r\nUser-Agent: Mozilla/5.0 (X11;")) << request;
  EXPECT_TRUE(w.Spt2.Enabled());
}

TEST_F(NewsFeeds, ItemsCutAcrossPiecesComeOutWhole) {
  const std::string longTitle(120, 'x');
  testing::PortalPage page;
  page.body = Rss(RssItem("第一条：分块到达的新闻标题", "http://a.example.cn/1.htm") +
                  RssItem(longTitle, "http://a.example.cn/long.htm"));
  page.piece = 7;
  page.pause_ms = 2;
  portal_.SetPage(kRss, page);
  portal_.SetPage(kAtom, GbAtom());
  OpenFeeds();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Rows(), (std::multiset<std::pair<Bytes, Bytes>>{
                        {Gb("第一条：分块到达的新闻标题"), "http://a.example.cn/1.htm"},
                        {Bytes(100, 'x'), "http://a.example.cn/long.htm"},
                        {Gb("第三条：原子条目标题"), "http://atom.example.cn/c/3.htm"}}));
}

TEST_F(NewsFeeds, GarbageGivesNoRows) {
  const std::string garbage[] = {
      std::string("\x00\xff\xfe<item><title>", 13) + std::string(4000, '\x81'),
      Rss("<item><title>没有结尾的条目"),
      Rss("<item><title>没有链接的条目</title></item>" + RssItem("", "http://a.example.cn/")),
      Rss(RssItem("脚本链接", "javascript:alert(1)")),
      std::string(200000, '<'),
  };
  for (const std::string& body : garbage) {
    portal_.SetPage(kRss, body);
    portal_.SetPage(kAtom, body);
    Tnews& w = OpenFeeds();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(w.Stgd.RowCount(), 1);
    EXPECT_EQ(w.Stgd.Cell(1, 0), GetNewsTexts().waiting);
  }
}

TEST_F(NewsFeeds, AThirdFeedOfOneHostWaitsForOneOfTheTwoBeforeIt) {
  const std::string one = "http://one.example.cn/rss/";
  const std::string ini = folder_ + "vexo.ini";
  for (int i = 1; i <= 3; ++i)
    ASSERT_TRUE(WriteProfileString(ini, "vexo", NewsSourceKey(1, i), one + IntToText(i) + ".xml"));
  sources_ = ReadNewsSources(ini);
  testing::PortalPage slow;
  slow.body = Rss(RssItem("第一条：慢慢到达的新闻标题", "http://a.example.cn/1.htm"));
  slow.piece = 8;
  slow.pause_ms = 10;
  portal_.SetPage(one + "1.xml", slow);
  SetSilentAddress(one + "2.xml");
  portal_.SetPage(one + "3.xml",
                  Rss(RssItem("第三条：等候的新闻标题", "http://a.example.cn/3.htm")));
  Tnews& w = OpenFeeds();
  const auto asked = [&](const std::string& path) {
    const auto& r = portal_.Requests();
    return std::find(r.begin(), r.end(), "one.example.cn/rss/" + path) - r.begin();
  };
  ASSERT_TRUE(testing::RunUntil([&] { return asked("2.xml") < std::ssize(portal_.Requests()); }));
  EXPECT_LT(asked("1.xml"), std::ssize(portal_.Requests()));
  EXPECT_EQ(asked("3.xml"), std::ssize(portal_.Requests()));

  ASSERT_TRUE(testing::RunUntil([&] { return w.Stgd.RowCount() == 3; }));
  EXPECT_EQ(w.RunningClients(), 1u);
  EXPECT_EQ(Rows(), (std::multiset<std::pair<Bytes, Bytes>>{
                        {Gb("第一条：慢慢到达的新闻标题"), "http://a.example.cn/1.htm"},
                        {Gb("第三条：等候的新闻标题"), "http://a.example.cn/3.htm"}}));
  timers_.AdvanceBy(kNewsAbortMs);
  EXPECT_TRUE(WaitIdle());
}

TEST_F(NewsFeeds, ConfiguredAddressesAreFeedsWhenTheyLookLikeOne) {
  const std::string ini = folder_ + "vexo.ini";
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news2_1", "http://portal.example.cn/finance/"));
  const NewsSources current = ReadNewsSources(ini);
  EXPECT_TRUE(current.IsFeed(1, 1));
  EXPECT_EQ(current.At(2, 1), "http://portal.example.cn/finance/");
  EXPECT_FALSE(current.IsFeed(2, 1));
  EXPECT_TRUE(current.IsFeed(2, 2));
  EXPECT_FALSE(current.IsFeed(2, 6));  // an empty place

  ::setenv("VEXO_SOURCES", "classic", 1);
  const NewsSources classic = ReadNewsSources(ini);
  EXPECT_EQ(classic.At(1, 1), kRss);
  for (int n = 1; n <= 8; ++n)
    for (int i = 1; i <= 6; ++i) EXPECT_FALSE(classic.IsFeed(n, i)) << n << "/" << i;
}

TEST(NewsFeedTable, TwoToSixHttpsFeedsPerCategoryAtMostTwoPerHost) {
  for (const auto& category : CurrentNewsFeeds()) {
    std::map<Bytes, int> perHost;
    int feeds = 0;
    for (const Bytes& a : category) {
      if (a.empty()) continue;
      ++feeds;
      EXPECT_EQ(a.rfind("https://", 0), 0u) << a;
      EXPECT_TRUE(LooksLikeFeedAddress(a)) << a;
      EXPECT_EQ(a.find_first_of(" \x7f\x80\xff"), Bytes::npos) << a;
      EXPECT_LE(++perHost[a.substr(0, a.find('/', 8))], 2) << a;
    }
    EXPECT_GE(feeds, 2);
    EXPECT_LE(feeds, 6);
  }
  EXPECT_EQ(
      CurrentNewsFeeds()[5][0],
      "https://news.google.com/rss/search?q=%E6%B8%B8%E6%88%8F&hl=zh-CN&gl=CN&ceid=CN:zh-Hans");
}

TEST(FeedCharset, HeaderThenDeclarationThenUtf8) {
  struct Case {
    StringList headers;
    std::string body;
    int charset;
  };
  const Case cases[] = {
      {{"Content-Type: text/xml; charset=GBK"}, "<?xml encoding=\"utf-8\"?>", kCharsetGb},
      {{"Content-Type: text/xml; charset=\"utf-8\""}, "", kCharsetUtf8},
      {{"Content-Type: text/xml"}, "<?xml version=\"1.0\" encoding='GB2312'?><rss/>", kCharsetGb},
      {{}, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"big5\"?>", kCharsetBig5},
      {{}, "<?xml version=\"1.0\"?><rss/>", kCharsetUtf8},
      {{}, "<rss>encoding=\"gb2312\"</rss>", kCharsetUtf8},
  };
  for (const Case& c : cases) EXPECT_EQ(FeedCharset(c.headers, c.body), c.charset) << c.body;
}

TEST(FeedHeadlines, AtMostTwoHundredRowsFromOneFeed) {
  std::string items;
  for (int i = 0; i < 300; ++i)
    items += RssItem("标题" + std::to_string(i), "http://a.example.cn/" + std::to_string(i));
  const auto rows = FeedHeadlines(Rss(items), {}, kRss);
  ASSERT_EQ(rows.size(), kMaxFeedHeadlines);
  EXPECT_EQ(rows.back().caption, Gb("标题199"));
}

}  // namespace
}  // namespace vexo
