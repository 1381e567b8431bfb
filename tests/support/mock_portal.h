#pragma once
// Mock news portals for tests: one server on 127.0.0.1 that answers for any
// number of portal hosts, choosing the page by the request's Host header and
// path. Point the hosts at it with the connect-to map (ConnectToEntry), so the
// addresses fetched stay those of the portals.

#include <map>
#include <string>
#include <string_view>

#include "tests/support/test_http_server.h"

namespace vexo::testing {

struct PortalPage {
  std::string body;  // sent as is (GB2312 bytes)
  std::string status_line = "HTTP/1.0 200 OK";
  // Above 0: the body goes out in writes of this many bytes with a pause
  // between them, so that the client gets it in as many pieces.
  std::size_t piece = 0;
  int pause_ms = 0;
  bool silent = false;  // accept the request and never answer
};

class MockPortal {
 public:
  MockPortal();

  // The page for an address "http://host/path"; a later call replaces it.
  void SetPage(std::string_view address, PortalPage page);
  void SetPage(std::string_view address, std::string body);
  // The connect-to entry that sends every host here: "*=127.0.0.1:<port>".
  std::string ConnectToEntry() const;
  // "host/path" of every request, in the order they arrived.
  const std::vector<std::string>& Requests() const { return requests_; }
  TestHttpServer& Server() { return server_; }

  // An anchor: <a href="link">caption</a>.
  static std::string Anchor(std::string_view link, std::string_view caption);

 private:
  Script Answer(const std::string& request);

  std::map<std::string, PortalPage> pages_;  // by "host/path"
  std::vector<std::string> requests_;
  TestHttpServer server_;
};

}  // namespace vexo::testing
