#include "fetch/browser_agent.h"

#include <algorithm>

#include "platform/ini_profile.h"

namespace vexo {

Bytes ConfiguredUserAgent(const IniProfile& ini) {
  const auto value = ini.Get("vexo", "user_agent");
  if (!value || Trim(*value).empty()) return Bytes(kBrowserAgent);
  const bool clean = std::none_of(value->begin(), value->end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  return clean ? Trim(*value) : Bytes(kBrowserAgent);
}

}  // namespace vexo
