// The fast text helpers against their literal forms: lower-casing, the
// case-blind search, CleanText, CleanLink, StripTags and ResolveLink give
// exactly what the plain "copy, lower, search, delete the first one again and
// again" versions give, on random text full of the bytes they care about.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "parser/gb18030_text.h"
#include "parser/html_text.h"
#include "parser/link_resolver.h"
#include "platform/bytes.h"
#include "platform/codepage.h"
#include "tests/reference/gb18030_plain.h"
#include "tests/reference/text_literal.h"
#include "tests/support/step_widths.h"

namespace vexo {
namespace {

using namespace reference;

// --- random text --------------------------------------------------------------------

const std::vector<Bytes>& Pieces() {
  static const std::vector<Bytes> pieces = {
      "&",         "&amp;",    "&AMP;",  "&Amp",        "&g",          "t;",       "&gt;",
      "&lT;",      "&quot;",   "&nbsp",  ";",           "&nbsp;",      "&NBSP;",   "\xA1\xA1",
      "\xA1",      "\xB3\xA1", "\r\n",   "\r",          "\n",          " ",        "\t",
      "<",         ">",        "<b>",    "</a>",        "...",         "(",        ")",
      "'",         "\"",       "\\",     "javascript:", "JavaScript:", ":",        ".",
      ".JPG",      ".jpe",     ".htm",   ".rm\\",       ".au",         ".c",       ".Cab",
      "lto:",      "MAILTO:",  "/#",     "#",           "/",           "http://",  "HTTP://",
      "https://",  "HTTPS://", "s://",   "://",         ".baidu.",     ".GOOGLE.", ".sogou",
      "www.a.com", "x",        "Q",      "Z[",          "@`",          "\x80",     "\xFF",
      "\xFE\x40",  Gb("新闻"), Gb("　"), "&n",          "bsp;",        "&q",       "uoT;",
      "&a",        "mp;",      "&L",     "<\r\n>",      "\r<",         "\xB0\r",   "<a\nb>x"};
  return pieces;
}

Bytes RandomText(std::mt19937& rng, std::size_t parts) {
  const auto& pieces = Pieces();
  Bytes s;
  for (std::size_t i = 0; i < parts; ++i) {
    const auto r = rng();
    if (r % 5 == 0)
      s += static_cast<char>(r >> 8);
    else
      s += pieces[(r >> 8) % pieces.size()];
  }
  return s;
}

const std::vector<Bytes>& Pages() {
  static const std::vector<Bytes> pages = {"http://www.site.com/news/p.htm",
                                           "http://www.site.com",
                                           "http://a.b/c/",
                                           "",
                                           "http:/",
                                           "x/y",
                                           "http://a.b/&amp;/",
                                           " http://a.b/c d/",
                                           "http://\xA1\xA1.cn/\xB3\xA1/",
                                           "HTTP://WWW.BAIDU.COM/s?wd=x",
                                           "https://www.site.com/news/p.htm",
                                           "https://www.site.com",
                                           "HTTPS://a.b/c/",
                                           "https:/",
                                           "https://",
                                           "https://a.b/&amp;/"};
  return pages;
}

// --- the comparisons ------------------------------------------------------------------

class FastTextBothWidths : public step_widths::BothStepWidths {};

INSTANTIATE_TEST_SUITE_P(FastTextEquivalence, FastTextBothWidths, ::testing::Values(true, false),
                         step_widths::Name);

TEST_P(FastTextBothWidths, LowerMatchesTheByteLoopOnEveryByteAndLength) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (std::size_t n = 0; n <= all.size(); ++n) {
    const std::string_view s = std::string_view(all).substr(all.size() - n);
    ASSERT_EQ(Lower(s), LiteralLower(s)) << n;
  }
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    Bytes s(rng() % 70, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    ASSERT_EQ(Lower(s), LiteralLower(s));
  }
}

TEST(FastTextEquivalence, FoldedSearchMatchesASearchInTheLoweredCopy) {
  std::mt19937 rng(8);
  const std::vector<Bytes> needles = {"href=", "http://", "lto:",  "javascript:", ".baidu.",
                                      "a",     "A",       "&amp;", "\xA1\xA1",    "Http",
                                      ":",     "</a>",    "zz",    Gb("新闻"),    ""};
  for (int round = 0; round < 5000; ++round) {
    const Bytes hay = RandomText(rng, rng() % 25);
    const Bytes& needle = needles[rng() % needles.size()];
    const Pos from = static_cast<Pos>(rng() % (hay.size() + 3)) - 1;
    ASSERT_EQ(PosOfFolded(needle, hay, from), PosOf(needle, LiteralLower(hay), from))
        << testing::PrintToString(hay) << " / " << needle << " from " << from;
  }
}

TEST(FastTextEquivalence, CleaningHelpersMatchTheirLiteralForms) {
  std::mt19937 rng(9);
  for (int round = 0; round < 6000; ++round) {
    const Bytes s = RandomText(rng, rng() % 30);
    ASSERT_EQ(CleanText(s), LiteralCleanText(s)) << testing::PrintToString(s);
    ASSERT_EQ(CleanLink(s), LiteralCleanLink(s)) << testing::PrintToString(s);
    ASSERT_EQ(StripTags(s), LiteralStripTags(s)) << testing::PrintToString(s);
  }
}

TEST(FastTextEquivalence, LongSnippetsMatchTheirLiteralForms) {
  // Snippets of hundreds of bytes, so that tags, line breaks and entities
  // fall anywhere in and across the blocks that are looked at together.
  std::mt19937 rng(14);
  for (int round = 0; round < 600; ++round) {
    Bytes s = RandomText(rng, 60 + rng() % 300);
    if (round % 3 == 0) s = "<td>" + s;  // most snippets begin inside markup
    ASSERT_EQ(StripTags(s), LiteralStripTags(s)) << testing::PrintToString(s);
    ASSERT_EQ(CleanText(s), LiteralCleanText(s)) << testing::PrintToString(s);
  }
}

TEST(FastTextEquivalence, ResolveLinkMatchesItsLiteralForm) {
  std::mt19937 rng(10);
  const auto& pages = Pages();
  int accepted = 0;
  for (int round = 0; round < 8000; ++round) {
    // Half of the links look like links, so that many get through.
    Bytes link = RandomText(rng, rng() % 12);
    if (round % 2 == 0) link = (rng() % 2 ? "http://www.x.com/" : "d/") + link;
    const Bytes& page = pages[rng() % pages.size()];
    const Bytes fast = ResolveLink(page, link);
    ASSERT_EQ(fast, LiteralResolveLink(page, link))
        << testing::PrintToString(link) << " on " << page;
    accepted += !fast.empty();
  }
  EXPECT_GT(accepted, 1000);
}

// Links that hold few of the bytes cleaning acts on, so that most take the
// short way: absolute and relative, with colons, dots and odd letter cases.
Bytes RandomPlainLink(std::mt19937& rng) {
  static const std::vector<Bytes> pieces = {
      "http://", "HTTP://",     "https://", "://",      ":",           "/",       "//",
      ".",       "/#",          "#",        "lto:",     "mAiLtO:",     ".htm",    ".JPG",
      ".au",     "javascript:", "(",        ")",        "www",         ".baidu.", ".Sogou.",
      "news",    "x",           "?q=1",     "%20",      "\xB0\xA1",    "\xA3",    "\xFF",
      "\x80",    Gb("新闻"),    "=",        "-",        "_",           "&",       "&b=2",
      "&amp",    "&Gt;",        "\xA1",     "\xA1\xB0", "\xB0\xA1\xA1"};
  Bytes s;
  for (int n = static_cast<int>(rng() % 12); n > 0; --n) s += pieces[rng() % pieces.size()];
  return s;
}

TEST(FastTextEquivalence, ResolveLinkOnPlainLinksMatchesItsLiteralForm) {
  std::mt19937 rng(12);
  const auto& pages = Pages();
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes link = RandomPlainLink(rng);
    if (round % 3 == 0) link = "http://www.x.com/" + link;
    if (round % 3 == 1) link = "/" + link;
    if (round % 50 == 0) link += Bytes(3000, 'z');
    // As the stages hand links over: with the quote that opened them, at times
    // with the closing one too.
    if (round % 4 == 0) link = "\"" + link;
    if (round % 8 == 0) link += "'\\";
    const Bytes& page = pages[rng() % pages.size()];
    const Bytes fast = ResolveLink(page, link);
    ASSERT_EQ(fast, LiteralResolveLink(page, link))
        << testing::PrintToString(link) << " on " << testing::PrintToString(page);
    ASSERT_EQ(MakeAbsolute(page, link), LiteralMakeAbsolute(page, link));
    accepted += !fast.empty();
  }
  EXPECT_GT(accepted, 5000);
}

