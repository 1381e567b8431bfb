#pragma once
// The store's whole-line comparison ignoring the case of ASCII letters, cheap
// enough to run over every line of a list for each link of a page: no copies,
// eight bytes at a time, and the last eight bytes first, because the lines
// compared (site roots, title lines) mostly share their start ("http://www.",
// the ellipsis) and differ towards their end. The plain form, through
// lower-cased copies, is tests/reference/folded_line.h.

#include <string.h>

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

namespace folded_detail {

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[static_cast<std::size_t>(c)] =
        static_cast<unsigned char>(LowerAscii(static_cast<char>(c)));
  return table;
}

inline constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

inline std::uint64_t Word(const char* p) {
  std::uint64_t w;
  ::memcpy(&w, p, 8);
  return w;
}

inline bool SameWordFolded(const char* a, const char* b) {
  const std::uint64_t x = Word(a);
  const std::uint64_t y = Word(b);
  if (x == y) return true;
  // Folding only sets bit 5 of a byte: any other differing bit settles it.
  if (((x ^ y) & ~0x2020202020202020ULL) != 0) return false;
  return LowerEight(x) == LowerEight(y);
}

}  // namespace folded_detail

// n bytes at a and at b are equal but for the case of ASCII letters.
inline bool SameBytesFolded(const char* a, const char* b, std::size_t n) {
  using folded_detail::SameWordFolded;
  if (n < 8) {
    for (std::size_t i = 0; i < n; ++i) {
      if (folded_detail::kFold[static_cast<unsigned char>(a[i])] !=
          folded_detail::kFold[static_cast<unsigned char>(b[i])])
        return false;
    }
    return true;
  }
  // The last word covers the bytes that do not fill a whole word.
  if (!SameWordFolded(a + n - 8, b + n - 8)) return false;
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    if (!SameWordFolded(a + i, b + i)) return false;
  }
  return true;
}

inline bool SameLineFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SameBytesFolded(a.data(), b.data(), a.size());
}

// The eight bytes at a and at b differ in a bit that folding cannot explain:
// the cheap first look before SameBytesFolded when most lines of the length
// looked for are unequal.
inline bool WordsDifferBeyondCase(const char* a, const char* b) {
  using folded_detail::Word;
  return ((Word(a) ^ Word(b)) & ~0x2020202020202020ULL) != 0;
}

// Index of the first line from `from` on that equals `line` but for letter
// case, or npos.
template <typename Lines>
std::size_t FindLineFolded(const Lines& lines, std::size_t from, std::string_view line) {
  const std::size_t n = line.size();
  for (std::size_t i = from; i < lines.size(); ++i) {
    const auto& candidate = lines[i];
    if (candidate.size() != n) continue;
    // Lines that share their start differ mostly in their last word.
    if (n >= 8 && WordsDifferBeyondCase(candidate.data() + n - 8, line.data() + n - 8)) continue;
    if (SameBytesFolded(candidate.data(), line.data(), n)) return i;
  }
  return std::string_view::npos;
}

// Index of the first line of the list equal to `line` but for letter case,
// or -1.
inline int IndexOfLineFolded(const StringList& list, std::string_view line) {
  const std::size_t i = FindLineFolded(list, 0, line);
  return i == std::string_view::npos || i > INT_MAX ? -1 : static_cast<int>(i);
}

// A hash that gives lines equal but for letter case the same value: the
// folded words multiplied in, then the bits mixed so that the low ones
// depend on every byte.
inline std::uint64_t FoldedHash(std::string_view s) {
  using folded_detail::Word;
  std::uint64_t h = 14695981039346656037ULL ^ s.size();
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8)
    h = (h ^ LowerEight(Word(s.data() + i))) * 0x9E3779B97F4A7C15ULL;
  for (; i < s.size(); ++i)
    h = (h ^ folded_detail::kFold[static_cast<unsigned char>(s[i])]) * 1099511628211ULL;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 32);
}

}  // namespace vexo
