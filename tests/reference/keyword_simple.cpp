#include "tests/reference/keyword_simple.h"

#include <array>
#include <cstdint>

#include "parser/keyword_rewrite.h"
#include "platform/codepage.h"

namespace vexo::reference {
namespace {

Bytes ReplaceFirstUntilGone(Bytes s, std::string_view from, std::string_view to) {
  for (Pos p = PosOf(from, s); p > 0; p = PosOf(from, s)) {
    Delete(s, p, Len(from));
    Insert(to, s, p);
  }
  return s;
}

}  // namespace

// The learned-word split as written: roles of every byte, the first
// occurrence on character boundaries, then the two inserts.
Bytes SimpleSplitLearnedWord(std::string_view expr, std::string_view word) {
  Bytes e(expr);
  const std::vector<ByteRole> roles = ByteRoles(e);
  const auto boundary = [&](Pos p) {
    return p > Len(e) || roles[static_cast<std::size_t>(p - 1)] != ByteRole::Trail;
  };
  Pos p = PosOf(word, e);
  while (p > 0 && !(boundary(p) && boundary(p + Len(word)))) p = PosOf(word, e, p + 1);
  if (p == 0) return e;
  const auto apart = [](unsigned char b, char closing) {
    return b == ' ' || b == '+' || b == '-' || b == '|' || b == '/' || b == closing;
  };
  if (p > 1 && !apart(ByteAt(e, p - 1), '(')) {
    Insert("+", e, p);
    ++p;
  }
  const Pos after = p + Len(word);
  if (after < Len(e) && !apart(ByteAt(e, after), ')')) Insert("+", e, after);
  return e;
}

std::vector<Pos> SimpleWordPositions(const PreparedExpression& px, std::string_view text) {
  std::vector<Pos> found(px.words.size(), 0);
  for (std::size_t w = 0; w < px.words.size(); ++w) {
    const std::string_view word = px.words[w];
    const auto at = word.empty() ? std::string_view::npos : text.find(word);
    found[w] = at == std::string_view::npos ? 0 : static_cast<Pos>(at) + 1;
  }
  return found;
}

Pos SimpleFirstTermPosition(const PreparedExpression& px, std::string_view text) {
  const std::vector<Pos> found = SimpleWordPositions(px, text);
  Pos best = 0;
  for (const auto& t : px.terms) {
    const Pos p = found[t.word];
    if (!t.negated && p >= 2 && (best == 0 || p < best)) best = p;
  }
  return best;
}

Pos SimpleMatchExpression(const PreparedExpression& px, std::string_view text) {
  const std::vector<Pos> found = SimpleWordPositions(px, text);
  std::array<std::uint8_t, 256> value{};
  Pos first = 0;
  for (std::size_t t = 0; t < px.terms.size(); ++t) {
    const auto& term = px.terms[t];
    const Pos p = found[term.word];
    value[t] = (term.negated ? p == 0 : p > 0) ? 1 : 0;
    if (!term.negated && p > 0 && (first == 0 || p < first)) first = p;
  }
  bool result = false;
  for (const auto& g : px.groups) {
    bool any = false;
    bool chain = false;
    for (std::uint16_t i = 0; i < g.count; ++i) {
      const auto& o = px.operands[g.first + i];
      const bool v = value[o.term] != 0;
      if (i == 0) {
        chain = v;
      } else if (o.and_with_previous) {
        chain = chain && v;
      } else {
        any = any || chain;
        chain = v;
      }
    }
    result = any || chain;
    value[g.target] = result ? 1 : 0;
  }
  return result ? first : 0;
}

Bytes SimpleFullWidthRewrite(Bytes s) {
  const FullWidthOperators& fw = FullWidth();
  s = ReplaceFirstUntilGone(s, fw.slash, "/");
  s = ReplaceFirstUntilGone(s, fw.plus, "+");
  s = ReplaceFirstUntilGone(s, fw.minus, "-");
  s = ReplaceFirstUntilGone(s, fw.space, "+");
  s = ReplaceFirstUntilGone(s, fw.open, "(");
  return ReplaceFirstUntilGone(s, fw.close, ")");
}

}  // namespace vexo::reference
