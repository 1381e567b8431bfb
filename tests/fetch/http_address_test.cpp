// Reading addresses and Location values, without a network.
#include "fetch/http_address.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

struct SplitCase {
  const char* address;
  AddressParts want;
};

TEST(SplitAddress, EveryFormOfAddress) {
  const SplitCase cases[] = {
      {"", {}},
      {"http://www.a.cn/x?q=1#f", {"http", "", "", "www.a.cn", "", "/x?q=1#f"}},
      {"http://www.a.cn", {"http", "", "", "www.a.cn", "", ""}},
      {"ftp://h:21/p", {"ftp", "", "", "h", "21", "/p"}},
      {"http://u:p@h:81/p", {"http", "u", "p", "h", "81", "/p"}},
      {"http://u@h/p", {"http", "u", "", "h", "", "/p"}},
      {"http://u:p:q@h/", {"http", "u", "p:q", "h", "", "/"}},
      {"http://h:81@x/", {"http", "h", "81", "x", "", "/"}},  // ":" before "@" is the user's
      {"http://a@b@c:9/", {"http", "a@b", "", "c", "9", "/"}},
      {"/only/a/path", {"http", "", "", "", "", "/only/a/path"}},
      {"//h.cn/p", {"http", "", "", "h.cn", "", "/p"}},
      {"HTTP:rel.htm", {"http", "", "", "", "", "rel.htm"}},
      {"http:/abs", {"http", "", "", "", "", "/abs"}},
      {"MAILTO:joe@x.cn", {"mailto", "joe", "", "x.cn", "", ""}},
      {"dir/page.htm", {"", "", "", "dir", "", "/page.htm"}},
      {"page.htm", {"", "", "", "page.htm", "", ""}},
      {"h:8080", {"", "", "", "h", "8080", ""}},
      {"://", {"", "", "", "", "", ""}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.address);
    const AddressParts p = SplitAddress(c.address);
    EXPECT_EQ(p.scheme, c.want.scheme);
    EXPECT_EQ(p.user, c.want.user);
    EXPECT_EQ(p.password, c.want.password);
    EXPECT_EQ(p.host, c.want.host);
    EXPECT_EQ(p.port, c.want.port);
    EXPECT_EQ(p.path, c.want.path);
  }
}

TEST(SplitAddress, HostileBytesStayInTheirPart) {
  const std::string with_zero("http://h/\0\xff\x81@:", 14);
  const AddressParts p = SplitAddress(with_zero);
  EXPECT_EQ(p.host, "h");
  EXPECT_EQ(p.path, std::string("/\0\xff\x81@:", 6));
  const std::string huge = "http://" + std::string(100000, ':') + "/x";
  EXPECT_EQ(SplitAddress(huge).path, "/x");
}

struct LocationCase {
  const char* value;
  RequestTarget want;
};

TEST(ApplyLocation, EveryFormOfLocation) {
  const RequestTarget start{"a.cn", "8080", "a.cn", "/dir/old.htm", "http://a.cn:8080/dir/old.htm"};
  const LocationCase cases[] = {
      {"/new?x", {"a.cn", "8080", "a.cn", "/new?x", "http://a.cn/new?x"}},
      {"http://b.cn/p", {"b.cn", "8080", "b.cn", "/p", "http://b.cn/p"}},
      {"http://b.cn:81/p", {"b.cn", "81", "b.cn", "/p", "http://b.cn/p"}},
      {"http://b.cn", {"b.cn", "8080", "b.cn", "/", "http://b.cn"}},
      // Another scheme of the two moves to TLS and its port, unless one is named.
      {"https://b.cn/s", {"b.cn", "443", "b.cn", "/s", "https://b.cn/s", true}},
      {"HTTPS://b.cn:8443/s", {"b.cn", "8443", "b.cn", "/s", "HTTPS://b.cn/s", true}},
      {"http://u:p@b.cn/p", {"b.cn", "8080", "b.cn", "/p", "http://b.cn/p"}},
      {"page.htm", {"a.cn", "8080", "a.cn", "http://a.cn/page.htm", "http://a.cn/page.htm"}},
      {"sub/page.htm", {"sub", "8080", "sub", "/page.htm", "http://a.cn:8080/dir/old.htm"}},
      {"http:/p2", {"a.cn", "8080", "a.cn", "/p2", "http://a.cn/p2"}},
      // A path without "/" is taken as written, into the request line and Location.
      {"http:rel", {"a.cn", "8080", "a.cn", "rel", "http://a.cnrel"}},
      {"", {"", "8080", "a.cn", "", "http://a.cn:8080/dir/old.htm"}},
      {"http://", {"", "8080", "a.cn", "", "http://a.cn:8080/dir/old.htm"}},
  };
  for (const LocationCase& c : cases) {
    SCOPED_TRACE(c.value);
    RequestTarget t = start;
    ApplyLocation(t, c.value);
    EXPECT_EQ(t.host, c.want.host);
    EXPECT_EQ(t.port, c.want.port);
    EXPECT_EQ(t.target_host, c.want.target_host);
    EXPECT_EQ(t.path, c.want.path);
    EXPECT_EQ(t.location, c.want.location);
    EXPECT_EQ(t.tls, c.want.tls);
  }
}

// From an https address: relative forms stay on TLS, http leaves it.
TEST(ApplyLocation, FromAnHttpsAddress) {
  const RequestTarget start{"a.cn", "443", "a.cn", "/old", "https://a.cn/old", true};
  const LocationCase cases[] = {
      {"/new", {"a.cn", "443", "a.cn", "/new", "https://a.cn/new", true}},
      {"page.htm", {"a.cn", "443", "a.cn", "https://a.cn/page.htm", "https://a.cn/page.htm", true}},
      {"https://b.cn/p", {"b.cn", "443", "b.cn", "/p", "https://b.cn/p", true}},
      {"http://b.cn/p", {"b.cn", "80", "b.cn", "/p", "http://b.cn/p", false}},
      {"http://b.cn:8080/p", {"b.cn", "8080", "b.cn", "/p", "http://b.cn/p", false}},
  };
  for (const LocationCase& c : cases) {
    SCOPED_TRACE(c.value);
    RequestTarget t = start;
    ApplyLocation(t, c.value);
    EXPECT_EQ(t.host, c.want.host);
    EXPECT_EQ(t.port, c.want.port);
    EXPECT_EQ(t.path, c.want.path);
    EXPECT_EQ(t.location, c.want.location);
    EXPECT_EQ(t.tls, c.want.tls);
  }
}

}  // namespace
}  // namespace vexo
