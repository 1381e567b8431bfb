// A run of today's sources: browser headers, the engine's cookie returned,
// a result page read whole into a target with the site's own address, and a
// captcha redirect that pauses the engine.
#include <cstdlib>
#include <string>
#include <vector>

#include "parser/source_set.h"
#include "platform/connect_to.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"
#include "tests/support/test_http_server.h"

namespace vexo {
namespace {

class SourcesRunTest : public ShellTest {
 protected:
  SourcesRunTest() { setenv("VEXO_SOURCES", "current", 1); }
  ~SourcesRunTest() override {
    main_.reset();
    ::vexo::testing::GoOffline();
    ::vexo::testing::ChooseClassicSources();
  }
};

// Two pages of one engine, answered over plain http.
constexpr const char* kOwnSources =
    "[eng]\nurl = http://www.eng.test/s?q={q}&p={page}\npages = 2\ngroup = 1\n"
    "labels = .eng.\nresults = c-container\naddress_attributes = mu\nhighlight = <em>\n"
    "block_locations = /antispider\nblock_when_empty = yes\n";

TEST_F(SourcesRunTest, TodaysEngineIsAskedLikeABrowserReadWholeAndPausedOnItsCaptcha) {
  std::vector<std::string> asked;
  testing::TestHttpServer server([&](const std::string& request) {
    asked.push_back(request);
    if (Contains(request, "GET /antispider"))
      return testing::Reply("HTTP/1.0 200 OK", "Content-Type: text/html\r\n", "captcha");
    if (asked.size() > 1)
      return testing::Reply("HTTP/1.0 302 Found", "Location: http://www.eng.test/antispider\r\n",
                            "");
    // The result's text sits across what would be two pieces.
    const std::string filler(9000, 'x');
    return testing::Reply(
        "HTTP/1.0 200 OK",
        "Content-Type: text/html; charset=utf-8\r\nSet-Cookie: BAIDUID=abc; Max-Age=3600\r\n",
        "<div class=\"result c-container\" mu=\"http://site.test/story.htm\"><h3><a "
        "href=\"http://www.eng.test/link?url=x\">今日<em>中文</em>" +
            filler + "新闻</a></h3><p>摘要</p></div>");
  });
  SetConnectToMap("*=127.0.0.1:" + std::to_string(server.Port()));
  // The second page is asked once the first has answered.
  PutBytes(Ini(), "[vexo]\r\nhost_spacing_ms=2000\r\n");
  // The shipped sources, which this test cannot serve, are left out by a
  // page count of none.
  std::string own = kOwnSources;
  for (const Source& s : ShippedSourceSet("current").sources)
    own += "[" + s.name + "]\nurl = https://x.test/{q}\npages = 0\n";
  PutBytes(Home() + "sources.conf", own);
  MainServices services = Services();
  services.cancel_client = nullptr;
  main_ = std::make_unique<TMain>(services);
  main_->FormCreate();
  TMain& m = StartWith("中文");
  for (int i = 0; i < 2000 && !(asked.size() >= 3 && m.Clients().Running().empty()); ++i) {
    time_.AdvanceBy(20);
    testing::RunFor(2);
  }
  ASSERT_GE(asked.size(), 3u);
  EXPECT_TRUE(Contains(asked[0], "User-Agent: Mozilla/5.0 (X11; Linux x86_64)"));
  EXPECT_TRUE(Contains(asked[0], "Accept-Language: zh-CN,zh;q=0.9\r\n"));
  EXPECT_TRUE(Contains(asked[0], "Accept-Encoding: gzip, deflate\r\n"));
  EXPECT_FALSE(Contains(asked[0], "Cookie:"));
  EXPECT_TRUE(Contains(asked[1], "Cookie: BAIDUID=abc\r\n")) << "the engine's cookie goes back";
  const StringList& block = *m.Store().OpenBlock();
  ASSERT_EQ(block.size(), 3u);
  EXPECT_EQ(block[1], "http://site.test/story.htm") << "the site's own address, whole";
  EXPECT_TRUE(block[2].starts_with(Gb("…今日中文") + "xxx"));
  EXPECT_EQ(block[2].size(), 156u + 4) << "the title is cut to its length, in its marks";
  EXPECT_TRUE(Contains(m.sbar.Caption(), "www.eng.test")) << "the captcha paused the engine";
  EXPECT_GT(m.Courtesy().PausedUntil("http://www.eng.test/"), 0);
  m.Spt1Click();
  EXPECT_TRUE(Contains(Content(m.CookieFile()), "BAIDUID")) << "kept for the next run";
}

}  // namespace
}  // namespace vexo
