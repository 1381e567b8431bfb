#pragma once
// Small string functions applied to pieces of downloaded pages: cleaning and
// resolving links, cleaning titles and snippets, decoding UTF-8 pages. None of
// them parses HTML; they search substrings and delete bytes, and the parser
// relies on exactly that (entities, for instance, are deleted, not decoded).
// All are pure and total: any byte string is a valid argument. They work in
// place and in one pass; tests/reference/text_literal.h writes each rule out
// plainly, and the equivalence tests hold these to it.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The link cut at its first space, CR and LF, with a "javascript:" wrapper
// (scheme, function name, parentheses) removed.
Bytes CleanLink(std::string_view s);

// The text without any ASCII space; full-width spaces stay.
Bytes RemoveSpaces(std::string_view s);
// The same into `out`, whose earlier content goes.
void RemoveSpacesInto(std::string_view s, Bytes& out);

// The text trimmed, without line breaks, full-width spaces and the entities
// &gt; &lt; &amp; &quot; &nbsp; (any case), which leave nothing behind.
Bytes CleanText(std::string_view s);
// The same into `out`, whose earlier content goes; `s` must not lie in it.
void CleanTextInto(std::string_view s, Bytes& out);

// Snippet text: leading tags removed while a "<" comes before the first ">",
// then CleanText, then a leading and a trailing "..." dropped.
Bytes StripTags(std::string_view s);
// The same into `kept`, whose earlier content goes: a buffer kept from call
// to call spares an allocation per link of a page.
void StripTagsInto(std::string_view s, Bytes& kept);

// A UTF-8 page in GB2312. Lenient: bytes below C0 stand for the character of
// their own value, continuation bytes are not checked, a cut final character
// is dropped. Every character without a GB2312 form (GBK-only ones, those
// beyond the basic plane: any lead from F0 on starts four bytes) becomes the
// mark 〓 (kLackingMark), so the result is always whole GB2312 text.
Bytes Utf8ToAnsi(std::string_view s);

// The page-relative form of `link` made absolute against the page address:
// "/x" joins scheme and host ("https://" pages included), anything else the
// page's directory. A link whose
// first 10 bytes hold "://" is returned unchanged. Dot segments stay.
Bytes MakeAbsolute(std::string_view page, std::string_view link);

// True when a lower-cased address points into a search engine's own domain.
bool ContainsEngineLabel(std::string_view lowered);

}  // namespace vexo
