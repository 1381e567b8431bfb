#include "parser/keyword_expression.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "parser/keyword_rewrite.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

// A straightforward transcription of the expression rules, one string edit at
// a time, to hold the optimised implementation against on random inputs.
namespace plain {

void ReplaceFirstUntilGone(Bytes& s, std::string_view from, std::string_view to) {
  for (Pos p = PosOf(from, s); p > 0; p = PosOf(from, s)) {
    Delete(s, p, Len(from));
    Insert(to, s, p);
  }
}

Bytes NegateGroup(Bytes g) {
  Bytes out;
  while (!g.empty()) {
    const Pos p = PosOf("+", g);
    const Pos q = PosOf("/", g);
    if (p > 0 || q > 0) {
      const Pos d = (p > 0 && q > 0) ? std::min(p, q) : std::max(p, q);
      const Pos i = LastPosOf("(", Copy(g, 1, d - 1));
      Insert("|", g, i + 1);
      out += Copy(g, 1, d + 1);
      Delete(g, 1, d + 1);
    } else {
      Insert("|", g, LastPosOf("(", g) + 1);
      out += g;
      break;
    }
  }
  return out;
}

// Past the end when the scan, which stops short of the last byte, runs out.
Pos GroupEnd(const Bytes& s, Pos i) {
  Pos opened = 0;
  Pos first_close = 0;
  for (Pos j = i + 2; j <= Len(s) - 1; ++j) {
    if (ByteAt(s, j) == ')') {
      first_close = j;
      break;
    }
    if (ByteAt(s, j) == '(') ++opened;
  }
  if (first_close == 0) return Len(s) + 1;
  Pos m = first_close;
  Pos counted = 0;
  while (m <= Len(s) - 1 && counted < opened) {
    if (ByteAt(s, m) == ')') ++counted;
    ++m;
  }
  if (counted < opened) return Len(s) + 1;
  for (; m <= Len(s) - 1; ++m)
    if (ByteAt(s, m) == ')') return m;
  return Len(s) + 1;
}

Bytes Normalize(Bytes s) {
  const auto& fw = FullWidth();
  ReplaceFirstUntilGone(s, " ", "+");
  ReplaceFirstUntilGone(s, fw.slash, "/");
  ReplaceFirstUntilGone(s, fw.plus, "+");
  ReplaceFirstUntilGone(s, fw.minus, "-");
  ReplaceFirstUntilGone(s, fw.space, "+");
  ReplaceFirstUntilGone(s, fw.open, "(");
  ReplaceFirstUntilGone(s, fw.close, ")");
  for (Pos p = PosOf("-", s); p > 0; p = PosOf("-", s)) {
    Delete(s, p, 1);
    Insert(p == 1 ? "|" : "+|", s, p);
  }
  for (Pos i = PosOf("|(", s); i > 0; i = PosOf("|(", s)) {
    const Pos end = GroupEnd(s, i);
    const Bytes group = CopyRange(s, i + 1, end - 1);
    Delete(s, i, end - i);
    Insert(NegateGroup(group), s, i);
  }
  ReplaceFirstUntilGone(s, "||", "");
  static const char* const kCollapse[][2] = {{"++", "+"}, {"//", "/"}, {"/+", "/"},
                                             {"+/", "/"}, {"|/", "|"}, {"|+", "|"}};
  for (const auto& r : kCollapse) ReplaceFirstUntilGone(s, r[0], r[1]);
  ReplaceFirstUntilGone(s, "||", "");
  static const char* const kInside[][2] = {{"(+", "("}, {"+)", ")"}, {"|)", ")"}, {"/)", ")"}};
  for (const auto& r : kInside) ReplaceFirstUntilGone(s, r[0], r[1]);
  return s;
}

struct Terms {
  int n = 0;
  std::array<int, 131> v{}, o{}, p{};  // o: 0 none, 1 and, 2 or
  Pos first = 0;
  std::array<Pos, 131> value{};  // FirstTermPosition's value per term
};

Terms Cut(std::string_view expr, std::string_view text) {
  Bytes e = Lower(Normalize(Normalize(Trim(expr))));
  Terms t;
  while (!e.empty() && t.n < 128) {
    const Pos p = PosOf("+", e);
    const Pos q = PosOf("/", e);
    Bytes term;
    int op = 0;
    if (p > 0 && (q == 0 || p < q)) {
      term = Copy(e, 1, p - 1), op = 1;
      Delete(e, 1, p);
    } else if (q > 0) {
      term = Copy(e, 1, q - 1), op = 2;
      Delete(e, 1, q);
    } else {
      term = e;
      e.clear();
    }
    ++t.n;
    t.o[t.n] = op;
    t.p[t.n] = ParenCode(term);
    const Pos bar = PosOf("|", term);
    if (bar > 0) {
      const Pos at = PosOf(StripParens(CopyFrom(term, bar + 1)), text);
      t.v[t.n] = at == 0;
      t.value[t.n] = at == 0 ? 1 : 0;
    } else {
      const Pos at = PosOf(StripParens(term), text);
      t.v[t.n] = at > 0;
      t.value[t.n] = at;
      if (at > 0 && (t.first == 0 || at < t.first)) t.first = at;
    }
  }
  return t;
}

void Chains(Terms& t, int k, int j) {
  int any = 0;
  int chain = t.v[k];
  for (int m = k; m <= j - 1; ++m) {
    if (t.o[m] == 1) {
      chain = chain && t.v[m + 1];
    } else {
      any = any || chain;
      chain = t.v[m + 1];
    }
  }
  t.v[k] = any || chain;
}

Pos Match(std::string_view expr, std::string_view text) {
  Terms t = Cut(expr, text);
  int k = t.n + 2;
  while (true) {
    while (k >= 1 && !(t.p[k] >= 1 && t.p[k] <= 50)) --k;
    if (k < 1) break;
    t.p[k] -= 1;
    int j = 1;
    while (j <= t.n && t.p[j] < 50) ++j;
    if (j > t.n || j <= k) continue;
    t.p[j] -= 1;
    const int a = t.p[j], b = t.p[k];
    t.p[k] = a > b + 50 ? a - b : b + 50 - a;
    t.p[j] = 0;
    Chains(t, k, j);
    t.o[k] = t.o[j];
    const int gone = j - k;
    for (int m = j + 1; m <= t.n; ++m) {
      t.v[m - gone] = t.v[m];
      t.o[m - gone] = t.o[m];
      t.p[m - gone] = t.p[m];
    }
    for (int m = t.n - gone + 1; m <= t.n; ++m) t.v[m] = t.o[m] = t.p[m] = 0;
    t.n -= gone;
  }
  if (t.n == 0) return 0;
  Chains(t, 1, t.n);
  return t.v[1] ? t.first : 0;
}

Pos FirstTerm(std::string_view expr, std::string_view text) {
  const Terms t = Cut(expr, text);
  Pos best = 0;
  for (int m = 1; m <= t.n; ++m)
    if (t.value[m] >= 2 && (best == 0 || t.value[m] < best)) best = t.value[m];
  return best;
}

}  // namespace plain

