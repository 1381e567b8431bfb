#pragma once
// Site roots ("http://" + host, no trailing "/") and the edits of the site
// queue: proven sites directly under the pass marker, newest first, then one
// age marker, then the candidate sites.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Root of an address for remembering a proven site: up to the first "/" after
// "://" (or the whole address), without a trailing "/"; empty when that is 10
// bytes or fewer, or when it holds a line break (it could not be stored).
Bytes SiteRoot(std::string_view address);

// Root of a link for a candidate site: the bytes before the first "/" after
// "://"; empty when the link has no such "/" or the root holds a line break.
Bytes CandidateSiteRoot(std::string_view link);

// Removes the lines above and including the last pass marker.
void DropUpToPassMarker(StringList& queue);

}  // namespace vexo
