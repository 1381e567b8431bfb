#include "parser/keyword_expression.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>

#include "parser/keyword_rewrite.h"
#include "platform/byte_search.h"
#include "platform/codepage.h"
#include "platform/quietly.h"

namespace vexo {

namespace {

// Expanding nested negated groups can grow the text with the square of its
// length. Past this many bytes of work the remaining groups stay as typed, so
// that no keyword text can stall the program; real expressions stay far below.
constexpr std::size_t kNegationWorkLimit = std::size_t{1} << 20;

constexpr int kOpeningMax = 50;  // paren codes 1..50 open groups
constexpr int kClosingMin = 50;  // paren codes 50 and above close them (50 does both)
constexpr int kParenCodeCap = INT_MAX / 2;

// Every "-" becomes "+|" (and not), or "|" when it opens the text. Only the
// first byte of the text can be a leading "-", since each one is replaced.
Bytes MinusToNot(std::string_view s) {
  Bytes out;
  out.reserve(s.size() + s.size() / 2);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '-') {
      out.push_back(s[i]);
    } else {
      out.append(i == 0 ? "|" : "+|");
    }
  }
  return out;
}

// End of the negated group whose "|(" stands at position i: the position of
// its ")" as the keyword editor has always found it. The scan stops short of
// the last byte of s; when it runs out, the group takes the rest of s, so a
// text ending in "-(" keeps its "(" as a group of its own.
Pos NegatedGroupEnd(std::string_view s, Pos i) {
  const Pos last = Len(s);
  Pos opened = 0;
  Pos p = i + 2;
  for (; p < last; ++p) {
    const unsigned char b = ByteAt(s, p);
    if (b == ')') break;
    if (b == '(') ++opened;
  }
  // p is the first ")"; pass as many of them as "(" were seen before it, then
  // take the next one.
  for (Pos passed = 0; p < last; ++p) {
    if (ByteAt(s, p) != ')') continue;
    if (passed == opened) return p;
    ++passed;
  }
  return last + 1;
}

Bytes ExpandNegatedGroups(Bytes s) {
  std::size_t work = 0;
  for (Pos i = PosOf("|(", s); i > 0; i = PosOf("|(", s, std::max<Pos>(i - 1, 1))) {
    work += s.size();
    if (work > kNegationWorkLimit) break;
    const Pos end = NegatedGroupEnd(s, i);
    const Bytes negated = NegateGroup(CopyRange(s, i + 1, end - 1));
    // Everything left of i - 1 is untouched, so the next "|(" is found from
    // there: the byte before the "|" may itself be a "|".
    Delete(s, i, end - i);
    Insert(negated, s, i);
  }
  return s;
}

Pos FindWord(std::string_view word, std::string_view text) {
  if (word.empty() || word.size() > text.size()) return 0;
  const std::size_t hit = FindBytes(text, word);
  return hit == std::string_view::npos ? 0 : static_cast<Pos>(hit) + 1;
}

// Truth values by term index; sized for every index a term byte can hold.
using TermValues = std::array<std::uint8_t, 256>;

// Index of the first "+" or "/" in s, or npos.
std::size_t FindOperator(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i] == '+' || s[i] == '/') return i;
  return std::string_view::npos;
}

bool IsOpening(int code) {
  return code >= 1 && code <= kOpeningMax;
}

// A term still standing while the groups are reduced.
struct LiveTerm {
  int paren;
  TermOp op;
  std::uint8_t term;
};

// Records the chain evaluation of live terms first..last (1-based) into
// the term of `first`.
void EmitChain(PreparedExpression& px, const std::vector<LiveTerm>& live, Pos first, Pos last) {
  PreparedExpression::Group g;
  g.target = live[static_cast<std::size_t>(first - 1)].term;
  g.first = static_cast<std::uint16_t>(px.operands.size());
  for (Pos m = first; m <= last; ++m) {
    const bool joined = m > first && live[static_cast<std::size_t>(m - 2)].op == TermOp::And;
    px.operands.push_back({live[static_cast<std::size_t>(m - 1)].term, joined});
  }
  g.count = static_cast<std::uint16_t>(last - first + 1);
  px.groups.push_back(g);
}