Bytes G(const char* utf8) {
  return Gb(utf8);
}

struct TextCase {
  Bytes in;
  Bytes out;
};

TEST(NormalizeExpression, RewritesTypedOperators) {
  const TextCase cases[] = {
      {"a b", "a+b"},
      {"-a", "|a"},
      {"a--b", "a+b"},  // the double negation cancels
      {"a+-(b/c)", "a+(|b/|c)"},
      {G("（a／b）"), "(a/b)"},
      {G("汽车 -二手"), G("汽车+|二手")},
      {G("奇瑞/别克/宝来"), G("奇瑞/别克/宝来")},
      {"-(A/B)", "(|A/|B)"},
      {"-(a/(b+c))", "(|a/(|b+|c))"},
      {"-(a/-(b/c))", "(|a/|(b/c))"},
      {"-((a)/(b))", "((|a)/(|b))"},
      {G("a＋b－c　d"), "a+b+|c+d"},
      {"a  b", "a+b"},
      {"a//b", "a/b"},
      {"a/ b", "a/b"},
      {"a -/b", "a+|b"},
      {"( a )", "(a)"},
      {"(a -)", "(a+)"},  // "+)" goes before "|)" does
      {"(a/)", "(a)"},
      {"+a+", "+a+"},  // leading and trailing operators stay
      {"", ""},
      {"-", "|"},
      {"-(abc", "(|abc"},  // unbalanced: the group runs to the last byte
      {"a-(", "a+(|"},     // the "(" alone is the group, so "a" alone still decides
      {"||(", "("},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormalizeExpression(c.in), c.out) << testing::PrintToString(c.in);
}

