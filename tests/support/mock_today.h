#pragma once
// Today's web in miniature on 127.0.0.1, https only: the engines and feeds of
// the current source set answer one keyword (kTodayKeyword) with pages shaped
// like theirs (opaque redirect links beside real-address attributes, query
// terms highlighted), and a few content sites serve the pages they lead to.
// Every page is fixed, so a run's targets are known in advance.
//
// Behaviour of today's web it keeps: Baidu sets a cookie on its answers and
// sends a client to its captcha page once ten requests came without it;
// Sogou sends a client to its antispider page from its fourth result page on
// (a block however the client behaves); one site (www.busy.cn) answers its
// first request with 429 and a Retry-After. It counts requests per host and
// the most connections each host had open at once.
//
// Reached through the connect-to map: "*:443" goes to the TLS listener (its
// certificate from a test authority made at start, naming every host), every
// plain address to a closed port.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_http_server.h"
#include "tests/support/tls_test_server.h"

namespace vexo::testing {

// "手机" in UTF-8.
inline constexpr const char* kTodayKeyword = "手机";
// The seconds www.busy.cn asks to be left alone for.
inline constexpr int kBusyRetryAfterSeconds = 120;
// Requests without Baidu's cookie it answers before its captcha.
inline constexpr int kCookielessAnswers = 10;
// Sogou's result pages served before its antispider check.
inline constexpr int kSogouPagesServed = 3;

class MockToday {
 public:
  MockToday();
  ~MockToday();
  MockToday(const MockToday&) = delete;
  MockToday& operator=(const MockToday&) = delete;

  std::uint16_t TlsPort() const { return tls_->Port(); }
  std::string ConnectToMap() const;
  std::string CaFile() const { return ca_.PemFile(); }
  // Answers leave this long (real time) after their request, so that a
  // client's connections overlap as on a slow web.
  void SetAnswerDelayMs(int ms) { tls_->AnswerDelayMs = ms; }

  // Requests answered per "host/path" and per host.
  int Hits(const std::string& host_and_path) const;
  int HostRequests(const std::string& host) const;
  const std::map<std::string, int>& RequestsPerHost() const { return per_host_; }
  // The most connections one host had open at once, by host.
  const std::map<std::string, int>& MostAtOnce() const { return most_; }
  int CaptchaRedirects() const { return captchas_; }
  int AntispiderRedirects() const { return antispiders_; }

  static bool IsEngineHost(const std::string& host);

  // The whole response to one request (also used by the stand-alone program).
  std::string Answer(const std::string& request);

 private:
  std::string Baidu(const std::string& request, const std::string& path);
  std::string Sogou(const std::string& path);
  std::string Busy(const std::string& path);
  void Opened(const std::string& host, int change);

  int cookieless_ = 0;
  int captchas_ = 0;
  int sogou_pages_ = 0;
  int antispiders_ = 0;
  bool busy_refused_ = false;
  std::map<std::string, int> hits_;
  std::map<std::string, int> per_host_;
  std::map<std::string, int> open_;
  std::map<std::string, int> most_;
  ClosedPort plain_;
  TestCa ca_;
  std::unique_ptr<TlsTestServer> tls_;
};

}  // namespace vexo::testing
