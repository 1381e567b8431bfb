#include "platform/bytes.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

TEST(Bytes, PositionsAreOneBasedWithZeroForNotFound) {
  EXPECT_EQ(PosOf("b", "abc"), 2);
  EXPECT_EQ(PosOf("x", "abc"), 0);
  EXPECT_EQ(PosOf("", "abc"), 0);
  EXPECT_EQ(PosOf("a", "abca", 2), 4);
  EXPECT_EQ(PosOf("a", "abca", 5), 0);
  EXPECT_EQ(LastPosOf("a", "abca"), 4);
}

TEST(Bytes, ByteAtReadsZeroOutsideTheText) {
  EXPECT_EQ(ByteAt("ab", 0), 0);
  EXPECT_EQ(ByteAt("ab", 1), 'a');
  EXPECT_EQ(ByteAt("ab", 2), 'b');
  EXPECT_EQ(ByteAt("ab", 3), 0);
  EXPECT_EQ(ByteAt("ab", -7), 0);
}

TEST(Bytes, CopyDeleteInsertClampToTheText) {
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
  EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", 2, -1), "");
  EXPECT_EQ(CopyRange("abcdef", 2, 4), "bcd");
  EXPECT_EQ(CopyRange("abcdef", 4, 2), "");
  Bytes s = "abcdef";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "adef");
  Delete(s, 3, 100);
  EXPECT_EQ(s, "ad");
  Delete(s, 0, 1);
  Delete(s, 9, 1);
  EXPECT_EQ(s, "ad");
  Insert("XY", s, 2);
  EXPECT_EQ(s, "aXYd");
  Insert("!", s, 99);
  EXPECT_EQ(s, "aXYd!");
  Insert("<", s, 0);
  EXPECT_EQ(s, "<aXYd!");
}

TEST(Bytes, CaseChangesOnlyAsciiLetters) {
  const Bytes gb =
      "\xD6\xD0"
      "Ab";
  EXPECT_EQ(Lower(gb),
            "\xD6\xD0"
            "ab");
  EXPECT_EQ(Upper(gb),
            "\xD6\xD0"
            "AB");
}

TEST(Bytes, TrimRemovesBlanksAndControlBytes) {
  EXPECT_EQ(Trim(" \t\r\na b\x01 "), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("\xA1\xA1"), "\xA1\xA1");
}

TEST(Bytes, ReplaceUntilGoneRepeatsUntilThePatternIsAbsent) {
  EXPECT_EQ(ReplaceUntilGone("a+++b", "++", "+"), "a+b");
  EXPECT_EQ(ReplaceUntilGone("||||x", "||", ""), "x");
  EXPECT_EQ(ReplaceUntilGone("aabb", "ab", ""), "");
  EXPECT_EQ(ReplaceAll("a.b.c", ".", "::"), "a::b::c");
}

TEST(Bytes, DecimalText) {
  EXPECT_EQ(TextToInt(" 42 "), 42);
  EXPECT_EQ(TextToInt("4x2", -1), -1);
  EXPECT_EQ(TextToInt("", 7), 7);
  EXPECT_EQ(TextToInt("99999999999999999999999", 3), 3);
  EXPECT_EQ(IntToText(-5), "-5");
}

}  // namespace
}  // namespace vexo
