#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

TEST(Codepage, ByteRolesCountFromTheStartOfTheText) {
  // "场。" is B3 A1 A1 A3: the middle A1 A1 is a trail and a lead, not a space.
  const Bytes s =
      "\xB3\xA1\xA1\xA3"
      "a\xB0";
  EXPECT_EQ(ByteRoleAt(s, 1), ByteRole::Lead);
  EXPECT_EQ(ByteRoleAt(s, 2), ByteRole::Trail);
  EXPECT_EQ(ByteRoleAt(s, 3), ByteRole::Lead);
  EXPECT_EQ(ByteRoleAt(s, 4), ByteRole::Trail);
  EXPECT_EQ(ByteRoleAt(s, 5), ByteRole::Single);
  EXPECT_EQ(ByteRoleAt(s, 6), ByteRole::Lead);  // a lone lead at the end
  EXPECT_EQ(ByteRoleAt(s, 0), ByteRole::Single);
  EXPECT_EQ(ByteRoleAt(s, 7), ByteRole::Single);
  const auto roles = ByteRoles(s);
  for (Pos p = 1; p <= Len(s); ++p) EXPECT_EQ(roles[p - 1], ByteRoleAt(s, p)) << p;
}

TEST(Codepage, WholeGbTextHasATrailAfterEveryLead) {
  const struct {
    Bytes text;
    bool whole;
  } cases[] = {
      {"", true},
      {"ab+(c)", true},
      {"\xD0\xC2\xCE\xC5", true},  // 新闻
      {"\xD0\xC2\xCE", false},     // cut inside the second character
      {"\x81\x40", true},          // GBK's lowest pair
      {"\xD0\x7F", false},         // no trail byte is 7F
      {"\xD0\x20", false},         // nor below 40
      {"a\x80", false},            // 80 starts nothing
      {"\xFF\xA1", false},         // nor does FF
  };
  for (const auto& c : cases) EXPECT_EQ(IsWholeGbText(c.text), c.whole) << GbToUtf8(c.text);
}

TEST(Codepage, WideCharactersBecomeGbOrQuestionMark) {
  EXPECT_EQ(WideCharToGb(0x4E2D), "\xD6\xD0");  // 中
  EXPECT_EQ(WideCharToGb('a'), "a");
  EXPECT_EQ(WideCharToGb(0x0E01), "?");  // Thai: no GB form
  EXPECT_EQ(WideCharToGb(0xD800), "?");
  EXPECT_EQ(WideCharToGb(0), Bytes(1, '\0'));
}

TEST(Codepage, PageCharactersOutsideGb2312BecomeTheLackingMark) {
  const struct {
    std::uint16_t code;
    Bytes gb;
  } cases[] = {
      {0x4E2D, "\xD6\xD0"},                                                         // 中
      {'a', "a"},           {'?', "?"}, {0, Bytes(1, '\0')}, {0x3013, "\xA1\xFE"},  // 〓 itself
      {0x6607, "\xA1\xFE"},  // 昇: GBK 95 4E, trail below 80
      {0x5803, "\xA1\xFE"},  // 堃: GBK 88 D2, lead below A1
      {0x0E01, "\xA1\xFE"},  // Thai: no GB form at all
      {0x20AC, "\xA1\xFE"},  // euro sign: CP936's single byte 80
      {0xD800, "\xA1\xFE"},
  };
  for (const auto& c : cases) EXPECT_EQ(WideCharToGb2312(c.code), c.gb) << c.code;
}

TEST(Codepage, Utf8AndGbRoundTripAtTheEdges) {
  EXPECT_EQ(Gb("跟踪"), "\xB8\xFA\xD7\xD9");
  EXPECT_EQ(GbToUtf8("\xB8\xFA\xD7\xD9"), "跟踪");
  EXPECT_EQ(Utf8ToGb("a\xFF"
                     "b"),
            "a?b");                                // invalid byte
  EXPECT_EQ(Utf8ToGb("\xE4\xB8"), "??");           // cut sequence
  EXPECT_EQ(Utf8ToGb("\xF0\x9F\x98\x80x"), "?x");  // beyond 16 bits
  EXPECT_EQ(GbToUtf8("a\xFF"), "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vexo