// Works out which runs of terms the parentheses make into one value, and in
// which order. Which groups form depends only
// on the terms' paren codes and operators, never on the page, so it is done
// once per expression. Every pass either lowers an opening code or removes at
// least one term, so the reduction ends.
void PlanGroups(PreparedExpression& px, const std::vector<ExpressionTerm>& cut) {
  std::vector<LiveTerm> live;
  live.reserve(cut.size());
  for (std::size_t t = 0; t < cut.size(); ++t)
    live.push_back({ParenCode(cut[t].text), cut[t].op, static_cast<std::uint8_t>(t)});
  auto code = [&live](Pos m) -> int& { return live[static_cast<std::size_t>(m - 1)].paren; };

  Pos k = static_cast<Pos>(live.size()) + 2;
  while (true) {
    const Pos n = static_cast<Pos>(live.size());
    k = std::min(k, n);  // terms beyond the last have no parenthesis
    while (k >= 1 && !IsOpening(code(k))) --k;
    if (k < 1) break;
    --code(k);
    Pos j = 1;
    while (j <= n && code(j) < kClosingMin) ++j;
    if (j > n || j <= k) continue;
    --code(j);
    const int a = code(j);
    const int b = code(k);
    code(k) = a > b + kClosingMin ? a - b : b + kClosingMin - a;
    code(j) = 0;
    EmitChain(px, live, k, j);
    live[static_cast<std::size_t>(k - 1)].op = live[static_cast<std::size_t>(j - 1)].op;
    live.erase(live.begin() + k, live.begin() + j);
  }
  if (!live.empty()) EmitChain(px, live, 1, static_cast<Pos>(live.size()));
}

std::uint32_t WordIndex(PreparedExpression& px, Bytes word) {
  const auto at = std::find(px.words.begin(), px.words.end(), word);
  if (at != px.words.end()) return static_cast<std::uint32_t>(at - px.words.begin());
  px.words.push_back(std::move(word));
  return static_cast<std::uint32_t>(px.words.size() - 1);
}

// Per-word slots on the stack: an expression has at most kMaxTerms terms and
// so at most as many distinct words. A hand-made one with more spills to the
// heap.
template <typename T>
class WordSlots {
 public:
  explicit WordSlots(std::size_t n) {
    if (n > fixed_.size()) spill_.assign(n, T{});
    data_ = n > fixed_.size() ? spill_.data() : fixed_.data();
    std::fill_n(data_, std::min(n, fixed_.size()), T{});
  }
  T& operator[](std::size_t w) { return data_[w]; }

 private:
  std::array<T, kMaxTerms> fixed_;
  std::vector<T> spill_;
  T* data_ = nullptr;
};

bool EvaluateGroups(const PreparedExpression& px, TermValues& value) {
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
  return result;
}

}  // namespace

Bytes NormalizeExpression(std::string_view text) {
  Bytes s(text);
  // Out of memory: what was done so far stands.
  Quietly([&] {
    s = ReplaceAll(s, " ", "+");
    s = RewriteFullWidthOperators(s);
    s = MinusToNot(s);
    s = ExpandNegatedGroups(std::move(s));
    s = RewriteUntilGone(s, "||", "");
    static constexpr std::string_view kCollapse[][2] = {{"++", "+"}, {"//", "/"}, {"/+", "/"},
                                                        {"+/", "/"}, {"|/", "|"}, {"|+", "|"}};
    for (const auto& [from, to] : kCollapse) s = RewriteUntilGone(s, from, to);
    s = RewriteUntilGone(s, "||", "");
    static constexpr std::string_view kInsideParens[][2] = {
        {"(+", "("}, {"+)", ")"}, {"|)", ")"}, {"/)", ")"}};
    for (const auto& [from, to] : kInsideParens) s = RewriteUntilGone(s, from, to);
  });
  return s;
}

