// A whole tracking run with today's sources against the mock of today's web:
// targets link to the sites, never to an engine; the sites are learned and
// revisited; a blocked engine is paused; no host sees more than two
// connections at once. The run's numbers are printed for the record.
#include <algorithm>
#include <cstdio>
#include <set>

#include "fetch/host_courtesy.h"
#include "tests/shell/e2e_fixture.h"
#include "tests/support/mock_today.h"
#include "texts/texts.h"

namespace vexo {
namespace {

using testing::MockToday;

std::string HostOfLink(const std::string& link) {
  const auto from = link.find("://");
  if (from == std::string::npos) return {};
  return link.substr(from + 3, link.find_first_of("/:?", from + 3) - from - 3);
}

// Requests per engine host between two counts.
std::map<std::string, int> EngineRequests(const std::map<std::string, int>& before,
                                          const std::map<std::string, int>& after) {
  std::map<std::string, int> out;
  for (const auto& [host, n] : after) {
    const auto was = before.find(host);
    if (MockToday::IsEngineHost(host)) out[host] = n - (was == before.end() ? 0 : was->second);
  }
  return out;
}

std::string Listed(const std::map<std::string, int>& counts) {
  std::string out;
  for (const auto& [host, n] : counts) out += " " + host + "=" + std::to_string(n);
  return out;
}

class E2eTodayTest : public E2eRun {
 protected:
  E2eTodayTest() {
    ::setenv("VEXO_SOURCES", "current", 1);
    // Slow enough that a host's connections would overlap without courtesy.
    web_.SetAnswerDelayMs(150);
    UseWeb(web_.ConnectToMap(), web_.CaFile());
  }
  ~E2eTodayTest() override {
    main_.reset();
    testing::ChooseClassicSources();
  }

  // Drives until pred holds, noting every pause the status line tells of.
  template <typename Pred>
  bool Drive(Pred pred) {
    return DriveUntil([&] {
      const Bytes line = main_->sbar.Caption();
      if (Contains(line, Texts().sbar_host_paused_between)) pauses_.insert(GbToUtf8(line));
      return pred();
    });
  }
  bool FirstRunOver() const {
    for (const char* page : {"www.shouji.cn/", "www.gbkphone.cn/", "news.dianhua.cn/",
                             "m.pinglun.cn/review/1.htm", "www.shouji.cn/news/3.htm"})
      if (web_.Hits(page) == 0) return false;
    return Quiet();
  }
  std::set<std::string> Links() const {
    std::set<std::string> links;
    for (const auto& [link, title] : Targets()) links.insert(link);
    return links;
  }
  bool PausedSeen(const std::string& host) const {
    return std::any_of(pauses_.begin(), pauses_.end(),
                       [&](const std::string& p) { return p.find(host) != std::string::npos; });
  }

  MockToday web_;
  std::set<std::string> pauses_;
};

TEST_F(E2eTodayTest, TargetsLinkToTheSitesWhichTheNextRunRevisitsAndABlockedEnginePauses) {
  TMain& m = OpenReal();
  StartWith(testing::kTodayKeyword);
  ASSERT_TRUE(Drive([&] { return FirstRunOver(); }));
  const auto first = web_.RequestsPerHost();
  const std::vector<std::pair<std::string, std::string>> found = Targets();

  for (const auto& [link, title] : found) {
    EXPECT_TRUE(link.starts_with("https://")) << link;
    EXPECT_FALSE(MockToday::IsEngineHost(HostOfLink(link))) << link;
  }
  const std::set<std::string> links = Links();
  for (const char* expected : {
           "https://www.shouji.cn/news/1.htm",    // Baidu's mu
           "https://www.gbkphone.cn/a/1.htm",     // the same, title with 昇
           "https://news.dianhua.cn/2024/1.htm",  // Baidu news
           "https://www.shouji.cn/news/2.htm",    // Bing's u=a1...
           "https://www.gbkphone.cn/a/2.htm",     // Sogou's data-url
           "https://news.dianhua.cn/2024/2.htm",  // 360's data-mdurl
           "https://news.dianhua.cn/2024/3.htm",  // Bing News' apiclick url=
           "https://m.pinglun.cn/review/2.htm",   // behind Baidu's /link?url=
           "https://www.shouji.cn/news/4.htm",    // behind Google News' article
           "https://www.gbkphone.cn/a/3.htm",     // on a learned site's root
       })
    EXPECT_EQ(links.count(expected), 1u) << expected;
  const bool gbk_mark = std::any_of(found.begin(), found.end(), [](const auto& t) {
    return t.second.find("〓的手机") != std::string::npos;
  });
  EXPECT_TRUE(gbk_mark) << "昇 of the GBK page is marked, its neighbour whole";

  const StringList& sites = *m.Store().SiteQueue();
  for (const char* root :
       {"https://www.shouji.cn", "https://www.gbkphone.cn", "https://news.dianhua.cn"})
    EXPECT_GE(ResultStore::IndexOfLine(sites, root), 0) << root;
  const int marker = ResultStore::IndexOfLine(sites, kPassMarker);
  ASSERT_GE(marker, 0);
  for (std::size_t i = static_cast<std::size_t>(marker) + 1; i < sites.size(); ++i)
    EXPECT_FALSE(MockToday::IsEngineHost(HostOfLink(sites[i]))) << sites[i];

  // Sogou's antispider page pauses it: the rest of its pages wait.
  EXPECT_TRUE(PausedSeen("www.sogou.com")) << "the status line names the paused engine";
  // Only the requests already under way when the block showed meet it too.
  EXPECT_GE(web_.AntispiderRedirects(), 1);
  EXPECT_LE(web_.AntispiderRedirects(), HostCourtesy::kMaxConnections);
  // The 429 of www.busy.cn: its Retry-After has not passed, so it was asked once.
  EXPECT_EQ(web_.HostRequests("www.busy.cn"), 1);
  for (const auto& [host, n] : EngineRequests({}, first)) EXPECT_LE(n, 10) << host;

  m.Spt1Click();  // stop
  const int shouji0 = web_.Hits("www.shouji.cn/");
  const int sogou0 = web_.HostRequests("www.sogou.com");
  m.Spt1Click();  // the same keywords again: the remembered sites follow the pass
  ASSERT_TRUE(Drive([&] { return web_.Hits("www.shouji.cn/") > shouji0 && Quiet(); }));
  EXPECT_EQ(web_.HostRequests("www.sogou.com"), sogou0) << "a paused engine is left alone";
  for (const auto& [host, most] : web_.MostAtOnce())
    EXPECT_LE(most, HostCourtesy::kMaxConnections) << host;

  int most = 0;
  for (const auto& [host, n] : web_.MostAtOnce()) most = std::max(most, n);
  std::printf(
      "today's web: targets found %zu; engine requests, first run:%s; second run:%s; block "
      "pauses seen %zu; Baidu captcha redirects %d; most connections to one host at once %d\n",
      found.size(), Listed(EngineRequests({}, first)).c_str(),
      Listed(EngineRequests(first, web_.RequestsPerHost())).c_str(), pauses_.size(),
      web_.CaptchaRedirects(), most);
  for (const std::string& p : pauses_) std::printf("  pause:%s\n", p.c_str());
  RecordProperty("targets_found", static_cast<int>(found.size()));
  RecordProperty("most_connections_to_one_host", most);
  RecordProperty("block_pauses_seen", static_cast<int>(pauses_.size()));
}

}  // namespace
}  // namespace vexo
