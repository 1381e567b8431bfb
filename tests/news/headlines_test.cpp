// Headlines out of one piece of a portal page: what becomes a row, and what
// the caption and the link look like.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "news/news_headlines.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

const char* kPage = "http://news.sina.com.cn/news1000/";

std::vector<Headline> Extract(const std::string& piece, const char* page = kPage) {
  return ExtractHeadlines(piece, page);
}

std::string A(const std::string& link, const std::string& caption) {
  return "<a href=\"" + link + "\">" + caption + "</a>";
}

// Seven Chinese characters: 14 bytes, above the 12-byte minimum.
Bytes Long() {
  return Gb("国务院召开常务会议");
}

struct RowCase {
  const char* name;
  std::string piece;
  Bytes caption;  // expected; empty when no row
  Bytes link;
};

TEST(HeadlineRows, OneAnchorGivesTheExpectedRowOrNone) {
  const std::vector<RowCase> cases = {
      {"absolute link, spaces dropped",
       A("http://news.sina.com.cn/c/1.shtml", Gb("国务院 召开 常务会议")), Long(),
       "http://news.sina.com.cn/c/1.shtml"},
      {"root path joins the host", A("/c/2.shtml", Long()), Long(),
       "http://news.sina.com.cn/c/2.shtml"},
      {"bare file name joins the folder", A("n3.shtml", Long()), Long(),
       "http://news.sina.com.cn/news1000/n3.shtml"},
      {"upper-case HREF, single quotes", "<A HREF='http://x.sohu.com/a.html'>" + Long() + "</A>",
       Long(), "http://x.sohu.com/a.html"},
      {"unquoted link ends at the blank", "<a href=http://x.com/b.htm class=t>" + Long() + "</a>",
       Long(), "http://x.com/b.htm"},
      {"https link", A("https://news.sina.com.cn/c/1.shtml", Long()), Long(),
       "https://news.sina.com.cn/c/1.shtml"},
      {"unquoted upper-case https link", "<a href=HTTPS://x.com/b.htm class=t>" + Long() + "</a>",
       Long(), "HTTPS://x.com/b.htm"},
      {"entities vanish from the caption", A("http://x.com/c.htm", Gb("国务院&nbsp;召开常务会议")),
       Long(), "http://x.com/c.htm"},
      {"more", A("http://x.com/more.htm", Gb("更多国内新闻内容在这里")), "", ""},
      {"links", A("http://x.com/links.htm", Gb("友情链接合作伙伴名单")), "", ""},
      {"channel", A("http://x.com/ch.htm", Gb("体育频道首页欢迎光临")), "", ""},
      {"twelve bytes are too few", A("http://x.com/d.htm", Gb("六个汉字标题")), "", ""},
      {"twelve bytes after spaces go", A("http://x.com/d.htm", Gb("六个 汉字 标题  ")), "", ""},
      {"image", A("http://x.com/pic/1.JPG", Long()), "", ""},
      {"style sheet", A("http://x.com/s/main.css", Long()), "", ""},
      {"archive", A("http://x.com/files/a.zip", Long()), "", ""},
      {"mail", A("mailto:editor@sina.com.cn", Long()), "", ""},
      {"script link", A("javascript:window.close()", Long()), "", ""},
      {"lone hash", A("#", Long()), "", ""},
      {"lone slash", A("/", Long()), "", ""},
      {"eight bytes with the quotes", A("/a.htm", Long()), "", ""},
      {"script text in caption", A("http://x.com/e.htm", "document.write('" + Long() + "')"), "",
       ""},
      {"quote plus", A("http://x.com/e.htm", Long() + "\"+" + Long()), "", ""},
      {"copyright", A("http://x.com/e.htm", "Copyright&copy; 2004 " + Long()), "", ""},
      {"icp", A("http://x.com/e.htm", Gb("京ICP证000000号新闻中心")), "", ""},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto rows = Extract(c.piece);
    if (c.caption.empty()) {
      EXPECT_TRUE(rows.empty());
    } else {
      ASSERT_EQ(rows.size(), 1u);
      EXPECT_EQ(rows[0].caption, c.caption);
      EXPECT_EQ(rows[0].link, c.link);
    }
  }
}

TEST(HeadlineRows, ASecondSchemeInALaterAttributeWins) {
  const auto rows =
      Extract("<a href=\"/x/1.htm\" data=\"http://other.com/2.htm\">" + Long() + "</a>");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].link, "http://other.com/2.htm");
}

TEST(HeadlineRows, AnchorsComeInPageOrderAndRepeatsStay) {
  const std::string piece = "<p>" + A("http://a.com/1.htm", Long()) + "<br>" +
                            A("http://b.com/2.htm", Gb("第二条新闻标题很长很长")) + "<br>" +
                            A("http://a.com/1.htm", Long());
  const auto rows = Extract(piece);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].link, "http://a.com/1.htm");
  EXPECT_EQ(rows[1].link, "http://b.com/2.htm");
  EXPECT_EQ(rows[2].caption, rows[0].caption);
}