Bytes NegateGroup(std::string_view group) {
  Bytes out;
  out.reserve(group.size() + group.size() / 2 + 1);
  std::string_view rest = group;
  while (!rest.empty()) {
    const std::size_t delim = FindOperator(rest);
    const std::string_view term = rest.substr(0, delim);
    // The "|" goes after the term's last "(" so that it stays inside the group.
    const std::size_t open = term.rfind('(');
    const std::size_t cut = open == std::string_view::npos ? 0 : open + 1;
    out.append(term.substr(0, cut));
    out.push_back('|');
    out.append(term.substr(cut));
    if (delim == std::string_view::npos) break;
    out.push_back(rest[delim]);
    rest.remove_prefix(delim + 1);
  }
  return out;
}

Bytes StripParens(std::string_view term) {
  Bytes out;
  out.reserve(term.size());
  for (char c : term)
    if (c != '(' && c != ')') out.push_back(c);
  return out;
}

int ParenCode(std::string_view term) {
  int c = 0;
  for (char b : term) {
    if (b == '(') {
      c = c > 50 ? 1 : c + 1;
    } else if (b == ')') {
      c = c < 50 ? 51 : std::min(c + 1, kParenCodeCap);
    }
  }
  return c;
}

std::vector<ExpressionTerm> CutTerms(std::string_view expr) {
  std::vector<ExpressionTerm> terms;
  while (!expr.empty() && terms.size() < kMaxTerms) {
    const std::size_t delim = FindOperator(expr);
    if (delim == std::string_view::npos) {
      terms.push_back({Bytes(expr), TermOp::None});
      break;
    }
    terms.push_back({Bytes(expr.substr(0, delim)), expr[delim] == '+' ? TermOp::And : TermOp::Or});
    expr.remove_prefix(delim + 1);
  }
  return terms;
}

PreparedExpression PrepareExpression(std::string_view expr) {
  PreparedExpression px;
  px.expression = Lower(NormalizeExpression(NormalizeExpression(Trim(expr))));
  const std::vector<ExpressionTerm> cut = CutTerms(px.expression);
  for (const auto& t : cut) {
    const std::size_t bar = t.text.find('|');
    PreparedExpression::Term term;
    term.negated = bar != Bytes::npos;
    const std::string_view word =
        term.negated ? std::string_view(t.text).substr(bar + 1) : std::string_view(t.text);
    term.word = WordIndex(px, StripParens(word));
    px.terms.push_back(term);
  }
  PlanGroups(px, cut);
  return px;
}

std::shared_ptr<const PreparedExpression> ExpressionCache::Get(std::string_view expr) {
  ++clock_;
  for (auto& e : entries_) {
    if (e.prepared && e.text == expr) {
      e.used = clock_;
      return e.prepared;
    }
  }
  auto prepared = std::make_shared<const PreparedExpression>(PrepareExpression(expr));
  auto& victim = *std::min_element(entries_.begin(), entries_.end(),
                                   [](const Entry& a, const Entry& b) { return a.used < b.used; });
  victim = Entry{Bytes(expr), prepared, clock_};
  return prepared;
}

Pos FirstTermPosition(const PreparedExpression& expr, std::string_view loweredText) {
  const std::size_t words = expr.words.size();
  WordSlots<std::uint8_t> searched(words);
  Pos best = 0;
  for (const auto& t : expr.terms) {
    if (t.negated || t.word >= words || searched[t.word]) continue;
    searched[t.word] = 1;
    const std::string_view word = expr.words[t.word];
    // Only an occurrence starting before `best` can lower it, and the first
    // occurrence in that prefix is the word's first in the whole text.
    std::string_view hay = loweredText;
    if (best > 0 && !word.empty())
      hay = hay.substr(0, static_cast<std::size_t>(best - 1) + word.size() - 1);
    const Pos p = FindWord(word, hay);
    if (p >= 2 && (best == 0 || p < best)) best = p;
  }
  return best;
}

