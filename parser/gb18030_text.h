#pragma once
// Pages declared gb2312 or gbk, and undeclared ones, are GB18030 today, and
// browsers read them so. The analysis works on GB2312 text, whose double-byte
// characters have both bytes above A0: a GBK character with its trail byte
// below 80, or a four-byte GB18030 sequence, would be cut by the stages' byte
// counting and take its neighbour with it. So such a page is read as GB18030
// and every character outside the GB2312 plane becomes one 〓 (kLackingMark).

#include <cstddef>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Length of the longest prefix of s that is GB2312 text: ASCII bytes and
// whole pairs of IsGb2312Pair. Equals s.size() for a page that needs nothing
// done, the common case, which this tells without copying.
std::size_t Gb2312PrefixLength(std::string_view s);

// s read as GB18030, in GB2312. ASCII and GB2312 pairs stay; each other
// character (a GBK pair, a four-byte sequence, the lone byte 80) becomes one
// 〓. So does each byte that begins no character (FF, a lead byte whose next
// byte cannot follow it; that next byte is read again): browsers show U+FFFD
// there, which GB2312 lacks as well, and "?" could be taken for page text. A
// character cut by the end of s is dropped: its bytes go on in the next piece
// of the page, and nothing of it is missing from the font.
Bytes Gb18030ToGb2312(std::string_view s);

}  // namespace vexo
