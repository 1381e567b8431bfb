#include "parser/keyword_query.h"

#include <vector>

#include "parser/keyword_rewrite.h"
#include "platform/codepage.h"

namespace vexo {

namespace {

bool IsDigit(unsigned char b) {
  return b >= '0' && b <= '9';
}

// s with `mark` inserted after every position p (1-based) where after[p] is
// set.
Bytes InsertMarks(std::string_view s, const std::vector<bool>& after, char mark) {
  Bytes out;
  out.reserve(s.size() + s.size() / 2);
  for (Pos p = 1; p <= Len(s); ++p) {
    out.push_back(static_cast<char>(ByteAt(s, p)));
    if (after[static_cast<std::size_t>(p)]) out.push_back(mark);
  }
  return out;
}

// The scans below run from the end to the start and insert only to the right
// of the byte they look at, so every decision reads bytes (and byte roles,
// which count from the start) of the text as it was before the scan. They
// collect the insertion points first and insert in one pass.

Bytes MarkScriptBoundaries(std::string_view s) {
  const Pos n = Len(s);
  if (n == 0) return Bytes();
  const std::vector<ByteRole> roles = ByteRoles(s);
  auto role = [&roles](Pos p) { return roles[static_cast<std::size_t>(p - 1)]; };
  std::vector<bool> after(static_cast<std::size_t>(n) + 1, false);
  bool wide = role(n) == ByteRole::Trail;
  for (Pos p = n - 1; p >= 1; --p) {
    if (role(p) == ByteRole::Single && wide) {
      if (!IsKeywordSeparator(ByteAt(s, p))) after[static_cast<std::size_t>(p)] = true;
      wide = false;
    } else if (role(p) != ByteRole::Single && !wide) {
      if (!IsKeywordSeparator(ByteAt(s, p + 1))) after[static_cast<std::size_t>(p)] = true;
      wide = true;
    }
  }
  return InsertMarks(s, after, '/');
}

Bytes MarkDigitBoundaries(std::string_view s) {
  const Pos n = Len(s);
  if (n == 0) return Bytes();
  std::vector<bool> after(static_cast<std::size_t>(n) + 1, false);
  bool digit = IsDigit(ByteAt(s, n));
  for (Pos p = n - 1; p >= 1; --p) {
    if (!IsDigit(ByteAt(s, p)) && digit) {
      if (!IsKeywordSeparator(ByteAt(s, p))) after[static_cast<std::size_t>(p)] = true;
      digit = false;
    } else if (IsDigit(ByteAt(s, p)) && !digit) {
      if (!IsKeywordSeparator(ByteAt(s, p + 1))) after[static_cast<std::size_t>(p)] = true;
      digit = true;
    }
  }
  return InsertMarks(s, after, '+');
}

Bytes MarkParenBoundaries(std::string_view s) {
  const Pos n = Len(s);
  if (n == 0) return Bytes();
  std::vector<bool> after(static_cast<std::size_t>(n) + 1, false);
  for (Pos i = n - 1; i >= 2; --i) {
    if (ByteAt(s, i) == ')' && !IsKeywordSeparator(ByteAt(s, i + 1)))
      after[static_cast<std::size_t>(i)] = true;
    if (ByteAt(s, i) == '(' && !IsKeywordSeparator(ByteAt(s, i - 1)))
      after[static_cast<std::size_t>(i - 1)] = true;
  }
  return InsertMarks(s, after, '/');
}

// "+" -> "%20"; control bytes as %XX, everything else as it is.
Bytes EscapeForQuery(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Bytes out;
  out.reserve(s.size() + s.size() / 2);
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '+') {
      out.append("%20");
    } else if (b < 0x20 || b == 0x7F) {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0x0F]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

Bytes EncodeQueryKeywords(std::string_view text) {
  Bytes s = Trim(text);
  s = RewriteFullWidthOperators(s);
  s = RewriteUntilGone(s, "--", "-");
  s = RewriteUntilGone(s, "//", "/");
  // A "+" before every "/" and "-", so that each keeps a blank before it.
  Bytes spaced;
  spaced.reserve(s.size() + s.size() / 2);
  for (char c : s) {
    if (c == '/' || c == '-') spaced.push_back('+');
    spaced.push_back(c);
  }
  s = ReplaceAll(spaced, " ", "+");
  static constexpr std::string_view kCollapse[][2] = {
      {"++", "+"}, {"/+", "/"}, {"-+", "-"}, {"(+", "("}, {"+)", ")"}, {"-)", ")"}, {"/)", ")"}};
  for (const auto& [from, to] : kCollapse) s = RewriteUntilGone(s, from, to);
  return EscapeForQuery(s);
}

Bytes SplitMixedKeywords(std::string_view text) {
  return MarkParenBoundaries(MarkDigitBoundaries(MarkScriptBoundaries(Trim(text))));
}

}  // namespace vexo
