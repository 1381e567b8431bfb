#pragma once
// The GB18030 reading of gb18030_text.h as its rules are written: one
// character at a time from the start, each looked at byte by byte. The
// block-wise scan must give exactly these answers.

#include <cstddef>
#include <string_view>

#include "platform/bytes.h"

namespace vexo::reference {

std::size_t PlainGb2312PrefixLength(std::string_view s);
Bytes PlainGb18030ToGb2312(std::string_view s);

}  // namespace vexo::reference
