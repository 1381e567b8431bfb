#pragma once
// The Basic scheme of HTTP authentication, for servers and proxies alike.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Standard Base64 with padding.
Bytes Base64(std::string_view in);

// "Basic " and the Base64 of "user:password", the value of an
// Authorization or Proxy-Authorization line.
Bytes BasicCredentials(std::string_view user, std::string_view password);

}  // namespace vexo
