#include "parser/cvcode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/codepage.h"

namespace vexo {
namespace {

struct IndexCase {
  Bytes pair;
  int index;
};

TEST(Big5Plane, IndexCountsLeadRowsOf157Cells) {
  const IndexCase cases[] = {
      {"\xA1\x40", 0},
      {"\xA1\x7E", 62},
      {"\xA1\xA1", 63},
      {"\xA1\xFE", 156},
      {"\xA2\x40", 157},
      {"\xFE\xFE", 14757},
      {"\xFE\x40", 14601},
      {"\xB0\xEA", 2491},
      {"\xA1\x40"
       "more",
       0},
      {"\xA1\x20", -1},
      {"\xA1\x7F", -1},
      {"\xA1\xA0", -1},
      {"\xA1\xFF", -1},
      {"\xA1", -1},
      {"", -1},
      {"\x41\x40", -1},
      {"\xA0\xFE", -1},
      {"\xFF\x40", -1},
      {"\xFF\xFE", -1},
      {Bytes("\xA1\0", 2), -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Big5Index(c.pair), c.index) << testing::PrintToString(c.pair);
}

TEST(Big5Plane, PairNeedsLeadFromA1AndTrailInEitherRange) {
  EXPECT_TRUE(IsBig5Pair("\xA1\x40"));
  EXPECT_TRUE(IsBig5Pair("\xFE\x7E"));
  EXPECT_TRUE(IsBig5Pair("\xC8\xA1"));
  EXPECT_TRUE(IsBig5Pair("\xFF\xFE"));  // a pair, though outside the plane
  EXPECT_FALSE(IsBig5Pair("\xA0\x40"));
  EXPECT_FALSE(IsBig5Pair("\xA1\x3F"));
  EXPECT_FALSE(IsBig5Pair("\xA1\x7F"));
  EXPECT_FALSE(IsBig5Pair("\xA1\xA0"));
  EXPECT_FALSE(IsBig5Pair("\xA1\xFF"));
  EXPECT_FALSE(IsBig5Pair("\xA1"));
  EXPECT_FALSE(IsBig5Pair(""));
}

TEST(Big5Plane, EveryCellOfThePlaneHasItsOwnIndex) {
  std::vector<bool> seen(kBig5Cells, false);
  for (int lead = 0xA1; lead <= 0xFE; ++lead) {
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const Bytes pair{static_cast<char>(lead), static_cast<char>(trail)};
      const int index = Big5Index(pair);
      ASSERT_EQ(index >= 0, IsBig5Pair(pair)) << lead << " " << trail;
      if (index < 0) continue;
      ASSERT_LT(index, kBig5Cells);
      ASSERT_FALSE(seen[index]) << index;
      seen[index] = true;
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), kBig5Cells);
}

TEST(CodeToBytes, WritesHighByteFirst) {
  EXPECT_EQ(CodeToBytes(0xB9FA), "\xB9\xFA");
  EXPECT_EQ(CodeToBytes(0x2020), "  ");
  EXPECT_EQ(CodeToBytes(0x0000), Bytes(2, '\0'));
  EXPECT_EQ(CodeToBytes(0x00FF), Bytes("\0\xFF", 2));
}

struct CharCase {
  const char* name;
  Bytes big5;
  const char* simplified;  // UTF-8
};

TEST(Big5Table, WellKnownCharactersBecomeTheirSimplifiedForms) {
  const CharCase cases[] = {
      {"country", "\xB0\xEA", "国"}, {"middle", "\xA4\xA4", "中"},
      {"china", "\xB5\xD8", "华"},   {"bay", "\xC6\x57", "湾"},
      {"terrace", "\xBB\x4F", "台"}, {"body", "\xC5\xE9", "体"},
      {"love", "\xB7\x52", "爱"},    {"study", "\xBE\xC7", "学"},
      {"gate", "\xAA\xF9", "门"},    {"language", "\xBB\x79", "语"},
      {"comma", "\xA1\x41", "，"},   {"ideographic stop", "\xA1\x43", "。"},
      {"people", "\xA5\xC1", "民"},  {"electric", "\xB9\x71", "电"},
  };
  for (const auto& c : cases) EXPECT_EQ(Big5ToGb(c.big5), Gb(c.simplified)) << c.name;
}

// Rows C6-C7 of the Windows code page hold kana, Cyrillic and numbered
// signs that GB2312 also has; Han characters still take their simplified form.
TEST(Big5Table, KanaCyrillicAndNumberedSignsKeepTheirGbForms) {
  const CharCase cases[] = {
      {"hiragana small a", "\xC6\xA5", "ぁ"}, {"katakana small a", "\xC6\xF8", "ァ"},
      {"cyrillic ya", "\xC7\xC7", "Я"},       {"circled one", "\xC7\xE9", "①"},
      {"parenthesized one", "\xC7\xF3", "⑴"}, {"country", "\xB0\xEA", "国"},
  };
  for (const auto& c : cases) EXPECT_EQ(Big5ToGb(c.big5), Gb(c.simplified)) << c.name;
  EXPECT_EQ(Big5ToGb("\xC6\xA5"), "\xA4\xA1");
}

TEST(Big5Table, CellsWithoutGbFormBecomeTwoSpaces) {
  EXPECT_EQ(Big5ToGb("\xA1\x40"), "  ");  // the Big5 full-width space
  EXPECT_EQ(Big5ToGb("\xA1\x45"), "  ");  // hyphenation point, not in GB2312
  EXPECT_EQ(Big5ToGb("\xFE\xFE"), "  ");  // user-defined area
}

TEST(Big5Table, EveryCellGivesAGb2312CharacterOrTwoSpaces) {
  int mapped = 0;
  for (int lead = 0xA1; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const Bytes pair{static_cast<char>(lead), static_cast<char>(trail)};
      if (!IsBig5Pair(pair)) continue;
      const Bytes gb = Big5ToGb(pair);
      ASSERT_EQ(gb.size(), 2u);
      if (gb == "  ") continue;
      ++mapped;
      // Strict GB2312: both bytes in A1-FE and a real character.
      ASSERT_GE(static_cast<unsigned char>(gb[0]), 0xA1) << lead << " " << trail;
      ASSERT_GE(static_cast<unsigned char>(gb[1]), 0xA1) << lead << " " << trail;
      ASSERT_LE(static_cast<unsigned char>(gb[1]), 0xFE) << lead << " " << trail;
      ASSERT_EQ(GbToUtf8(gb).find("\xEF\xBF\xBD"), std::string::npos) << lead << " " << trail;
    }
  }
  // Big5 holds about 13,000 hanzi; GB2312 about 6,800, reached from more
  // than one traditional form. A broken table lands far from this.
  EXPECT_GT(mapped, 6500);
  EXPECT_LT(mapped, 8000);
}

struct ConvertCase {
  const char* name;
  Bytes in;
  Bytes out;
};

TEST(Big5ToGb, CopiesWhatIsNotAConvertiblePair) {
  const ConvertCase cases[] = {
      {"empty", "", ""},
      {"ascii", "Hello, <b>World</b>\r\n", "Hello, <b>World</b>\r\n"},
      {"sentence", "\xA4\xA4\xB5\xD8\xA5\xC1\xB0\xEA", Gb("中华民国")},
      {"mixed",
       "a\xB0\xEA"
       "b",
       "a" + Gb("国") + "b"},
      {"lead at the end", "ab\xB0", "ab\xB0"},
      {"lead before a space", "\xA1\x20x", "\xA1\x20x"},
      {"lead before a non-trail then pair", "\xA1\x7F\xB0\xEA", "\xA1\x7F" + Gb("国")},
      {"lead FF is outside the plane", "\xFF\x40", "\xFF\x40"},
      {"lead FF then a real pair", "\xFF\xB0\xEA", "\xFF" + Gb("国")},
      {"nul bytes", Bytes("a\0\xB0\xEA\0", 5), Bytes("a\0", 2) + Gb("国") + Bytes(1, '\0')},
      {"lead before nul", Bytes("\xB0\0", 2), Bytes("\xB0\0", 2)},
      {"comma", "\xA1\x41", "\xA3\xAC"},
  };
  for (const auto& c : cases) EXPECT_EQ(Big5ToGb(c.in), c.out) << c.name;
}

TEST(Big5ToGb, EveryCellBecomesAGb2312PairOrTwoSpaces) {
  // Never a GBK-only code, whose trail byte the analysis would cut off.
  for (int lead = 0xA1; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const Bytes cell{static_cast<char>(lead), static_cast<char>(trail)};
      if (Big5Index(cell) < 0) continue;
      const Bytes gb = Big5ToGb(cell);
      ASSERT_EQ(gb.size(), 2u);
      ASSERT_TRUE(gb == "  " || IsGb2312Pair(ByteAt(gb, 1), ByteAt(gb, 2)))
          << std::hex << lead << " " << trail;
    }
  }
}

