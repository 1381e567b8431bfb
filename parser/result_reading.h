#pragma once
// Reading the results out of a whole search engine page or news feed: each
// result's title, snippet and the real address behind the engine's links.
// Pure functions over the page text (GB2312, all markup ASCII), linear in its
// size whatever it holds; every result is bounded to kResultBound bytes.

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

// How one source's pages are read; filled from the sources file by another module.
struct ResultReading {
  StringList markers;             // text that begins a result container ("c-container",
                                  // "b_algo", "vrwrap", "res-list"), matched as a whole word of
                                  // the lower-cased page inside a tag; one that begins with "<"
                                  // is the container's own start
  StringList address_attributes;  // attributes that may hold the real address, in order:
                                  // "mu", "data-mdurl", "data-url"
  StringList address_parameters;  // query parameters of a link that carry the real address:
                                  // "url" (percent-encoded), "u" ("a1" + base64url)
  StringList redirect_marks;      // paths that show a link is still an engine redirect:
                                  // "/link?url=", "/link?m=", "/rss/articles/"
};

struct FoundResult {
  Bytes title;    // GB2312 text, tags stripped, entities decoded, blanks collapsed, trimmed
  Bytes snippet;  // the same for the rest of the result's text
  Bytes link;     // absolute http(s) address after unwrapping; empty if none
};

// The most of a page that one result or feed item is read from.
inline constexpr std::size_t kResultBound = 64 * 1024;

// Results of an html result page (whole page text, already GB2312; pageAddress
// resolves relative links). A result runs from its container's tag to the next
// container, to the end of its own element, or kResultBound bytes, whichever
// comes first. Results without a title or without an http(s) link are dropped.
std::vector<FoundResult> ReadHtmlResults(std::string_view page, std::string_view pageAddress,
                                         const ResultReading& reading);

// Items of an RSS 2.0 (<item>) or Atom (<entry>) feed, same fields
// (description/summary/content as snippet; Atom's <link href="..."/> with
// rel="alternate" or no rel preferred; CDATA sections honoured).
std::vector<FoundResult> ReadFeedItems(std::string_view page, std::string_view pageAddress,
                                       const ResultReading& reading);

// The real address a link carries in one of the named parameters
// (percent-decoded; values starting "a1" are base64url-decoded), or the link
// itself. Only http(s) results count: anything else gives an empty address.
// Blanks, control bytes and bytes above 7E are percent-escaped in the result.
Bytes UnwrapLink(std::string_view link, const ResultReading& reading);

// True when the link's path/query holds one of the redirect marks (the link
// still points at the engine; it must be fetched to learn the real address).
bool IsEngineRedirect(std::string_view link, const ResultReading& reading);

// A link as written in a page (entities not yet decoded) turned into the
// address of a result: entities decoded, made absolute against the page
// address ("//host" links take the page's scheme), then UnwrapLink.
Bytes ResolveResultLink(std::string_view rawLink, std::string_view pageAddress,
                        const ResultReading& reading);

}  // namespace vexo
