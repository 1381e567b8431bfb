// Servers that misbehave: whatever they send, the client must not crash, read
// past its buffer or hang, and must end every started request with exactly
// one OnRequestDone.
#include <gtest/gtest.h>

#include <memory>

#include "fetch/http_client.h"
#include "platform/tcp_socket.h"
#include "tests/fetch/client_fixture.h"

namespace vexo::testing {
namespace {

using HostileServerTest = ClientTest;

// A server that replies with the given script, and a client run to its end.
struct ScriptedRun {
  explicit ScriptedRun(std::function<Script()> script,
                       TestHttpServer::Start start = TestHttpServer::Start::kAfterRequest)
      : server([script](const std::string&) { return script(); }, start) {
    client.NoCache = true;
    client.URL = server.Url("/");
    recorder.Attach(client);
  }
  TestHttpServer server;
  HttpClient client;
  ClientRecorder recorder;
};

TEST_F(HostileServerTest, NoStatusLine) {
  ScriptedRun run([] { return Script().Send("Content-Type: text/html\r\n\r\n<p>x</p>").Close(); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.client.StatusCode(), 0);
  EXPECT_EQ(run.recorder.body, "<p>x</p>");
}

TEST_F(HostileServerTest, StatusCodeThatIsNotANumberLeavesStatusZero) {
  for (const char* line : {"HTTP/1.1 abc OK", "HTTP/1.0 ", "HTTP/1.0", "HTTP/1.1 2x0 OK",
                           "HTTP/1.1 -42 Odd", "HTTP/1.0 OK!"}) {
    SCOPED_TRACE(line);
    ScriptedRun run([line] { return Reply(line, "", "body"); });
    run.client.StartGet();
    ASSERT_TRUE(Finish(run.recorder));
    EXPECT_EQ(run.recorder.done, 1);
    EXPECT_EQ(run.recorder.done_error, 0);
    EXPECT_EQ(run.client.StatusCode(), 0);
    EXPECT_EQ(run.recorder.body, "body");
  }
}

// A header line longer than the receive buffer is cut to the buffer's size;
// the rest of it is skipped and the header goes on after it.
TEST_F(HostileServerTest, HeaderLineLongerThanTheBufferIsCut) {
  const std::string long_line = "X-Long: " + std::string(20000, 'a');
  ScriptedRun run([&] {
    return Script()
        .Send("HTTP/1.0 200 OK\r\n" + long_line + "\r\nContent-Type: text/plain\r\n\r\nbody")
        .Close();
  });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.client.ContentType(), "text/plain");
  EXPECT_EQ(run.recorder.body, "body");
  const StringList& lines = run.client.ReceivedHeaderLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], long_line.substr(0, HttpClient::kReceiveBufferSize));
}

TEST_F(HostileServerTest, EndlessLineWithoutLineFeedIsCancelled) {
  ScriptedRun run([] {
    Script s;
    s.Send("HTTP/1.0 200 OK\r\nX: ");
    for (int i = 0; i < 400; ++i) s.Send(std::string(1000, 'z')).Pause(1);
    return s;
  });
  run.client.StartGet();
  RunFor(100);
  EXPECT_EQ(run.recorder.done, 0);
  run.client.Cancel();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.client.StatusCode(), kStatusCancelled);
}

TEST_F(HostileServerTest, HeaderThatNeverEndsIsEndedByCancel) {
  ScriptedRun run([] {
    Script s;
    s.Send("HTTP/1.0 200 OK\r\n");
    for (int i = 0; i < 2000; ++i) s.Send("X-Slow: " + std::to_string(i) + "\r\n").Pause(2);
    return s;
  });
  run.client.StartGet();
  ASSERT_TRUE(RunUntil([&] { return run.client.ReceivedHeaderLines().size() > 10; }));
  EXPECT_EQ(run.client.State(), HttpClientState::ReadingHeader);
  run.client.Cancel();
  ASSERT_TRUE(Finish(run.recorder));
  RunFor(30);
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.recorder.done_error, kErrorCancelled);
  EXPECT_EQ(run.recorder.Count("DocData"), 0);
  EXPECT_TRUE(RunUntil([&] { return run.server.ClosedByClient() == 1; }, 1000));
}

