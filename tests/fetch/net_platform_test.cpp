// The platform services beneath the client: posted calls, name lookup and the
// connect-to map.
#include <gtest/gtest.h>

#include <netdb.h>

#include <cerrno>
#include <cstdlib>

#include "platform/connect_to.h"
#include "platform/event_loop.h"
#include "platform/name_lookup.h"
#include "platform/tcp_socket.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"

namespace vexo::testing {
namespace {

TEST(PostedCalls, RunLaterInTheOrderPosted) {
  std::string order;
  PostToThisThread([&] { order += "a"; });
  PostedCalls calls;
  calls.Post([&] { order += "b"; });
  PostToThisThread([&] { order += "c"; });
  EXPECT_EQ(order, "");
  ASSERT_TRUE(RunUntil([&] { return order.size() == 3; }, 1000));
  EXPECT_EQ(order, "abc");
}

TEST(PostedCalls, NeverRunOnceTheirOwnerIsGone) {
  int ran = 0;
  {
    PostedCalls calls;
    calls.Post([&] { ++ran; });
  }
  PostedCalls cancelled;
  cancelled.Post([&] { ++ran; });
  cancelled.CancelAll();
  bool marker = false;
  PostToThisThread([&] { marker = true; });
  ASSERT_TRUE(RunUntil([&] { return marker; }, 1000));
  EXPECT_EQ(ran, 0);
}

TEST(PostedCalls, ACallMayDestroyItsOwner) {
  auto* owner = new PostedCalls;
  int ran = 0;
  owner->Post([&] {
    delete owner;
    ++ran;
  });
  owner->Post([&] { ++ran; });  // dropped with its owner
  ASSERT_TRUE(RunUntil([&] { return ran > 0; }, 1000));
  RunFor(10);
  EXPECT_EQ(ran, 1);
}

TEST(PostedCalls, AThrowingCallIsDroppedQuietly) {
  bool after = false;
  PostToThisThread([] { throw std::runtime_error("x"); });
  PostToThisThread([&] { after = true; });
  EXPECT_TRUE(RunUntil([&] { return after; }, 1000));
}

TEST(NameLookup, DottedAddressAnswersBeforeStartReturns) {
  NameLookup lookup;
  std::vector<std::string> got;
  int error = -1;
  EXPECT_EQ(lookup.Start("10.1.2.3",
                         [&](int e, const std::vector<std::string>& a) {
                           error = e;
                           got = a;
                         }),
            0);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(got, std::vector<std::string>{"10.1.2.3"});
  EXPECT_FALSE(lookup.Pending());
}

TEST(NameLookup, NameAnswersLaterOnThisThread) {
  NameLookup lookup;
  std::vector<std::string> got;
  int calls = 0;
  ASSERT_EQ(lookup.Start("localhost",
                         [&](int e, const std::vector<std::string>& a) {
                           ++calls;
                           EXPECT_EQ(e, 0);
                           got = a;
                         }),
            0);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(lookup.Pending());
  ASSERT_TRUE(RunUntil([&] { return calls > 0; }, 3000));
  EXPECT_FALSE(got.empty());
  EXPECT_EQ(got.front(), "127.0.0.1");
  EXPECT_FALSE(lookup.Pending());
}

TEST(NameLookup, CancelledLookupNeverAnswers) {
  int calls = 0;
  NameLookup lookup;
  lookup.Start("localhost", [&](int, const std::vector<std::string>&) { ++calls; });
  lookup.Cancel();
  EXPECT_FALSE(lookup.Pending());
  {
    NameLookup gone;
    gone.Start("localhost", [&](int, const std::vector<std::string>&) { ++calls; });
  }
  RunFor(100);
  EXPECT_EQ(calls, 0);
}

TEST(NameLookup, DottedAddressesAreStrict) {
  const std::pair<const char*, bool> cases[] = {
      {"127.0.0.1", true},  {"0.0.0.0", true},    {"255.255.255.255", true},
      {"256.0.0.1", false}, {"1.2.3", false},     {"1.2.3.4.5", false},
      {"", false},          {"localhost", false}, {"1.2.3.4 ", false},
  };
  for (const auto& [text, dotted] : cases) EXPECT_EQ(IsDottedIPv4(text), dotted) << text;
}

TEST(NameLookup, ErrorsKeepTheirWinsockNumbers) {
  EXPECT_EQ(LookupErrorCode(0), 0);
  EXPECT_EQ(LookupErrorCode(EAI_NONAME), 11001);
  EXPECT_EQ(LookupErrorCode(EAI_AGAIN), 11002);
  EXPECT_EQ(LookupErrorCode(EAI_FAIL), 11003);
  EXPECT_EQ(WinsockCode(ECONNREFUSED), 10061);
  EXPECT_EQ(WinsockCode(ETIMEDOUT), 10060);
  EXPECT_EQ(WinsockCode(ECONNRESET), 10054);
  EXPECT_EQ(WinsockCode(0), 0);
}

class ConnectToMap : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("VEXO_CONNECT_TO");
    ReadConnectToEnvironment();
  }
  void TearDown() override {
    unsetenv("VEXO_CONNECT_TO");
    ReadConnectToEnvironment();
    ::vexo::testing::GoOffline();
  }
};