Pos FirstTermPosition(std::string_view expr, std::string_view loweredText) {
  Pos found = 0;
  Quietly([&] { found = FirstTermPosition(PrepareExpression(expr), loweredText); });
  return found;
}

Pos MatchExpression(const PreparedExpression& expr, std::string_view loweredText) {
  const std::size_t words = expr.words.size();
  // Position + 1 of each word once searched, so that 0 means "not yet".
  WordSlots<Pos> found(words);
  TermValues value{};
  Pos first = 0;
  for (std::size_t t = 0; t < expr.terms.size() && t < value.size(); ++t) {
    const auto& term = expr.terms[t];
    Pos p = 0;
    if (term.word < words) {
      if (found[term.word] == 0)
        found[term.word] = FindWord(expr.words[term.word], loweredText) + 1;
      p = found[term.word] - 1;
    }
    value[t] = (term.negated ? p == 0 : p > 0) ? 1 : 0;
    if (!term.negated && p > 0 && (first == 0 || p < first)) first = p;
  }
  return EvaluateGroups(expr, value) ? first : 0;
}

Pos MatchExpression(std::string_view expr, std::string_view loweredText) {
  Pos found = 0;
  Quietly([&] { found = MatchExpression(PrepareExpression(expr), loweredText); });
  return found;
}

namespace {

// Walks the character starts of a text forward: the roles counted from the
// start, without a table of them, for positions asked in rising order.
class CharacterWalk {
 public:
  explicit CharacterWalk(std::string_view s) : s_(s) {}
  // True unless offset i is the trail byte of a double-byte character; the
  // end of the text is a boundary.
  bool BoundaryAt(std::size_t i) {
    while (next_ < i)
      next_ += IsLeadByte(static_cast<unsigned char>(s_[next_])) && next_ + 1 < s_.size() ? 2 : 1;
    return next_ == i;
  }

 private:
  std::string_view s_;
  std::size_t next_ = 0;  // the start of a character
};

bool StandsApart(unsigned char b, char closing) {
  return b == ' ' || b == '+' || b == '-' || b == '|' || b == '/' || b == closing;
}

// Where SplitLearnedWord puts its "+": the word's offset and the sides that
// need one.
struct LearnedWordSplit {
  std::size_t at;
  bool before;
  bool behind;
};

std::optional<LearnedWordSplit> FindLearnedWordSplit(std::string_view expr, std::string_view word) {
  const std::size_t n = word.size();
  if (n == 0) return std::nullopt;
  // A split inside a double-byte character would break the keyword for
  // good, so only occurrences on character boundaries count. Starts and ends
  // of occurrences both rise, so one walk serves each.
  CharacterWalk starts(expr);
  CharacterWalk ends(expr);
  std::size_t at = expr.find(word);
  while (at != std::string_view::npos && !(starts.BoundaryAt(at) && ends.BoundaryAt(at + n)))
    at = expr.find(word, at + 1);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t after = at + n;
  const bool before = at > 0 && !StandsApart(static_cast<unsigned char>(expr[at - 1]), '(');
  // The byte after the word counts only when another byte follows it.
  const bool behind =
      after + 1 < expr.size() && !StandsApart(static_cast<unsigned char>(expr[after]), ')');
  if (!before && !behind) return std::nullopt;
  return LearnedWordSplit{at, before, behind};
}

}  // namespace

bool LearnedWordStandsApart(std::string_view expr, std::string_view word) {
  return !FindLearnedWordSplit(expr, word);
}

Bytes SplitLearnedWord(std::string_view expr, std::string_view word) {
  const std::optional<LearnedWordSplit> split = FindLearnedWordSplit(expr, word);
  if (!split) return Bytes(expr);
  const LearnedWordSplit& s = *split;
  Bytes e;
  // Out of memory: the expression as far as it was built.
  Quietly([&] {
    e.reserve(expr.size() + 2);
    e.append(expr.substr(0, s.at));
    if (s.before) e.push_back('+');
    e.append(word);
    if (s.behind) e.push_back('+');
    e.append(expr.substr(s.at + word.size()));
  });
  return e;
}

}  // namespace vexo
