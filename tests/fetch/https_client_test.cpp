// https: the same request, events and states as plain HTTP, over a verified
// TLS connection; every failed handshake ends through the error path.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "fetch/http_client.h"
#include "platform/tls_session.h"
#include "tests/fetch/tls_client_fixture.h"
#include "tests/support/tls_test_server.h"

namespace vexo::testing {
namespace {

constexpr const char* kHost = "www.tls.test";

class HttpsTest : public TlsClientTest {
 protected:
  // Sends kHost's https port to tls_port and its http port to http_port.
  static void PointHost(int tls_port, int http_port = 1) {
    SetConnectToMap(std::string(kOfflineConnectTo) + "," + kHost +
                    ":443=127.0.0.1:" + std::to_string(tls_port) + "," + kHost +
                    ":80=127.0.0.1:" + std::to_string(http_port));
  }

  static std::string HttpsUrl(const std::string& path = "/") {
    return std::string("https://") + kHost + path;
  }

  Credentials Good() const { return ca_.Issue({kHost}); }
};

TEST_F(HttpsTest, FetchMatchesAPlainHttpFetchEventForEvent) {
  const std::string body = "<html>" + std::string(20000, 'x') + "</html>";
  TlsTestServer tls(Good(), [&](const std::string&) { return Ok(body); });
  TestHttpServer plain([&](const std::string&) { return Script().Send(Ok(body)).Close(); });
  PointHost(tls.Port(), plain.Port());

  HttpClient a, b;
  ClientRecorder ra, rb;
  ASSERT_TRUE(GetFrom(a, ra, std::string("http://") + kHost + "/p?q=1"));
  ASSERT_TRUE(GetFrom(b, rb, HttpsUrl("/p?q=1")));

  EXPECT_EQ(b.StatusCode(), 200);
  EXPECT_EQ(rb.done_error, 0);
  EXPECT_EQ(rb.body, body);
  EXPECT_TRUE(rb.pieces_zero_terminated);
  ASSERT_EQ(tls.Requests().size(), 1u);
  ASSERT_EQ(plain.Received().size(), 1u);
  EXPECT_EQ(tls.Requests()[0], plain.Received()[0]);  // the same request bytes
  // Pieces follow reads, so only the number of DocData events may differ.
  auto without_data = [](std::vector<std::string> ev) {
    std::erase(ev, "DocData");
    return ev;
  };
  EXPECT_EQ(without_data(rb.events), without_data(ra.events));
  EXPECT_GE(rb.Count("DocData"), 1);
}

// One record larger than the client's buffer: what TLS holds after a read is
// delivered without waiting for the handle to become readable again.
TEST_F(HttpsTest, BytesHeldByTlsArriveWhileTheConnectionStaysOpen) {
  const std::string body(12000, 'b');
  TlsTestServer tls(Good(), [&](const std::string&) { return Ok(body); });
  tls.KeepOpen = true;
  PointHost(tls.Port());
  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, HttpsUrl());
  c.StartGet();
  EXPECT_TRUE(RunUntil([&] { return r.body.size() == body.size(); }, 3000));
  EXPECT_EQ(r.done, 0);
  c.Cancel();
  ASSERT_TRUE(Finish(r));
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(c.StatusCode(), kStatusCancelled);
}

TEST_F(HttpsTest, LocationFromHttpToHttpsIsFollowedOverTls) {
  TlsTestServer tls(Good(), [](const std::string&) { return Ok("secure"); });
  TestHttpServer plain([](const std::string&) {
    return Reply("HTTP/1.0 302 Found", std::string("Location: https://") + kHost + "/next\r\n", "");
  });
  PointHost(tls.Port(), plain.Port());

  HttpClient c;
  ClientRecorder r;
  ASSERT_TRUE(GetFrom(c, r, std::string("http://") + kHost + "/start"));
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.done_error, 0);
  EXPECT_EQ(c.StatusCode(), 200);
  EXPECT_EQ(r.body, "secure");
  EXPECT_EQ(c.Location(), HttpsUrl("/next"));
  ASSERT_EQ(tls.Requests().size(), 1u);
  EXPECT_EQ(tls.Requests()[0].rfind("GET /next HTTP/1.0\r\n", 0), 0u);
}