TEST_F(HostileServerTest, BodyWithZeroBytesArrivesWhole) {
  std::string body;
  for (int i = 0; i < 30000; ++i) body += static_cast<char>(i % 7 == 0 ? 0 : 'a' + i % 26);
  ScriptedRun run(
      [&] { return Script().Send("HTTP/1.0 200 OK\r\n\r\n").SendInPieces(body, 7001, 1).Close(); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.body, body);
  EXPECT_TRUE(run.recorder.pieces_zero_terminated);
  for (const auto& p : run.recorder.pieces)
    EXPECT_LE(p.size(), static_cast<std::size_t>(HttpClient::kReceiveBufferSize));
}

TEST_F(HostileServerTest, ResetInTheMiddleOfTheBodyEndsNormally) {
  ScriptedRun run(
      [] { return Script().Send("HTTP/1.0 200 OK\r\n\r\nfirst half").Pause(20).Reset(); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.recorder.done_error, 0);
  EXPECT_EQ(run.client.StatusCode(), 200);
  EXPECT_EQ(run.recorder.body, "first half");
  EXPECT_EQ(run.recorder.Count("DocEnd"), 1);
}

TEST_F(HostileServerTest, ResetBeforeAnyAnswer) {
  ScriptedRun run([] { return Script().Reset(); }, TestHttpServer::Start::kOnAccept);
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  // The reset may be seen as the end of the connection or as a failed connect.
  EXPECT_TRUE(run.client.StatusCode() == 0 || run.client.StatusCode() == kStatusConnectFailed);
  EXPECT_EQ(run.recorder.Count("DocBegin"), 0);
}

TEST_F(HostileServerTest, RelocationsAreFollowedUntilCancelled) {
  // Each address sends the client on to a new one.
  int hop = 0;
  TestHttpServer server([&hop](const std::string&) {
    return Reply("HTTP/1.0 302 Found", "Location: /a" + std::to_string(++hop) + "\r\n", "");
  });
  HttpClient client;
  ClientRecorder recorder;
  client.URL = server.Url("/a");
  recorder.Attach(client);
  client.StartGet();
  ASSERT_TRUE(RunUntil([&] { return server.Accepted() >= 6; }));
  EXPECT_EQ(recorder.done, 0);
  client.Cancel();
  ASSERT_TRUE(Finish(recorder));
  RunFor(30);
  EXPECT_EQ(recorder.done, 1);
  EXPECT_EQ(recorder.done_error, kErrorCancelled);
  const int accepted = server.Accepted();
  RunFor(30);
  EXPECT_EQ(server.Accepted(), accepted);  // no hop after Cancel
}

struct LimitCase {
  const char* name;
  std::string location;  // the answer of every request
  int error;
  int accepted;
};

TEST_F(HostileServerTest, RelocationsThatCannotEndWellEndTheRequest) {
  const LimitCase cases[] = {
      {"back to itself", "/", kErrorRelocationLoop, 1},
      {"back to itself in full", "http://127.0.0.1:PORT/", kErrorRelocationLoop, 1},
      {"a new address each time", "/next", kErrorRelocationLoop, 1 + HttpClient::kMaxRelocations},
      // Back once is allowed (a cookie set on the way), a second time not.
      {"between two addresses", "/ping-pong", kErrorRelocationLoop, 4},
      {"a foreign scheme", "ftp://127.0.0.1/file", kWsaInvalid, 1},
      {"a scheme without slashes", "javascript:alert(1)", kWsaInvalid, 1},
      {"a line break", "/x\rX-Injected: 1", kWsaInvalid, 1},
      {"a zero byte", std::string("/x\0y", 4), kWsaInvalid, 1},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    int hop = 0;
    std::unique_ptr<TestHttpServer> server;
    server = std::make_unique<TestHttpServer>([&](const std::string& request) {
      std::string to = c.location;
      if (to == "/ping-pong") to = request.starts_with("GET / ") ? "/b" : "/";
      if (const auto at = to.find("PORT"); at != std::string::npos)
        to.replace(at, 4, std::to_string(server->Port()));
      if (to == "/next") to += std::to_string(++hop);
      return Reply("HTTP/1.0 302 Found", "Location: " + to + "\r\n", "");
    });
    HttpClient client;
    ClientRecorder recorder;
    client.URL = server->Url("/");
    recorder.Attach(client);
    client.StartGet();
    ASSERT_TRUE(Finish(recorder));
    EXPECT_EQ(recorder.done, 1);
    EXPECT_EQ(recorder.done_error, c.error);
    EXPECT_EQ(client.StatusCode(), kStatusConnectFailed);
    EXPECT_EQ(server->Accepted(), c.accepted);
    for (const std::string& request : server->Received())
      EXPECT_EQ(request.find("Injected"), std::string::npos);
  }
}

TEST_F(HostileServerTest, AnAddressThatWouldSplitTheRequestLineIsNeverSent) {
  TestHttpServer server([](const std::string&) { return Reply("HTTP/1.0 200 OK", "", "x"); });
  HttpClient client;
  ClientRecorder recorder;
  client.URL = server.Url("/a\r\nX-Injected: 1");
  recorder.Attach(client);
  client.StartGet();
  ASSERT_TRUE(Finish(recorder));
  EXPECT_EQ(recorder.done, 1);
  EXPECT_EQ(recorder.done_error, kWsaInvalid);
  EXPECT_EQ(server.Accepted(), 0);
}

TEST_F(HostileServerTest, ABodyBeyondTheCapEndsNormallyWithTheCapDelivered) {
  const std::string body(static_cast<std::size_t>(HttpClient::kMaxBodyBytes) + 300000, 'b');
  ScriptedRun run([&] { return Reply("HTTP/1.0 200 OK", "", body); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder, 30000));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.recorder.done_error, 0);
  EXPECT_EQ(run.client.StatusCode(), 200);
  EXPECT_EQ(static_cast<long long>(run.recorder.body.size()), HttpClient::kMaxBodyBytes);
  // The piece cut at the bound is followed by a zero byte like every other.
  EXPECT_TRUE(run.recorder.pieces_zero_terminated);
}

TEST_F(HostileServerTest, ErrorStatusWithLocationIsNotFollowed) {
  ScriptedRun run(
      [] { return Reply("HTTP/1.0 404 Not Found", "Location: /elsewhere\r\n", "gone"); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.client.StatusCode(), 404);
  EXPECT_EQ(run.server.Accepted(), 1);
}

TEST_F(HostileServerTest, TenThousandHeaderLines) {
  std::string header = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 10000; ++i) header += "X-Header-" + std::to_string(i) + ": v\r\n";
  ScriptedRun run([&] { return Script().Send(header + "\r\nthe body").Close(); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder, 20000));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.client.ReceivedHeaderLines().size(), 10001u);
  EXPECT_EQ(run.client.ReceivedHeaderLines().back(), "X-Header-9999: v");
  EXPECT_EQ(run.recorder.body, "the body");
}

