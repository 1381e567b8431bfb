// The keyword matchers and rewrites against their simple forms: every word
// searched once in the whole text into a vector, and the six full-width
// operator rewrites done one after the other. Long texts with many repeated
// words, so that the shortened searches of the first-position test matter.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "analysis/keyword_expression.h"
#include "analysis/keyword_rewrite.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

// --- simple forms ---------------------------------------------------------------------

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

Bytes ReplaceFirstUntilGone(Bytes s, std::string_view from, std::string_view to) {
  for (Pos p = PosOf(from, s); p > 0; p = PosOf(from, s)) {
    Delete(s, p, Len(from));
    Insert(to, s, p);
  }
  return s;
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

// --- random input ---------------------------------------------------------------------

// Words that overlap each other and the text's pieces, double-byte ones and
// halves of them.
const std::vector<Bytes>& Words() {
  static const std::vector<Bytes> words = {"a",          "ab",       "ba",     "aba",      "x",
                                           "xy",         Gb("手机"), Gb("机"), "\xBB\xFA", "\xD6",
                                           Gb("诺基亚"), Gb("电话"), "b",      "k",        "kk"};
  return words;
}

Bytes RandomExpression(std::mt19937& rng) {
  static const std::vector<Bytes> ops = {"+", "/", " ", "-", "(", ")", "+(", ")/", "/-"};
  Bytes e;
  for (int n = 1 + static_cast<int>(rng() % 7); n > 0; --n) {
    if (!e.empty()) e += ops[rng() % ops.size()];
    if (rng() % 4 == 0) e += "(";
    e += Words()[rng() % Words().size()];
    if (rng() % 4 == 0) e += ")";
  }
  return e;
}

Bytes RandomText(std::mt19937& rng) {
  const std::size_t sizes[] = {0, 1, 3, 17, 200, 3000};
  const std::size_t size = sizes[rng() % std::size(sizes)];
  Bytes t;
  while (t.size() < size) {
    const auto r = rng() % 10;
    if (r < 4)
      t += Words()[rng() % Words().size()];
    else if (r < 8)
      t += Gb("新闻的市场");
    else
      t += static_cast<char>(rng());
  }
  return t;
}

// --- the comparisons ------------------------------------------------------------------

TEST(FastKeywordEquivalence, MatchersAgreeWithWholeTextSearches) {
  std::mt19937 rng(31);
  int matched = 0;
  for (int round = 0; round < 4000; ++round) {
    const PreparedExpression px = PrepareExpression(RandomExpression(rng));
    for (int k = 0; k < 4; ++k) {
      const Bytes text = RandomText(rng);
      ASSERT_EQ(FirstTermPosition(px, text), SimpleFirstTermPosition(px, text))
          << testing::PrintToString(px.expression) << " in " << testing::PrintToString(text);
      const Pos m = MatchExpression(px, text);
      ASSERT_EQ(m, SimpleMatchExpression(px, text))
          << testing::PrintToString(px.expression) << " in " << testing::PrintToString(text);
      matched += m > 0;
    }
  }
  EXPECT_GT(matched, 1000);
}

TEST(FastKeywordEquivalence, FirstPositionSkipsAWordThatOpensTheText) {
  // "ab" opens the text and so does not count, although it occurs again
  // before "x"; the search for "x" is bounded by nothing then.
  const PreparedExpression px = PrepareExpression("ab/x/b");
  EXPECT_EQ(FirstTermPosition(px, "ab..x.ab"), 2);  // "b" at 2
  EXPECT_EQ(FirstTermPosition(PrepareExpression("ab/x"), "ab..x.ab"), 5);
  // A later word whose first occurrence is at the very bound is not earlier.
  EXPECT_EQ(FirstTermPosition(PrepareExpression("xy/yz"), ".xyz"), 2);
  EXPECT_EQ(FirstTermPosition(PrepareExpression("yz/xy"), ".xyz"), 2);
}

TEST(FastKeywordEquivalence, RepeatedWordsAreSearchedOnceAndAgree) {
  Bytes expr = "a";
  for (int i = 0; i < 200; ++i) expr += i % 2 ? "+a" : "/-a";
  const PreparedExpression px = PrepareExpression(expr);
  EXPECT_EQ(px.words.size(), 1u);
  for (const Bytes& text : std::vector<Bytes>{"", "a", "ba", Bytes(5000, 'b') + "a"}) {
    EXPECT_EQ(FirstTermPosition(px, text), SimpleFirstTermPosition(px, text));
    EXPECT_EQ(MatchExpression(px, text), SimpleMatchExpression(px, text));
  }
}

TEST(FastKeywordEquivalence, FullWidthOperatorsInOnePassAsInSix) {
  std::mt19937 rng(32);
  const std::vector<Bytes> pieces = {"\xA3\xAF", "\xA3\xAB", "\xA3\xAD", "\xA1\xA1",    "\xA3\xA8",
                                     "\xA3\xA9", "\xA1",     "\xA3",     "\xAF",        "\xA9",
                                     "\xB3",     "a",        "/",        Bytes("\0", 1)};
  for (int round = 0; round < 20000; ++round) {
    Bytes s;
    for (int n = static_cast<int>(rng() % 14); n > 0; --n) s += pieces[rng() % pieces.size()];
    ASSERT_EQ(RewriteFullWidthOperators(s), SimpleFullWidthRewrite(s)) << testing::PrintToString(s);
  }
  EXPECT_EQ(RewriteFullWidthOperators(Gb("手机／电话　（诺基亚）－旧＋新")),
            Gb("手机/电话+(诺基亚)-旧+新"));
  EXPECT_EQ(RewriteFullWidthOperators(""), "");
}

TEST(FastKeywordEquivalence, LearnedWordSplitAsWritten) {
  // Expressions of words, operators and double-byte characters whose bytes
  // also pair up across character borders; the word mostly cut from the
  // expression itself, at any byte, so that half characters are asked for.
  std::mt19937 rng(33);
  const std::vector<Bytes> pieces = {"a",        "b",        "ab",       "+",           "/",
                                     "-",        "|",        " ",        "(",           ")",
                                     "\xB0\xA1", "\xA1\xB0", "\xB0",     "\xA1",        "\xFF",
                                     "\x80",     Gb("汽车"), Gb("奇瑞"), Bytes("\0", 1)};
  for (int round = 0; round < 30000; ++round) {
    Bytes expr;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) expr += pieces[rng() % pieces.size()];
    Bytes word;
    if (round % 4 == 0 || expr.empty()) {
      for (int n = static_cast<int>(rng() % 3); n > 0; --n) word += pieces[rng() % pieces.size()];
    } else {
      const std::size_t from = rng() % expr.size();
      word = expr.substr(from, 1 + rng() % 5);
    }
    ASSERT_EQ(SplitLearnedWord(expr, word), SimpleSplitLearnedWord(expr, word))
        << testing::PrintToString(expr) << " / " << testing::PrintToString(word);
  }
  const Bytes longExpr = Bytes(5000, '\xB0') + "ab" + Bytes(5000, '\xA1') + "b";
  for (const Bytes& word : {Bytes("ab"), Bytes("\xB0\xA1"),
                            Bytes("\xA1"
                                  "b"),
                            Bytes("b")})
    EXPECT_EQ(SplitLearnedWord(longExpr, word), SimpleSplitLearnedWord(longExpr, word));
}

}  // namespace
}  // namespace vexo
