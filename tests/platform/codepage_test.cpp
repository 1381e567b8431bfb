#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <thread>
#include <vector>

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

// One code unit through a descriptor of its own: the form every entry of the
// converted-at-first-use table must hold.
Bytes IconvForm(std::uint16_t code) {
  if (code >= 0xD800 && code <= 0xDFFF) return "?";
  iconv_t cd = iconv_open("CP936", "UTF-16LE");
  char in[2] = {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
  char out[8] = {};
  char* src = in;
  char* dst = out;
  std::size_t left = 2;
  std::size_t room = sizeof out;
  const bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  const std::size_t size = sizeof out - room;
  return ok && (size == 1 || size == 2) ? Bytes(out, size) : Bytes("?");
}

TEST(Codepage, EveryCodeUnitConvertsAsIconvDoesWhicheverThreadAsksFirst) {
  // Four threads walk the whole range from different starts, so that most
  // entries are first converted while another thread may be reading them.
  constexpr int kThreads = 4;
  std::vector<std::vector<Bytes>> seen(kThreads, std::vector<Bytes>(0x10000));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &seen] {
      for (std::uint32_t i = 0; i < 0x10000; ++i) {
        const auto code = static_cast<std::uint16_t>(i + static_cast<std::uint32_t>(t) * 0x4000);
        seen[static_cast<std::size_t>(t)][code] = WideCharToGb(code);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  iconv_t probe = iconv_open("CP936", "UTF-16LE");
  ASSERT_NE(probe, reinterpret_cast<iconv_t>(-1));
  iconv_close(probe);
  int wrong = 0;
  for (std::uint32_t code = 0; code < 0x10000 && wrong < 5; ++code) {
    const Bytes expected = IconvForm(static_cast<std::uint16_t>(code));
    for (int t = 0; t < kThreads; ++t) {
      if (seen[static_cast<std::size_t>(t)][code] != expected) {
        ADD_FAILURE() << "U+" << std::hex << code << " in thread " << t;
        ++wrong;
      }
    }
  }
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