// Page addresses as hostile as the links: engine labels and "/#" before or
// after the last "/", entities, blanks and full-width spaces, no path at all.
Bytes RandomPage(std::mt19937& rng) {
  static const std::vector<Bytes> pieces = {
      "http://", "HTTP://",  "https://", "hTTps://", "www", ".baidu.", ".GooGle.", ".sogou",
      "u.",      "/",        "//",       "/#",       "#",   ".",       "x",        "&",
      "&amp;",   "&N",       "&nbsp;",   " ",        "\t",  "\r\n",    "\xA1",     "\xA1\xA1",
      "\xB0",    "\xB0\xA1", "?q=",      "=",        ":"};
  Bytes s;
  const auto head = rng() % 4;
  if (head == 1) s = "https://www.site.com";
  if (head >= 2) s = "http://www.site.com";
  for (int n = static_cast<int>(rng() % 9); n > 0; --n) s += pieces[rng() % pieces.size()];
  return s;
}

TEST(FastTextEquivalence, ResolveLinkOnAnyPageMatchesItsLiteralForm) {
  // Runs of links on one page, as a parser hands them over, now and then one
  // on another page in between.
  std::mt19937 rng(13);
  int accepted = 0;
  for (int page_round = 0; page_round < 1500; ++page_round) {
    const Bytes page = RandomPage(rng);
    const Bytes other = RandomPage(rng);
    for (int round = 0; round < 12; ++round) {
      Bytes link = RandomPlainLink(rng);
      if (round % 3 == 1) link = "/" + link;
      if (round % 5 == 0) link = "#" + link;
      if (round % 4 == 0) link = "\"" + link;
      const Bytes& on = round % 7 == 6 ? other : page;
      const Bytes fast = ResolveLink(on, link);
      ASSERT_EQ(fast, LiteralResolveLink(on, link))
          << testing::PrintToString(link) << " on " << testing::PrintToString(on);
      accepted += !fast.empty();
    }
  }
  EXPECT_GT(accepted, 2000);
}

