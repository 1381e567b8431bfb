#pragma once
// Targets for tests that lay out runs: distinct titles of more than 10 bytes,
// none inside another, the title lines the store keeps, and links.

#include <cstdio>
#include <string>

#include "platform/bytes.h"
#include "platform/codepage.h"

namespace vexo::testing {

inline Bytes Title(int i) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%06d", i);
  return Gb("重要新闻标题第") + digits;
}
inline Bytes TitleLine(int i) {
  return Gb("…") + Title(i) + Gb("…");
}
inline Bytes Link(int i) {
  return "http://www.site" + std::to_string(i) + ".com/a.htm";
}

}  // namespace vexo::testing