TEST(NormalizeExpression, FullWidthFormsAreTheGb2312Bytes) {
  const auto& fw = FullWidth();
  EXPECT_EQ(fw.slash, "\xA3\xAF");
  EXPECT_EQ(fw.plus, "\xA3\xAB");
  EXPECT_EQ(fw.minus, "\xA3\xAD");
  EXPECT_EQ(fw.space, "\xA1\xA1");
  EXPECT_EQ(fw.open, "\xA3\xA8");
  EXPECT_EQ(fw.close, "\xA3\xA9");
}

TEST(NormalizeExpression, DeeplyNestedNegationsFinishAndStayBounded) {
  Bytes deep;
  for (int i = 0; i < 3000; ++i) deep += "-(";
  deep += "a/b";
  const Bytes out = NormalizeExpression(deep);
  EXPECT_LT(out.size(), std::size_t{64} << 20);
  EXPECT_LE(FirstTermPosition(deep, "xxab"), 4);
  // A modest nesting is expanded completely.
  EXPECT_EQ(NormalizeExpression("-(-(-(a)))"), plain::Normalize("-(-(-(a)))"));
}

TEST(NegateGroup, NegatesEveryTermInsideItsParentheses) {
  const TextCase cases[] = {
      {"(A/B", "(|A/|B"}, {"(a/(b+c", "(|a/(|b+|c"},
      {"A", "|A"},        {"x(y+z", "x(|y+|z"},
      {"+", "|+"},        {"", ""},
      {"((a", "((|a"},    {"(a)+b", "(|a)+|b"},
  };
  for (const auto& c : cases) EXPECT_EQ(NegateGroup(c.in), c.out) << c.in;
}

TEST(StripParens, RemovesOnlyParentheses) {
  EXPECT_EQ(StripParens("((a)b)"), "ab");
  EXPECT_EQ(StripParens("|(x"), "|x");
  EXPECT_EQ(StripParens(""), "");
}

TEST(ParenCode, CountsOpeningAndClosingLevels) {
  struct Case {
    Bytes term;
    int code;
  };
  const Case cases[] = {
      {"", 0},
      {"A", 0},
      {"((A", 2},
      {"B))", 52},
      {"A)", 51},
      {"(A)", 51},
      {")(", 1},
      {Bytes(50, '('), 50},
      {Bytes(51, '('), 51},
      {Bytes(52, '('), 1},
      {Bytes(300, ')'), 350},  // no wrap-around for long runs
  };
  for (const auto& c : cases) EXPECT_EQ(ParenCode(c.term), c.code) << c.term;
}

TEST(CutTerms, SplitsAtAndAndOr) {
  using T = ExpressionTerm;
  EXPECT_EQ(CutTerms("a+b/c"),
            (std::vector<T>{{"a", TermOp::And}, {"b", TermOp::Or}, {"c", TermOp::None}}));
  EXPECT_EQ(CutTerms("a+"), (std::vector<T>{{"a", TermOp::And}}));
  EXPECT_EQ(CutTerms("+a"), (std::vector<T>{{"", TermOp::And}, {"a", TermOp::None}}));
  EXPECT_EQ(CutTerms("(|a/b)"), (std::vector<T>{{"(|a", TermOp::Or}, {"b)", TermOp::None}}));
  EXPECT_TRUE(CutTerms("").empty());
}

Bytes NumberedWords(int count, char op) {
  Bytes e;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) e += op;
    e += "k" + std::to_string(1000 + i);
  }
  return e;
}

TEST(CutTerms, KeepsAtMost128Terms) {
  const auto terms = CutTerms(NumberedWords(1000, '/'));
  ASSERT_EQ(terms.size(), kMaxTerms);
  EXPECT_EQ(terms.back().text, "k1128");
  EXPECT_EQ(terms.back().op, TermOp::Or);
}

