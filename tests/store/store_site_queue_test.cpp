// The site queue: site roots, remembering and promoting proven sites,
// appending candidates, the age marker at each closing, and the "kix" file.
#include "store/site_queue.h"
#include "store_fixture.h"

namespace vexo::store_test {
namespace {

const Bytes kPass(kPassMarker);
const Bytes kAge1(kAgeMarker1);
const Bytes kAge2(kAgeMarker2);
const Bytes kAge3(kAgeMarker3);

// ---- Site roots ------------------------------------------------------------------

struct RootCase {
  std::string address;
  std::string proven;     // SiteRoot
  std::string candidate;  // CandidateSiteRoot
};

TEST(SiteRoots, TableOfAddresses) {
  const std::vector<RootCase> cases{
      {"http://www.a.com/x/y.htm", "http://www.a.com", "http://www.a.com"},
      {"http://www.a.com", "http://www.a.com", ""},
      {"http://www.a.com/", "http://www.a.com", "http://www.a.com"},
      {"HTTP://WWW.A.COM/X", "HTTP://WWW.A.COM", "HTTP://WWW.A.COM"},
      {"https://www.a.cn/x.htm", "https://www.a.cn", "https://www.a.cn"},
      {"https://www.a.cn", "https://www.a.cn", ""},
      {"https://a/x", "", "https://a"},  // the same 10 bytes count for https
      // The proven root needs more than 10 bytes up to the end of the host.
      {"http://ab/x", "", "http://ab"},
      {"http://abc/x", "http://abc", "http://abc"},
      {"http://a/x", "", "http://a"},
      {"*http://www.a.com/x", "*http://www.a.com", "*http://www.a.com"},
      {"http://www.a.com?q=http://b/", "http://www.a.com?q=http:", "http://www.a.com?q=http:"},
      {"", "", ""},
      {"://", "", ""},
      {"http://", "", ""},
      {"www.abc.com/x", "www.abc.com", "www.abc.com"},
      // A root that could not be stored as one line is no root.
      {"http://www.a.com\r\n[:++:]/x", "", ""},
      {"http://www.a.com/x\ny", "http://www.a.com", "http://www.a.com"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SiteRoot(c.address), c.proven) << c.address;
    EXPECT_EQ(CandidateSiteRoot(c.address), c.candidate) << c.address;
  }
}

// ---- RememberSite ---------------------------------------------------------------

class SiteQueueTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    store.CreateRunLists();
  }
  StringList& Queue() { return *store.SiteQueue(); }
};

TEST_F(SiteQueueTest, RememberedSitesGoUnderThePassMarkerNewestFirst) {
  Queue() = {"http://e1/s?q", "http://e2/s?q", kPass};
  store.RememberSite("http://www.a.com/x.htm");
  EXPECT_EQ(Queue(),
            (StringList{"http://e1/s?q", "http://e2/s?q", kPass, "http://www.a.com", kAge1}));
  store.RememberSite("http://www.b.com/y.htm");
  store.RememberSite("HTTP://WWW.A.COM/z.htm");  // moves up, in its new spelling
  EXPECT_EQ(Queue(), (StringList{"http://e1/s?q", "http://e2/s?q", kPass, "HTTP://WWW.A.COM",
                                 "http://www.b.com", kAge1}));
}

TEST_F(SiteQueueTest, AnExistingAgeMarkerIsNotJoinedByAnother) {
  Queue() = {kPass, "http://www.p.com", kAge2, "http://www.c.com"};
  store.RememberSite("http://www.c.com/page.htm");
  EXPECT_EQ(Queue(), (StringList{kPass, "http://www.c.com", "http://www.p.com", kAge2}));
}

TEST_F(SiteQueueTest, RememberIgnoresShortRootsAndAFullQueue) {
  Queue() = {kPass};
  store.RememberSite("http://ab/x");
  store.RememberSite("no address");
  EXPECT_EQ(Queue(), StringList{kPass});

  // 410 lines under the marker still take one more; 411 do not.
  Queue() = {kPass};
  for (int i = 0; i < 410; ++i) Queue().push_back("http://www.s" + std::to_string(i) + ".com");
  store.RememberSite("http://www.new1.com/x");
  EXPECT_EQ(Queue()[1], "http://www.new1.com");
  const StringList full = Queue();
  store.RememberSite("http://www.new2.com/x");
  EXPECT_EQ(Queue(), full);
}

TEST_F(SiteQueueTest, WithoutAPassMarkerTheSiteGoesOnTop) {
  Queue() = {"http://www.c.com"};
  store.RememberSite("http://www.a.com/x");
  EXPECT_EQ(Queue(), (StringList{"http://www.a.com", kAge1, "http://www.c.com"}));
}

