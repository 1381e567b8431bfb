// Keyword expressions as people type them: normalising, the mixed-keyword
// split, the query encoding, matching on fuzzed text and learning a split.
#include "fuzz/fuzz_input.h"
#include "parser/keyword_expression.h"
#include "parser/keyword_query.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  fuzz::Input in(data, size);
  const std::string_view keywords = in.Text();
  const std::string_view word = in.Text();
  const Bytes text = Lower(in.Rest());

  const Bytes expression = SplitMixedKeywords(keywords);
  const Bytes query = EncodeQueryKeywords(keywords);
  // Control bytes are escaped: nothing can reach the request line.
  VEXO_FUZZ_CHECK(query.find_first_of(std::string_view("\r\n\0", 3)) == Bytes::npos);
  const Bytes normal = NormalizeExpression(NormalizeExpression(expression));

  const Pos first = FirstTermPosition(normal, text);
  const Pos match = MatchExpression(normal, text);
  VEXO_FUZZ_CHECK(first >= 0 && first <= Len(text));
  VEXO_FUZZ_CHECK(match >= 0 && match <= Len(text));

  const Bytes learned = SplitLearnedWord(normal, word);
  VEXO_FUZZ_CHECK(learned.size() <= normal.size() + 2);
  return 0;
}
