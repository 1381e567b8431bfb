#pragma once
// The charset of an arriving page piece, and the memo that carries a charset
// found in an earlier piece over to the later pieces of the same address.
// Memo line 0 is an empty dummy line; every other line is "8" + address
// (UTF-8) or "5" + address (Big5), kept while that request runs.

#include <string_view>

#include "parser/page_codes.h"
#include "platform/bytes.h"

namespace vexo {

// The decision for a piece whose address has no memo line, from the response
// header text and the piece, both already lower-cased.
int DecideCharset(std::string_view lowered_headers, std::string_view lowered_piece);

// The 0-based index of `line` in the memo, comparing ASCII
// letters without case, or -1.
int IndexOfMemoLine(const StringList& memo, std::string_view line);

// The code of a piece of `url`: the remembered one, or else the decision,
// which is remembered when it is UTF-8 or Big5. `piece` is the raw piece.
int CharsetOfPiece(StringList& memo, std::string_view url, const StringList& header_lines,
                   std::string_view piece);

// The request for `url` has ended: its line goes, and the memo is kept near
// 50 lines by dropping its first line.
void ForgetCharset(StringList& memo, std::string_view url);

}  // namespace vexo
