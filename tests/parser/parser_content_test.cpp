// Content pages (pages of remembered sites, source tags above 50): text runs
// that match become targets linked to the tag before them or to the page.

#include <gtest/gtest.h>

#include "tests/parser/parser_fixture.h"

namespace vexo::parser_test {
namespace {

const Bytes kKeyword = Gb("手机");
const std::string kPage = "http://www.site.com/news/p.htm";

class ContentPageTest : public ParserTest {};

struct HiddenMatchCase {
  const char* name;
  Bytes html;
};

TEST_F(ContentPageTest, KeywordOutsideATextRunGivesNoTargetButPromotesThePageSite) {
  const std::vector<HiddenMatchCase> cases = {
      {"attribute", "<html><body><img alt=\"" + kKeyword + "\" src=\"a.gif\"><p>" +
                        ChineseFiller(40) + "</p></body></html>"},
      {"script",
       "<p>x</p><script>var s=\"" + Gb("最新") + kKeyword + Gb("报价") + "\";</script><p>y</p>"},
      {"span", "<div><span>" + Gb("最新") + kKeyword + Gb("报价大全") + "</span></div>"},
      {"upper-case closing tag", "<div><SPAN>" + Gb("最新") + kKeyword + "</SPAN></div>"},
      {"style", "<style>." + Gb("最新") + kKeyword + "{}</style><p>z</p>"},
      {"opening tag first", "<p>" + Gb("最新") + kKeyword + "<br>" + ChineseFiller(30) + "</p>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Queue() = {Bytes(kPassMarker), Bytes(kAgeMarker1), "http://www.site.com"};
    Analyse(51, c.html, kPage, kKeyword);
    EXPECT_TRUE(Targets().empty());
    // The page's own site moves from the candidates up under the pass marker.
    EXPECT_EQ(Queue(), (StringList{Bytes(kPassMarker), "http://www.site.com", Bytes(kAgeMarker1)}));
  }
}

TEST_F(ContentPageTest, LongTextRunGivesCappedTitleAroundTheMatchLinkedToTheAnchorBeforeIt) {
  // 400 bytes of text with the keyword 200 bytes in.
  const Bytes run = ChineseFiller(200) + kKeyword + ChineseFiller(196);
  const Bytes html = "<html><body><a href=\"/news/1.htm\">" + run + "</a></body></html>";
  Analyse(51, html, kPage, kKeyword);

  const auto targets = Targets();
  ASSERT_EQ(targets.size(), 1u);
  const Bytes& title = targets[0].title;
  EXPECT_EQ(targets[0].link, "http://www.site.com/news/1.htm");
  EXPECT_LE(title.size(), 156u);
  const auto at = run.find(title);
  ASSERT_NE(at, Bytes::npos);
  EXPECT_LE(200 - static_cast<long>(at), 78);
  EXPECT_NE(title.find(kKeyword), Bytes::npos);
  // Whole characters only: the title starts and ends on character edges.
  EXPECT_EQ(at % 2, 0u);
  EXPECT_EQ(title.size() % 2, 0u);
  // Cut to 156, pulled to whole characters (152), 76 bytes before the match.
  EXPECT_EQ(title, run.substr(124, 152));
}

TEST_F(ContentPageTest, LinkFallsBackToThePageAddress) {
  struct Case {
    const char* name;
    Bytes html;
  };
  const Bytes longRun = ChineseFiller(450) + kKeyword + ChineseFiller(50);
  const std::vector<Case> cases = {
      {"anchor more than 300 bytes before", "<a href=\"/x.htm\">" + longRun + "</a>"},
      {"tag without href",
       "<p class=\"intro\">" + Gb("今天") + kKeyword + Gb("新品发布会") + "</p>"},
      {"no tag at all", Gb("今天") + kKeyword + Gb("新品发布会") + "</p>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartRun();
    Analyse(51, c.html, kPage, kKeyword);
    const auto targets = Targets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].link, kPage);
  }
}

TEST_F(ContentPageTest, PageAddressWithoutPathIsRefusedAsALink) {
  const Bytes html = "<p>" + Gb("今天") + kKeyword + Gb("新品发布会") + "</p>";
  Analyse(51, html, "http://www.site.com", kKeyword);
  EXPECT_TRUE(Targets().empty());
}

TEST_F(ContentPageTest, EachMatchingRunBecomesATargetWithItsOwnLink) {
  const Bytes html = "<ul><li><a href=\"/1.htm\">" + Gb("新款") + kKeyword + Gb("一号评测") +
                     "</a></li><li><a href='http://other.net/2.htm'>" + Gb("旧款") + kKeyword +
                     Gb("二号评测") + "</a></li><li><a href=\"3.htm\">" + Gb("无关内容标题") +
                     "</a></li></ul>";
  Analyse(51, html, kPage, kKeyword);
  EXPECT_EQ(Targets(), (std::vector<Target>{
                           {"http://www.site.com/1.htm", Gb("新款") + kKeyword + Gb("一号评测")},
                           {"http://other.net/2.htm", Gb("旧款") + kKeyword + Gb("二号评测")},
                       }));
  // Both sites proven, the newest on top.
  EXPECT_EQ(Queue(), (StringList{Bytes(kPassMarker), "http://other.net", "http://www.site.com",
                                 Bytes(kAgeMarker1)}));
}

TEST_F(ContentPageTest, HttpsLinksAndPagesWorkAsHttpOnes) {
  const Bytes html = "<ul><li><a href=\"/1.htm\">" + Gb("新款") + kKeyword + Gb("一号评测") +
                     "</a></li><li><a href='HTTPS://other.net/2.htm'>" + Gb("旧款") + kKeyword +
                     Gb("二号评测") + "</a></li><li><p>" + Gb("三款") + kKeyword + Gb("三号评测") +
                     "</p></li></ul>";
  Queue().push_back("https://www.site.com");
  Analyse(51, html, "https://www.site.com/news/p.htm", kKeyword);
  EXPECT_EQ(Targets(),
            (std::vector<Target>{
                {"https://www.site.com/1.htm", Gb("新款") + kKeyword + Gb("一号评测")},
                {"HTTPS://other.net/2.htm", Gb("旧款") + kKeyword + Gb("二号评测")},
                {"https://www.site.com/news/p.htm", Gb("三款") + kKeyword + Gb("三号评测")},
            }));
  EXPECT_EQ(Queue(), (StringList{Bytes(kPassMarker), "https://www.site.com", "HTTPS://other.net",
                                 Bytes(kAgeMarker1)}));
}

TEST_F(ContentPageTest, TitleHoldsTheWholeExpressionNotJustTheFirstWord) {
  const Bytes expr = kKeyword + "+" + Gb("诺基亚");
  const Bytes html = "<p><a href=\"/1.htm\">" + Gb("新款") + kKeyword + Gb("评测文章") +
                     "</a></p><p><a href=\"/2.htm\">" + Gb("诺基亚") + kKeyword + Gb("新款评测") +
                     "</a></p>";
  Analyse(51, html, kPage, expr);
  const auto targets = Targets();
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0].link, "http://www.site.com/2.htm");
}

