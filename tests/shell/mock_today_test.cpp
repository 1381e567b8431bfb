// The mock of today's web keeps the behaviour the end-to-end run relies on:
// Baidu's cookie and captcha, Sogou's antispider, a 429 with Retry-After.
#include <gtest/gtest.h>

#include "tests/support/mock_today.h"

namespace vexo::testing {
namespace {

std::string Get(const std::string& host, const std::string& path, const std::string& cookie = {}) {
  return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n" +
         (cookie.empty() ? "" : "Cookie: " + cookie + "\r\n") + "\r\n";
}

std::string StatusLine(const std::string& response) {
  return response.substr(0, response.find("\r\n"));
}

TEST(MockTodayTest, BaiduSendsACookielessClientToItsCaptchaAfterTenAnswers) {
  MockToday web;
  const std::string page = "/s?wd=%E6%89%8B%E6%9C%BA&pn=0&ie=utf-8";
  for (int i = 0; i < kCookielessAnswers; ++i) {
    const std::string r = web.Answer(Get("www.baidu.com", page));
    ASSERT_EQ(StatusLine(r), "HTTP/1.1 200 OK");
    EXPECT_NE(r.find("Set-Cookie: BAIDUID="), std::string::npos);
  }
  EXPECT_NE(web.Answer(Get("www.baidu.com", page)).find("Location: https://wappass.baidu.com/"),
            std::string::npos);
  const std::string kept = web.Answer(Get("www.baidu.com", page, "BAIDUID=4F1A1:FG=1"));
  EXPECT_EQ(StatusLine(kept), "HTTP/1.1 200 OK") << "a client that returns the cookie is served";
  EXPECT_NE(kept.find("mu=\"https://www.shouji.cn/news/1.htm\""), std::string::npos);
  EXPECT_EQ(web.CaptchaRedirects(), 1);
}

TEST(MockTodayTest, SogouAndTheBusySiteTurnAClientAway) {
  MockToday web;
  for (int page = 1; page <= kSogouPagesServed; ++page)
    EXPECT_EQ(StatusLine(web.Answer(Get("www.sogou.com", "/web?query=x&page=1"))),
              "HTTP/1.1 200 OK");
  EXPECT_NE(web.Answer(Get("www.sogou.com", "/web?query=x&page=4")).find("/antispider/"),
            std::string::npos);
  const std::string busy = web.Answer(Get("www.busy.cn", "/"));
  EXPECT_EQ(StatusLine(busy), "HTTP/1.1 429 Too Many Requests");
  EXPECT_NE(busy.find("Retry-After: " + std::to_string(kBusyRetryAfterSeconds)), std::string::npos);
  EXPECT_EQ(StatusLine(web.Answer(Get("www.busy.cn", "/"))), "HTTP/1.1 200 OK");
}

}  // namespace
}  // namespace vexo::testing