TEST_F(SiteQueueTest, SiteOperationsWaitForTheQueue) {
  store.DestroyLists();
  store.RememberSite("http://www.a.com/x");
  store.PromotePageSite("http://www.a.com/x");
  store.AppendSite("http://www.a.com/x");
  store.AgeSiteQueue();
  EXPECT_FALSE(store.SaveSiteQueueAtStop());
  EXPECT_EQ(store.SiteQueue(), nullptr);
  EXPECT_FALSE(FileExists(root_ + "/kix"));
}

// ---- PromotePageSite ------------------------------------------------------------

TEST_F(SiteQueueTest, PromotionMovesACandidateAboveTheAgeMarker) {
  Queue() = {"http://e/s?q",     kPass, "http://www.p.com", kAge1, "http://www.c1.com",
             "http://www.c2.com"};
  store.PromotePageSite("http://www.c2.com/news/1.htm");
  EXPECT_EQ(Queue(), (StringList{"http://e/s?q", kPass, "http://www.c2.com", "http://www.p.com",
                                 kAge1, "http://www.c1.com"}));
}

TEST_F(SiteQueueTest, ProvenSitesAndUnknownSitesStayPut) {
  const StringList queue{kPass, "http://www.p1.com", "http://www.p2.com", kAge2,
                         "http://www.c.com"};
  Queue() = queue;
  store.PromotePageSite("http://www.p2.com/x");   // already proven
  store.PromotePageSite("http://www.new.com/x");  // not in the queue
  store.PromotePageSite("http://ab/x");           // no root
  EXPECT_EQ(Queue(), queue);
}

TEST_F(SiteQueueTest, PromotionWithoutAgeMarkerAddsOne) {
  Queue() = {kPass, "http://www.s1.com", "http://www.s2.com"};
  store.PromotePageSite("http://www.s2.com/x");
  EXPECT_EQ(Queue(), (StringList{kPass, "http://www.s2.com", kAge1, "http://www.s1.com"}));
}

TEST_F(SiteQueueTest, NoPromotionOnceTheOldestAgeEndsTheQueue) {
  const StringList queue{kPass, "http://www.p.com", "http://www.c.com", kAge3};
  Queue() = queue;
  store.PromotePageSite("http://www.c.com/x");
  EXPECT_EQ(Queue(), queue);
  Queue().clear();
  store.PromotePageSite("http://www.c.com/x");
  EXPECT_TRUE(Queue().empty());
}

// ---- AppendSite ---------------------------------------------------------------------

TEST_F(SiteQueueTest, CandidatesAreAppendedOnceAtTheEnd) {
  Queue() = {kPass, "http://www.p.com", kAge1};
  store.AppendSite("http://www.c.com/a.htm");
  store.AppendSite("HTTP://WWW.C.COM/b.htm");  // the same site
  store.AppendSite("http://www.p.com/b.htm");  // already proven
  store.AppendSite("http://www.d.com");        // no path, no root
  store.AppendSite("http:///x");               // root "http://" is too short
  EXPECT_EQ(Queue(), (StringList{kPass, "http://www.p.com", kAge1, "http://www.c.com"}));
}

TEST_F(SiteQueueTest, CandidatesStopAtThreeHundredSixtyLinesBelowThePassMarker) {
  Queue() = {kPass};
  for (int i = 0; i < 359; ++i) Queue().push_back("http://www.s" + std::to_string(i) + ".com");
  store.AppendSite("http://www.new1.com/x");  // 360 - 0 < 361
  EXPECT_EQ(Queue().back(), "http://www.new1.com");
  store.AppendSite("http://www.new2.com/x");  // 361 - 0
  EXPECT_EQ(Queue().back(), "http://www.new1.com");
}

TEST_F(SiteQueueTest, TheOldestAgeMarkerBlocksCandidatesOnlyWhileLast) {
  Queue() = {kPass, "http://www.p.com", kAge3};
  store.AppendSite("http://www.c.com/x");
  EXPECT_EQ(Queue().back(), kAge3);
  Queue() = {kPass, kAge3, "http://www.p.com"};
  store.AppendSite("http://www.c.com/x");
  EXPECT_EQ(Queue().back(), "http://www.c.com");
}

// ---- AgeSiteQueue ---------------------------------------------------------------------

struct AgeCase {
  const char* name;
  StringList before;
  StringList after;
};

class AgeTest : public SiteQueueTest, public ::testing::WithParamInterface<AgeCase> {};

