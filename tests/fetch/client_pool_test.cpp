// The records of an owner's requests: what each carries, which are running,
// and stand-ins listed by tests. No request here is started.
#include "fetch/client_pool.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

class ClientPoolTest : public ::testing::Test {
 protected:
  // Each made client, by its tag.
  HttpClient* MakeTagged(int tag) {
    return pool_.Make("http://h" + std::to_string(tag) + ".cn/", tag).client;
  }
  std::vector<int> RunningTags() const {
    std::vector<int> tags;
    for (HttpClient* c : pool_.Running()) tags.push_back(pool_.RequestOf(*c)->tag);
    return tags;
  }

  std::vector<std::pair<int, Bytes>> pieces_;  // tag, piece
  ClientPool pool_{nullptr, [this](HttpClient& c, const char* piece, int length) {
                     pieces_.emplace_back(c.Tag, Bytes(piece, static_cast<std::size_t>(length)));
                   }};
};

TEST_F(ClientPoolTest, ARecordCarriesWhatItsRequestWasMadeWith) {
  ClientPool::Request& r = pool_.Make("http://a.cn/q?x=1", kFollowUpTagBase + 3);
  ASSERT_NE(r.client, nullptr);
  EXPECT_EQ(r.client->URL, "http://a.cn/q?x=1");
  EXPECT_EQ(r.client->Tag, kFollowUpTagBase + 3);
  EXPECT_TRUE(r.client->NoCache);
  EXPECT_TRUE(r.client->MultiThreaded);
  EXPECT_EQ(r.address, "http://a.cn/q?x=1");
  EXPECT_EQ(r.tag, kFollowUpTagBase + 3);
  EXPECT_EQ(r.source, nullptr);
  EXPECT_EQ(r.charset, kCharsetGb);
  EXPECT_FALSE(r.gathersWhole);
  EXPECT_TRUE(r.running);
  EXPECT_EQ(pool_.RequestOf(*r.client), &r);
  r.client->URL = "http://b.cn/";  // as an owner may change it
  EXPECT_EQ(*pool_.StartAddress(*r.client), "http://a.cn/q?x=1");
  HttpClient stranger;
  EXPECT_EQ(pool_.RequestOf(stranger), nullptr);
  EXPECT_EQ(pool_.StartAddress(stranger), nullptr);
}

TEST_F(ClientPoolTest, PiecesGoToTheOwnersHandler) {
  HttpClient* c = MakeTagged(2);
  c->OnDocData(*c, "abc", 3);
  EXPECT_EQ(pieces_, (std::vector<std::pair<int, Bytes>>{{2, "abc"}}));
}

TEST_F(ClientPoolTest, ARequestStopsRunningBeforeItsRecordGoes) {
  HttpClient* one = MakeTagged(1);
  HttpClient* two = MakeTagged(2);
  MakeTagged(3);
  EXPECT_EQ(RunningTags(), (std::vector<int>{1, 2, 3}));
  pool_.StopRunning(two);
  EXPECT_EQ(RunningTags(), (std::vector<int>{1, 3}));
  EXPECT_EQ(pool_.RunningCount(), 2u);
  ASSERT_NE(pool_.RequestOf(*two), nullptr) << "its end may still come";
  EXPECT_FALSE(pool_.RequestOf(*two)->running);
  MakeTagged(4);
  EXPECT_EQ(RunningTags(), (std::vector<int>{1, 3, 4})) << "oldest first";
  pool_.Release(*two);
  pool_.Release(*one);
  EXPECT_EQ(pool_.Size(), 2u);
  EXPECT_EQ(RunningTags(), (std::vector<int>{3, 4}));
  pool_.StopAllRunning();
  EXPECT_TRUE(pool_.Running().empty());
  EXPECT_EQ(pool_.Size(), 2u);
  pool_.ReleaseAll();
  EXPECT_EQ(pool_.Size(), 0u);
}

TEST_F(ClientPoolTest, AStandInIsListedUnownedAndForgottenOnceItStops) {
  HttpClient standIn, otherStandIn;
  HttpClient* fake = &standIn;
  HttpClient* other = &otherStandIn;
  struct Case {
    const char* name;
    void (*stop)(ClientPool&, HttpClient*);
  };
  const Case cases[] = {
      {"one stops", [](ClientPool& p, HttpClient* c) { p.StopRunning(c); }},
      {"all stop", [](ClientPool& p, HttpClient*) { p.StopAllRunning(); }},
      {"released", [](ClientPool& p, HttpClient* c) { p.Release(*c); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClientPool pool(nullptr, nullptr);
    HttpClient* made = pool.Make("http://a.cn/", 1).client;
    pool.Adopt(fake);
    pool.Adopt(other);
    EXPECT_EQ(pool.Running(), (std::vector<HttpClient*>{made, fake, other}));
    c.stop(pool, fake);
    EXPECT_EQ(pool.RequestOf(*fake), nullptr);
    EXPECT_EQ(pool.Size(), pool.RequestOf(*other) ? 2u : 1u);
    ASSERT_NE(pool.RequestOf(*made), nullptr) << "the made client is still owned";
  }
}

}  // namespace
}  // namespace vexo
