#include "parser/analysis_caches.h"

#include <utility>

namespace vexo {

Bytes AnalysisCaches::TakeBuffer() {
  if (spare_.empty()) return {};
  Bytes buffer = std::move(spare_.back());
  spare_.pop_back();
  buffer.clear();
  return buffer;
}

void AnalysisCaches::GiveBack(Bytes buffer) {
  if (spare_.size() < kSpareBuffers && buffer.capacity() <= kLargestSpareBuffer)
    spare_.push_back(std::move(buffer));
}

}  // namespace vexo
