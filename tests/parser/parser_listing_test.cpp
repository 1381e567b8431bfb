// Listing pages (engine result pages from the site queue, source tags below
// 50): every link with a matching snippet becomes a target; the engines'
// highlight tags teach word splits during the first pass.

#include <gtest/gtest.h>

#include "tests/parser/parser_fixture.h"

namespace vexo::parser_test {
namespace {

const Bytes kKeyword = Gb("手机");
const std::string kSearch = "http://search.example.com/find?q=x";

class ListingPageTest : public ParserTest {};

Bytes Anchor(std::string_view href, std::string_view snippet) {
  return "<p><a href=" + Bytes(href) + " target=_blank>" + Gb("标题") + "</a><br>" +
         Bytes(snippet) + "<br></p>\n";
}

TEST_F(ListingPageTest, LinksWithMatchingSnippetsBecomeTargetsAndEveryWebLinkASite) {
  const Bytes html = "<html><body>\n" +
                     Anchor("\"http://www.news1.com/a/1.htm\"", Gb("最新手机新款上市价格便宜")) +
                     Anchor("\"/local/2.htm\"", Gb("今日手机降价促销活动")) +
                     Anchor("'https://secure.example.com/x.htm'", Gb("又一条手机的新闻消息")) +
                     Anchor("http://www.other.com/3.htm", Gb("普通文字没有关键字")) +
                     Anchor("\"http://www.last.com/4.htm\"", Gb("最后一条手机新闻消息内容")) +
                     "</body></html>";
  Analyse(3, html, kSearch, kKeyword);

  EXPECT_EQ(Targets(), (std::vector<Target>{
                           {"http://www.news1.com/a/1.htm", Gb("手机新款上市价格便宜")},
                           {"http://search.example.com/local/2.htm", Gb("手机降价促销活动")},
                           {"https://secure.example.com/x.htm", Gb("手机的新闻消息")},
                       }));
  // The last link has no snippet (no anchor after it) but its site is still
  // a candidate.
  EXPECT_EQ(Queue(), (StringList{Bytes(kPassMarker), "http://www.news1.com",
                                 "http://search.example.com", "https://secure.example.com",
                                 "http://www.other.com", "http://www.last.com"}));
}

TEST_F(ListingPageTest, HttpsLinksAndPagesAreCutAndResolvedAsHttpOnes) {
  struct Case {
    const char* page;
    const char* href;
    const char* link;  // the target's
    const char* site;  // the candidate
  };
  const Case cases[] = {
      {"http://s.example.com/q", "\"HTTPS://a.example.com/1.htm\"", "HTTPS://a.example.com/1.htm",
       "HTTPS://a.example.com"},
      {"http://s.example.com/q", "/go?u=https://b.example.com/2.htm", "https://b.example.com/2.htm",
       "https://b.example.com"},
      {"https://s.example.com/d/q", "/3.htm", "https://s.example.com/3.htm",
       "https://s.example.com"},
      {"https://s.example.com/d/q", "4.htm", "https://s.example.com/d/4.htm",
       "https://s.example.com"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.href);
    StartRun();
    const Bytes html = Anchor(c.href, Gb("今日手机降价促销活动")) + "<a href=\"/end.htm\">";
    Analyse(3, html, c.page, kKeyword);
    EXPECT_EQ(Targets(), (std::vector<Target>{{c.link, Gb("手机降价促销活动")}}));
    ASSERT_GE(Queue().size(), 2u);
    EXPECT_EQ(Queue()[1], c.site);
  }
}

TEST_F(ListingPageTest, SnippetTitleStartsAfterAnEllipsisBeforeTheMatch) {
  const Bytes snippet = Gb("旧闻旧闻旧闻旧闻旧闻") + "..." + Gb("今日手机降价促销");
  const Bytes html = Anchor("\"http://www.a.com/1.htm\"", snippet) + "<a href=\"/end.htm\">";
  Analyse(3, html, kSearch, kKeyword);
  ASSERT_EQ(Targets().size(), 1u);
  EXPECT_EQ(Targets()[0].title, Gb("今日手机降价促销"));
}

TEST_F(ListingPageTest, LongSnippetGivesAtMost156BytesOfWholeCharacters) {
  const Bytes snippet = ChineseFiller(200) + kKeyword + ChineseFiller(200);
  const Bytes html = Anchor("\"http://www.a.com/1.htm\"", snippet) + "<a href=\"/end.htm\">";
  Analyse(3, html, kSearch, kKeyword);
  ASSERT_EQ(Targets().size(), 1u);
  // Starts 78 bytes before the match, ends 156 later, both pulled in to
  // character edges.
  EXPECT_EQ(Targets()[0].title, snippet.substr(124, 152));
}

TEST_F(ListingPageTest, EarlyMatchTitleStartsAtByteSeventeenAndSpacesGo) {
  const Bytes snippet = Gb("一二三四五六七八九十") + "a b" + kKeyword + Gb("新闻");
  const Bytes html = Anchor("\"http://www.a.com/1.htm\"", snippet) + "<a href=\"/end.htm\">";
  Analyse(3, html, kSearch, kKeyword);
  ASSERT_EQ(Targets().size(), 1u);
  EXPECT_EQ(Targets()[0].title, Gb("九十") + "ab" + kKeyword + Gb("新闻"));
}

TEST_F(ListingPageTest, AsciiKeywordsMatchWithoutRegardToCase) {
  const Bytes html = Anchor("\"http://www.a.com/1.htm\"", Gb("新款") + "NOKIA" + Gb("手机评测")) +
                     "<a href=\"/end.htm\">";
  Analyse(3, html, kSearch, "Nokia");
  ASSERT_EQ(Targets().size(), 1u);
  EXPECT_EQ(Targets()[0].title, "NOKIA" + Gb("手机评测"));
}

TEST_F(ListingPageTest, SnippetWithoutAPositiveTermGivesNothing) {
  const Bytes html = Anchor("\"http://www.a.com/1.htm\"", Gb("最新手机新款上市价格便宜")) +
                     "<a href=\"/end.htm\">";
  for (const Bytes& expr : {"|" + kKeyword, Gb("诺基亚"), Bytes()}) {
    StartRun();
    Analyse(3, html, kSearch, expr);
    EXPECT_TRUE(Targets().empty()) << GbToUtf8(expr);
  }
}

TEST_F(ListingPageTest, ClosingAnchorAfterTheNextLinkGivesNoSnippet) {
  // The first link's "</a>" is missing: the first "</a>" lies behind the
  // next "<a href=", so the first link has no snippet of its own.
  const Bytes html = "<a href=\"http://www.a.com/1.htm\">" + Gb("今日手机降价促销活动") +
                     "<a href=\"http://www.b.com/2.htm\">x</a>" + Gb("无关的文字内容") +
                     "<a href=\"/end.htm\">";
  Analyse(3, html, kSearch, kKeyword);
  EXPECT_TRUE(Targets().empty());
  EXPECT_EQ(Queue(), (StringList{Bytes(kPassMarker), "http://www.a.com", "http://www.b.com",
                                 "http://search.example.com"}));
}

TEST_F(ListingPageTest, NoListingStageWithoutTheRunLists) {
  host.store.DestroyLists();
  const Bytes html = Anchor("\"http://www.a.com/1.htm\"", Gb("最新手机新款上市价格便宜")) +
                     "<a href=\"/end.htm\">";
  Analyse(3, html, kSearch, kKeyword);
  EXPECT_EQ(host.store.OpenBlock(), nullptr);
  EXPECT_EQ(host.runningParsers, 0);
}

// --- learning from highlighted words ---------------------------------------

Bytes HighlightPage(std::string_view tag) {
  return "<p>" + Gb("相关结果") + Bytes(tag) + Gb("汽车") + "</font>" + Gb("的报道") +
         "</p><a href=\"http://www.car.com/1.htm\">" + Gb("奇瑞") + "</a>";
}

TEST_F(ListingPageTest, EveryHighlightFormSplitsTheWordInGjc3DuringTheFirstPass) {
  for (std::string_view tag : {"<font color=red>", "<FONT color=\"red\">", "<font color=#cc0033>",
                               "<font color=#e10900>", "<font color=d00001>"}) {
    SCOPED_TRACE(tag);
    host.gjc3 = Gb("奇瑞汽车");
    Analyse(2, HighlightPage(tag), "http://www.zhongsou.com/search?w=x", Gb("奇瑞汽车"));
    EXPECT_EQ(GbToUtf8(host.gjc3), "奇瑞+汽车");
  }
}

TEST_F(ListingPageTest, NoLearningOnceTheSiteQueueHoldsAnAgeMarker) {
  for (std::string_view marker : {kAgeMarker1, kAgeMarker2, kAgeMarker3}) {
    Queue() = {Bytes(kPassMarker), Bytes(marker)};
    host.gjc3 = Gb("奇瑞汽车");
    Analyse(2, HighlightPage("<font color=#cc0033>"), "http://www.baidu.com/s?wd=x",
            Gb("奇瑞汽车"));
    EXPECT_EQ(GbToUtf8(host.gjc3), "奇瑞汽车") << marker;
  }
}

TEST_F(ListingPageTest, LearningOnlyOnTheHighlightingEnginesPages) {
  for (const char* address : {"http://search.example.com/s?q=1", "http://www.BAIDU.com/s?wd=x",
                              "http://www.sogou.com/web?q=x"}) {
    host.gjc3 = Gb("奇瑞汽车");
    Analyse(2, HighlightPage("<font color=red>"), address, Gb("奇瑞汽车"));
    EXPECT_EQ(GbToUtf8(host.gjc3), "奇瑞汽车") << address;
  }
  host.gjc3 = Gb("奇瑞汽车");
  Analyse(2, HighlightPage("<font color=red>"), "http://www.google.com/search?q=x", Gb("奇瑞汽车"));
  EXPECT_EQ(GbToUtf8(host.gjc3), "奇瑞+汽车");
}

TEST_F(ListingPageTest, LearnedSplitReachesOnlyLaterPages) {
  // The page's own matching keeps the expression it arrived with.
  host.gjc3 = Gb("奇瑞汽车");
  const Bytes html = HighlightPage("<font color=red>") + Gb("的报道") +
                     Anchor("\"http://www.car.com/2.htm\"", Gb("评论汽车新款奇瑞上市")) +
                     "<a href=\"/end.htm\">";
  Analyse(2, html, "http://www.baidu.com/s?wd=x", Gb("奇瑞汽车"));
  EXPECT_EQ(GbToUtf8(host.gjc3), "奇瑞+汽车");
  EXPECT_TRUE(Targets().empty());
  Analyse(2, html, "http://www.baidu.com/s?wd=x", host.gjc3);
  ASSERT_EQ(Targets().size(), 1u);
  EXPECT_EQ(Targets()[0].link, "http://www.car.com/2.htm");
}

}  // namespace
}  // namespace vexo::parser_test
