#pragma once
// The keyword expression: words joined by "+" (and), "/" (or) and "|" (not),
// grouped with parentheses, matched by plain substring search on GB2312 bytes.
// The caller lower-cases the page text; the matchers lower-case the expression,
// so ASCII letters match without regard to case. The matchers search each
// word once and share searches between terms; tests/reference/keyword_simple.h
// holds the plain forms that they must equal.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

// Only this many terms of an expression take part in matching.
inline constexpr std::size_t kMaxTerms = 128;

// The keyword text as typed -> the expression: blanks and full-width operators
// become "+", "/", "(", ")", a "-" becomes "|" (not), a negated group becomes a
// group of negated terms, and doubled operators collapse. Not trimmed.
Bytes NormalizeExpression(std::string_view text);

// A group's text from its "(" up to, not including, its ")" with every term
// negated; the operators stay, so -(A/B) reads as (|A/|B).
Bytes NegateGroup(std::string_view group);

// The term without any "(" or ")".
Bytes StripParens(std::string_view term);

// 0 for no parenthesis, 1 to 50 for a term that opens groups, 51 and above for
// one that closes them.
int ParenCode(std::string_view term);

enum class TermOp : std::uint8_t { None, And, Or };

// One term as cut from an expression, with the operator that follows it.
struct ExpressionTerm {
  Bytes text;
  TermOp op = TermOp::None;
  bool operator==(const ExpressionTerm&) const = default;
};

// The expression cut at "+" and "/" into at most kMaxTerms terms.
std::vector<ExpressionTerm> CutTerms(std::string_view expr);

// An expression made ready for matching: normalised, lower-cased, cut into
// terms, with the order in which its groups are evaluated worked out. Depends
// only on the expression text, so callers that match many pages keep it.
struct PreparedExpression {
  struct Term {
    std::uint32_t word = 0;  // index into words
    bool negated = false;    // satisfied when the word does not occur
  };
  // One operand of a chain evaluation: the term whose value it reads, and
  // whether it is joined to the operand before it by AND (else by OR).
  struct Operand {
    std::uint8_t term = 0;
    bool and_with_previous = false;
  };
  // A chain evaluation over operands[first, first + count) whose result
  // becomes the value of `target`.
  struct Group {
    std::uint8_t target = 0;
    std::uint16_t first = 0;
    std::uint16_t count = 0;
  };

  Bytes expression;          // the normalised, lower-cased text
  std::vector<Bytes> words;  // distinct words, each searched once per text
  std::vector<Term> terms;   // at most kMaxTerms
  std::vector<Operand> operands;
  std::vector<Group> groups;  // in order; the last one is the whole expression
};

// Prepares an expression as both matchers do, without any caching.
PreparedExpression PrepareExpression(std::string_view expr);

// The prepared forms of the last few expression texts.
class ExpressionCache {
 public:
  std::shared_ptr<const PreparedExpression> Get(std::string_view expr);

 private:
  struct Entry {
    Bytes text;
    std::shared_ptr<const PreparedExpression> prepared;
    std::uint64_t used = 0;
  };
  std::array<Entry, 4> entries_;
  std::uint64_t clock_ = 0;
};

// The earliest position (2 or more) in loweredText of any wanted word, whether
// or not the whole expression is satisfied; 0 when there is none. An
// occurrence at position 1 does not count.
Pos FirstTermPosition(const PreparedExpression& expr, std::string_view loweredText);
Pos FirstTermPosition(std::string_view expr, std::string_view loweredText);

// The earliest position of any wanted word when the whole expression is
// satisfied, else 0. An expression satisfied only by absent words gives 0.
Pos MatchExpression(const PreparedExpression& expr, std::string_view loweredText);
Pos MatchExpression(std::string_view expr, std::string_view loweredText);

// The expression with "+" put before and after the first occurrence of word
// (unless an operator already stands there), so that a keyword an engine
// highlights in halves becomes two words. Case-sensitive. Occurrences that
// start or end inside a double-byte character are passed over.
Bytes SplitLearnedWord(std::string_view expr, std::string_view word);
// True when SplitLearnedWord would give the expression back unchanged: most
// learned words stand apart already, and asking costs no copy.
bool LearnedWordStandsApart(std::string_view expr, std::string_view word);

}  // namespace vexo