TEST(FastTextEquivalence, JoinedAddressesAreJudgedWhole) {
  // The page's part and the link's part of an address are looked at apart;
  // these are the places where they meet or where only part of the page is
  // joined.
  struct Case {
    Bytes page;
    Bytes link;
  };
  const Case cases[] = {
      {"http://a.com/dir/#/p.htm", "x.htm"},         // "/#" in the directory
      {"http://a.com/dir/p.htm#/", "x.htm"},         // "/#" after the directory only
      {"http://a.com/#/p.htm", "/x.htm"},            // "/#" after the host only
      {"http://a.com/dir/p.htm", "#top.htm"},        // the joint "/" meets "#"
      {"http://a.com/dir/p.htm", "/#top.htm"},       // "/#" in the link
      {"http://a.com/d/.baidu.x", "x.htm"},          // a label after the directory only
      {"http://a.com/.baidu./p", "x.htm"},           // a label in the directory
      {"http://www.baidu.com/s?wd=x", "/x.htm"},     // a label in the host
      {"http://www.baidu", ".com/x.htm"},            // a label split by the joint "/"
      {"http://a.com/d&amp;e/p.htm", "x.htm"},       // an entity in the directory
      {"http://a.com/d/p.htm?a&amp;b", "x.htm"},     // an entity after the directory
      {"http://a.com/d/p.htm?a&b", "x.htm"},         // an "&" that begins nothing
      {" http://a.com/d/p.htm", "x.htm"},            // a blank that CleanText trims
      {"http://a.com/d\r\n/p.htm", "x.htm"},         // line breaks
      {"http://a.com/\xA1\xA1/p.htm", "x.htm"},      // a full-width space
      {"http://a.com/\xB0\xA1\xA1/p.htm", "x.htm"},  // an A1 pair across characters
      {"http://a.com/d/p\xB0", "\xA1\xA1x.htm"},     // a lead byte before the joint
      {"", "/x/y/z.htm"},                            // no page: the link alone
      {"", "xyz/abc.htm"},
      {"http:/", "abcdefgh.htm"},
      {"https://a.com/#/p.htm", "/x.htm"},  // "/#" after the host only
      {"https://www.baidu", ".com/x.htm"},  // a label split by the joint "/"
      {"https:/", "abcdefgh.htm"},
  };
  for (const auto& c : cases) {
    // Twice each, so that the second call finds the page already studied,
    // and between two other pages.
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(ResolveLink(c.page, c.link), LiteralResolveLink(c.page, c.link))
          << testing::PrintToString(c.page) << " + " << testing::PrintToString(c.link);
    }
    EXPECT_EQ(ResolveLink("http://b.com/", c.link), LiteralResolveLink("http://b.com/", c.link));
  }
  EXPECT_EQ(ResolveLink("http://a.com/dir/p.htm", "#top.htm"), "");
  EXPECT_EQ(ResolveLink("http://a.com/dir/p.htm?a&b", "x.htm"), "http://a.com/dir/x.htm");
  EXPECT_EQ(ResolveLink("http://a.com/d&amp;e/p.htm", "x.htm"), "http://a.com/de/x.htm");
}

