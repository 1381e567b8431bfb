// The keyword matchers and rewrites against their simple forms: every word
// searched once in the whole text into a vector, and the six full-width
// operator rewrites done one after the other. Long texts with many repeated
// words, so that the shortened searches of the first-position test matter.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "parser/keyword_expression.h"
#include "parser/keyword_rewrite.h"
#include "platform/codepage.h"
#include "tests/reference/keyword_simple.h"

namespace vexo {
namespace {

using namespace reference;

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
