#pragma once
// The pages of the mock of today's web: result pages and feeds shaped like
// today's engines', and the content sites they lead to.

#include <string>

namespace vexo::testing {

// A page's Content-Type and body.
struct TodayPage {
  std::string type;
  std::string body;
};

// Result page `page` (1-based) of an engine; `keyword`: the query holds the
// mock's keyword, so its hits are on the page (else only the unrelated one,
// which every page has, as every real result page has some result).
TodayPage BaiduResults(bool news, int page, bool keyword);
TodayPage BingResults(int page, bool keyword);
TodayPage SogouResults(int page, bool keyword);
TodayPage SoResults(int page, bool keyword);
TodayPage BingNewsFeed(bool keyword);
TodayPage GoogleNewsFeed(bool keyword);
TodayPage CaptchaPage();

// Where an engine's own redirect link (Baidu /link?url=, Google News
// /rss/articles/) leads; empty when it is none of the mock's.
std::string RedirectTarget(const std::string& host, const std::string& path);

// A content site's page; false when the site has no such page.
bool SitePage(const std::string& host, const std::string& path, TodayPage& page);

}  // namespace vexo::testing
