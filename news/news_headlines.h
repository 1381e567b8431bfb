#pragma once
// Headlines out of one piece of a portal page: every anchor and every frame or
// inline frame with a link and a long enough caption. No HTML is parsed; the
// piece is searched for "href=", "<frame" and "<iframe" and consumed from the
// front. A link or caption cut by the end of the piece is lost or shortened.

#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

struct Headline {
  Bytes caption;  // at most 100 bytes; a portal page's without ASCII spaces
  Bytes link;     // absolute against the page address
};

// Captions longer than this many bytes are cut (never inside a character).
inline constexpr Pos kMaxCaptionBytes = 100;
// A caption must be longer than this (spaces removed) to be listed.
inline constexpr Pos kMinCaptionBytes = 12;

// The headlines of one piece, in the order of the page. `piece` is read up to
// its first zero byte; `page` is the address the fetch started with.
std::vector<Headline> ExtractHeadlines(std::string_view piece, std::string_view page);

// The caption as the window lists it: cut to 100 bytes, without a lead byte
// left dangling at the cut.
Bytes CutCaption(const Bytes& text);

// True for captions that are script text, site furniture ("更多", "链接", ...)
// or copyright lines rather than headlines.
bool IsFurnitureCaption(std::string_view caption);

// The link of a headline, or empty when it must not become one (mail and
// script links, files by extension, 8 bytes or fewer).
Bytes HeadlineLink(std::string_view page, std::string_view raw);

}  // namespace vexo
