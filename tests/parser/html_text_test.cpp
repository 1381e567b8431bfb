#include "parser/html_text.h"
#include "parser/gb18030_text.h"
#include "parser/link_resolver.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace vexo {
namespace {

struct Case {
  Bytes in;
  Bytes out;
};

void ExpectAll(Bytes (*f)(std::string_view), std::initializer_list<Case> cases) {
  for (const auto& c : cases)
    EXPECT_EQ(f(c.in), c.out) << "input: " << testing::PrintToString(c.in);
}

TEST(CleanLink, CutsAtTheFirstBlankCrAndLf) {
  ExpectAll(CleanLink, {
                           {"a.htm target=_blank", "a.htm"},
                           {"a.htm\r\nnext", "a.htm"},
                           {"a\nb c", "a"},
                           {"a.htm\rb", "a.htm"},
                           {" leading", ""},
                           {"a\tb", "a\tb"},  // a tab is no cut
                           {"", ""},
                           {"http://a.com/x(1).htm", "http://a.com/x(1).htm"},
                       });
}

TEST(CleanLink, UnwrapsJavascriptCalls) {
  ExpectAll(CleanLink, {
                           {"javascript:void(0)", "0"},
                           {"javascript:openWin(news/a.htm)", "news/a.htm"},
                           {"JavaScript:Go('x.htm')", "'x.htm'"},
                           {"javascript:x.htm", "x.htm"},
                           {"javascript:x.htm)tail", "x.htm"},
                           {"javascript:f(a.htm,1) target=_new", "a.htm,1"},
                           // "(" before the scheme deletes nothing; ")" still cuts.
                           {"f(x)javascript:y", "f(x"},
                       });
}

TEST(CleanLink, ClosingParenthesisCutsAtMost600Bytes) {
  const Bytes tail(700, 'x');
  EXPECT_EQ(CleanLink("javascript:f(a)" + tail), "a" + Bytes(101, 'x'));
}

TEST(RemoveSpaces, DeletesOnlyAsciiSpaces) {
  ExpectAll(RemoveSpaces, {
                              {"a b  c ", "abc"},
                              {"\xA1\xA1 x", "\xA1\xA1x"},
                              {"a\tb\r\n", "a\tb\r\n"},
                              {"   ", ""},
                              {"", ""},
                          });
}

TEST(CleanText, TrimsAndDeletesLineBreaksSpacesAndEntities) {
  ExpectAll(CleanText, {
                           {"  &NBSP;News&amp;Views\xA1\xA1Today\r\n", "NewsViewsToday"},
                           {"A&amp;B", "AB"},
                           {"&GT;&Lt;&QUOT;&nbSP;x", "x"},
                           {"a\r\nb\nc\rd", "abcd"},
                           {"\x01 x \x00", "x"},
                           {"", ""},
                           {"&amp", "&amp"},
                           // Removal repeats until none is left...
                           {"&am&amp;p;x", "x"},
                           {"&&gt;gt;", ""},
                           // ...but the entities are taken in a fixed order: "&gt;" is
                           // done before "&amp;" uncovers a new one.
                           {"&g&amp;t;", "&gt;"},
                           // Trimming comes first, so an entity can leave a blank at the edge.
                           {"&nbsp; x", " x"},
                       });
}

TEST(CleanText, DeletesOnlyFullWidthSpacesThatAreWholeCharacters) {
  const Bytes field_stop = Gb("场。");  // B3 A1 A1 A3
  ASSERT_EQ(field_stop, "\xB3\xA1\xA1\xA3");
  ExpectAll(CleanText, {
                           {field_stop, field_stop},
                           {Gb("现场。好"), Gb("现场。好")},
                           {Gb("中　文"), Gb("中文")},
                           {"a\xA1\xA1\xA1\xA1"
                            "b",
                            "ab"},
                           {"\xB3\xA1\xA1\xA1\xA1\xA3", field_stop},
                           {"x\xA1\xA1", "x"},
                           // A lone A1 before a pair shifts the roles: A1 A1 | A1.
                           {"x\xA1\xA1\xA1", "x\xA1"},
                           {"\xA1", "\xA1"},
                       });
}

TEST(CleanText, KeepsEveryCharacterThatIsNotAFullWidthSpace) {
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    Bytes in = "x";
    Bytes expected = "x";
    for (int n = rng() % 40; n > 0; --n) {
      const auto r = rng();
      if (r % 4 == 0) {
        in += "\xA1\xA1";
        continue;
      }
      // Any GB2312 character, many of them with trail byte A1 or lead A1.
      const char lead = static_cast<char>(r % 3 == 0 ? 0xA1 : 0xA1 + (r >> 4) % 0x57);
      const char trail = static_cast<char>(r % 5 == 0 ? 0xA1 : 0xA1 + (r >> 12) % 0x5E);
      const Bytes ch{lead, trail};
      if (ch == "\xA1\xA1") continue;
      in += ch;
      expected += ch;
    }
    ASSERT_EQ(CleanText(in), expected) << testing::PrintToString(in);
  }
}

