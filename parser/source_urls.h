#pragma once
// The query addresses of a source set for given keywords.

#include <string_view>

#include "parser/source_set.h"
#include "platform/bytes.h"

namespace vexo {

// The keywords as the source's query wants them: EncodeQueryKeywords for
// gb2312, and for utf-8 the same form in UTF-8 with every byte that could
// change the address's meaning percent-escaped.
Bytes EncodeKeywordsFor(const Source& source, std::string_view keywords);

// Page k (1-based) of a source for already encoded keywords.
Bytes SourcePageUrl(const Source& source, int k, std::string_view encoded);

// Page 1 of every front source, in file order.
StringList FrontUrls(const SourceSet& set, std::string_view keywords);
// A whole pass: group by group, page 1 of each source of the group in file
// order, then page 2..., each source up to its own page count.
StringList FullPassUrls(const SourceSet& set, std::string_view keywords);

// The source whose template an address fits (its fixed parts in order), or
// nullptr.
const Source* SourceOfUrl(const SourceSet& set, std::string_view url);

}  // namespace vexo
