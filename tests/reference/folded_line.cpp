#include "tests/reference/folded_line.h"

namespace vexo::reference {

bool SameLine(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Lower(a) == Lower(b);
}

int IndexOfLine(const StringList& list, std::string_view line) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (SameLine(list[i], line)) return static_cast<int>(i);
  return -1;
}

}  // namespace vexo::reference
