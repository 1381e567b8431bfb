#include "tests/reference/gb18030_plain.h"

#include "platform/codepage.h"

namespace vexo::reference {
namespace {

// What the character starting at i is.
enum class Kind { Ascii, Gb2312, Foreign, Cut };

bool Within(int b, int low, int high) {
  return b >= low && b <= high;
}

Kind Read(std::string_view s, std::size_t i, std::size_t& length) {
  // -1 past the end of s.
  const auto at = [&](std::size_t k) {
    return k < s.size() ? static_cast<int>(static_cast<unsigned char>(s[k])) : -1;
  };
  const int b1 = at(i), b2 = at(i + 1), b3 = at(i + 2), b4 = at(i + 3);
  length = 1;
  if (b1 < 0x80) return Kind::Ascii;
  if (Within(b1, 0xA1, 0xF7) && Within(b2, 0xA1, 0xFE)) {
    length = 2;
    return Kind::Gb2312;
  }
  if (!Within(b1, 0x81, 0xFE)) return Kind::Foreign;
  if (b2 < 0) return Kind::Cut;
  if (Within(b2, 0x40, 0x7E) || Within(b2, 0x80, 0xFE)) {
    length = 2;
    return Kind::Foreign;
  }
  if (!Within(b2, 0x30, 0x39)) return Kind::Foreign;
  if (b3 < 0) return Kind::Cut;
  if (!Within(b3, 0x81, 0xFE)) return Kind::Foreign;
  if (b4 < 0) return Kind::Cut;
  if (Within(b4, 0x30, 0x39)) length = 4;
  return Kind::Foreign;
}

}  // namespace

std::size_t PlainGb2312PrefixLength(std::string_view s) {
  std::size_t i = 0;
  std::size_t length = 0;
  while (i < s.size()) {
    const Kind kind = Read(s, i, length);
    if (kind != Kind::Ascii && kind != Kind::Gb2312) break;
    i += length;
  }
  return i;
}

Bytes PlainGb18030ToGb2312(std::string_view s) {
  Bytes out;
  std::size_t i = 0;
  std::size_t length = 0;
  while (i < s.size()) {
    const Kind kind = Read(s, i, length);
    if (kind == Kind::Cut) break;
    if (kind == Kind::Foreign) {
      out += kLackingMark;
    } else {
      out += s.substr(i, length);
    }
    i += length;
  }
  return out;
}

}  // namespace vexo::reference
