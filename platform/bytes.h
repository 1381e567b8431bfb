#pragma once
// GB2312 (CP936) byte strings and the 1-based position helpers that every
// algorithm of the program is written in. Positions count bytes from 1; 0 means
// "not found" or "before the text". The helpers are total: a position outside
// the string reads as a zero byte, copies and deletions are clamped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexo {

using Bytes = std::string;   // text in the GB2312 code page
using Pos = std::ptrdiff_t;  // 1-based byte position, 0 = none
using StringList = std::vector<Bytes>;

// Length as a signed position, so that algorithms can subtract freely.
inline Pos Len(std::string_view s) {
  return static_cast<Pos>(s.size());
}

// Byte at 1-based position p; 0 outside 1..Len(s), like the terminating zero.
inline unsigned char ByteAt(std::string_view s, Pos p) {
  return (p >= 1 && p <= Len(s)) ? static_cast<unsigned char>(s[static_cast<std::size_t>(p - 1)])
                                 : 0;
}

// Position of the first occurrence of needle in hay at or after `from`; 0 when
// absent or when needle is empty.
Pos PosOf(std::string_view needle, std::string_view hay, Pos from = 1);

// Position of the last occurrence of needle in hay; 0 when absent.
Pos LastPosOf(std::string_view needle, std::string_view hay);

inline bool Contains(std::string_view hay, std::string_view needle) {
  return PosOf(needle, hay) > 0;
}

// PosOf(lowerNeedle, Lower(hay), from) without making the lower-cased copy.
// A needle holding upper-case letters is never found, as in a lowered text.
Pos PosOfFolded(std::string_view lowerNeedle, std::string_view hay, Pos from = 1);

// Up to n bytes from position p; p below 1 counts as 1.
Bytes Copy(std::string_view s, Pos p, Pos n);
// The bytes from position p to the end.
Bytes CopyFrom(std::string_view s, Pos p);
// The bytes at positions first..last inclusive (empty when last < first).
Bytes CopyRange(std::string_view s, Pos first, Pos last);
// Delete up to n bytes from position p; nothing outside the string.
void Delete(Bytes& s, Pos p, Pos n);
// Insert sub before position p; p beyond the end appends, below 1 prepends.
void Insert(std::string_view sub, Bytes& s, Pos p);

// Lower-cases ASCII A-Z only, so positions stay aligned with the original.
Bytes Lower(std::string_view s);
// Lower(s) into `out`, reusing its buffer; `s` must not lie inside `out`.
void LowerInto(std::string_view s, Bytes& out);
// Lower of eight bytes held in one word: a byte gets 0x20 added when its low
// seven bits lie in 'A'..'Z' and its high bit is clear; nothing carries.
inline std::uint64_t LowerEight(std::uint64_t x) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  const std::uint64_t low7 = x & ~kHigh;
  const std::uint64_t atLeastA = low7 + kOnes * (0x80 - 'A');
  const std::uint64_t aboveZ = low7 + kOnes * (0x80 - 'Z' - 1);
  return x | ((atLeastA & ~aboveZ & ~x & kHigh) >> 2);
}
Bytes Upper(std::string_view s);

// One byte lower-cased as Lower does.
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// `s` begins with `lowerPrefix` once its ASCII letters are lower-cased.
constexpr bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
  if (s.size() < lowerPrefix.size()) return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
    if (LowerAscii(s[i]) != lowerPrefix[i]) return false;
  return true;
}
// a and b are equal once the ASCII letters of both are lower-cased.
constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

constexpr bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}
// Blanks and control bytes: what the trims remove.
constexpr bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// Removes bytes <= 0x20 (blanks and control bytes) at both ends / one end.
std::string_view TrimView(std::string_view s);
Bytes Trim(std::string_view s);
Bytes TrimLeft(std::string_view s);
Bytes TrimRight(std::string_view s);

// Replace every occurrence, scanning left to right without rescanning output.
Bytes ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
// Repeat "replace the first occurrence" until the pattern no longer occurs.
// Terminates for any input when `to` is shorter than `from`.
Bytes ReplaceUntilGone(std::string_view s, std::string_view from, std::string_view to);
// Delete every occurrence of pat until none is left.
inline Bytes DeleteAll(std::string_view s, std::string_view pat) {
  return ReplaceUntilGone(s, pat, "");
}

// The text up to its first zero byte, as a piece read as a C string.
inline std::string_view UpToZero(std::string_view s) {
  const auto z = s.find('\0');
  return z == std::string_view::npos ? s : s.substr(0, z);
}

// Decimal text of a number, and the number of a decimal text (0 when the
// text is not a number; surrounding blanks allowed).
Bytes IntToText(long long v);
long long TextToInt(std::string_view s, long long fallback = 0);
bool TryTextToInt(std::string_view s, long long& out);

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c);
// "%XX" becomes its byte; a "%" without two hex digits stays as written.
Bytes PercentDecode(std::string_view s);

}  // namespace vexo
