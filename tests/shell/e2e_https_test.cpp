// A whole tracking run against the mock web over https: engines redirect their
// plain queries, content sites answer over TLS only.
#include <algorithm>

#include "tests/shell/e2e_fixture.h"

namespace vexo {
namespace {

std::vector<std::string> SortedTitles(const std::vector<std::pair<std::string, std::string>>& t) {
  std::vector<std::string> titles;
  for (const auto& [link, title] : t) titles.push_back(title);
  std::sort(titles.begin(), titles.end());
  return titles;
}

class E2eHttpsTest : public E2eTest {
 protected:
  E2eHttpsTest() : E2eTest(testing::MockWeb::Scheme::kHttps) {}
};

TEST_F(E2eHttpsTest, FindsThePlainRunsTargetsAndTheNextRunRevisitsTheSitesOverHttps) {
  TMain& m = OpenReal();
  StartWith(testing::kMockKeyword);
  ASSERT_TRUE(DriveUntil([&] { return SitesFetched(); }));

  // The engines are asked over plain http, whose every answer is a redirect.
  EXPECT_EQ(SortedTitles(Targets()), SortedTitles(kMockFirstRun));
  for (const auto& [link, title] : Targets()) EXPECT_TRUE(link.starts_with("https://")) << link;
  const StringList& sites = *m.Store().SiteQueue();
  EXPECT_GE(ResultStore::IndexOfLine(sites, "https://www.gbsite.cn"), 0);
  EXPECT_EQ(ResultStore::IndexOfLine(sites, "http://www.gbsite.cn"), -1);

  m.Spt1Click();  // stop
  const int gb0 = web_.Hits("www.gbsite.cn/");
  const int plain0 = web_.Hits("http://www.gbsite.cn/");
  m.Spt1Click();  // the same keywords again: the remembered sites follow the pass
  ASSERT_TRUE(DriveUntil([&] { return web_.Hits("www.gbsite.cn/") > gb0 && Quiet(); }));
  EXPECT_EQ(web_.Hits("http://www.gbsite.cn/"), plain0) << "fetched from its https root";
}

}  // namespace
}  // namespace vexo