TEST_F(ConnectToMap, MapsNamesAndTheCatchAll) {
  SetConnectToMap(" www.Baidu.com = 127.0.0.1:8081 ,news.site=10.0.0.2,*=127.0.0.9:9000");
  struct Case {
    const char* host;
    int port;
    const char* to_host;
    int to_port;
  } cases[] = {
      {"www.baidu.com", 80, "127.0.0.1", 8081},
      {"WWW.BAIDU.COM", 80, "127.0.0.1", 8081},
      {"news.site", 8080, "10.0.0.2", 8080},  // no port in the entry: the port stays
      {"other.cn", 80, "127.0.0.9", 9000},
  };
  for (const auto& c : cases) {
    const ConnectTarget t = Resolve(c.host, c.port);
    EXPECT_EQ(t.host, c.to_host) << c.host;
    EXPECT_EQ(t.port, c.to_port) << c.host;
  }
}

TEST_F(ConnectToMap, EmptyOrMalformedEntriesChangeNothing) {
  SetConnectToMap("=1.2.3.4:5,a=,b=1.2.3.4:0,c=1.2.3.4:x,d=1.2.3.4:70000,,noequals");
  for (const char* host : {"a", "b", "c", "d", "noequals", ""}) {
    const ConnectTarget t = Resolve(host, 80);
    EXPECT_EQ(t.host, host);
    EXPECT_EQ(t.port, 80);
  }
}

TEST_F(ConnectToMap, PortEntriesApplyToTheirPortOnly) {
  SetConnectToMap(
      "*:443=127.0.0.1:8443,*=127.0.0.1:8080,a.cn=10.0.0.1,a.cn:443=10.0.0.2:9443,"
      "b.cn:80=10.0.0.3,bad:x=1.1.1.1:1,:443=1.1.1.1:1");
  struct Case {
    const char* host;
    int port;
    const char* to_host;
    int to_port;
  } cases[] = {
      {"www.x.cn", 443, "127.0.0.1", 8443}, {"www.x.cn", 80, "127.0.0.1", 8080},
      {"A.cn", 443, "10.0.0.2", 9443},  // host:port beats host
      {"a.cn", 80, "10.0.0.1", 80},     // host beats *:port and *
      {"a.cn", 8000, "10.0.0.1", 8000},     {"b.cn", 80, "10.0.0.3", 80},
      {"b.cn", 443, "127.0.0.1", 8443},  // b.cn's entry is for port 80 only
      {"bad", 443, "127.0.0.1", 8443},   // a key with a bad port is skipped
  };
  for (const auto& c : cases) {
    const ConnectTarget t = Resolve(c.host, c.port);
    EXPECT_EQ(t.host, c.to_host) << c.host << ":" << c.port;
    EXPECT_EQ(t.port, c.to_port) << c.host << ":" << c.port;
  }
}

TEST_F(ConnectToMap, SpecificConfigurationEntryBeatsEnvironmentCatchAll) {
  SetConnectToMap("a.cn:443=1.1.1.1:1");
  setenv("VEXO_CONNECT_TO", "a.cn=2.2.2.2:2,*:443=3.3.3.3:3,a.cn:443=4.4.4.4:4", 1);
  ReadConnectToEnvironment();
  EXPECT_EQ(Resolve("a.cn", 443).host, "4.4.4.4");
  EXPECT_EQ(Resolve("a.cn", 80).host, "2.2.2.2");
  setenv("VEXO_CONNECT_TO", "a.cn=2.2.2.2:2,*:443=3.3.3.3:3", 1);
  ReadConnectToEnvironment();
  EXPECT_EQ(Resolve("a.cn", 443).host, "1.1.1.1");
  EXPECT_EQ(Resolve("b.cn", 443).host, "3.3.3.3");
}

TEST_F(ConnectToMap, EnvironmentEntriesWinOverConfiguration) {
  SetConnectToMap("a.cn=1.1.1.1:1,*=2.2.2.2:2");
  setenv("VEXO_CONNECT_TO", "a.cn=3.3.3.3:3", 1);
  ReadConnectToEnvironment();
  EXPECT_EQ(Resolve("a.cn", 80).host, "3.3.3.3");
  EXPECT_EQ(Resolve("b.cn", 80).host, "2.2.2.2");
  setenv("VEXO_CONNECT_TO", "*=4.4.4.4:4", 1);
  ReadConnectToEnvironment();
  EXPECT_EQ(Resolve("a.cn", 80).host, "1.1.1.1");  // an exact name beats any catch-all
  EXPECT_EQ(Resolve("b.cn", 80).host, "4.4.4.4");
}

}  // namespace
}  // namespace vexo::testing
