#pragma once
// The User-Agent of the requests of today's sources (engines, feeds): engines
// answer a client that names no browser with a block page. The key
// "user_agent" of [vexo] in vexo.ini replaces it.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

class IniProfile;

inline constexpr std::string_view kBrowserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/131.0.0.0 Safari/537.36";

// The configured agent, or kBrowserAgent; a value holding a control byte
// could end the request line early and is not taken.
Bytes ConfiguredUserAgent(const IniProfile& ini);

}  // namespace vexo
