#pragma once
// Big5 (traditional) to GB2312 (simplified) conversion of page text. Table
// driven and byte oriented: whatever is not a convertible Big5 pair is copied
// unchanged, so the conversion never fails.

#include <cstdint>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Cells of the Big5 double-byte plane: lead A1-FE, 157 trail values each.
inline constexpr int kBig5Cells = 94 * 157;

// A Big5 double-byte code: a lead byte A1 or above and a trail byte in 40-7E
// or A1-FE. Only the first two bytes of s are looked at.
bool IsBig5Pair(std::string_view s);

// Linear index 0..kBig5Cells-1 of the cell formed by the first two bytes of s;
// -1 when s is shorter than two bytes or they name no cell of the plane.
int Big5Index(std::string_view s);

// The two bytes of a table code, high byte first.
Bytes CodeToBytes(std::uint16_t code);

// The GB2312 text of a Big5 (or mixed) byte string. Characters without a
// GB2312 form become two ASCII spaces.
Bytes Big5ToGb(std::string_view s);

}  // namespace vexo