TEST(HeadlineRows, PieceEndsAtItsFirstZeroByte) {
  std::string piece = A("http://a.com/1.htm", Long());
  piece += std::string(1, '\0') + A("http://a.com/2.htm", Long());
  EXPECT_EQ(Extract(piece).size(), 1u);
}

TEST(HeadlineRows, AnchorCutByThePieceEndLosesItsCaption) {
  EXPECT_TRUE(Extract("<a href=\"http://a.com/1.htm\">").empty());
  EXPECT_TRUE(Extract("<a href=\"http://a.com/1.h").empty());
  // The rest of a cut anchor at the start of the next piece is only text.
  EXPECT_TRUE(Extract(".htm\">" + Long() + "</a>").empty());
}

TEST(FrameRows, FramesAndInlineFramesGiveTheTextAfterTheirTag) {
  const std::string piece = "<iframe src=\"/roll/list.html\" width=300></iframe>" + Long() +
                            "<frame src=http://c.com/f.htm>" + Gb("框架之后的文字标题内容") + "<b>";
  const auto rows = Extract(piece);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].link, "http://c.com/f.htm");
  EXPECT_EQ(rows[0].caption, Gb("框架之后的文字标题内容"));
}

TEST(HeadlineRows, RelativeLinksOnAnHttpsPageKeepItsScheme) {
  const char* page = "https://news.sina.com.cn/news1000/";
  const std::string piece = A("/c/2.shtml", Long()) + A("n3.shtml", Long()) +
                            "<iframe src='inner.htm'>" + Long() + "</iframe>";
  const auto rows = Extract(piece, page);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].link, "https://news.sina.com.cn/c/2.shtml");
  EXPECT_EQ(rows[1].link, "https://news.sina.com.cn/news1000/n3.shtml");
  EXPECT_EQ(rows[2].link, "https://news.sina.com.cn/news1000/inner.htm");
}

TEST(FrameRows, AnInlineFrameWithTextGivesARow) {
  const auto rows = Extract("<IFRAME SRC='inner.htm'>" + Long() + "</IFRAME>");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].link, "http://news.sina.com.cn/news1000/inner.htm");
}

TEST(FrameRows, AnchorsAndFramesInterleaveByPosition) {
  const std::string piece = A("http://a.com/1.htm", Long()) + "<frame src=\"http://f.com/x.htm\">" +
                            Gb("框架后面跟着的长标题") + "<p>" + A("http://a.com/2.htm", Long());
  const auto rows = Extract(piece);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].link, "http://a.com/1.htm");
  EXPECT_EQ(rows[1].link, "http://f.com/x.htm");
  EXPECT_EQ(rows[2].link, "http://a.com/2.htm");
}

TEST(CaptionCut, LongCaptionsAreCutWithoutHalfCharacters) {
  // "x" then Chinese: the 100th byte is a lead byte and goes.
  Bytes odd = "x";
  for (int i = 0; i < 60; ++i) odd += Gb("新");
  auto rows = Extract(A("http://a.com/1.htm", odd));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Len(rows[0].caption), 99);
  EXPECT_EQ(rows[0].caption, Copy(odd, 1, 99));

  Bytes even;
  for (int i = 0; i < 60; ++i) even += Gb("闻");
  rows = Extract(A("http://a.com/1.htm", even));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Len(rows[0].caption), 100);

  EXPECT_EQ(CutCaption("short"), "short");
}

TEST(HostilePieces, NoCrashNoHangAndOnlyTrueRows) {
  const std::vector<std::string> pieces = {
      "",
      "href=",
      "href=href=href=href=",
      "<frame",
      "<iframe<frame<iframe",
      "<frame src=",
      "://://://href=://",
      std::string(8192, '<'),
      "<a href=\"" + std::string(8000, 'x'),
      "<iframe " + std::string(8000, ' '),
  };
  for (const auto& p : pieces) EXPECT_TRUE(Extract(p).empty()) << p.substr(0, 40);

  std::mt19937 rng(7);
  const std::string atoms[] = {"href=",    "<a ",  ">",  "<",   "://", "<frame ",
                               "<iframe ", "src=", "\"", "'",   " ",   "http://h.com/",
                               Long(),     "\xB0", "/",  ".htm"};
  for (int round = 0; round < 300; ++round) {
    std::string p;
    const int n = static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i) p += atoms[rng() % std::size(atoms)];
    for (const Headline& h : Extract(p)) {
      EXPECT_GT(Len(h.caption), kMinCaptionBytes);
      EXPECT_LE(Len(h.caption), kMaxCaptionBytes);
      EXPECT_FALSE(h.link.empty());
    }
  }
}

}  // namespace
}  // namespace vexo
