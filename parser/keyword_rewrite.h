#pragma once
// Rewriting helpers shared by the keyword expression and the query keywords:
// the "repeat until the pattern is gone" replacement in linear time, and the
// full-width operator characters that a Chinese keyboard types.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The same result as replacing the first occurrence of `from` by `to` again
// and again until none is left, in time linear in the text. `to` must be
// shorter than `from`; otherwise every occurrence is replaced once.
Bytes RewriteUntilGone(std::string_view s, std::string_view from, std::string_view to);

// The full-width forms of the operators, in GB2312.
struct FullWidthOperators {
  Bytes slash;  // "／"
  Bytes plus;   // "＋"
  Bytes minus;  // "－"
  Bytes space;  // "　"
  Bytes open;   // "（"
  Bytes close;  // "）"
};
const FullWidthOperators& FullWidth();

// The text with every full-width "／", "＋", "－", "　", "（" and "）" (as bytes,
// wherever they stand) replaced by "/", "+", "-", "+", "(" and ")", as the
// six rewrites one after the other would leave it.
Bytes RewriteFullWidthOperators(std::string_view s);

// True for the bytes that keywords use to separate words.
inline bool IsKeywordSeparator(unsigned char b) {
  return b == ' ' || b == '(' || b == ')' || b == '+' || b == '-' || b == '/' || b == '|';
}

}  // namespace vexo