TEST_F(HostileServerTest, AHeaderBeyondTheCapEndsTheRequestUnread) {
  // About 13 MB of header lines, in short lines and in lines longer than the
  // buffer.
  for (const std::size_t width : {100u, 20000u}) {
    SCOPED_TRACE(width);
    const std::string chunk = [width] {
      std::string c;
      while (c.size() < (1u << 20)) c += "X-Flood: " + std::string(width, 'f') + "\r\n";
      return c;
    }();
    ScriptedRun run([&] {
      Script s;
      s.Send("HTTP/1.0 200 OK\r\n");
      for (int i = 0; i < 13; ++i) s.Send(chunk);
      return s.Send("Content-Type: text/x-late\r\n\r\nend").Close();
    });
    run.client.StartGet();
    ASSERT_TRUE(Finish(run.recorder, 30000));
    EXPECT_EQ(run.recorder.done, 1);
    EXPECT_EQ(run.recorder.done_error, kErrorHeaderTooLarge);
    EXPECT_EQ(run.client.StatusCode(), kStatusConnectFailed);
    std::size_t recorded = 0;
    for (const auto& l : run.client.ReceivedHeaderLines()) recorded += l.size();
    EXPECT_LE(recorded, HttpClient::kMaxHeaderBytes);
    EXPECT_EQ(run.recorder.body, "");
  }
}

TEST_F(HostileServerTest, ContentLengthFarLargerThanTheBody) {
  ScriptedRun run(
      [] { return Reply("HTTP/1.0 200 OK", "Content-Length: 999999999999\r\n", "short"); });
  run.client.StartGet();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
  EXPECT_EQ(run.client.ContentLength(), 999999999999LL);
  EXPECT_EQ(run.recorder.body, "short");
}

