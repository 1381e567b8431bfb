#pragma once
// Whole-line comparison ignoring the case of ASCII letters, through
// lower-cased copies. The fast forms are in store/folded_line.h.

#include <string_view>

#include "platform/bytes.h"

namespace vexo::reference {

bool SameLine(std::string_view a, std::string_view b);
// The first line of the list that is the same line, or -1.
int IndexOfLine(const StringList& list, std::string_view line);

}  // namespace vexo::reference