TEST(FastTextEquivalence, EveryShortExtensionIsJudgedAsTheSubstringTestJudgesIt) {
  // All extensions of up to three bytes over the letters that occur in the
  // list, in both cases, behind a link that would pass otherwise.
  const std::string letters = "acdefghijlmnoprstuvwxyz\\AJP";
  std::vector<Bytes> exts = {"."};
  for (const char a : letters) {
    exts.push_back(Bytes(".") + a);
    for (const char b : letters) {
      exts.push_back(Bytes(".") + a + b);
      for (const char c : {'a', 'e', 'g', 'm', 'p', 's', 't', 'v', 'x', 'L', '\\'})
        exts.push_back(Bytes(".") + a + b + c);
    }
  }
  for (const Bytes& ext : exts) {
    const Bytes link = "http://www.site.com/file" + ext;
    ASSERT_EQ(ResolveLink("http://www.site.com/", link),
              LiteralResolveLink("http://www.site.com/", link))
        << ext;
  }
}

TEST(FastTextEquivalence, EightBytesLowerAsEightSingleBytes) {
  std::mt19937_64 rng(11);
  for (int round = 0; round < 20000; ++round) {
    std::uint64_t x = rng();
    // Plenty of letters and their neighbours '@', '[', '`', '{' and high bytes.
    for (int b = 0; b < 8; ++b) {
      if (rng() % 2) {
        const unsigned char near[] = {'@', 'A', 'M', 'Z', '[', '`', 'a', 'z', '{', 0xC1, 0xDA};
        x &= ~(0xFFULL << (8 * b));
        x |= static_cast<std::uint64_t>(near[rng() % sizeof near]) << (8 * b);
      }
    }
    std::uint64_t expected = 0;
    for (int b = 0; b < 8; ++b) {
      unsigned char c = static_cast<unsigned char>(x >> (8 * b));
      if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 0x20);
      expected |= static_cast<std::uint64_t>(c) << (8 * b);
    }
    ASSERT_EQ(LowerEight(x), expected) << std::hex << x;
  }
}

TEST_P(FastTextBothWidths, Gb18030ReadingMatchesItsPlainForm) {
  // Whole runs long enough for the block-wise scan, and every kind of byte
  // that ends one: GBK pairs, four-byte sequences, stray and cut bytes.
  const Bytes parts[] = {"<p class=x>abcde",
                         Gb("今天天气很好我们一起去公园"),
                         "a",
                         Bytes(1, '\0'),
                         "0",
                         "\x7F",
                         Gb("〓"),
                         "\xA1",
                         "\xB0",
                         "\xF7\xFE",
                         "\xF8\xA1",
                         "\x95\x4E",
                         "\x88\xD2",
                         "\xA1\x40",
                         "\x81\x30",
                         "\x81\x30\x81",
                         "\x94\x39\xFC\x36",
                         "\x80",
                         "\xFF"};
  std::mt19937 rng(18030);
  for (int round = 0; round < 5000; ++round) {
    Bytes s;
    for (auto n = rng() % 24; n > 0; --n) s += parts[rng() % std::size(parts)];
    ASSERT_EQ(Gb2312PrefixLength(s), PlainGb2312PrefixLength(s)) << testing::PrintToString(s);
    ASSERT_EQ(Gb18030ToGb2312(s), PlainGb18030ToGb2312(s)) << testing::PrintToString(s);
  }
}

}  // namespace
}  // namespace vexo
