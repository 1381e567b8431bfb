// Requests through proxies: HTTP (forward and CONNECT) and SOCKS5, with and
// without credentials, reach local servers whose certificate names the host
// asked for; every failure ends through the error path with one OnRequestDone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "fetch/client_pool.h"
#include "fetch/http_client.h"
#include "fetch/program_proxy.h"
#include "fetch/proxy_notice.h"
#include "platform/tls_session.h"
#include "tests/fetch/tls_client_fixture.h"
#include "tests/support/test_proxy.h"
#include "tests/support/tls_test_server.h"

namespace vexo::testing {
namespace {

constexpr const char* kHost = "www.proxied.test";
constexpr const char* kProxyName = "proxy.test";
constexpr const char* kUser = "u@x";
constexpr const char* kPassword = "p:w%";
constexpr const char* kEncodedCredentials = "u%40x:p%3Aw%25@";

class ProxyTest : public TlsClientTest {
 protected:
  // The proxy's own map: the site's ports on this machine; addresses pass.
  TestProxy::Resolver SiteResolver() const {
    return [this](const std::string& host, int port) -> std::optional<ProxyDestination> {
      if (host == "127.0.0.1") return ProxyDestination{host, port};
      const auto it = site_ports_.find(host + ":" + std::to_string(port));
      if (it == site_ports_.end()) return std::nullopt;
      return ProxyDestination{"127.0.0.1", it->second};
    };
  }

  // The client reaches the proxy under a name of its own through the
  // connect-to map, and the site (for socks5, resolved here) likewise.
  void PointClient(int proxy_port) const {
    std::string map = std::string(kOfflineConnectTo) + "," + kProxyName +
                      "=127.0.0.1:" + std::to_string(proxy_port);
    for (const auto& [key, port] : site_ports_)
      map += "," + key + "=127.0.0.1:" + std::to_string(port);
    SetConnectToMap(map);
  }

  // Sources with the configuration key set to `address`.
  static std::shared_ptr<const ProxySources> Configured(const std::string& address) {
    auto sources = std::make_shared<ProxySources>();
    sources->config = address;
    return sources;
  }

  // Fetches url through the proxy `address`.
  bool Fetch(HttpClient& c, ClientRecorder& r, const std::string& url, const std::string& address) {
    Prepare(c, r, url);
    c.Proxy = Configured(address);
    c.StartGet();
    return Finish(r);
  }

