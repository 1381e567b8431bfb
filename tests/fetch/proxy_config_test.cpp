// Proxy addresses, the no_proxy list, and which source wins.
#include "fetch/proxy_config.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

TEST(ProxyAddress, ReadsWhatUsersWrite) {
  const struct {
    const char* text;
    ProxyKind kind;
    const char* host;
    int port;
    const char* user;
    const char* password;
  } cases[] = {
      {"http://proxy:3128", ProxyKind::kHttp, "proxy", 3128, "", ""},
      {"proxy.corp", ProxyKind::kHttp, "proxy.corp", 1080, "", ""},
      {" HTTP://10.0.0.1:8080/ ", ProxyKind::kHttp, "10.0.0.1", 8080, "", ""},
      {"socks5://me@s:1", ProxyKind::kSocks5, "s", 1, "me", ""},
      {"socks5h://a%40b:p%3A%zz@s", ProxyKind::kSocks5h, "s", 1080, "a@b", "p:%zz"},
      {"http://u:p@ss@h:80", ProxyKind::kHttp, "h", 80, "u", "p@ss"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<ProxyServer> p = ParseProxyAddress(c.text);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, c.kind);
    EXPECT_EQ(p->host, c.host);
    EXPECT_EQ(p->port, c.port);
    EXPECT_EQ(p->user, c.user);
    EXPECT_EQ(p->password, c.password);
  }
  for (const char* bad :
       {"", "ftp://h", "socks4://h", "http://", "http://h:0", "http://h:65536", "http://h:8x",
        "http://h/path", "http://:p@h", "http://h h", "http://a\r\nb"})
    EXPECT_FALSE(ParseProxyAddress(bad)) << bad;
}

TEST(NoProxy, MatchesSuffixesAddressesAndPorts) {
  const struct {
    const char* list;
    const char* host;
    int port;
    bool exempt;
  } cases[] = {
      {"*", "any.where", 80, true},
      {"example.com", "example.com", 80, true},
      {"example.com", "www.EXAMPLE.com", 80, true},
      {".example.com", "www.example.com", 80, true},
      {".example.com", "example.com", 80, true},
      {"example.com", "badexample.com", 80, false},
      {"a.test, example.com ,b.test", "x.example.com", 443, true},
      {"10.1.2.3", "10.1.2.3", 80, true},
      {"1.2.3", "10.1.2.3", 80, false},
      {"example.com:8080", "example.com", 8080, true},
      {"example.com:8080", "example.com", 80, false},
      {"", "example.com", 80, false},
      {",,", "example.com", 80, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NoProxyExempts(c.list, c.host, c.port), c.exempt) << c.list << " / " << c.host;
}

TEST(ChooseProxy, FollowsTheConfigurationThenTheEnvironmentAsCurl) {
  using Env = std::map<std::string, Bytes>;
  const struct {
    const char* name;
    std::optional<Bytes> config;
    Env env;
    bool tls;
    const char* host;  // of the proxy chosen; "" for none
  } cases[] = {
      {"nothing set", std::nullopt, {}, false, ""},
      {"configuration wins", "http://conf", {{"http_proxy", "http://env"}}, false, "conf"},
      {"none turns off", "None", {{"all_proxy", "http://env"}}, true, ""},
      {"empty key falls through", " ", {{"all_proxy", "http://all"}}, true, "all"},
      {"http_proxy for http", std::nullopt, {{"http_proxy", "h"}, {"all_proxy", "a"}}, false, "h"},
      {"not for https", std::nullopt, {{"http_proxy", "h"}, {"all_proxy", "a"}}, true, "a"},
      {"HTTP_PROXY ignored", std::nullopt, {{"HTTP_PROXY", "h"}}, false, ""},
      {"https_proxy first", std::nullopt, {{"https_proxy", "s"}, {"HTTPS_PROXY", "S"}}, true, "s"},
      {"HTTPS_PROXY", std::nullopt, {{"HTTPS_PROXY", "S"}, {"all_proxy", "a"}}, true, "S"},
      {"https not for http", std::nullopt, {{"https_proxy", "s"}}, false, ""},
      {"ALL_PROXY", std::nullopt, {{"ALL_PROXY", "A"}}, false, "A"},
      {"all_proxy first", std::nullopt, {{"ALL_PROXY", "A"}, {"all_proxy", "a"}}, true, "a"},
      {"empty variable skipped",
       std::nullopt,
       {{"https_proxy", ""}, {"all_proxy", "a"}},
       true,
       "a"},
      {"no_proxy exempts", std::nullopt, {{"all_proxy", "a"}, {"no_proxy", "site.test"}}, true, ""},
      {"NO_PROXY exempts", "http://c", {{"NO_PROXY", ".site.test"}}, false, ""},
      {"no_proxy before NO_PROXY", "c", {{"no_proxy", "x"}, {"NO_PROXY", "*"}}, false, "c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProxyServer p = ChooseProxy(ProxySources{c.config, c.env}, c.tls, "www.site.test", 80);
    EXPECT_EQ(p.host, c.host);
    EXPECT_EQ(p.Used(), *c.host != '\0');
  }
  // An address that does not read fails requests rather than going direct.
  EXPECT_EQ(ChooseProxy(ProxySources{"ftp://x", {}}, false, "h", 80).kind, ProxyKind::kInvalid);
}

}  // namespace
}  // namespace vexo