TEST(FirstTermPosition, GivesEarliestWantedWordFromPositionTwo) {
  struct Case {
    Bytes expr;
    Bytes text;
    Pos pos;
  };
  const Case cases[] = {
      {"x/y", "..y..x", 3},
      {"x+|y", "ab x", 4},
      {"x", "x...", 0},  // position 1 does not count
      {"|y", "abc", 0},
      {"|y", "aby", 0},
      {"x+y", "..x..", 3},  // operators are ignored
      {"ABC", "xxabc", 3},  // the expression is lower-cased
      {"  x  ", "-x", 2},
      {"x/y", "x.y", 3},  // x at 1 is its first occurrence, so only y counts
      {"(x/y)+z", ".zzz", 2},
      {G("手机+诺基亚"), G("ab诺基亚手机"), 3},
      {"", "abc", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FirstTermPosition(c.expr, c.text), c.pos) << c.expr << " in " << c.text;
}

TEST(MatchExpression, NeedsTheWholeExpressionSatisfied) {
  struct Case {
    Bytes expr;
    Bytes text;
    Pos pos;
  };
  const Case cases[] = {
      {"x+y", "..x..", 0},
      {"x/y", "..x..", 3},
      {"(x/y)+z", "..z.y.", 3},
      {"(x/y)+z", "..y.z.", 3},
      {"(x/y)+z", "..x...", 0},
      {"x+|y", "..x.y", 0},
      {"x+|y", "..x..", 3},
      {"|y", "....", 0},  // satisfied through a negated word only
      {"x", "x...", 1},   // unlike FirstTermPosition, position 1 counts
      {"x-y", "x y", 0},
      {"x -(y/z)", "x y z", 0},
      {"x -(y/z)", "x z", 1},  // not y, or not z
      {"a+(b/c)+d", "a c d", 1},
      {"a+(b/c)+d", "a c", 0},
      {"(a+b)/(c+d)", "..c.d", 3},
      {"((a/b)+c)/d", "b c", 1},
      {"((a/b)+c)/d", "b", 0},
      {G("奇瑞/别克/宝来"), G("xx宝来别克"), 3},
      {G("汽车 -二手"), G("新汽车"), 3},
      {G("汽车 -二手"), G("二手汽车"), 0},
      {G("新闻 -("), G("要新闻"), 3},  // a dangling "-(" takes nothing away
      {"", "abc", 0},
      {"a+", "xa", 2},  // a trailing operator joins nothing
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchExpression(c.expr, c.text), c.pos)
        << c.expr << " in " << c.text << " plain " << plain::Match(c.expr, c.text);
}

TEST(MatchExpression, CloseBeforeOpenLeavesTheLaterGroupUngrouped) {
  // As a group, (x/y)+z needs z; with the stray ")" first, it reads q/x/y+z.
  EXPECT_EQ(MatchExpression("(x/y)+z", "..x"), 0);
  EXPECT_EQ(MatchExpression("q)/(x/y)+z", "..x"), 3);
}

TEST(MatchExpression, UsesTheFirst128TermsOnly) {
  const Bytes any = NumberedWords(129, '/');
  EXPECT_EQ(MatchExpression(any, "..k1129"), 0);
  EXPECT_EQ(FirstTermPosition(any, "..k1129"), 0);
  EXPECT_EQ(MatchExpression(any, "..k1128"), 3);
  EXPECT_EQ(FirstTermPosition(any, "..k1128"), 3);

  Bytes all_but_last;
  for (int i = 1; i <= 128; ++i) all_but_last += "k" + std::to_string(1000 + i) + " ";
  EXPECT_EQ(MatchExpression(NumberedWords(129, '+'), all_but_last), 1);
  EXPECT_EQ(MatchExpression(NumberedWords(128, '+'), all_but_last), 1);
  EXPECT_EQ(MatchExpression(NumberedWords(128, '+'), "k1001"), 0);
  // Exactly 128 terms, the last one joined by AND to the one that is cut off.
  EXPECT_EQ(MatchExpression(NumberedWords(128, '/') + "+zz", "..k1128"), 3);
}

TEST(MatchExpression, PreparedAndCachedFormsAgree) {
  const PreparedExpression px = PrepareExpression("(x/y)+z");
  EXPECT_EQ(px.expression, "(x/y)+z");
  EXPECT_EQ(px.terms.size(), 3u);
  EXPECT_EQ(MatchExpression(px, "..y.z"), 3);
  EXPECT_EQ(FirstTermPosition(px, "..y.z"), 3);
  ExpressionCache cache;
  const auto cached = cache.Get("(x/y)+z");
  EXPECT_EQ(cached, cache.Get("(x/y)+z"));  // one preparation per text
  EXPECT_EQ(cached->expression, px.expression);
}

TEST(SplitLearnedWord, SeparatesTheFirstOccurrence) {
  struct Case {
    Bytes expr;
    Bytes word;
    Bytes out;
  };
  const Case cases[] = {
      {G("奇瑞汽车"), G("汽车"), G("奇瑞+汽车")},
      {G("奇瑞+汽车"), G("汽车"), G("奇瑞+汽车")},
      {G("奇瑞汽车"), G("宝来"), G("奇瑞汽车")},
      {G("汽车奇瑞ab"), G("奇瑞"), G("汽车+奇瑞+ab")},
      {G("汽车奇瑞(x)"), G("奇瑞"), G("汽车+奇瑞+(x)")},  // only ")" may follow
      {G("(奇瑞)"), G("奇瑞"), G("(奇瑞)")},
      {"ab", "b", "a+b"},  // only one byte after the word: no "+" there
      {"abab", "ab", "ab+ab"},
      {"AbCd", "b", "A+b+Cd"},
      {"AbCd", "B", "AbCd"},  // case-sensitive
      {"abc", "", "abc"},
      {"", "a", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitLearnedWord(c.expr, c.word), c.out) << c.expr << " / " << c.word;
    EXPECT_EQ(LearnedWordStandsApart(c.expr, c.word), c.out == c.expr) << c.expr << " / " << c.word;
  }
}

TEST(SplitLearnedWord, NeverSplitsADoubleByteCharacter) {
  // "\xA1\xB2" occurs across the two characters B0A1 B2A8.
  EXPECT_EQ(SplitLearnedWord("\xB0\xA1\xB2\xA8", "\xA1\xB2"), "\xB0\xA1\xB2\xA8");
  EXPECT_EQ(SplitLearnedWord("\xB0\xA1\xB2\xA8x\xA1\xB2yz", "\xA1\xB2"),
            "\xB0\xA1\xB2\xA8x+\xA1\xB2+yz");
  // A word ending in a lead byte would cut the character after it.
  EXPECT_EQ(SplitLearnedWord("x\xB0\xA1y", "x\xB0"), "x\xB0\xA1y");
}

// Random operator soup: words, operators, full-width forms, NULs, lone lead
// bytes and parentheses in any balance.
Bytes RandomSoup(std::mt19937& rng, int max_pieces) {
  static const std::vector<Bytes> pieces = {
      "a",        "b",        "x",        "A",        "ab",
      " ",        "+",        "/",        "-",        "|",
      "(",        ")",        "((",       "))",       Bytes("\0", 1),
      "\xB0",     "\xB0\xA1", "\xA3\xAF", "\xA3\xAB", "\xA3\xAD",
      "\xA1\xA1", "\xA3\xA8", "\xA3\xA9", "-(",       "|(",
      "\t"};
  std::uniform_int_distribution<int> count(0, max_pieces);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  Bytes s;
  for (int n = count(rng); n > 0; --n) s += pieces[pick(rng)];
  return s;
}

Bytes RandomText(std::mt19937& rng) {
  static const std::vector<Bytes> pieces = {"a", "b",        "x",    "ab",          ".",
                                            " ", "\xB0\xA1", "\xB0", Bytes("\0", 1)};
  std::uniform_int_distribution<int> count(0, 12);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  Bytes s;
  for (int n = count(rng); n > 0; --n) s += pieces[pick(rng)];
  return s;
}

TEST(KeywordExpressionRandom, AgreesWithThePlainRulesOnOperatorSoup) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 6000; ++round) {
    const Bytes expr = RandomSoup(rng, 14);
    const Bytes text = RandomText(rng);
    ASSERT_EQ(NormalizeExpression(expr), plain::Normalize(expr)) << testing::PrintToString(expr);
    ASSERT_EQ(NegateGroup(expr), plain::NegateGroup(expr)) << testing::PrintToString(expr);
    const Pos match = plain::Match(expr, text);
    const Pos first = plain::FirstTerm(expr, text);
    ASSERT_EQ(MatchExpression(expr, text), match)
        << testing::PrintToString(expr) << " in " << testing::PrintToString(text);
    ASSERT_EQ(MatchExpression(PrepareExpression(expr), text), match);
    ASSERT_EQ(FirstTermPosition(expr, text), first);
    ASSERT_EQ(FirstTermPosition(PrepareExpression(expr), text), first);
    ASSERT_LE(CutTerms(expr).size(), kMaxTerms);
    ASSERT_EQ(StripParens(expr).find_first_of("()"), Bytes::npos);
    ASSERT_GE(ParenCode(expr), 0);
    const Bytes split = SplitLearnedWord(expr, Copy(text, 1, 2));
    ASSERT_GE(split.size(), expr.size());
    ASSERT_LE(split.size(), expr.size() + 2);
  }
}

