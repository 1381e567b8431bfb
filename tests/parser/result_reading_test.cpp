#include "parser/result_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/support/sample_result_reading.h"

namespace vexo {

// Printed by gtest in failure messages.
void PrintTo(const FoundResult& r, std::ostream* os) {
  *os << "{" << GbToUtf8(r.title) << " | " << GbToUtf8(r.snippet) << " | " << r.link << "}";
}
bool operator==(const FoundResult& a, const FoundResult& b) {
  return a.title == b.title && a.snippet == b.snippet && a.link == b.link;
}

namespace {

const ResultReading& Reading() {
  return testing::TodaysResultReading();
}

using Results = std::vector<FoundResult>;

Results Html(const Bytes& page, std::string_view address = "https://www.engine.example/s?q=x") {
  return ReadHtmlResults(page, address, Reading());
}

// Pages in the shape of today's engines and feeds, each read whole.
TEST(ResultReading, EnginePagesAndFeeds) {
  using Reader = Results (*)(std::string_view, std::string_view, const ResultReading&);
  struct Case {
    const char* name;
    Reader read;
    const char* address;
    Bytes page;
    Results expected;
  };
  const std::vector<Case> cases = {
      {"Baidu",
       ReadHtmlResults,
       "https://www.baidu.com/s?wd=x",
       "<html><head><style>.c-container{margin:0}</style></head><body><div id=content_left>"
       "<div class=\"result c-container new-pmd\" srcid=\"1599\" mu=\"https://site.example/a\">"
       "<div class=\"c-container-x\">x</div><h3 class=\"t\"><a "
       "href=\"https://www.baidu.com/link?url=XYZ\" target=\"_blank\">Vexo <em>" +
           Gb("新闻") +
           "</em> title</a></h3>\n<div class=\"c-abstract\">Snippet &amp; more&nbsp;text "
           "<em>kw</em><script>var a='<h3>no</h3>';</script></div></div>\n"
           "<div class=\"result c-container\"><h3><a href=\"/link?url=ABC\">Second</a></h3>"
           "<span>two</span></div></div><div id=foot><a href=\"/x\">Footer</a></div>",
       {{"Vexo " + Gb("新闻") + " title", "x Snippet & more text kw", "https://site.example/a"},
        {"Second", "two", "https://www.baidu.com/link?url=ABC"}}},
      {"Bing",
       ReadHtmlResults,
       "https://www.engine.example/s?q=x",
       "<ol id=\"b_results\"><li class=\"b_algo\" data-bm=\"6\"><div class=\"b_tpcn\"><a "
       "class=\"tilk\" href=\"https://example.com/\"><div class=\"tpic\"></div></a></div>"
       "<h2><a href=\"https://www.bing.com/ck/a?!&amp;&amp;p=abc&amp;"
       "u=a1aHR0cHM6Ly9leGFtcGxlLmNvbS8&amp;ntb=1\" h=\"ID=SERP,5000.1\">Example "
       "<strong>Domain</strong></a></h2><div class=\"b_caption\"><p class=\"b_lineclamp2 "
       "b_algoSlug\">For use in examples.</p></div></li>\n"
       "<li class=\"b_algo\"><h2><a href=\"https://www.bing.com/ck/a?!&&p=x&u=a1bad*base64\">"
       "Bad</a></h2><p>garbage</p></ol><div>after the list</div>",
       {{"Example Domain", "For use in examples.", "https://example.com/"},
        {"Bad", "garbage", "https://www.bing.com/ck/a?!&&p=x&u=a1bad*base64"}}},
      {"SogouAnd360",
       ReadHtmlResults,
       "https://www.engine.example/s?q=x",
       "<div class=results><div class=\"vrwrap\"><h3 class=\"vr-title\"><a id=\"sogou_vr_1\" "
       "href=\"/link?url=hedJ\">Sogou title</a></h3><div class=\"r-sech\" "
       "data-url=\"https://sogou.example/page?a=1&amp;b=2\"></div><p>Sogou snippet</p></div></div>"
       "<ul class=\"result\"><li class=\"res-list\"><h3 class=\"res-title \"><a "
       "href=\"https://www.so.com/link?m=abc\" data-mdurl=\"https://360.example/x\" "
       "data-res=\"{&quot;pos&quot;:1}\">360 &#26631;&#x9898;</a></h3><p>desc</p></li></ul>",
       {{"Sogou title", "Sogou snippet", "https://sogou.example/page?a=1&b=2"},
        {Gb("360 标题"), "desc", "https://360.example/x"}}},
      // data-url comes first in the page, but mu first in the list; a mu that is
      // not an http(s) address does not count.
      {"AddressAttributesInTheirOrder",
       ReadHtmlResults,
       "https://www.engine.example/s?q=x",
       "<div class=c-container><span data-url=\"https://late.example/\"></span>"
       "<h3><a href=\"/r\" mu=\"javascript:;\">One</a></h3><i mu=\"https://mu.example/\"></i></div>"
       "<div class=c-container><span data-url=\"https://late.example/\"></span>"
       "<h3><a href=\"/r\" mu=\"javascript:;\">Two</a></h3></div>"
       "<div class=c-container><a href=\"//cdn.example/p\">No heading</a> text</div>",
       {{"One", "", "https://mu.example/"},
        {"Two", "", "https://late.example/"},
        {"No heading", "text", "https://cdn.example/p"}}},
      {"RssWithCdataAndEntities",
       ReadFeedItems,
       "https://feed.example/rss.xml",
       "<?xml version=\"1.0\" encoding=\"gb2312\"?><rss "
       "version=\"2.0\"><channel><title>Feed</title>"
       "<link>https://feed.example/</link><item><title><![CDATA[Cdata <b>title</b> & "
       "more]]></title><link>https://feed.example/1?a=1&amp;b=2</link><description>&lt;p&gt;"
       "Escaped &amp;amp; html&lt;/p&gt;</description></item>\n<item><title>Second "
       "&#8220;quoted&#8221;</title><link> /2.htm </link><description><![CDATA[<div>cdata <a "
       "href=\"x\">html</a> </title></div>]]></description></item><item><title>No link</title>"
       "</item></channel></rss>",
       {{"Cdata title & more", "Escaped & html", "https://feed.example/1?a=1&b=2"},
        {Gb("Second “quoted”"), "cdata html", "https://feed.example/2.htm"}}},
      {"Atom",
       ReadFeedItems,
       "https://atom.example/feed",
       "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Atom</title><link "
       "href=\"https://atom.example/\"/><entry><title type=\"html\">Atom &lt;em&gt;one&lt;/em&gt;"
       "</title><link rel=\"self\" href=\"https://atom.example/self/1\"/><link rel=\"alternate\" "
       "href=\"https://atom.example/1\"/><summary>Summary one</summary></entry><entry><title>Two"
       "</title><link rel=\"enclosure\" href=\"https://atom.example/2.mp3\"/><content "
       "type=\"html\">Content two</content></entry></feed>",
       {{"Atom one", "Summary one", "https://atom.example/1"},
        {"Two", "Content two", "https://atom.example/2.mp3"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.read(c.page, c.address, Reading()), c.expected) << c.name;
}

TEST(ReadHtmlResults, DropsResultsWithoutTitleOrLink) {
  const Bytes page =
      "<div class=c-container><h3>no link</h3></div>"
      "<div class=c-container><h3><a href=\"mailto:a@b.example\">Mail</a></h3></div>"
      "<div class=c-container><h3><a href=\"https://x.example/\"><img src=x></a></h3></div>";
  EXPECT_TRUE(Html(page).empty());
  EXPECT_TRUE(Html(page, "").empty());
}

TEST(ReadHtmlResults, HostilePages) {
  struct Case {
    const char* name;
    Bytes page;
    std::size_t results;
  };
  const std::vector<Case> cases = {
      {"no results", "<html><body><a href=\"https://x.example/\">x</a></body></html>", 0},
      {"marker at the very end", "<p>text</p><li class=\"b_algo", 0},
      {"marker outside a tag", "<p>b_algo <a href=\"https://x.example/\">x</a></p>", 0},
      {"unterminated link tag", "<li class=b_algo><h2><a href=\"https://x.example/", 0},
      {"unterminated title", "<li class=b_algo><h2><a href=\"https://x.example/\">Title", 1},
      {"open quote", "<li class=b_algo><h2><a title=\"x href=https://x.example/>T</a>", 0},
      {"empty page", "", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Html(c.page).size(), c.results) << c.name;
}

TEST(ReadHtmlResults, HugePagesStayBounded) {
  const Bytes head = "<li class=\"b_algo\"><h2><a href=\"https://x.example/\">T</a></h2><p>";
  const Results one = Html(head + Bytes(8 << 20, 'x'));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_LE(one[0].snippet.size(), kResultBound);
  EXPECT_GT(one[0].snippet.size(), kResultBound / 2);

  // Markers in tags that never close, and in text: every walk stays short.
  Bytes open;
  Bytes text;
  for (int i = 0; i < 100000; ++i) {
    open += "<a x=b_algo ";
    text += "b_algo>";
  }
  EXPECT_TRUE(Html(open).empty());
  EXPECT_TRUE(Html(text).empty());
}

TEST(ReadFeedItems, NewsEngineLinks) {
  const Bytes page =
      "<rss><channel><item><title>Bing</title><link>http://www.bing.com/news/apiclick.aspx?"
      "ref=FexRss&amp;aid=&amp;tid=1&amp;url=https%3a%2f%2fnews.example%2fa%3fid%3d7&amp;c=1"
      "</link><description>b</description></item><item><title>Google</title>"
      "<link>https://news.google.com/rss/articles/CBMiX2h0?oc=5</link></item></channel></rss>";
  const Results items =
      ReadFeedItems(page, "https://www.bing.com/news/search?format=rss", Reading());
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].link, "https://news.example/a?id=7");
  EXPECT_FALSE(IsEngineRedirect(items[0].link, Reading()));
  EXPECT_EQ(items[1].link, "https://news.google.com/rss/articles/CBMiX2h0?oc=5");
  EXPECT_TRUE(IsEngineRedirect(items[1].link, Reading()));
}

TEST(ReadFeedItems, HostileFeeds) {
  const Bytes big =
      "<item><title>T</title><link>https://x.example/</link><description>" + Bytes(4 << 20, 'x');
  const Results items = ReadFeedItems(big + "<![CDATA[", "", Reading());
  ASSERT_EQ(items.size(), 1u);
  EXPECT_LE(items[0].snippet.size(), kResultBound);
  for (const Bytes page : {"<item", "<item><title><![CDATA[x", "<items><entryType>", "<entry/>",
                           "<item><title>t</title><link href=\"", ""})
    EXPECT_TRUE(ReadFeedItems(page, "", Reading()).empty()) << page;
}

TEST(UnwrapLink, TakesTheCarriedAddressOrTheLink) {
  struct Case {
    const char* link;
    const char* address;
  };
  const Case cases[] = {
      {"https://www.bing.com/ck/a?!&&p=1&u=a1aHR0cHM6Ly9leGFtcGxlLmNvbS8&ntb=1",
       "https://example.com/"},
      {"http://www.bing.com/news/apiclick.aspx?url=https%3A%2F%2Fa.example%2F%E4%B8%AD",
       "https://a.example/%E4%B8%AD"},
      {"https://b.example/?u=a1!!!", "https://b.example/?u=a1!!!"},            // base64 garbage
      {"https://b.example/?u=a1aHR0cHM6", "https://b.example/?u=a1aHR0cHM6"},  // "https:"
      {"https://b.example/?u=a1Zm9v", "https://b.example/?u=a1Zm9v"},          // "foo"
      {"https://b.example/?x=1#u=a1aHR0cHM6Ly9leGFtcGxlLmNvbS8",
       "https://b.example/?x=1#u=a1aHR0cHM6Ly9leGFtcGxlLmNvbS8"},
      {"https://www.baidu.com/link?url=XYZ", "https://www.baidu.com/link?url=XYZ"},
      {" http://a.example/b c ", "http://a.example/b%20c"},
      {"/relative", ""},
      {"javascript:go('https://x.example/')", ""},
      {"https://", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UnwrapLink(c.link, Reading()), c.address) << c.link;
}

TEST(IsEngineRedirect, LooksAtPathAndQueryOnly) {
  struct Case {
    const char* link;
    bool redirect;
  };
  const Case cases[] = {
      {"https://www.baidu.com/link?url=abc", true},
      {"https://www.so.com/link?m=abc", true},
      {"https://www.sogou.com/LINK?URL=abc", true},
      {"https://news.google.com/rss/articles/CBM?oc=5", true},
      {"https://site.example/a?next=/link?url=x", true},
      {"https://site.example/a", false},
      {"https://site.example/links?url=x", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsEngineRedirect(c.link, Reading()), c.redirect) << c.link;
}

}  // namespace
}  // namespace vexo