// Random byte strings biased towards the bytes that matter here.
Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
  static const unsigned char kPicks[] = {0x00, 0x0A, 0x20, 0x40, 0x41, 0x7E, 0x7F,
                                         0xA0, 0xA1, 0xB0, 0xEA, 0xFE, 0xFF};
  Bytes s(n, '\0');
  for (char& c : s) {
    const auto r = rng();
    c = static_cast<char>(r % 3 == 0 ? kPicks[(r >> 8) % std::size(kPicks)] : (r >> 8) & 0xFF);
  }
  return s;
}

TEST(Big5ToGb, RandomInputsKeepLengthAndSplitAtSingleBytes) {
  std::mt19937 rng(20240511);
  for (int round = 0; round < 4000; ++round) {
    const Bytes a = RandomBytes(rng, rng() % 64);
    const Bytes b = RandomBytes(rng, rng() % 64);
    const Bytes out = Big5ToGb(a);
    // Every pair becomes two bytes and every other byte stays itself.
    ASSERT_EQ(out.size(), a.size());
    // A byte that is neither lead nor trail ends any pair, so conversion
    // restarts cleanly after it.
    ASSERT_EQ(Big5ToGb(a + "\n" + b), out + "\n" + Big5ToGb(b));

    Bytes low = a;
    for (char& c : low) c = static_cast<char>(static_cast<unsigned char>(c) % 0xA1);
    ASSERT_EQ(Big5ToGb(low), low);
    // Only the first two bytes name a cell, and only a pair names one.
    ASSERT_EQ(Big5Index(a), Big5Index(a.substr(0, 2)));
    ASSERT_TRUE(Big5Index(a) < 0 || IsBig5Pair(a));
  }
}

TEST(Big5ToGb, HugeInputIsConvertedWhole) {
  std::mt19937 rng(7);
  const Bytes big = RandomBytes(rng, 1u << 20);
  EXPECT_EQ(Big5ToGb(big).size(), big.size());
  Bytes pairs;
  for (int i = 0; i < 100000; ++i) pairs += "\xB0\xEA";
  Bytes expected;
  for (int i = 0; i < 100000; ++i) expected += "\xB9\xFA";
  EXPECT_EQ(Big5ToGb(pairs), expected);
}

}  // namespace
}  // namespace vexo
