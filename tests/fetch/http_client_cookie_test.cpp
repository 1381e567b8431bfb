// A client with a cookie jar: the cookie a redirect answer sets goes back
// on the next hop when it stays on the host, and never to another host.
#include <gtest/gtest.h>

#include "fetch/cookie_jar.h"
#include "fetch/http_client.h"
#include "tests/fetch/client_fixture.h"

namespace vexo::testing {
namespace {

using CookieClientTest = ClientTest;

bool HasLine(const std::string& request, const std::string& line) {
  return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST_F(CookieClientTest, ARedirectsCookieGoesWithTheNextHopOnTheSameHostOnly) {
  struct Case {
    const char* next_host;
    bool same_host;
  };
  for (const Case& c : {Case{"a.test", true}, Case{"b.test", false}}) {
    SCOPED_TRACE(c.next_host);
    std::string location;
    TestHttpServer server([&](const std::string& req) {
      if (req.rfind("GET /start ", 0) == 0)
        return Reply("HTTP/1.0 302 Found",
                     "Set-Cookie: sid=abc; Path=/\r\nLocation: " + location + "\r\n", "");
      return Reply("HTTP/1.0 200 OK", "Set-Cookie: seen=1\r\n", "page");
    });
    SetConnectToMap("a.test=127.0.0.1,b.test=127.0.0.1");
    const std::string port = std::to_string(server.Port());
    location = "http://" + std::string(c.next_host) + ":" + port + "/next";
    CookieJar jar;
    HttpClient client;
    ClientRecorder r;
    client.Cookies = &jar;
    client.Cookie = "given=1";
    ASSERT_TRUE(GetFrom(client, r, "http://a.test:" + port + "/start"));
    EXPECT_EQ(client.StatusCode(), 200);
    const auto received = server.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(HasLine(received[0], "Cookie: given=1"));
    EXPECT_TRUE(HasLine(received[1], c.same_host ? "Cookie: given=1; sid=abc" : "Cookie: given=1"));
    // The final answer's cookie is kept for the host that set it.
    EXPECT_EQ(jar.HeaderFor("http://" + std::string(c.next_host) + "/", 0),
              c.same_host ? "sid=abc; seen=1" : "seen=1");
  }
}

}  // namespace
}  // namespace vexo::testing
