#pragma once
// How the results of one source's pages are read once a page has arrived
// whole.

#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

struct ResultReading {
  StringList markers;             // text that begins a result container
  StringList address_attributes;  // attributes that may hold the real address, in order
  StringList address_parameters;  // query parameters of a link that carry the real address
  StringList redirect_marks;      // paths that show a link still points at the engine
};

struct FoundResult {
  Bytes title;
  Bytes snippet;
  Bytes link;
};

std::vector<FoundResult> ReadHtmlResults(std::string_view page, std::string_view pageAddress,
                                         const ResultReading& reading);
std::vector<FoundResult> ReadFeedItems(std::string_view page, std::string_view pageAddress,
                                       const ResultReading& reading);
Bytes UnwrapLink(std::string_view link, const ResultReading& reading);
bool IsEngineRedirect(std::string_view link, const ResultReading& reading);

}  // namespace vexo