  std::map<std::string, int> site_ports_;
};

struct Route {
  TestProxy::Kind kind;
  const char* scheme;  // of the proxy address
  bool credentials;
  bool tls;  // of the address fetched
};

TEST_F(ProxyTest, EveryRouteReachesTheSiteAndTellsTheProxyOnlyWhatItNeeds) {
  const int before = OpenDescriptorCount();
  {
    TlsTestServer tls(ca_.Issue({kHost}), [](const std::string&) { return Ok("secure"); });
    TestHttpServer plain([](const std::string&) { return Script().Send(Ok("plain")).Close(); });
    site_ports_ = {{std::string(kHost) + ":443", tls.Port()},
                   {std::string(kHost) + ":80", plain.Port()}};
    using K = TestProxy::Kind;
    const Route routes[] = {
        {K::kHttp, "http", false, false},      {K::kHttp, "http", false, true},
        {K::kHttp, "http", true, false},       {K::kHttp, "http", true, true},
        {K::kSocks5, "socks5h", false, false}, {K::kSocks5, "socks5h", true, true},
        {K::kSocks5, "socks5", false, true},   {K::kSocks5, "socks5", true, false},
    };
    for (const Route& route : routes) {
      SCOPED_TRACE(std::string(route.scheme) + (route.credentials ? " with credentials" : "") +
                   (route.tls ? " https" : " http"));
      TestProxy proxy(route.kind, SiteResolver(), route.credentials ? kUser : "",
                      route.credentials ? kPassword : "");
      PointClient(proxy.Port());
      const std::string address = std::string(route.scheme) + "://" +
                                  (route.credentials ? kEncodedCredentials : "") + kProxyName +
                                  ":3128";
      const std::string url = std::string(route.tls ? "https://" : "http://") + kHost + "/page";
      HttpClient c;
      ClientRecorder r;
      ASSERT_TRUE(Fetch(c, r, url, address));
      EXPECT_EQ(r.done, 1);
      EXPECT_EQ(r.done_error, 0);
      EXPECT_EQ(c.StatusCode(), 200);
      EXPECT_TRUE(c.ThroughProxy());
      EXPECT_EQ(r.body, route.tls ? "secure" : "plain");

      const int site_port = route.tls ? tls.Port() : plain.Port();
      const std::string where = std::string(kHost) + (route.tls ? ":443" : ":80");
      std::string asked;
      if (route.kind == K::kHttp)
        asked = route.tls ? "CONNECT " + where : std::string("GET http://") + kHost + "/page";
      else if (std::string(route.scheme) == "socks5h")
        asked = "SOCKS " + where;
      else
        asked = "SOCKS 127.0.0.1:" + std::to_string(site_port);
      ASSERT_EQ(proxy.Requests().size(), 1u);
      EXPECT_EQ(proxy.Requests()[0], asked);
    }
    // The site saw its own request line, never the proxy's credentials.
    for (const std::string& request : tls.Requests()) {
      EXPECT_EQ(request.rfind("GET /page HTTP/1.0\r\n", 0), 0u);
      EXPECT_EQ(request.find("Proxy-Authorization"), std::string::npos);
    }
    for (const std::string& request : plain.Received()) {
      EXPECT_EQ(request.rfind("GET /page HTTP/1.0\r\n", 0), 0u);
      EXPECT_EQ(request.find("Proxy-Authorization"), std::string::npos);
    }
    EXPECT_EQ(tls.Requests().size(), 4u);
  }
  RunFor(20);
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(ProxyTest, AnHttpsTunnelChecksTheSitesCertificateNotTheProxys) {
  TlsTestServer impostor(ca_.Issue({"elsewhere.test"}), [](const std::string&) { return Ok("x"); });
  site_ports_ = {{std::string(kHost) + ":443", impostor.Port()}};
  TestProxy proxy(TestProxy::Kind::kHttp, SiteResolver());
  PointClient(proxy.Port());
  HttpClient c;
  ClientRecorder r;
  ASSERT_TRUE(
      Fetch(c, r, std::string("https://") + kHost + "/", std::string("http://") + kProxyName));
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.done_error, kErrorTlsCertificate);
}

TEST_F(ProxyTest, NoProxyListGoesDirect) {
  TestHttpServer plain([](const std::string&) { return Script().Send(Ok("direct")).Close(); });
  site_ports_ = {{std::string(kHost) + ":80", plain.Port()}};
  ClosedPort nothing;
  PointClient(nothing.Port());
  auto sources = std::make_shared<ProxySources>();
  sources->environment = {{"http_proxy", std::string("http://") + kProxyName},
                          {"no_proxy", "example.org, .proxied.test"}};
  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, std::string("http://") + kHost + "/");
  c.Proxy = sources;
  c.StartGet();
  ASSERT_TRUE(Finish(r));
  EXPECT_EQ(r.body, "direct");
  EXPECT_FALSE(c.ThroughProxy());
}

struct Failure {
  const char* name;
  TestProxy::Kind kind;
  const char* proxy_user;  // what the proxy asks for
  const char* address;     // scheme and credentials the client uses
  bool tls;
  bool known_site;
  int error;
  int reply;
};

TEST_F(ProxyTest, EachRefusalEndsWithItsErrorAndOneRequestDone) {
  TestHttpServer plain([](const std::string&) { return Script().Send(Ok("plain")).Close(); });
  using K = TestProxy::Kind;
  const Failure failures[] = {
      {"no credentials for CONNECT", K::kHttp, "a", "http://", true, true, kErrorProxyAuth, 407},
      {"no credentials to forward", K::kHttp, "a", "http://", false, true, kErrorProxyAuth, 407},
      {"wrong password", K::kHttp, "a", "http://a:b@", true, true, kErrorProxyAuth, 407},
      {"tunnel to nowhere", K::kHttp, "", "http://", true, false, kErrorProxyRefused, 502},
      {"no common method", K::kSocks5, "a", "socks5h://", false, true, kErrorSocksMethod, 255},
      {"SOCKS wrong password", K::kSocks5, "a", "socks5h://a:b@", false, true, kErrorProxyAuth, 1},
      {"SOCKS to nowhere", K::kSocks5, "", "socks5h://", false, false, kErrorSocksConnect, 4},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    site_ports_.clear();
    if (f.known_site) site_ports_[std::string(kHost) + ":80"] = plain.Port();
    if (f.known_site) site_ports_[std::string(kHost) + ":443"] = plain.Port();
    TestProxy proxy(f.kind, SiteResolver(), f.proxy_user, "secret");
    PointClient(proxy.Port());
    HttpClient c;
    ClientRecorder r;
    const std::string url = std::string(f.tls ? "https://" : "http://") + kHost + "/";
    ASSERT_TRUE(Fetch(c, r, url, std::string(f.address) + kProxyName));
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(r.done_error, f.error);
    EXPECT_EQ(c.RequestError(), f.error);
    EXPECT_EQ(c.ProxyReply(), f.reply);
    EXPECT_EQ(c.StatusCode(), kStatusConnectFailed);
    EXPECT_TRUE(r.body.empty());
  }
}

TEST_F(ProxyTest, AProxyThatCannotBeReachedOrReadFails) {
  ClosedPort closed;
  TestHttpServer babbler([](const std::string&) { return Script().Send("hello\r\n\r\n").Close(); });
  TestHttpServer hangs_up([](const std::string&) { return Script().Close(); },
                          TestHttpServer::Start::kOnAccept);
  const struct {
    const char* name;
    int port;
    const char* scheme;
    int error;
  } cases[] = {
      {"closed port", closed.Port(), "http", kErrorProxyUnreachable},
      {"not an address", closed.Port(), "ftp", kErrorProxyUnreachable},
      {"babbling HTTP proxy", babbler.Port(), "http", kErrorProxyProtocol},
      {"SOCKS proxy hanging up", hangs_up.Port(), "socks5h", kErrorProxyProtocol},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    PointClient(k.port);
    HttpClient c;
    ClientRecorder r;
    ASSERT_TRUE(Fetch(c, r, std::string("https://") + kHost + "/",
                      std::string(k.scheme) + "://" + kProxyName));
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(r.done_error, k.error);
    EXPECT_EQ(c.StatusCode(), kStatusConnectFailed);
  }
}

TEST_F(ProxyTest, AStallingProxyIsEndedByCancel) {
  for (const char* scheme : {"http", "socks5h"}) {
    SCOPED_TRACE(scheme);
    TestHttpServer silent([](const std::string&) { return Script(); },
                          TestHttpServer::Start::kOnAccept);
    PointClient(silent.Port());
    HttpClient c;
    ClientRecorder r;
    Prepare(c, r, std::string("https://") + kHost + "/");
    c.Proxy = Configured(std::string(scheme) + "://" + kProxyName);
    c.StartGet();
    ASSERT_TRUE(RunUntil([&] { return silent.Accepted() == 1; }));
    RunFor(50);
    EXPECT_EQ(r.done, 0);
    c.Cancel();  // as the stall timer does
    ASSERT_TRUE(Finish(r));
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(c.StatusCode(), kStatusCancelled);
    EXPECT_TRUE(RunUntil([&] { return silent.ClosedByClient() == 1; }));
  }
}

TEST_F(ProxyTest, PoolClientsUseTheProgramProxyAndItsFailureIsToldOnce) {
  ClosedPort closed;
  PointClient(closed.Port());
  SetProgramProxy(std::string("http://user:hidden@") + kProxyName);
  std::vector<Bytes> told;
  SetProxyFailureHook([&](const Bytes& text) { told.push_back(text); });
  int done = 0;
  ClientPool pool(
      [&](HttpClient& c, RequestType, int) {
        ++done;
        pool.Release(c);
      },
      nullptr);
  for (int i = 0; i < 2; ++i) pool.Make(std::string("http://") + kHost + "/", i).client->StartGet();
  EXPECT_TRUE(RunUntil([&] { return done == 2; }));
  SetProxyFailureHook(nullptr);
  SetProgramProxy(std::nullopt);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], ProxyFailureText(kErrorProxyUnreachable, 0));
  EXPECT_EQ(told[0].find("hidden"), std::string::npos);
}

}  // namespace
}  // namespace vexo::testing
