#pragma once
// The next place where any of a few needles occurs, asked again and again
// while a walk moves forward through a page. Each needle's next occurrence is
// remembered and searched for again only once the walk has passed it, so a
// whole page costs one pass per needle, not one per question.

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

class NeedleScan {
 public:
  static constexpr std::size_t kNone = std::string_view::npos;

  // Needles are matched in any case; empty ones never.
  NeedleScan(std::string_view hay, const StringList& needles);

  // Offset of the first occurrence at or after `from` of any needle, and the
  // needle's index in `which`; kNone when there is none.
  std::size_t Next(std::size_t from, std::size_t& which);

  // The needle of that index, lower-cased.
  const Bytes& Needle(std::size_t which) const { return needles_[which]; }

 private:
  std::string_view hay_;
  StringList needles_;
  std::vector<std::size_t> next_;   // kNone: not found from the last place asked
  std::vector<std::size_t> asked_;  // where each needle was last searched from
};

}  // namespace vexo
