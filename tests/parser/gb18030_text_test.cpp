// Pages read as GB18030: each character outside GB2312 becomes one 〓, the
// characters around it stay whole, and GB2312 text passes as it is.
#include "parser/gb18030_text.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace vexo {
namespace {

const Bytes kMark(kLackingMark);

struct ReadCase {
  const char* name;
  Bytes in;
  Bytes out;
  std::size_t whole;  // the GB2312 prefix of `in`
};

TEST(Gb18030ToGb2312, MarksEachCharacterOutsideGb2312AndKeepsItsNeighbours) {
  const ReadCase cases[] = {
      {"GBK 昇 after 赵", Gb("赵") + "\x95\x4E", Gb("赵") + kMark, 2},
      {"GBK 镕 inside 朱镕基", Gb("朱") + "\xE9\x46" + Gb("基"), Gb("朱") + kMark + Gb("基"), 2},
      {"GBK 喆 before ASCII", Gb("王") + "\x86\xB4x", Gb("王") + kMark + "x", 2},
      {"GBK 犇, lead A0", "a\xA0\xC4z", "a" + kMark + "z", 1},
      {"GBK 堃 between tags", "<b>\x88\xD2</b>", "<b>" + kMark + "</b>", 3},
      {"four-byte sequence", Gb("中") + "\x94\x39\xFC\x36" + Gb("文"), Gb("中") + kMark + Gb("文"),
       2},
      {"user-defined row above F7", "\xF8\xA1", kMark, 0},
      {"lone 80", "a\x80z", "a" + kMark + "z", 1},
      {"FF", "\xFF\xFF", kMark + kMark, 0},
      {"lead before ASCII, which stays", "\xB0<p>", kMark + "<p>", 0},
      {"lead before 7F", "\xB0\x7F", kMark + "\x7F", 0},
      {"digit without the rest", "\x81\x30z", kMark + "0z", 0},
      {"bad fourth byte", "\x81\x30\x81\x41", kMark + "0" + kMark, 0},
      {"lead cut by the end", Gb("中") + "\xB0", Gb("中"), 2},
      {"four-byte sequence cut by the end", "a\x81\x30\x81", "a", 1},
      {"cut after its digit", "a\x81\x30", "a", 1},
      {"nul kept", Bytes("\0\x95\x4E", 3), Bytes(1, '\0') + kMark, 1},
      {"empty", "", "", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Gb18030ToGb2312(c.in), c.out) << c.name;
    EXPECT_EQ(Gb2312PrefixLength(c.in), c.whole) << c.name;
  }
}

TEST(Gb18030ToGb2312, LeavesGb2312TextAsItIs) {
  // Long enough for whole blocks of ASCII, of pairs and of both mixed, with
  // the pairs starting at odd offsets too.
  Bytes text;
  for (int i = 0; i < 20; ++i)
    text += "<p class=x" + Bytes(i % 3, 'y') + ">" + Gb("今天天气很好，符号〓·") + "</p>";
  EXPECT_EQ(Gb2312PrefixLength(text), text.size());
  EXPECT_EQ(Gb18030ToGb2312(text), text);
}

}  // namespace
}  // namespace vexo
