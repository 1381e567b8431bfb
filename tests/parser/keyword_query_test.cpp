#include "parser/keyword_query.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "parser/keyword_rewrite.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

Bytes G(const char* utf8) {
  return Gb(utf8);
}

struct TextCase {
  Bytes in;
  Bytes out;
};

TEST(EncodeQueryKeywords, EverySeparatorBecomesOneEscapedBlank) {
  const TextCase cases[] = {
      {G("手机 -诺基亚"), G("手机%20-诺基亚")},
      {G("  中国  足球  "), G("中国%20足球")},
      {"a--b//c", "a%20-b%20/c"},
      {G("(手机/电话)价格"), G("(手机%20/电话)价格")},
      {G("手机＋电话"), G("手机%20电话")},
      {G("手机　电话"), G("手机%20电话")},
      {G("（手机／电话）－价格"), G("(手机%20/电话)%20-价格")},
      {"a+ +b", "a%20b"},
      {"( a )", "(a)"},
      {"(a -)", "(a%20)"},  // "+)" is looked for before "-)" goes
      {"(a/)", "(a%20)"},
      {"a/ b", "a%20/b"},
      {"a- b", "a%20-b"},
      {"-a", "%20-a"},  // a leading exclusion keeps its blank
      {"", ""},
      {" \t ", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EncodeQueryKeywords(c.in), c.out) << testing::PrintToString(c.in);
}

TEST(EncodeQueryKeywords, ControlBytesCannotReachTheRequestLine) {
  EXPECT_EQ(EncodeQueryKeywords("a\r\nHost: x"), "a%0D%0AHost:%20x");
  EXPECT_EQ(EncodeQueryKeywords(Bytes("a\0b", 3)), "a%00b");
  EXPECT_EQ(EncodeQueryKeywords("a\x7F"
                                "b"),
            "a%7Fb");
}

TEST(SplitMixedKeywords, MarksScriptDigitAndParenthesisBoundaries) {
  const TextCase cases[] = {
      {G("MP3播放器"), G("MP+3/播放器")},
      {G("诺基亚6600"), G("诺基亚/6600")},
      {"N70", "N+70"},
      {G("价格(手机)"), G("价格/(手机)")},
      {G("(手机/电话)价格"), G("(手机/电话)/价格")},
      {G("手机 -诺基亚"), G("手机 -诺基亚")},
      {G("  手机abc  "), G("手机/abc")},
      {G("abc手机"), G("abc/手机")},
      {G("手机+abc"), G("手机+abc")},
      {"a(b)c", "a/(b)/c"},
      {"(b)", "(b)"},  // the first and the last byte are not looked at
      {"x(", "x("},
      {"3(a)", "3/(a)"},
      {"a1b2", "a+1+b+2"},
      {"", ""},
      {"7", "7"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitMixedKeywords(c.in), c.out) << testing::PrintToString(c.in);
}

TEST(SplitMixedKeywords, ByteRolesCountFromTheStart) {
  // B0 A1 B0 41: the second pair's trail is the letter "A", still part of the
  // double-byte character, so no boundary falls inside it.
  EXPECT_EQ(SplitMixedKeywords("\xB0\xA1\xB0\x41x"), "\xB0\xA1\xB0\x41/x");
  // A lone lead byte at the end is not a trail byte.
  EXPECT_EQ(SplitMixedKeywords("ab\xB0"), "ab\xB0");
}

// The rules applied as written, one insertion at a time on the current text.
namespace plain {

Bytes SplitMixed(std::string_view text) {
  Bytes s = Trim(text);
  const auto sep = [](unsigned char b) { return IsKeywordSeparator(b); };
  if (!s.empty()) {
    bool wide = ByteRoleAt(s, Len(s)) == ByteRole::Trail;
    for (Pos p = Len(s) - 1; p >= 1; --p) {
      const ByteRole r = ByteRoleAt(s, p);
      if (r == ByteRole::Single && wide) {
        if (!sep(ByteAt(s, p))) Insert("/", s, p + 1);
        wide = false;
      } else if (r != ByteRole::Single && !wide) {
        if (!sep(ByteAt(s, p + 1))) Insert("/", s, p + 1);
        wide = true;
      }
    }
    const auto digit = [](unsigned char b) { return b >= '0' && b <= '9'; };
    bool d = digit(ByteAt(s, Len(s)));
    for (Pos p = Len(s) - 1; p >= 1; --p) {
      if (!digit(ByteAt(s, p)) && d) {
        if (!sep(ByteAt(s, p))) Insert("+", s, p + 1);
        d = false;
      } else if (digit(ByteAt(s, p)) && !d) {
        if (!sep(ByteAt(s, p + 1))) Insert("+", s, p + 1);
        d = true;
      }
    }
    for (Pos i = Len(s) - 1; i >= 2; --i) {
      if (ByteAt(s, i) == ')' && !sep(ByteAt(s, i + 1))) Insert("/", s, i + 1);
      if (ByteAt(s, i) == '(' && !sep(ByteAt(s, i - 1))) Insert("/", s, i);
    }
  }
  return s;
}

Bytes Encode(std::string_view text) {
  Bytes s = Trim(text);
  const auto& fw = FullWidth();
  s = ReplaceUntilGone(s, fw.slash, "/");
  s = ReplaceUntilGone(s, fw.plus, "+");
  s = ReplaceUntilGone(s, fw.minus, "-");
  s = ReplaceUntilGone(s, fw.space, "+");
  s = ReplaceUntilGone(s, fw.open, "(");
  s = ReplaceUntilGone(s, fw.close, ")");
  for (Pos p = PosOf("--", s); p > 0; p = PosOf("--", s)) Delete(s, p, 1);
  for (Pos p = PosOf("//", s); p > 0; p = PosOf("//", s)) Delete(s, p, 1);
  for (Pos p = Len(s); p >= 1; --p)
    if (ByteAt(s, p) == '/' || ByteAt(s, p) == '-') Insert("+", s, p);
  s = ReplaceAll(s, " ", "+");
  for (Pos p = PosOf("++", s); p > 0; p = PosOf("++", s)) Delete(s, p, 1);
  for (const char* pat : {"/+", "-+", "(+"})
    for (Pos p = PosOf(pat, s); p > 0; p = PosOf(pat, s)) Delete(s, p + 1, 1);
  for (const char* pat : {"+)", "-)", "/)"})
    for (Pos p = PosOf(pat, s); p > 0; p = PosOf(pat, s)) Delete(s, p, 1);
  s = ReplaceAll(s, "+", "%20");
  Bytes escaped;
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", b);
      escaped += hex;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace plain

Bytes RandomKeywords(std::mt19937& rng, int max_pieces) {
  static const std::vector<Bytes> pieces = {
      "a",        "N",        "7",        "66",       " ",        "+",        "/",
      "-",        "|",        "(",        ")",        "\t",       "\xB0\xA1", "\xB0",
      "\xB0\x41", "\xA3\xAF", "\xA3\xAB", "\xA3\xAD", "\xA1\xA1", "\xA3\xA8", "\xA3\xA9"};
  std::uniform_int_distribution<int> count(0, max_pieces);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  Bytes s;
  for (int n = count(rng); n > 0; --n) s += pieces[pick(rng)];
  return s;
}

TEST(KeywordQueryRandom, AgreesWithTheRulesAppliedOneEditAtATime) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 5000; ++round) {
    const Bytes in = RandomKeywords(rng, 16);
    ASSERT_EQ(SplitMixedKeywords(in), plain::SplitMixed(in)) << testing::PrintToString(in);
    ASSERT_EQ(EncodeQueryKeywords(in), plain::Encode(in)) << testing::PrintToString(in);
  }
}

TEST(KeywordQueryRandom, ArbitraryBytesGiveBoundedOutputWithoutControlBytes) {
  std::mt19937 rng(77);
  for (int round = 0; round < 3000; ++round) {
    Bytes in;
    for (int n = rng() % 40; n > 0; --n) in.push_back(static_cast<char>(rng() & 0xFF));
    const Bytes query = EncodeQueryKeywords(in);
    for (char c : query) {
      const auto b = static_cast<unsigned char>(c);
      ASSERT_TRUE(b >= 0x20 && b != 0x7F && b != ' ') << testing::PrintToString(in);
    }
    const Bytes split = SplitMixedKeywords(in);
    ASSERT_LE(split.size(), 4 * in.size());
  }
  const Bytes big(200000, '-');
  EXPECT_EQ(EncodeQueryKeywords(big), "%20-");
  EXPECT_EQ(SplitMixedKeywords(Bytes(100000, '\xB0') + "1a").size(), 100000u + 4u);
}

}  // namespace
}  // namespace vexo
