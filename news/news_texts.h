#pragma once
// The news window's own texts, in GB2312: written once here in UTF-8 and
// converted once.

#include <array>

#include "platform/bytes.h"

namespace vexo {

struct NewsTexts {
  Bytes caption;  // the window's
  std::array<Bytes, 8> category_buttons;
  std::array<Bytes, 8> category_captions;  // `cap` for categories 1-8
  std::array<Bytes, 4> paging_captions;
  std::array<Bytes, 4> paging_hints;
  Bytes grid_hint;
  Bytes waiting;  // row 0 while no headline has arrived
  Bytes star;     // seen before, or opened
};

const NewsTexts& GetNewsTexts();

}  // namespace vexo