TEST(StripTags, RemovesLeadingTagsThenCleansAndDropsEllipses) {
  ExpectAll(StripTags, {
                           {"<b>Title</b> text...", "Title text"},
                           {"<p>x</p>y<br>", "xy"},
                           {"...<b>mid</b>...", "mid"},
                           {"<unclosed", "<unclosed"},
                           {"no tags at all", "no tags at all"},
                           {"<>", ""},
                           {"....", "."},
                           {"...", ""},
                           {"......", ""},
                           {"<i>a&amp;b</i>\r\n", "ab"},
                           {"", ""},
                       });
}

TEST(StripTags, StopsAtTheFirstLessThanThatFollowsAGreaterThan) {
  ExpectAll(StripTags, {
                           {"a > b <i>c</i>", "a > b <i>c</i>"},
                           {"x<a>y>z<b>", "xy>z<b>"},
                           {"<a>b>c", "b>c"},
                       });
}

std::uint16_t Code(std::uint32_t c) {
  return static_cast<std::uint16_t>(c);
}

const Bytes kMark(kLackingMark);

struct DecodeCase {
  const char* name;
  Bytes in;
  Bytes out;
};

TEST(Utf8ToAnsi, MarksEachCharacterWithoutAGb2312Form) {
  const DecodeCase cases[] = {
      {"GBK-only 昇 after 赵", "赵昇", Gb("赵") + kMark},
      {"GBK-only 镕 inside 朱镕基", "朱镕基", Gb("朱") + kMark + Gb("基")},
      {"王喆, 犇, 堃", "王喆犇堃", Gb("王") + kMark + kMark + kMark},
      {"beyond the basic plane", "a😀b", "a" + kMark + "b"},
      {"no GB form at all", "ça", kMark + "a"},
      {"pinyin é is GB2312", "é", "\xA8\xA6"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToAnsi(c.in), c.out) << c.name;
}

TEST(Utf8ToAnsi, DecodesSequencesTheLenientWay) {
  const DecodeCase cases[] = {
      {"three bytes", "\xE4\xB8\xAD", "\xD6\xD0"},
      {"ascii", "ab", "ab"},
      {"last byte decoded", "\xE4\xB8\xADx", Gb("中x")},
      {"blank", " \r\n\t", ""},
      {"empty", "", ""},
      {"blanks kept inside", " a ", " a "},
      {"two bytes", "\xC2\xB7", "\xA1\xA4"},
      {"cut two-byte lead", "a\xC3", "a"},
      {"cut three-byte sequence", "a\xE4\xB8", "a"},
      {"cut after one byte", "a\xE4", "a"},
      {"stray continuation", "\x8Ax\xB7", kMark + "x\xA1\xA4"},
      {"four bytes are one character", "\xF0\x9F\x98\x80x", kMark + "x"},
      {"cut four-byte sequence", "a\xF0\x9F\x98", "a"},
      {"continuation not checked", "\xE4\x41\x42", WideCharToGb2312(Code(0x4042))},
      {"sixteen bits", "\xEF\xBF\xBF", kMark},
      {"nul kept", Bytes("a\0b", 3), Bytes("a\0b", 3)},
      {"surrogate code", "\xED\xA0\x80", kMark},
      {"question mark", "?", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToAnsi(c.in), c.out) << c.name;
}

TEST(Utf8ToAnsi, DecodesEveryWellFormedCharacterOfTheBasicPlane) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 2000; ++round) {
    Bytes utf8;
    Bytes expected;
    for (int n = 1 + rng() % 20; n > 0; --n) {
      std::uint32_t c = rng() % 0x10000;
      if (round % 2 == 0) c = 0x4E00 + rng() % 0x5200;  // CJK: mostly real GB text
      if (c < 0x80) {
        utf8 += static_cast<char>(c);
      } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | c >> 6);
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        utf8 += static_cast<char>(0xE0 | c >> 12);
        utf8 += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      }
      expected += WideCharToGb2312(Code(c));
    }
    if (Trim(utf8).empty()) continue;
    const Bytes ansi = Utf8ToAnsi(utf8);
    ASSERT_EQ(ansi, expected) << testing::PrintToString(utf8);
    ASSERT_EQ(Gb2312PrefixLength(ansi), ansi.size()) << testing::PrintToString(utf8);
  }
}

