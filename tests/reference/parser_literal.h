#pragma once
// The parser's learning and refresh stages as position sums over the whole
// text, the form that the stages' shortcuts must equal.

#include <string_view>

#include "platform/bytes.h"

namespace vexo::reference {

// The words that "<font color=...>" tags before a match teach, split into gjc3.
void LiteralLearn(Bytes& gjc3, std::string_view textBefore);
// The target of a page's refresh tag, appended to `followUp` when it is new.
void LiteralRefresh(std::string_view page, std::string_view address, StringList& followUp);

}  // namespace vexo::reference