TEST_F(ContentPageTest, EntitiesAndLineBreaksLeaveTheTitle) {
  const Bytes html = "<p><a href=\"/1.htm\">" + Gb("新款") + kKeyword + "\r\n" + Gb("评测") +
                     "&nbsp;" + Gb("文章") + "</a></p>";
  Analyse(51, html, kPage, kKeyword);
  const auto targets = Targets();
  ASSERT_EQ(targets.size(), 1u);
  // The run ends at "&": the entity is never part of it.
  EXPECT_EQ(targets[0].title, Gb("新款") + kKeyword + Gb("评测"));
}

TEST_F(ContentPageTest, EnginePagesAndTagFiftyHaveNoContentStage) {
  const Bytes html = "<p><a href=\"/1.htm\">" + Gb("新款") + kKeyword + Gb("评测文章") + "</a></p>";
  Analyse(51, html, "http://news.BAIDU.com/n/1.htm", kKeyword);
  Analyse(50, html, kPage, kKeyword);
  EXPECT_TRUE(Targets().empty());
  EXPECT_EQ(Queue(), StringList{Bytes(kPassMarker)});
}

TEST_F(ContentPageTest, EachNewTargetStoredIsToldButNoDuplicate) {
  const Bytes html = "<p><a href=\"/1.htm\">" + Gb("新款") + kKeyword + Gb("评测文章") + "</a></p>";
  Analyse(51, html, kPage, kKeyword);
  EXPECT_EQ(Targets().size(), 1u);
  ASSERT_EQ(host.popups.size(), 1u);
  host.popups.clear();

  Analyse(51, html, kPage, kKeyword);  // the same target again: nothing to tell
  EXPECT_TRUE(host.popups.empty());
  const Bytes other =
      "<p><a href=\"/2.htm\">" + Gb("旧款") + kKeyword + Gb("评测文章") + "</a></p>";
  Analyse(51, other, kPage, kKeyword);
  EXPECT_EQ(Targets().size(), 2u);
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_EQ(host.popups[0], nullptr);  // no worker behind AnalysePageNow
}

TEST_F(ContentPageTest, BigFiveAndUtf8PagesAreMatchedInGb2312) {
  // 新款手機評測 in Big5 and 手机 in UTF-8, both around the GB2312 keyword 手机.
  const Bytes big5 =
      "<p><a href=\"/1.htm\">\xB7\x73\xB4\xDA\xA4\xE2\xBE\xF7\xB5\xFB\xB4\xFA</a></p>";
  Analyse(51, big5, kPage, kKeyword, 5);
  const Bytes utf8 = "<p><a href=\"/2.htm\">新款手机评测文章</a></p>";
  Analyse(51, utf8, kPage, kKeyword, 8);
  const auto targets = Targets();
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_NE(targets[0].title.find(kKeyword), Bytes::npos) << GbToUtf8(targets[0].title);
  EXPECT_EQ(targets[1].title, Gb("新款手机评测文章"));
}

TEST_F(ContentPageTest, CharactersOutsideGb2312BecomeOneMarkBesideWholeNeighbours) {
  const Bytes mark(kLackingMark);
  const struct {
    const char* name;
    int charset;
    Bytes run;  // the text of the link
    Bytes title;
  } cases[] = {
      {"GBK 昇 before the match", 0, Gb("新款赵") + "\x95\x4E" + kKeyword + Gb("评测"),
       Gb("新款赵") + mark + kKeyword + Gb("评测")},
      {"GBK 昇 after the match", 0, Gb("新款") + kKeyword + "\x95\x4E" + Gb("评测"),
       Gb("新款") + kKeyword + mark + Gb("评测")},
      {"GB18030 four bytes", 0, Gb("新款") + "\x94\x39\xFC\x36" + kKeyword + Gb("评测"),
       Gb("新款") + mark + kKeyword + Gb("评测")},
      {"UTF-8 昇", 8, "新款赵昇手机评测", Gb("新款赵") + mark + kKeyword + Gb("评测")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartRun();
    Analyse(51, "<p><a href=\"/1.htm\">" + c.run + "</a></p>", kPage, kKeyword, c.charset);
    const auto targets = Targets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].title, c.title) << GbToUtf8(targets[0].title);
  }
}

}  // namespace
}  // namespace vexo::parser_test
