#pragma once
// The text helpers of html_text.h and link_resolver.h as their rules are
// written: copy, lower, search, delete the first occurrence again and again.
// The fast forms must give exactly these answers.

#include <string_view>

#include "platform/bytes.h"

namespace vexo::reference {

Bytes LiteralLower(std::string_view s);
Bytes LiteralCleanText(std::string_view s);
Bytes LiteralCleanLink(std::string_view s);
Bytes LiteralStripTags(std::string_view s);
Bytes LiteralMakeAbsolute(std::string_view page, std::string_view link);
Bytes LiteralResolveLink(std::string_view page, std::string_view link);

}  // namespace vexo::reference