const char kPage[] = "http://host/dir/page.htm";

TEST(ResolveLink, MakesRelativeLinksAbsolute) {
  const struct {
    const char* page;
    Bytes link;
    Bytes out;
  } cases[] = {
      {kPage, "x.htm", "http://host/dir/x.htm"},
      {kPage, "/y.htm", "http://host/y.htm"},
      {"http://host", "x.htm", "http://host/x.htm"},
      {"http://host", "/y.htm", "http://host/y.htm"},
      {"https://host/dir/page.htm", "x.htm", "https://host/dir/x.htm"},
      {"https://host/dir/page.htm", "/y.htm", "https://host/y.htm"},
      {"https://host", "x.htm", "https://host/x.htm"},
      {"HTTPS://host", "/y.htm", "HTTPS://host/y.htm"},
      {kPage, "http://other.com/a.htm", "http://other.com/a.htm"},
      {kPage, "https://other.com/a.htm", "https://other.com/a.htm"},
      {kPage, "\"x.htm\"", "http://host/dir/x.htm"},
      {kPage, "'x.htm' target=_blank", "http://host/dir/x.htm"},
      {kPage, "a\\b.htm", "http://host/dir/ab.htm"},
      {kPage, "javascript:openWin('news/a.htm')", "http://host/dir/news/a.htm"},
      {kPage, "http://host/a.asp?a=1&amp;b=2", "http://host/a.asp?a=1b=2"},
      {kPage, "?p=2", "http://host/dir/?p=2"},
      {kPage, "../a.htm", "http://host/dir/../a.htm"},
      {kPage, "http://host:8080", "http://host:8080"},
      {kPage, "http://a/bc", "http://a/bc"},
      {kPage, "x.html", "http://host/dir/x.html"},
      {kPage, "x.asp", "http://host/dir/x.asp"},
      {kPage, "x.php", "http://host/dir/x.php"},
      {kPage, "x.shtml", "http://host/dir/x.shtml"},
      {kPage, "http://x.com", "http://x.com"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveLink(c.page, c.link), c.out) << c.link;
}

TEST(ResolveLink, RefusesLinksThatMustNotBecomeTargets) {
  const Bytes refused[] = {
      "photo.JPG",
      "mailto:a@b.com",
      "MAILTO:a@b.com",
      "doc.pdf",
      "song.rm",
      "x.jpeg",
      "ab.c",
      "x.m",
      "http://www.abc.com.au",
      "http://www.abc.co.jp",
      "http://www.abc.ca",
      "http://www.baidu.com/s?wd=x",
      "http://news.Google.com/x.htm",
      "http://www.zhongsou.com/a.htm",
      "http://a.chinasearch.com/a.htm",
      "http://www.sogou.com/a.htm",
      "http://a.com/x.htm/#top",
      "http://a/b",  // 10 bytes
      "a.h",         // too short to look at
      "x.",          // a lone dot is in the extension list
      "",
  };
  for (const auto& link : refused) EXPECT_EQ(ResolveLink(kPage, link), "") << link;
  // Too short once made absolute against an empty page address.
  EXPECT_EQ(ResolveLink("", "a.htm"), "");
}

TEST(MakeAbsolute, JoinsHostOrDirectory) {
  const struct {
    const char* page;
    const char* link;
    const char* out;
  } cases[] = {
      {kPage, "x", "http://host/dir/x"},
      {kPage, "/y", "http://host/y"},
      {"http://host/a/b", "/y", "http://host/y"},
      {"http://host", "/y", "http://host/y"},
      {"http://host/", "x", "http://host/x"},
      {"http://host", "x", "http://host/x"},
      {"https://host/a/b", "/y", "https://host/y"},
      {"https://host", "/y", "https://host/y"},
      {"https://host/", "x", "https://host/x"},
      {"https://host", "x", "https://host/x"},
      {"https:/", "x", "https://x"},
      {kPage, "http://z/q", "http://z/q"},
      {kPage, "https://z/q", "https://z/q"},
      {kPage, "ftp://z", "ftp://z"},
      {kPage, "go.asp?u=http://x", "http://host/dir/go.asp?u=http://x"},
      {"", "x", "/x"},
      {"", "/x", "/x"},
      {kPage, "", "http://host/dir/"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeAbsolute(c.page, c.link), c.out) << c.link;
}

TEST(ContainsEngineLabel, FindsTheFiveEngineDomains) {
  EXPECT_TRUE(ContainsEngineLabel("http://www.baidu.com/"));
  EXPECT_TRUE(ContainsEngineLabel("http://news.google.cn/"));
  EXPECT_TRUE(ContainsEngineLabel("http://p.zhongsou.net/"));
  EXPECT_TRUE(ContainsEngineLabel("http://www.chinasearch.com/"));
  EXPECT_TRUE(ContainsEngineLabel("http://www.sogou.com/"));
  EXPECT_FALSE(ContainsEngineLabel("http://baidu.com/"));
  EXPECT_FALSE(ContainsEngineLabel("http://www.BAIDU.com/"));  // callers lower-case
  EXPECT_FALSE(ContainsEngineLabel(""));
}

// Literal forms of the repeated deletions, to hold the single-pass versions to.
Bytes NaiveDeleteEntities(Bytes s) {
  for (const char* e : {"&gt;", "&lt;", "&amp;", "&quot;", "&nbsp;"}) {
    for (Pos p = PosOf(e, Lower(s)); p > 0; p = PosOf(e, Lower(s))) Delete(s, p, Len(e));
  }
  return s;
}

Bytes NaiveStripTagsLoop(Bytes s) {
  while (true) {
    const Pos open = PosOf("<", s);
    const Pos close = PosOf(">", s);
    if (open == 0 || close == 0 || open > close) return s;
    Delete(s, open, close - open + 1);
  }
}

// Random text made of the pieces these functions look for.
Bytes RandomText(std::mt19937& rng, int pieces) {
  static const std::vector<Bytes> kPieces = {
      "<",       ">",      "&",      "amp;",         "&amp;",        "&gt;",        "gt;",
      "&LT;",    "&nbsp;", "&quot;", "nbsp",         "\xA1",         "\xA1\xA1",    "\xB3",
      "\xA3",    " ",      "\r",     "\n",           Bytes(1, '\0'), "...",         ".",
      ":",       "://",    "/",      "/#",           "http://",      "javascript:", "(",
      ")",       "\"",     "'",      "\\",           "lto:",         ".jpg",        ".htm",
      ".baidu.", "x",      "ab",     "\xE4\xB8\xAD", "\xC3",         "\xF0",        "\x80"};
  Bytes s;
  for (int i = 0; i < pieces; ++i) {
    const auto r = rng();
    if (r % 5 == 0)
      s += static_cast<char>(r >> 8);
    else
      s += kPieces[(r >> 8) % kPieces.size()];
  }
  return s;
}

TEST(HtmlTextRandom, InvariantsHoldForHostileInput) {
  std::mt19937 rng(31337);
  for (int round = 0; round < 5000; ++round) {
    const Bytes s = RandomText(rng, rng() % 30);
    Bytes page = RemoveSpaces(RandomText(rng, rng() % 6));  // addresses come from the program
    std::erase_if(page, [](char c) { return c == '"' || c == '\'' || c == '\\'; });
    const auto n = s.size();

    const Bytes link = CleanLink(s);
    ASSERT_LE(link.size(), n);
    ASSERT_EQ(link.find_first_of(" \r\n"), Bytes::npos);

    const Bytes no_spaces = RemoveSpaces(s);
    ASSERT_EQ(no_spaces.find(' '), Bytes::npos);
    ASSERT_EQ(no_spaces.size(), n - std::count(s.begin(), s.end(), ' '));

    const Bytes text = CleanText(s);
    ASSERT_LE(text.size(), n);
    ASSERT_EQ(text.find_first_of("\r\n"), Bytes::npos);
    ASSERT_EQ(PosOf("&nbsp;", Lower(text)), 0);
    Bytes trimmed = Trim(s);
    std::erase(trimmed, '\r');
    std::erase(trimmed, '\n');
    if (trimmed.find('\xA1') == Bytes::npos) {
      ASSERT_EQ(text, NaiveDeleteEntities(trimmed));
    }

    const Bytes stripped = StripTags(s);
    ASSERT_LE(stripped.size(), n);
    Bytes expected = CleanText(NaiveStripTagsLoop(s));
    if (expected.starts_with("...")) expected.erase(0, 3);
    if (expected.ends_with("...")) expected.resize(expected.size() - 3);
    ASSERT_EQ(stripped, expected);

    const Bytes ansi = Utf8ToAnsi(s);
    ASSERT_LE(ansi.size(), 2 * n);
    ASSERT_EQ(Gb2312PrefixLength(ansi), ansi.size());

    const Bytes abs = MakeAbsolute(page, s);
    ASSERT_TRUE(abs.ends_with(s));
    ASSERT_LE(abs.size(), page.size() + n + 1);

    const Bytes target = ResolveLink(page, s);
    if (!target.empty()) {
      ASSERT_GT(target.size(), 10u);
      ASSERT_EQ(target.find_first_of("\"'\\"), Bytes::npos);
      ASSERT_FALSE(ContainsEngineLabel(Lower(target)));
      ASSERT_EQ(target.find("/#"), Bytes::npos);
    }
  }
}

TEST(HtmlTextRandom, PureAsciiTextDecodesToItself) {
  std::mt19937 rng(5);
  for (int round = 0; round < 1000; ++round) {
    Bytes s(1 + rng() % 50, 'a');
    for (char& c : s) c = static_cast<char>(0x21 + rng() % 0x5E);
    ASSERT_EQ(Utf8ToAnsi(s), s);
  }
}

TEST(HtmlTextRandom, HugeAndRepetitiveInputsFinish) {
  std::mt19937 rng(11);
  const Bytes mixed = RandomText(rng, 80000);
  Bytes nested_entities;
  for (int i = 0; i < 30000; ++i) nested_entities += "&am";
  for (int i = 0; i < 30000; ++i) nested_entities += "p;";
  Bytes tags;
  for (int i = 0; i < 50000; ++i) tags += "<b>";
  tags += "x";
  const Bytes spaces = [] {
    Bytes s = "a";
    for (int i = 0; i < 60000; ++i) s += "\xA1\xA1";
    return s + "b";
  }();

  for (const Bytes* s : std::vector<const Bytes*>{&mixed, &nested_entities, &tags, &spaces}) {
    EXPECT_LE(CleanLink(*s).size(), s->size());
    EXPECT_LE(RemoveSpaces(*s).size(), s->size());
    EXPECT_LE(CleanText(*s).size(), s->size());
    EXPECT_LE(StripTags(*s).size(), s->size());
    EXPECT_LE(Utf8ToAnsi(*s).size(), 2 * s->size());
    EXPECT_LE(ResolveLink(kPage, *s).size(), s->size() + sizeof kPage);
  }
  EXPECT_EQ(CleanText(nested_entities), "");
  EXPECT_EQ(StripTags(tags), "x");
  EXPECT_EQ(CleanText(spaces), "ab");
}

}  // namespace
}  // namespace vexo
