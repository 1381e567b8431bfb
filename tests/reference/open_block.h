#pragma once
// The open block's duplicate test by the built title line looked up line by
// line, and AppendTarget without history (no save). The fast form is
// OpenBlockLines (store/open_block.h) inside ResultStore::AppendTarget.

#include <string_view>

#include "platform/bytes.h"

namespace vexo::reference {

// A line of the block is the same line (letter case aside).
bool HoldsLine(const StringList& block, std::string_view line);

// The answer of AppendTarget; the block and the counter `sum1` as the store
// leaves them.
int AppendTarget(StringList& block, Bytes& sum1, std::string_view link, std::string_view title);

}  // namespace vexo::reference