TEST(KeywordExpressionRandom, CacheReturnsWhatAFreshPreparationGives) {
  // A handful of expressions used in turn, more than the cache holds, so that
  // entries are hit, evicted and prepared again.
  std::mt19937 rng(7);
  std::vector<Bytes> exprs;
  for (int i = 0; i < 9; ++i) exprs.push_back(RandomSoup(rng, 10));
  std::uniform_int_distribution<std::size_t> pick(0, exprs.size() - 1);
  ExpressionCache cache;
  for (int round = 0; round < 4000; ++round) {
    const Bytes& expr = exprs[pick(rng)];
    const Bytes text = RandomText(rng);
    const PreparedExpression fresh = PrepareExpression(expr);
    const auto cached = cache.Get(expr);
    ASSERT_EQ(cached->expression, fresh.expression);
    ASSERT_EQ(MatchExpression(*cached, text), MatchExpression(fresh, text));
    ASSERT_EQ(FirstTermPosition(*cached, text), FirstTermPosition(fresh, text));
  }
}

TEST(KeywordExpressionRandom, HostileSizesFinish) {
  std::mt19937 rng(99);
  Bytes thousand_terms = NumberedWords(1000, '+');
  for (int i = 0; i < 200; ++i)
    thousand_terms.insert(rng() % thousand_terms.size(), 1, "()"[i % 2]);
  const std::vector<Bytes> exprs = {
      thousand_terms,       Bytes(20000, '('),     Bytes(20000, ')'),
      Bytes(20000, '-'),    Bytes(20000, '|'),     Bytes(20000, '\0'),
      Bytes(20000, '\xB0'), RandomSoup(rng, 5000), RandomSoup(rng, 5000),
  };
  const Bytes text = RandomText(rng) + "k1500 k1001 ab";
  for (const auto& e : exprs) {
    const Pos m = MatchExpression(e, text);
    const Pos f = FirstTermPosition(e, text);
    EXPECT_GE(m, 0);
    EXPECT_LE(m, Len(text));
    EXPECT_GE(f, 0);
    EXPECT_LE(f, Len(text));
    EXPECT_LE(PrepareExpression(e).terms.size(), kMaxTerms);
    EXPECT_GE(SplitLearnedWord(e, "(").size(), e.size());
  }
  // The thousand-term expression itself agrees with the plain rules.
  EXPECT_EQ(MatchExpression(thousand_terms, text), plain::Match(thousand_terms, text));
}

TEST(RewriteUntilGone, EqualsRepeatedFirstReplacement) {
  std::mt19937 rng(3);
  const std::vector<std::array<const char*, 2>> rules = {
      {"++", "+"}, {"||", ""}, {"/+", "/"}, {"aba", "b"}, {"\xA3\xAF", "/"}};
  for (int round = 0; round < 3000; ++round) {
    Bytes s;
    for (int n = rng() % 16; n > 0; --n) s += "+|/ab\xA3\xAF"[rng() % 7];
    for (const auto& r : rules) {
      Bytes slow = s;
      plain::ReplaceFirstUntilGone(slow, r[0], r[1]);
      ASSERT_EQ(RewriteUntilGone(s, r[0], r[1]), slow) << s << " " << r[0];
    }
  }
}

}  // namespace
}  // namespace vexo
