#pragma once
// The text of a piece of markup as a reader sees it. CleanText and StripTags
// (html_text.h) delete entities and keep the bytes between tags, as the
// keyword analysis needs; the titles and snippets of results need entities
// decoded, tags gone and blanks collapsed, which these do. Output is GB2312:
// a character GB2312 lacks becomes kLackingMark. Never longer than the input.

#include <cstddef>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The entity that begins at text[at] (an "&"), appended to `out` in GB2312:
// &amp; &lt; &gt; &quot; &apos; &nbsp;, a few typographic ones (&ldquo;
// &mdash; &hellip; ...) and numeric ones (&#NNNN; &#xHHHH;, the ";" optional).
// Returns the bytes it took, 0 when no entity begins there (the "&" is text).
std::size_t AppendEntity(std::string_view text, std::size_t at, Bytes& out);

// `text` with its entities decoded: attribute values, the text of feeds.
Bytes DecodeEntities(std::string_view text);

// The text of a piece of markup: tags removed (inline ones such as <a>, <em>,
// <b>, <font>, <span> leave nothing, the others a blank), comments and the
// content of script and style dropped, entities decoded, each run of blanks
// and control bytes one blank, both ends trimmed.
Bytes MarkupToText(std::string_view markup);

// Two texts of MarkupToText one after the other, a blank between them when
// both have any.
Bytes JoinText(Bytes first, std::string_view second);

// The largest end at or before `limit` that splits no double-byte character
// of `text`: a result cut to its bound keeps whole characters.
std::size_t WholeCharacterEnd(std::string_view text, std::size_t limit);

}  // namespace vexo
