#pragma once
// What the tests' mock webs read of a request and how they flatten an answer
// for their TLS listener: shared by the web of the first design and today's.

#include <string>
#include <string_view>

#include "tests/support/test_http_server.h"

namespace vexo::testing {

struct MockRequest {
  std::string host;  // lower case, without a port
  std::string path;  // with the query
};

MockRequest ParseMockRequest(const std::string& request);

// The value of a header line (name in lower case, without the colon), or empty.
std::string MockHeader(const std::string& request, std::string_view lower_name);

// The value of a query parameter as a number, or -1.
long QueryNumber(const std::string& path, const std::string& key);

// A script's bytes as one response, its pieces and pauses dropped (a TLS
// listener sends a response whole); empty when the script never ends the
// connection, which the listener takes for silence.
std::string WholeResponse(const Script& script);

}  // namespace vexo::testing
