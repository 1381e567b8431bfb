#pragma once
// A small web of 2000s-style Chinese pages on 127.0.0.1 for tracking runs:
// the six engine endpoints (their default hosts) answer the engine query
// addresses with GB2312 result listings, and a handful of content sites serve
// pages in GB2312, Big5 and UTF-8, a meta refresh, a site that never answers
// and a site that refuses connections. Every page is fixed, so the targets a
// run finds are known in advance. The keyword of this web is kMockKeyword;
// a second keyword, kMockManyKeyword, finds kMockManyTargets targets on the
// engines' web listings alone, enough for an export of several linked pages;
// a third, kMockBlockKeyword, finds kMockBlockTargets there, more than one
// block of the result store holds.
//
// Reached through the connect-to map: ConnectToMap() sends every host here
// (and the refusing site to a closed port).
//
// In https mode a TLS listener (its certificate from a test authority made at
// start, naming every host of this web) serves everything, and the plain
// listener answers every request with a 301 to the same address over https;
// the listings' links point at https addresses. The map then sends "*:443" to
// the TLS listener.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "tests/support/test_http_server.h"
#include "tests/support/tls_test_server.h"

namespace vexo::testing {

// "中文" in UTF-8: the same two characters in GB2312 and in Big5.
inline constexpr const char* kMockKeyword = "中文";
// "导航" in UTF-8; no page of the first keyword holds it, nor it the first.
inline constexpr const char* kMockManyKeyword = "导航";
inline constexpr int kMockManyTargets = 45;
// "快讯" in UTF-8; on no page of the other two keywords.
inline constexpr const char* kMockBlockKeyword = "快讯";
inline constexpr int kMockBlockTargets = 230;

class MockWeb {
 public:
  enum class Scheme { kHttp, kHttps };
  // Every answer waits delay_ms before its first byte (plain answers only).
  explicit MockWeb(int delay_ms = 0, Scheme scheme = Scheme::kHttp);
  ~MockWeb();
  MockWeb(const MockWeb&) = delete;
  MockWeb& operator=(const MockWeb&) = delete;

  std::uint16_t Port() const;
  // The TLS listener's port; 0 in plain mode.
  std::uint16_t TlsPort() const;
  // "host=127.0.0.1:port,...,*=127.0.0.1:port" (with "*:443=" in https mode).
  std::string ConnectToMap() const;
  // The authority's certificate (PEM) clients must trust; empty in plain mode.
  std::string CaFile() const;

  // Requests answered (or left hanging) per "host/path", engines included. In
  // https mode these are the requests over TLS; the plain ones, all redirected,
  // count under "http://host/path".
  int Hits(const std::string& host_and_path) const;
  int EngineRequests() const { return engine_requests_; }
  int Requests() const { return requests_; }

  // The answer to one request as the server would give it (also used by the
  // stand-alone mock web program).
  Script Answer(const std::string& request);

 private:
  Script Content(const std::string& request);
  std::string TlsAnswer(const std::string& request);

  int delay_ms_;
  Scheme scheme_;
  int engine_requests_ = 0;
  int requests_ = 0;
  std::map<std::string, int> hits_;
  ClosedPort refused_;
  std::unique_ptr<TestHttpServer> server_;
  std::unique_ptr<TestCa> ca_;
  std::unique_ptr<TlsTestServer> tls_;
};

}  // namespace vexo::testing