TEST_F(HostileServerTest, BytesSplitAtEveryPointGiveTheSameResult) {
  const std::string reply =
      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nLocation-Not: x\r\n\r\n<b>body</b>";
  for (std::size_t piece : {1u, 2u, 3u, 5u, 16u}) {
    SCOPED_TRACE(piece);
    ScriptedRun run([&] { return Script().SendInPieces(reply, piece, 1).Close(); });
    run.client.StartGet();
    ASSERT_TRUE(Finish(run.recorder));
    EXPECT_EQ(run.client.StatusCode(), 200);
    EXPECT_EQ(run.client.ContentType(), "text/html");
    EXPECT_EQ(run.client.ReceivedHeaderLines().size(), 3u);
    EXPECT_EQ(run.recorder.body, "<b>body</b>");
  }
}

TEST_F(HostileServerTest, SilentServerAfterConnectIsEndedByCancel) {
  ScriptedRun run([] { return Script(); }, TestHttpServer::Start::kOnAccept);
  run.client.StartGet();
  RunFor(50);
  EXPECT_EQ(run.client.State(), HttpClientState::ReadingHeader);
  run.client.Cancel();
  ASSERT_TRUE(Finish(run.recorder));
  EXPECT_EQ(run.recorder.done, 1);
}

TEST_F(HostileServerTest, ServerThatNeverAcceptsTimesOut) {
  NeverAccepting server;
  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, "http://127.0.0.1:" + std::to_string(server.Port()) + "/");
  c.ConnectTimeoutMs = 150;
  c.StartGet();
  ASSERT_TRUE(Finish(r, 3000));
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(c.StatusCode(), kStatusConnectFailed);
  EXPECT_EQ(r.done_error, kWsaTimedOut);
}

TEST_F(HostileServerTest, NothingListeningGivesConnectionRefused) {
  ClosedPort port;
  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, "http://127.0.0.1:" + std::to_string(port.Port()) + "/");
  c.StartGet();
  ASSERT_TRUE(Finish(r));
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(c.StatusCode(), kStatusConnectFailed);
  EXPECT_EQ(r.done_error, kWsaConnRefused);
  EXPECT_EQ(r.Count("SessionConnected"), 0);
}

TEST_F(HostileServerTest, PortThatIsNotANumberFailsToConnect) {
  for (const char* url :
       {"http://127.0.0.1:http/", "http://127.0.0.1:99999/", "http://127.0.0.1:0/"}) {
    SCOPED_TRACE(url);
    HttpClient c;
    ClientRecorder r;
    Prepare(c, r, url);
    c.StartGet();
    ASSERT_TRUE(Finish(r));
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(c.StatusCode(), kStatusConnectFailed);
    EXPECT_EQ(r.done_error, kWsaInvalid);
  }
}

// ---- Many clients ---------------------------------------------------------

TEST_F(HostileServerTest, FourteenClientsSideBySideAllComplete) {
  auto page = [](int n) { return std::string(1000 + n * 3000, static_cast<char>('a' + n % 26)); };
  TestHttpServer fast([&](const std::string& req) {
    const int n = std::stoi(req.substr(5));
    return Reply("HTTP/1.0 200 OK", "", page(n));
  });
  TestHttpServer slow([&](const std::string& req) {
    const int n = std::stoi(req.substr(5));
    return Script().Send("HTTP/1.0 200 OK\r\n\r\n").SendInPieces(page(n), 4000, 3).Close();
  });
  TestHttpServer relocating([&](const std::string& req) {
    const int n = std::stoi(req.substr(5));
    if (req.find("/moved") == std::string::npos)
      return Reply("HTTP/1.0 302 Found", "Location: /" + std::to_string(n) + "/moved\r\n", "");
    return Reply("HTTP/1.0 200 OK", "", page(n));
  });
  TestHttpServer* servers[] = {&fast, &slow, &relocating};
  std::vector<std::unique_ptr<HttpClient>> clients;
  std::vector<ClientRecorder> recorders(14);
  for (int i = 0; i < 14; ++i) {
    clients.push_back(std::make_unique<HttpClient>());
    Prepare(*clients.back(), recorders[i], servers[i % 3]->Url("/" + std::to_string(i)));
    clients.back()->Tag = i;
    clients.back()->StartGet();
  }
  ASSERT_TRUE(RunUntil(
      [&] {
        for (const auto& r : recorders)
          if (r.done == 0) return false;
        return true;
      },
      10000));
  RunFor(20);
  for (int i = 0; i < 14; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(recorders[i].done, 1);
    EXPECT_EQ(clients[i]->StatusCode(), 200);
    EXPECT_EQ(recorders[i].body, page(i));
  }
}

}  // namespace
}  // namespace vexo::testing
