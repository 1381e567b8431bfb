#pragma once
// The steps of the text cleaning that the link resolvers repeat on links:
// shared by html_text.cpp, link_resolver.cpp and link_resolver_fast.cpp, and
// by nothing else.

#include <cstddef>
#include <string_view>

#include "platform/bytes.h"

namespace vexo::text_rules {

constexpr std::size_t kNpos = std::string_view::npos;

// Bit k set when entity k of the ones CleanText deletes starts at the
// beginning of `s` / occurs anywhere in `s`.
unsigned EntitiesAt(std::string_view s);
unsigned EntitiesIn(std::string_view s);

// CleanText and CleanLink on a string of our own, without copying it.
void CleanTextInPlace(Bytes& s);
void CleanLinkInPlace(Bytes& s);

// The extension test on a link whose last "." or ":" is at `mark`, and on a
// whole link.
bool IsRefusedExtensionAt(std::string_view link, std::size_t mark);
bool HasRefusedExtension(std::string_view link);

// The length of the part of `page` that a relative link is joined to: scheme
// and host for a link that begins with "/", the page's directory for any other.
std::size_t HostEnd(std::string_view page);
std::size_t DirectoryEnd(std::string_view page);
// MakeAbsolute appended to `out`, with a single growth of the buffer.
void AppendAbsolute(Bytes& out, std::string_view page, std::string_view link);

// The end of the engine label that starts at the dot at `dot` of `s`, or 0;
// and the label test on a text that is not lower-cased yet.
std::size_t EngineLabelEndAt(std::string_view s, std::size_t dot);
bool HasEngineLabelFolded(std::string_view s);

// Quotes and backslashes, which no link keeps.
bool IsQuote(char c);
// The final refusals, on the cleaned absolute address.
bool AcceptableTarget(std::string_view l);

}  // namespace vexo::text_rules
