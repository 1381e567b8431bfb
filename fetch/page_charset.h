#pragma once
// The charset of an arriving page piece. A piece's own decision counts until
// one piece of the page declares UTF-8 or Big5: that holds for the pieces
// after it, which may say nothing of their charset.

#include <string_view>

#include "parser/page_codes.h"
#include "platform/bytes.h"

namespace vexo {

// The decision for a piece, from the response header text and the piece, both
// already lower-cased.
int DecideCharset(std::string_view lowered_headers, std::string_view lowered_piece);

// The code of a piece: `page`'s (what earlier pieces of the page declared),
// or else the decision, which `page` keeps when it is UTF-8 or Big5. `page`
// starts as kCharsetGb; `piece` is the raw piece.
int CharsetOfPiece(int& page, const StringList& header_lines, std::string_view piece);

}  // namespace vexo
