#pragma once
// The site operations of the page analysis by line-by-line lookups, and site
// roots by a walk byte by byte. The fast forms are SiteQueueLines, SiteRoot
// and CandidateSiteRoot (store/site_queue.h).

#include <string_view>

#include "platform/bytes.h"

namespace vexo::reference {

// The root of an address: as a proven site (`candidate` false) or as a
// candidate site.
Bytes SiteRoot(std::string_view address, bool candidate);

void RememberSite(StringList& queue, std::string_view link);
void PromotePageSite(StringList& queue, std::string_view address);
void AppendSite(StringList& queue, std::string_view link);

}  // namespace vexo::reference
