#pragma once
// The 48 portal pages of the news window: six per category, fetched in this
// order. Each is a plain "http://" or "https://" address. The defaults name
// the portals' news hosts; vexo.ini may replace any of them with the key
// "news<n>_<i>" (category n 1-8, source i 1-6) in section "vexo". Like every
// other host, they can be sent elsewhere with the connect-to map.

#include <array>
#include <string>

#include "platform/bytes.h"

namespace vexo {

struct NewsSources {
  std::array<std::array<Bytes, 6>, 8> address;

  // Source i (1-6) of category n (1-8); empty outside.
  Bytes At(int category, int source) const;
};

NewsSources DefaultNewsSources();

// The defaults with the configured addresses in their place. A configured
// value is taken only when it is a plain "http://" or "https://" address
// without blanks.
NewsSources ReadNewsSources(const std::string& config_file);

// The key of source i of category n.
Bytes NewsSourceKey(int category, int source);

}  // namespace vexo
