#include "parser/needle_scan.h"

namespace vexo {

NeedleScan::NeedleScan(std::string_view hay, const StringList& needles) : hay_(hay) {
  for (const Bytes& n : needles) {
    if (n.empty()) continue;
    needles_.push_back(Lower(n));
  }
  next_.assign(needles_.size(), kNone);
  asked_.assign(needles_.size(), kNone);
}

std::size_t NeedleScan::Next(std::size_t from, std::size_t& which) {
  std::size_t best = kNone;
  for (std::size_t k = 0; k < needles_.size(); ++k) {
    // A remembered answer holds for any later start that has not passed it.
    const bool known =
        asked_[k] != kNone && asked_[k] <= from && (next_[k] == kNone || next_[k] >= from);
    if (!known) {
      asked_[k] = from;
      const Pos at =
          from < hay_.size() ? PosOfFolded(needles_[k], hay_, static_cast<Pos>(from) + 1) : 0;
      next_[k] = at > 0 ? static_cast<std::size_t>(at - 1) : kNone;
    }
    if (next_[k] < best) {
      best = next_[k];
      which = k;
    }
  }
  return best;
}

}  // namespace vexo