TEST_P(AgeTest, EachClosingMovesTheAgeMarkerOneState) {
  Queue() = GetParam().before;
  store.AgeSiteQueue();
  EXPECT_EQ(Queue(), GetParam().after);
  EXPECT_EQ(ReadLines(root_ + "/kix"), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    States, AgeTest,
    ::testing::Values(
        AgeCase{"no_marker",
                {"http://e/1", "http://e/2", kPass, "http://www.s.com"},
                {kAge1, "http://www.s.com"}},
        AgeCase{"fresh",
                {kPass, "http://www.p.com", kAge1, "http://www.c.com"},
                {"http://www.p.com", kAge2, "http://www.c.com"}},
        AgeCase{"older",
                {kPass, "http://www.p.com", kAge2, "http://www.c.com"},
                {"http://www.p.com", kAge3, "http://www.c.com"}},
        AgeCase{"oldest_stays", {kPass, "http://www.p.com", kAge3}, {"http://www.p.com", kAge3}},
        AgeCase{"only_engine_urls", {"http://e/1", kPass}, {kAge1}},
        AgeCase{"two_pass_markers",
                {"http://e/1", kPass, "http://x", kPass, "http://www.s.com"},
                {kAge1, "http://www.s.com"}},
        // No site proven since the last closing: the marker on top stays alone.
        AgeCase{"fresh_on_top_is_not_stacked",
                {"http://e/1", kPass, kAge1, "http://www.c.com"},
                {kAge1, "http://www.c.com"}},
        AgeCase{"fresh_alone_is_not_stacked", {"http://e/1", kPass, kAge1}, {kAge1}},
        AgeCase{"older_on_top_is_not_joined",
                {kPass, kAge2, "http://www.c.com"},
                {kAge2, "http://www.c.com"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(SiteQueueTest, ClosingAgainAndAgainWithoutProvenSitesKeepsOneMarker) {
  Queue() = {"http://e/1", kPass, "http://www.c.com"};
  for (int closing = 0; closing < 4; ++closing) {
    Queue().insert(Queue().begin(), {"http://e/2", kPass});  // the next run's top
    store.AgeSiteQueue();
  }
  EXPECT_EQ(Queue(), (StringList{kAge1, "http://www.c.com"}));
}

TEST_F(SiteQueueTest, AgeingNeedsMoreThanOneLine) {
  Queue() = {kPass};
  store.AgeSiteQueue();
  EXPECT_EQ(Queue(), StringList{kPass});
  EXPECT_FALSE(FileExists(root_ + "/kix"));
}

TEST_F(SiteQueueTest, AgeingWritesCrLfLines) {
  Queue() = {kPass, "http://www.p.com", kAge1};
  store.AgeSiteQueue();
  EXPECT_EQ(ReadRaw(root_ + "/kix"), "http://www.p.com\r\n[:==:]\r\n");
}

// ---- Saving at a stop -------------------------------------------------------------------

TEST_F(SiteQueueTest, AStopSavesTheSitesWithoutTheEngineUrls) {
  Queue() = {"http://e/1", "http://e/2", kPass, "http://www.p.com", kAge1, "http://www.c.com"};
  EXPECT_TRUE(store.SaveSiteQueueAtStop());
  const StringList sites{"http://www.p.com", kAge1, "http://www.c.com"};
  EXPECT_EQ(Queue(), sites);
  EXPECT_EQ(ReadLines(root_ + "/kix"), sites);
}

TEST_F(SiteQueueTest, AStopWithAOneLineQueueWritesNoFile) {
  Queue() = {kPass};
  EXPECT_FALSE(store.SaveSiteQueueAtStop());
  EXPECT_FALSE(FileExists(root_ + "/kix"));
}

TEST_F(SiteQueueTest, AFailedQueueSaveLeavesTheOldFileIntact) {
  WriteRaw(root_ + "/kix", "http://www.old.com\r\n");
  Queue() = {kPass};
  for (int i = 0; i < 100; ++i) Queue().push_back("http://www.s" + std::to_string(i) + ".com");
  {
    FileSizeLimit limit(64);
    EXPECT_FALSE(store.SaveSiteQueueAtStop());
    store.AgeSiteQueue();
  }
  EXPECT_EQ(ReadRaw(root_ + "/kix"), "http://www.old.com\r\n");
}

TEST_F(SiteQueueTest, BinaryJunkInTheQueueIsHandledLikeAnyLine) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>(i * 37 % 256);
  Queue() = SplitLines(junk);
  Queue().insert(Queue().begin(), kPass);
  store.RememberSite(junk);
  store.PromotePageSite(junk);
  store.AppendSite(junk);
  store.AppendSite("http://www.c.com/x");
  EXPECT_EQ(Queue().back(), "http://www.c.com");
  EXPECT_TRUE(store.SaveSiteQueueAtStop());
  EXPECT_EQ(ReadLines(root_ + "/kix"), Queue());
}

}  // namespace
}  // namespace vexo::store_test
