#pragma once
// Text of pages from the web made safe for the exported HTML, and the red
// highlighting of the keyword terms in it.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The text with "&", "<", ">" and '"' written as entities, so that nothing in
// it can open a tag or leave an attribute value. A lead byte that is not
// followed by a trail byte becomes "?": a lenient decoder would otherwise take
// the next byte (a closing quote, say) as its second half.
Bytes EscapeHtml(std::string_view text);

// The positive terms of a keyword expression, lower-cased, in order, each
// once: the expression normalised, stripped of its parentheses, normalised
// again and cut at "+" and "/"; negated terms and empty ones are left out.
StringList HighlightTermList(std::string_view expression);

// The raw text piece as HTML: escaped, with every occurrence of each positive
// term wrapped in the red highlight. An occurrence counts when it starts on a
// character boundary and its bytes equal the lower-cased term, so upper-case
// Latin letters stay plain. Later terms are searched in the text as marked by
// earlier ones, but only in its text: a term never matches inside a highlight
// tag or an entity, and never across a highlight's edge.
Bytes HighlightTerms(std::string_view expression, std::string_view piece);
Bytes HighlightTerms(const StringList& terms, std::string_view piece);

}  // namespace vexo
