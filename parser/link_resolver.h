#pragma once
// Turning a raw link found on a page into the address of a target. The parser
// resolves every link of every page, so ResolveLink (link_resolver_fast.cpp)
// answers the common plain link in one walk over it; ResolveLinkInSteps is the
// same rule written as its steps, which ResolveLink must equal and falls back
// to for links that need cleaning. Both must equal LiteralResolveLink in
// tests/reference/text_literal.h.

#include <cstddef>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The absolute address that a raw link on `page` may become as a target, or
// empty when the link must not become one (mail links, files by extension,
// engine domains, in-page anchors, too short).
Bytes ResolveLink(std::string_view page, std::string_view link);

// ResolveLink for the links of one page: what the joins need of the page
// address is worked out once, when it is made.
class PageLinkResolver {
 public:
  explicit PageLinkResolver(std::string_view page);
  Bytes Resolve(std::string_view link) const;
  // The same into `out`, whose earlier content goes: a buffer kept from link
  // to link spares an allocation for each.
  void ResolveInto(std::string_view link, Bytes& out) const;

 private:
  // The parts of the page address that links are joined to, and what the
  // final refusals and CleanText would find in them.
  struct PageFacts {
    Bytes page;
    std::size_t hostEnd = 0;
    std::size_t directoryEnd = 0;
    std::size_t labelEnd = 0;   // the earliest end of an engine label
    std::size_t anchorEnd = 0;  // the end of the first "/#"
    bool plain = true;          // CleanText leaves any joined address as it is
  };
  PageFacts page_;
};

// ResolveLink one step after the other: quotes dropped, mail links and
// refused extensions refused, CleanLink, MakeAbsolute, CleanText, the final
// refusals.
Bytes ResolveLinkInSteps(std::string_view page, std::string_view link);

}  // namespace vexo
