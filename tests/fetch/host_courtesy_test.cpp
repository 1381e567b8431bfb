// Courtesy to every host: two connections at most, starts spaced with
// jitter, refusals answered by pauses that grow, Retry-After honoured.
#include "fetch/host_courtesy.h"

#include <gtest/gtest.h>

#include "fetch/http_client.h"

namespace vexo {
namespace {

TEST(HostCourtesyTest, TwoConnectionsAtMostAndStartsSpacedWithJitterOfUpToAHalf) {
  for (const double random : {0.0, 0.999}) {
    HostCourtesy c(1000, [random] { return random; });
    const long long next = random == 0.0 ? 1000 : 1499;
    EXPECT_TRUE(c.Ready("http://a.cn/x", 0));
    c.Started("http://a.cn/x", 0);
    EXPECT_FALSE(c.Ready("http://A.cn:80/y", next - 1)) << "one host, however spelt";
    EXPECT_TRUE(c.Ready("https://a.cn/x", 0)) << "another port is another host";
    EXPECT_TRUE(c.Ready("http://b.cn/", 0));
    EXPECT_TRUE(c.Ready("http://a.cn/y", next));
    c.Started("http://a.cn/y", next);
    EXPECT_FALSE(c.Ready("http://a.cn/z", 100000)) << "two at once";
    c.Ended("http://a.cn/x");
    EXPECT_TRUE(c.Ready("http://a.cn/z", 100000));
    EXPECT_EQ(c.MostAtOnce(), 2);
  }
}

TEST(HostCourtesyTest, RefusalsPauseTheHostLongerEachTimeInARowUpToTwoHours) {
  HostCourtesy c(0);
  const std::string a = "http://a.cn/q";
  const long long minute = 60 * 1000;
  struct Step {
    int status;
    long long retryAfter;
    bool pauses;
    long long length;  // of the pause that begins
  };
  const Step steps[] = {
      {503, 0, true, 10 * minute},
      {429, 0, true, 20 * minute},
      {403, 5000, true, 40 * minute},
      {503, 0, true, 80 * minute},
      {503, 0, true, 120 * minute},
      {503, 0, true, 120 * minute},
      {200, 0, false, 0},
      {429, 90000, true, 90000},
      {503, 3 * 3600000, true, 3 * 3600000},
  };
  long long now = 0;
  for (const Step& s : steps) {
    EXPECT_EQ(c.Refused(a, s.status, s.retryAfter, now), s.pauses) << s.status;
    if (!s.pauses) continue;
    EXPECT_EQ(c.PausedUntil(a) - now, s.length) << s.status << " " << s.retryAfter;
    EXPECT_TRUE(c.Paused(a, now));
    EXPECT_FALSE(c.Refused(a, 503, 0, now + 1)) << "a refusal within a pause adds none";
    now = c.PausedUntil(a);
    EXPECT_FALSE(c.Paused(a, now));
  }
  EXPECT_FALSE(c.Refused(a, kStatusConnectFailed, 0, now));
}

TEST(HostCourtesyTest, RetryAfterInSecondsOrAsADate) {
  struct Case {
    StringList headers;
    long long ms;
  };
  const Case cases[] = {
      {{"Content-Type: text/html", "Retry-After: 120"}, 120000},
      {{"retry-after:7\r"}, 7000},
      {{"Retry-After: Thu, 01 Jan 1970 00:01:40 GMT"}, 40000},  // now is 60 s
      {{"Retry-After: Thu, 01 Jan 1970 00:00:10 GMT"}, 0},
      {{"Retry-After: 99999999999999999999"}, 24LL * 3600 * 1000},
      {{"Retry-After: soon"}, 0},
      {{"Retry-Afterwards: 5"}, 0},
      {{}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RetryAfterMs(c.headers, 60), c.ms) << (c.headers.empty() ? "" : c.headers.back());
}

}  // namespace
}  // namespace vexo
