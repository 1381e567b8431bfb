#pragma once
// The keyword matchers and rewrites in their simple forms: every word
// searched once in the whole text, the full-width operators rewritten one
// after the other, the learned-word split with the roles of every byte.

#include <string_view>
#include <vector>

#include "parser/keyword_expression.h"
#include "platform/bytes.h"

namespace vexo::reference {

Bytes SimpleSplitLearnedWord(std::string_view expr, std::string_view word);
// The 1-based position of each word of `px` in `text`, 0 when absent.
std::vector<Pos> SimpleWordPositions(const PreparedExpression& px, std::string_view text);
Pos SimpleFirstTermPosition(const PreparedExpression& px, std::string_view text);
Pos SimpleMatchExpression(const PreparedExpression& px, std::string_view text);
Bytes SimpleFullWidthRewrite(Bytes s);

}  // namespace vexo::reference
