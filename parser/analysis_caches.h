#pragma once
// What the analyses of one window keep from one to the next: the prepared
// forms of the last few keyword expressions, and a few page-sized buffers,
// since a fresh allocation for every piece costs more than lower-casing it.
// The window's parser host owns them; every analysis runs on its thread.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "parser/keyword_expression.h"
#include "platform/bytes.h"

namespace vexo {

class AnalysisCaches {
 public:
  std::shared_ptr<const PreparedExpression> Expression(std::string_view expr) {
    return expressions_.Get(expr);
  }
  // An empty buffer, with the room an earlier analysis left in it.
  Bytes TakeBuffer();
  // Kept for the next analysis unless enough are kept or it grew too large.
  void GiveBack(Bytes buffer);

  // Runs nest only when a pop-up lets another analysis in.
  static constexpr std::size_t kSpareBuffers = 4;
  // Pieces are 8 KB; a buffer grown by an unusually large text is not kept.
  static constexpr std::size_t kLargestSpareBuffer = 64 * 1024;

 private:
  ExpressionCache expressions_;
  std::vector<Bytes> spare_;
};

}  // namespace vexo