TEST_F(HttpsTest, SecondFetchResumesTheSession) {
  TlsTestServer tls(Good(), [](const std::string&) { return Ok("again"); });
  PointHost(tls.Port());
  HttpClient first, second;
  ClientRecorder r1, r2;
  ASSERT_TRUE(GetFrom(first, r1, HttpsUrl()));
  EXPECT_FALSE(first.Socket().TlsResumed());
  ASSERT_TRUE(GetFrom(second, r2, HttpsUrl()));
  EXPECT_EQ(r2.body, "again");
  EXPECT_TRUE(second.Socket().TlsResumed());
  EXPECT_EQ(tls.Resumed(), 1);
}

TEST_F(HttpsTest, EnvironmentCaFileWinsOverTheConfiguredOne) {
  TlsTestServer tls(Good(), [](const std::string&) { return Ok("env"); });
  PointHost(tls.Port());
  TestCa other;
  SetTlsCaFile(other.PemFile());  // does not know the server
  setenv("VEXO_CA_FILE", ca_.PemFile().c_str(), 1);
  ReadTlsCaFileEnvironment();
  HttpClient c;
  ClientRecorder r;
  ASSERT_TRUE(GetFrom(c, r, HttpsUrl()));
  EXPECT_EQ(r.body, "env");

  unsetenv("VEXO_CA_FILE");
  ReadTlsCaFileEnvironment();
  HttpClient d;
  ClientRecorder rd;
  ASSERT_TRUE(GetFrom(d, rd, HttpsUrl()));
  EXPECT_EQ(d.StatusCode(), kStatusConnectFailed);
  EXPECT_EQ(rd.done_error, kErrorTlsCertificate);
}

// ---- Servers that fail the handshake ----------------------------------------

enum class Peer { kSelfSigned, kWrongHost, kExpired, kStall, kReset, kTruncated, kPlainHttp };

struct HostileCase {
  const char* name;
  Peer peer;
  int status;
  int error;
};

class HostileTls : public HttpsTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileTls, EndsOnceThroughTheErrorPathWithoutData) {
  const HostileCase& hc = GetParam();
  auto answer = [](const std::string&) { return Ok("must not arrive"); };
  std::unique_ptr<TlsTestServer> tls;
  std::unique_ptr<TestHttpServer> plain;
  int port = 0;
  switch (hc.peer) {
    case Peer::kSelfSigned:
      tls = std::make_unique<TlsTestServer>(ca_.Issue({kHost}, -3600, 86400, true), answer);
      break;
    case Peer::kWrongHost:
      tls = std::make_unique<TlsTestServer>(ca_.Issue({"other.tls.test"}), answer);
      break;
    case Peer::kExpired:
      tls = std::make_unique<TlsTestServer>(ca_.Issue({kHost}, -172800, -86400), answer);
      break;
    case Peer::kStall:
      tls = std::make_unique<TlsTestServer>(Good(), answer, TlsTestServer::Mode::kStallHandshake);
      break;
    case Peer::kReset:
      tls = std::make_unique<TlsTestServer>(Good(), answer, TlsTestServer::Mode::kResetInHandshake);
      break;
    case Peer::kTruncated:
      tls =
          std::make_unique<TlsTestServer>(Good(), answer, TlsTestServer::Mode::kTruncateHandshake);
      break;
    case Peer::kPlainHttp:
      plain = std::make_unique<TestHttpServer>(
          [](const std::string&) { return Reply("HTTP/1.0 200 OK", "", "plain text"); },
          TestHttpServer::Start::kOnAccept);
      break;
  }
  port = tls ? tls->Port() : plain->Port();
  PointHost(port);

  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, HttpsUrl());
  c.StartGet();
  if (hc.peer == Peer::kStall) {
    // The caller's stall timer ends it: here, once the hello has arrived.
    ASSERT_TRUE(RunUntil([&] { return tls->RawReceived() > 0; }));
    RunFor(20);
    EXPECT_EQ(r.done, 0);
    c.Cancel();
  }
  ASSERT_TRUE(Finish(r));
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(c.StatusCode(), hc.status);
  EXPECT_EQ(r.done_error, hc.error);
  EXPECT_EQ(r.Count("DocData"), 0);
  EXPECT_EQ(r.Count("HeaderBegin"), 0);
  EXPECT_EQ(r.Count("SessionConnected"), 0);
  if (tls) {
    EXPECT_TRUE(tls->Requests().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Handshakes, HostileTls,
    ::testing::Values(
        HostileCase{"SelfSigned", Peer::kSelfSigned, kStatusConnectFailed, kErrorTlsCertificate},
        HostileCase{"WrongHost", Peer::kWrongHost, kStatusConnectFailed, kErrorTlsCertificate},
        HostileCase{"Expired", Peer::kExpired, kStatusConnectFailed, kErrorTlsCertificate},
        HostileCase{"StallEndedByCancel", Peer::kStall, kStatusCancelled, kErrorCancelled},
        HostileCase{"ResetMidHandshake", Peer::kReset, kStatusConnectFailed, kErrorTlsHandshake},
        HostileCase{"TruncatedRecord", Peer::kTruncated, kStatusConnectFailed, kErrorTlsHandshake},
        HostileCase{"PlainHttpOnTlsPort", Peer::kPlainHttp, kStatusConnectFailed,
                    kErrorTlsHandshake}),
    [](const auto& test) { return std::string(test.param.name); });

// Threads of this process: name lookups and the event loop may start their
// own, but none may stay behind a finished request.
int ThreadCount() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/task")) {
    while (const dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
  }
  return n;
}

