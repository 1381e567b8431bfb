// A run for the mock web's second keyword, exported through the window as
// linked pages: enough targets for three pages, each leading to its
// neighbours by the names of files that were written.
#include <regex>
#include <set>

#include "platform/save_dialog.h"
#include "tests/shell/e2e_fixture.h"

namespace vexo {
namespace {

class E2eExportPagesTest : public E2eTest {
 protected:
  TMain& OpenReal() {
    MainServices s = Services();
    s.cancel_client = nullptr;
    s.save_dialogs = &dialogs_;
    main_ = std::make_unique<TMain>(s);
    main_->FormCreate();
    main_->FormShow();
    main_->viewer.window.SetVisible(true);
    return *main_;
  }
  // A stopped run of the second keyword with all its targets.
  TMain& TrackedAndStopped() {
    TMain& m = OpenReal();
    StartWith(testing::kMockManyKeyword);
    const Bytes all = IntToText(testing::kMockManyTargets);
    EXPECT_TRUE(DriveUntil([&] { return web_.EngineRequests() >= 72 && Quiet(); }));
    EXPECT_EQ(m.viewer.sum1.Caption(), all);
    m.Spt1Click();  // stop
    return m;
  }
  // The targets of the navigation links of a page, in order.
  static std::vector<std::string> NavigationHrefs(const Bytes& page) {
    static const std::regex link(R"re(<a href="([^"]*)">(&lt;|&gt;|下页|最后|\|))re");
    const std::string utf8 = GbToUtf8(page);
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(utf8.begin(), utf8.end(), link);
         it != std::sregex_iterator(); ++it)
      out.push_back((*it)[1]);
    return out;
  }
  static int Rows(const Bytes& page) {
    int n = 0;
    for (std::size_t at = 0; (at = page.find("target=\"_blank\">", at)) != Bytes::npos; ++at) ++n;
    return n - 1;  // the footer's link
  }

  ScriptedSaveDialogs dialogs_;
};

TEST_F(E2eExportPagesTest, TheSecondKeywordFindsItsTargetsAndNoneOfTheFirst) {
  TMain& m = TrackedAndStopped();
  const auto targets = Targets();
  ASSERT_EQ(targets.size(), static_cast<std::size_t>(testing::kMockManyTargets));
  std::set<std::string> titles;
  for (const auto& [link, title] : targets) {
    titles.insert(title);
    EXPECT_NE(title.find(testing::kMockManyKeyword), std::string::npos) << title;
    EXPECT_EQ(title.find(testing::kMockKeyword), std::string::npos) << title;
  }
  EXPECT_EQ(titles.size(), targets.size()) << "no title is dropped as seen before";
  EXPECT_TRUE(m.viewer.Spt2.Visible()) << "export is offered after the stop";
}

TEST_F(E2eExportPagesTest, ThreePagesWhoseNavigationLeadsToTheirNeighbours) {
  TMain& m = TrackedAndStopped();
  const std::string out = Root() + "/out";
  ASSERT_TRUE(CreateDir(out));
  boxes_.answers = {MsgAnswer::Ok};
  dialogs_.answers.push_back({true, out + "/back.htm", 1});
  m.viewer.Spt2Click();

  const std::string names[] = {"back.htm", "back1.htm", "back2.htm"};
  ASSERT_FALSE(FileExists(out + "/back3.htm"));
  const std::vector<std::string> expected[] = {
      {"back1.htm", "back2.htm"},
      {"back.htm", "back.htm", "back2.htm", "back2.htm"},
      {"back.htm", "back1.htm"},
  };
  const int rows[] = {20, 20, 5};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(names[k]);
    const Bytes page = Content(out + "/" + names[k]);
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(Rows(page), rows[k]);
    // The bar stands above and below the rows.
    std::vector<std::string> twice = expected[k];
    twice.insert(twice.end(), expected[k].begin(), expected[k].end());
    const std::vector<std::string> hrefs = NavigationHrefs(page);
    EXPECT_EQ(hrefs, twice);
    for (const std::string& href : hrefs) EXPECT_TRUE(FileExists(out + "/" + href)) << href;
  }
}

}  // namespace
}  // namespace vexo
