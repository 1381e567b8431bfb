// The cookie jar: which answers may set a cookie, which requests get it
// back, expiry with a given clock, the bounds, hostile Set-Cookie values and
// the file that keeps cookies between runs.
#include "fetch/cookie_jar.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>
#include <vector>

#include "fetch/cookie_date.h"
#include "platform/files.h"

namespace vexo {
namespace {

constexpr std::int64_t kNow = 1000000000;  // 2001-09-09 01:46:40 UTC
constexpr std::int64_t kDay = 24 * 3600;

struct Ask {
  const char* url;
  const char* header;  // what the jar sends that address
};

TEST(CookieJarTest, SendsACookieOnlyWhereItsDomainAndPathReach) {
  struct Case {
    const char* name;
    const char* from;  // the address whose answer sets the cookie
    const char* set_cookie;
    std::vector<Ask> asks;
  };
  const std::vector<Case> cases = {
      {"host-only",
       "http://www.a.cn/",
       "k=v",
       {{"http://www.a.cn/x", "k=v"},
        {"http://WWW.A.CN:8080/", "k=v"},
        {"http://sub.www.a.cn/", ""},
        {"http://a.cn/", ""},
        {"http://www.b.cn/", ""}}},
      {"domain, leading dot and case ignored",
       "http://www.a.cn/",
       "k=v; Domain=.A.cn",
       {{"http://a.cn/", "k=v"},
        {"http://x.y.a.cn/", "k=v"},
        {"http://xa.cn/", ""},
        {"http://www.b.cn/", ""}}},
      {"domain that does not cover the host",
       "http://www.a.cn/",
       "k=v; Domain=b.cn",
       {{"http://www.b.cn/", ""}, {"http://www.a.cn/", ""}}},
      {"domain below the host",
       "http://a.cn/",
       "k=v; Domain=www.a.cn",
       {{"http://www.a.cn/", ""}, {"http://a.cn/", ""}}},
      {"single-label domain",
       "http://www.a.cn/",
       "k=v; Domain=cn",
       {{"http://www.a.cn/", ""}, {"http://b.cn/", ""}}},
      {"single-label host naming itself stays host-only",
       "http://localhost/",
       "k=v; Domain=localhost",
       {{"http://localhost/", "k=v"}, {"http://x.localhost/", ""}}},
      {"address host-only",
       "http://127.0.0.1:8080/",
       "k=v",
       {{"http://127.0.0.1/", "k=v"}, {"http://127.0.0.2/", ""}}},
      {"address naming itself stays host-only",
       "http://10.0.0.1/",
       "k=v; Domain=10.0.0.1",
       {{"http://10.0.0.1/", "k=v"}, {"http://1.10.0.0.1/", ""}}},
      {"part of an address",
       "http://10.0.0.1/",
       "k=v; Domain=0.0.1",
       {{"http://10.0.0.1/", ""}, {"http://2.0.0.1/", ""}}},
      {"default path",
       "http://a.cn/dir/page.html?q=/x/y",
       "k=v",
       {{"http://a.cn/dir", "k=v"},
        {"http://a.cn/dir/other", "k=v"},
        {"http://a.cn/", ""},
        {"http://a.cn/directory", ""}}},
      {"path ending in a slash",
       "http://a.cn/",
       "k=v; Path=/docs/",
       {{"http://a.cn/docs/", "k=v"}, {"http://a.cn/docs/x", "k=v"}, {"http://a.cn/docs", ""}}},
      {"path without a slash at its end",
       "http://a.cn/",
       "k=v; Path=/docs",
       {{"http://a.cn/docs", "k=v"},
        {"http://a.cn/docs/a", "k=v"},
        {"http://a.cn/docs?x", "k=v"},
        {"http://a.cn/docsx", ""}}},
      {"relative path reads as the default",
       "http://a.cn/d/p",
       "k=v; Path=docs",
       {{"http://a.cn/d/x", "k=v"}, {"http://a.cn/", ""}}},
      {"secure, set over https",
       "https://a.cn/",
       "k=v; Secure",
       {{"https://a.cn/", "k=v"}, {"http://a.cn/", ""}}},
      {"secure, set over http", "http://a.cn/", "k=v; secure", {{"https://a.cn/", ""}}},
      {"HttpOnly and unknown attributes",
       "http://a.cn/",
       "k=v; HttpOnly; SameSite=Lax; x",
       {{"http://a.cn/", "k=v"}}},
      {"blanks trimmed", "http://a.cn/", " k = v w ; path = / ", {{"http://a.cn/", "k=v w"}}},
      {"empty value", "http://a.cn/", "k=", {{"http://a.cn/", "k="}}},
      {"address without a scheme", "www.a.cn/p", "k=v", {{"http://www.a.cn/", "k=v"}}},
      {"another scheme", "ftp://a.cn/", "k=v", {{"http://a.cn/", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CookieJar jar;
    jar.TakeValue(c.from, c.set_cookie, kNow);
    for (const Ask& ask : c.asks) EXPECT_EQ(jar.HeaderFor(ask.url, kNow), ask.header) << ask.url;
  }
}

TEST(CookieJarTest, RefusesHostileValues) {
  const std::vector<std::string> values = {
      "",
      "justtext",
      "k; v=1",
      "=v",
      ";;;",
      "k=a\rb",
      "k=a\nb",
      std::string("k\0x=v", 5),
      std::string("k=a\0b", 5),
      "k=" + std::string(kMaxCookieBytes, 'x'),
  };
  for (const std::string& value : values) {
    CookieJar jar;
    jar.TakeValue("http://a.cn/", value, kNow);
    EXPECT_EQ(jar.Size(), 0u) << value.size();
  }
  CookieJar jar;
  jar.TakeValue("http://a.cn/", "k=" + std::string(kMaxCookieBytes - 1, 'x'), kNow);
  EXPECT_EQ(jar.Size(), 1u);
}

TEST(CookieJarTest, TakesEverySetCookieLineOfAHeader) {
  CookieJar jar;
  jar.Take("http://a.cn/",
           {"HTTP/1.1 302 Found", "set-cookie: a=1", "Set-Cookie:b=2; Path=/x", "Set-Cookie2: c=3",
            "Location: /x"},
           kNow);
  EXPECT_EQ(jar.HeaderFor("http://a.cn/x/y", kNow), "b=2; a=1");
}

TEST(CookieJarTest, LongerPathsComeFirstThenOlderCookies) {
  CookieJar jar;
  for (const char* value : {"a=1; Path=/", "b=2; Path=/x/y", "c=3; Path=/x", "d=4; Path=/"})
    jar.TakeValue("http://a.cn/", value, kNow);
  EXPECT_EQ(jar.HeaderFor("http://a.cn/x/y/z", kNow), "b=2; c=3; a=1; d=4");
}

TEST(CookieJarTest, ExpiresByMaxAgeOrExpires) {
  struct Case {
    const char* name;
    const char* set_cookie;
    std::int64_t last_second;  // after kNow; -1: never stored; 0: session (never expires)
  };
  const std::vector<Case> cases = {
      {"Max-Age", "k=v; Max-Age=100", 99},
      {"Max-Age wins over an earlier Expires",
       "k=v; Expires=Sun, 09 Sep 2001 00:00:00 GMT; Max-Age=100", 99},
      {"Max-Age wins over a later Expires",
       "k=v; Max-Age=100; Expires=Sun, 09 Sep 2001 00:00:00 GMT", 99},
      {"Max-Age zero", "k=v; Max-Age=0", -1},
      {"Max-Age negative", "k=v; Max-Age=-5", -1},
      {"Expires, IMF-fixdate", "k=v; Expires=Sun, 09 Sep 2001 01:48:20 GMT", 99},
      {"Expires, RFC 850", "k=v; expires=Sunday, 09-Sep-01 01:48:20 GMT", 99},
      {"Expires, asctime", "k=v; Expires=Sun Sep  9 01:48:20 2001", 99},
      {"Expires, dashes and a long year", "k=v; Expires=Sun, 09-Sep-2001 01:48:20 GMT", 99},
      {"Expires in the past", "k=v; Expires=Thu, 01 Jan 1970 00:00:00 GMT", -1},
      {"Max-Age unreadable", "k=v; Max-Age=12abc", 0},
      {"Expires unreadable", "k=v; Expires=tomorrow", 0},
      {"far Max-Age is cut", "k=v; Max-Age=99999999999999999999999", 400 * kDay - 1},
      {"far Expires is cut", "k=v; Expires=Fri, 31 Dec 9999 23:59:59 GMT", 400 * kDay - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CookieJar jar;
    jar.TakeValue("http://a.cn/", c.set_cookie, kNow);
    EXPECT_EQ(jar.Size(), c.last_second < 0 ? 0u : 1u);
    if (c.last_second <= 0) {
      EXPECT_EQ(jar.HeaderFor("http://a.cn/", kNow + 1000 * kDay), c.last_second ? "" : "k=v");
      continue;
    }
    EXPECT_EQ(jar.HeaderFor("http://a.cn/", kNow + c.last_second), "k=v");
    EXPECT_EQ(jar.HeaderFor("http://a.cn/", kNow + c.last_second + 1), "");
  }
}

TEST(CookieJarTest, ReadsCookieDates) {
  struct Case {
    const char* text;
    std::int64_t seconds;  // -1: no date
  };
  const std::vector<Case> cases = {
      {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
      {"Wed, 01-Jan-70 00:00:01 GMT", 1},
      {"1 jan 2069 0:0:0", 3124224000},
      {"Sat, 29 Feb 2020 12:00:00 GMT", 1582977600},
      {"Sun, 30 Feb 2020 12:00:00 GMT", -1},
      {"Mon, 01 Jan 1600 00:00:00 GMT", -1},
      {"Mon, 01 Jan 2001 24:00:00 GMT", -1},
      {"Mon, 01 Jan 2001 10:60:00 GMT", -1},
      {"Mon, 001 Jan 2001 10:00:00 GMT", -1},
      {"Mon, 01 Jan 2001", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    std::int64_t seconds = -1;
    EXPECT_EQ(ParseCookieDate(c.text, seconds), c.seconds >= 0) << c.text;
    EXPECT_EQ(seconds, c.seconds) << c.text;
  }
}

TEST(CookieJarTest, ReplacesOrDeletesTheCookieOfTheSameNameDomainAndPath) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> sets;  // from, Set-Cookie
    const char* url;
    const char* header;
    std::size_t size;
  };
  const std::vector<Case> cases = {
      {"new value", {{"http://a.cn/", "k=1"}, {"http://a.cn/", "k=2"}}, "http://a.cn/", "k=2", 1},
      {"other path: two cookies",
       {{"http://a.cn/", "k=1"}, {"http://a.cn/", "k=2; Path=/x"}},
       "http://a.cn/x",
       "k=2; k=1",
       2},
      {"domain cookie over host-only",
       {{"http://a.cn/", "k=1"}, {"http://a.cn/", "k=2; Domain=a.cn"}},
       "http://www.a.cn/",
       "k=2",
       1},
      {"deleted by Max-Age",
       {{"http://a.cn/", "k=1"}, {"http://a.cn/", "k=; Max-Age=0"}},
       "http://a.cn/",
       "",
       0},
      {"deleted by Expires",
       {{"http://a.cn/", "k=1; Max-Age=99"},
        {"http://a.cn/", "k=; Expires=Thu, 01 Jan 1970 00:00:00 GMT"}},
       "http://a.cn/",
       "",
       0},
      {"deleting another path leaves it",
       {{"http://a.cn/", "k=1"}, {"http://a.cn/", "k=; Max-Age=0; Path=/x"}},
       "http://a.cn/x",
       "k=1",
       1},
      {"http does not replace a secure cookie",
       {{"https://a.cn/", "k=s; Secure"}, {"http://a.cn/", "k=p"}},
       "https://a.cn/",
       "k=s",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CookieJar jar;
    for (const auto& [from, value] : c.sets) jar.TakeValue(from, value, kNow);
    EXPECT_EQ(jar.HeaderFor(c.url, kNow), c.header);
    EXPECT_EQ(jar.Size(), c.size);
  }
}

std::string Numbered(const char* prefix, std::size_t i) {
  return prefix + std::to_string(i) + "=1";
}

TEST(CookieJarTest, KeepsItsBoundsByDroppingTheOldest) {
  CookieJar jar;
  for (std::size_t i = 0; i <= CookieJar::kMaxPerDomain; ++i)
    jar.TakeValue("http://a.cn/", Numbered("c", i), kNow);
  EXPECT_EQ(jar.Size(), CookieJar::kMaxPerDomain);
  EXPECT_EQ(jar.HeaderFor("http://a.cn/", kNow).rfind("c1=1; ", 0), 0u);

  jar.Clear();
  const std::size_t domains = CookieJar::kMaxCookies / CookieJar::kMaxPerDomain + 1;
  for (std::size_t d = 0; d < domains; ++d)
    for (std::size_t i = 0; i < CookieJar::kMaxPerDomain; ++i)
      jar.TakeValue("http://d" + std::to_string(d) + ".cn/", Numbered("c", i), kNow);
  EXPECT_EQ(jar.Size(), CookieJar::kMaxCookies);
  EXPECT_EQ(jar.HeaderFor("http://d0.cn/", kNow), "");
  EXPECT_NE(jar.HeaderFor("http://d1.cn/", kNow), "");
}

TEST(CookieJarTest, TheCookieLineKeepsItsBound) {
  CookieJar jar;
  const std::string big(3000, 'x');
  for (std::size_t i = 0; i < 8; ++i)
    jar.TakeValue("http://a.cn/", "c" + std::to_string(i) + "=" + big, kNow);
  jar.TakeValue("http://a.cn/", "small=1; Path=/x", kNow);
  const Bytes header = jar.HeaderFor("http://a.cn/x", kNow);
  EXPECT_LE(header.size(), CookieJar::kMaxHeaderBytes);
  EXPECT_EQ(header.rfind("small=1; c0=" + big + "; c1=", 0), 0u);
  EXPECT_EQ(header.find("c7="), Bytes::npos);
}

TEST(CookieJarTest, ExpiredCookiesMakeRoomBeforeTheOldest) {
  CookieJar jar;
  jar.TakeValue("http://a.cn/", "old=1", kNow);
  jar.TakeValue("http://a.cn/", "brief=1; Max-Age=10", kNow);
  for (std::size_t i = 0; i + 1 < CookieJar::kMaxPerDomain; ++i)
    jar.TakeValue("http://a.cn/", Numbered("c", i), kNow + 20);
  EXPECT_EQ(jar.Size(), CookieJar::kMaxPerDomain);
  EXPECT_EQ(jar.HeaderFor("http://a.cn/", kNow + 20).rfind("old=1; c0=1", 0), 0u);
}

class CookieFileTest : public ::testing::Test {
 protected:
  std::string File() const { return dir_.path().toStdString() + "/cookies.txt"; }
  QTemporaryDir dir_;
};

TEST_F(CookieFileTest, KeepsOnlyUnexpiredCookiesWithAnExpiry) {
  CookieJar jar;
  jar.TakeValue("http://www.a.cn/", "session=1", kNow);
  jar.TakeValue("http://www.a.cn/", "brief=1; Max-Age=10", kNow);
  jar.TakeValue("http://www.a.cn/", "p=1; Max-Age=1000", kNow);
  jar.TakeValue("https://www.a.cn/d/", "s=2; Secure; Domain=a.cn; Path=/d; Max-Age=1000", kNow);
  ASSERT_TRUE(jar.Save(File(), kNow + 20));

  CookieJar loaded;
  loaded.TakeValue("http://b.cn/", "gone=1", kNow);  // loading replaces what was there
  loaded.Load(File(), kNow + 20);
  EXPECT_EQ(loaded.Size(), 2u);
  const std::vector<Ask> asks = {{"http://www.a.cn/", "p=1"},
                                 {"https://www.a.cn/d/x", "s=2; p=1"},
                                 {"http://www.a.cn/d", "p=1"},
                                 {"https://x.a.cn/d", "s=2"},
                                 {"http://b.cn/", ""}};
  for (const Ask& ask : asks)
    EXPECT_EQ(loaded.HeaderFor(ask.url, kNow + 20), ask.header) << ask.url;
  EXPECT_EQ(jar.HeaderFor("https://www.a.cn/d/x", kNow + 20), "s=2; session=1; p=1");
  // Loaded later, the cookies have run out.
  loaded.Load(File(), kNow + 1000);
  EXPECT_EQ(loaded.Size(), 0u);
}

TEST_F(CookieFileTest, SavingNothingWritesNoFileButEmptiesAnOldOne) {
  CookieJar jar;
  jar.TakeValue("http://a.cn/", "session=1", kNow);
  ASSERT_TRUE(jar.Save(File(), kNow));
  EXPECT_FALSE(FileExists(File()));
  ASSERT_TRUE(WriteFileAtomic(File(), "a.cn\t1\t/\t0\t1000001000\tk\tv\n"));
  ASSERT_TRUE(jar.Save(File(), kNow));
  jar.Load(File(), kNow);
  EXPECT_EQ(jar.Size(), 0u);
}

TEST_F(CookieFileTest, LoadsWellFormedLinesAndSkipsTheRest) {
  const std::string good = "a.cn\t1\t/\t0\t1000001000\tk\tv";
  struct Case {
    const char* name;
    std::string content;
    const char* header;  // for http://a.cn/ at kNow
  };
  const std::vector<Case> cases = {
      {"one line, CR LF", "# comment\r\n" + good + "\r\n", "k=v"},
      {"no final line end", good, "k=v"},
      {"empty file", "", ""},
      {"binary garbage", std::string("\0\x01\xff\t\t\t\t\t\t\n\x80", 11), ""},
      {"too few fields", "a.cn\t1\t/\t0\t1000001000\tk\n" + good, "k=v"},
      {"too many fields", good + "\tx\n", ""},
      {"bad flag", "a.cn\t2\t/\t0\t1000001000\tk\tv\n", ""},
      {"bad expiry", "a.cn\t1\t/\t0\t10e9\tk\tv\n", ""},
      {"expired", "a.cn\t1\t/\t0\t999999999\tk\tv\n", ""},
      {"relative path", "a.cn\t1\tx\t0\t1000001000\tk\tv\n", ""},
      {"single-label domain cookie", "cn\t0\t/\t0\t1000001000\tk\tv\n", ""},
      {"empty name", "a.cn\t1\t/\t0\t1000001000\t\tv\n", ""},
      {"control byte in the value", good + std::string(1, '\0') + "w\n", ""},
      {"value above the bound",
       "a.cn\t1\t/\t0\t1000001000\tk\t" + std::string(kMaxCookieBytes, 'x') + "\n", ""},
      {"one of two", "junk\n" + good + "\nb.cn\t0\t/\t0\t1000001000\tq\tw\n", "k=v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteFileAtomic(File(), c.content));
    CookieJar jar;
    jar.Load(File(), kNow);
    EXPECT_EQ(jar.HeaderFor("http://a.cn/", kNow), c.header);
  }
}

TEST_F(CookieFileTest, AnOversizedFileIsNotRead) {
  std::string content = "a.cn\t1\t/\t0\t1000001000\tk\tv\n";
  content.resize(CookieJar::kMaxFileBytes + 1, '\n');
  ASSERT_TRUE(WriteFileAtomic(File(), content));
  CookieJar jar;
  jar.Load(File(), kNow);
  EXPECT_EQ(jar.Size(), 0u);
  content.resize(CookieJar::kMaxFileBytes);
  ASSERT_TRUE(WriteFileAtomic(File(), content));
  jar.Load(File(), kNow);
  EXPECT_EQ(jar.Size(), 1u);
}

}  // namespace
}  // namespace vexo