TEST_F(HttpsTest, AHundredMixedRequestsLeaveNoDescriptorOrThreadBehind) {
  {  // warm up: the loop's and OpenSSL's own lasting descriptors
    TlsTestServer tls(Good(), [](const std::string&) { return Ok("w"); });
    PointHost(tls.Port());
    HttpClient c;
    ClientRecorder r;
    ASSERT_TRUE(GetFrom(c, r, HttpsUrl()));
  }
  const int before = OpenDescriptorCount();
  const int threadsBefore = ThreadCount();
  {
    TlsTestServer good(ca_.Issue({"good.tls.test"}), [](const std::string&) { return Ok("ok"); });
    TlsTestServer bad(ca_.Issue({"other.tls.test"}), [](const std::string&) { return Ok("x"); });
    TlsTestServer reset(Good(), nullptr, TlsTestServer::Mode::kResetInHandshake);
    TlsTestServer stall(Good(), nullptr, TlsTestServer::Mode::kStallHandshake);
    TestHttpServer plain([](const std::string&) { return Reply("HTTP/1.0 200 OK", "", "p"); });
    TestHttpServer blurt([](const std::string&) { return Reply("HTTP/1.0 200 OK", "", "b"); },
                         TestHttpServer::Start::kOnAccept);
    struct Item {
      const char* name;
      int port;
    };
    const Item batch[] = {{"good", good.Port()},   {"bad", bad.Port()},     {"good", good.Port()},
                          {"reset", reset.Port()}, {"stall", stall.Port()}, {"plain", plain.Port()},
                          {"blurt", blurt.Port()}};
    const std::size_t stalled = 4;
    std::string map = kOfflineConnectTo;
    for (const Item& it : batch)
      map += std::string(",") + it.name + ".tls.test=127.0.0.1:" + std::to_string(it.port);
    SetConnectToMap(map);
    auto url = [](const Item& it) {
      return std::string(std::string(it.name) == "plain" ? "http://" : "https://") + it.name +
             ".tls.test/";
    };
    constexpr int kRounds = 15;  // 105 requests
    for (int round = 0; round < kRounds; ++round) {
      SCOPED_TRACE(round);
      std::vector<std::unique_ptr<HttpClient>> clients;
      const int n = static_cast<int>(std::size(batch));
      std::vector<ClientRecorder> recorders(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) {
        clients.push_back(std::make_unique<HttpClient>());
        Prepare(*clients.back(), recorders[static_cast<std::size_t>(i)], url(batch[i]));
        clients.back()->StartGet();
      }
      auto ended = [&] {
        int count = 0;
        for (const auto& r : recorders) count += r.done;
        return count;
      };
      ASSERT_TRUE(RunUntil([&] { return ended() == n - 1; }));
      EXPECT_EQ(recorders[stalled].done, 0);
      for (auto& c : clients) c->Cancel();  // the stalled one, as the stall timer would
      ASSERT_TRUE(RunUntil([&] { return ended() == n; }));
      RunFor(20);
      for (const auto& r : recorders) EXPECT_EQ(r.done, 1);
      EXPECT_EQ(recorders[0].body, "ok");
      EXPECT_EQ(recorders[2].body, "ok");
      EXPECT_EQ(recorders[5].body, "p");
      EXPECT_EQ(recorders[6].done_error, kErrorTlsHandshake);
    }
  }
  RunFor(20);
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_LE(ThreadCount(), threadsBefore);
}

}  // namespace
}  // namespace vexo::testing
