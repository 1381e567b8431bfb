// The whole HTTP client against a server on 127.0.0.1 that sends fuzzed
// bytes: one reply per connection (relocations connect again), written in
// chunks of a chosen size, after which the server closes its side; the last
// reply may go out with its body gzip-compressed, so that whole streams reach
// the client's inflating path (fuzzed bytes reach it too, but seldom as a
// valid stream: a reply holds no zero byte). The
// client may be cancelled or destroyed in its k-th event. Whatever comes,
// a request ends with exactly one OnRequestDone (none once destroyed),
// nothing is delivered after it, pieces keep their bounds, and the request
// the server reads is never split by a value from a reply.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fetch/http_client.h"
#include "fuzz/fuzz_input.h"
#include "platform/connect_to.h"
#include "tests/support/zlib_streams.h"

namespace {

using namespace vexo;

constexpr std::size_t kChunks[] = {
    std::size_t{1} << 30, 1, 2, 3, 7, 64, 511, 4096, 8191, 8192, 8193, 65536};
constexpr std::size_t kMaxReplies = 24;
constexpr std::size_t kMaxRequestBytes = 64 << 10;

// One listener per input: a connection the last client left behind can
// never take the next input's reply.
class Server {
 public:
  Server(std::vector<std::string> replies, std::size_t chunk)
      : replies_(std::move(replies)), chunk_(chunk) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      std::abort();
    port_ = ntohs(a.sin_port);
  }
  ~Server() {
    for (Conn& c : conns_) CloseHard(c.fd);
    ::close(listener_);
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  int Port() const { return port_; }

  // Accepts, reads what the client sent, writes one chunk per connection,
  // and closes the sending side after the last; true when anything moved.
  bool Pump() {
    bool moved = false;
    for (int fd;
         (fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
      const std::string& reply = next_ < replies_.size() ? replies_[next_] : empty_;
      ++next_;
      conns_.push_back({fd, reply, 0, false, {}});
      moved = true;
    }
    for (Conn& c : conns_) {
      char buf[4096];
      long n;
      while ((n = ::recv(c.fd, buf, sizeof buf, 0)) > 0) {
        if (c.request.size() < kMaxRequestBytes) c.request.append(buf, static_cast<std::size_t>(n));
        moved = true;
      }
      if (c.sent < c.reply.size()) {
        // Small chunks over the head of a reply, where lines are cut; the
        // rest at once, so that an input stays fast.
        const std::size_t left = c.reply.size() - c.sent;
        const std::size_t want = chunk_ < 64 && c.sent >= 1024 ? left : std::min(chunk_, left);
        n = ::send(c.fd, c.reply.data() + c.sent, want, MSG_NOSIGNAL);
        if (n > 0) c.sent += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN) c.sent = c.reply.size();  // the client has gone
        moved = moved || n != 0;
      } else if (!c.shut) {
        ::shutdown(c.fd, SHUT_WR);
        c.shut = true;
        moved = true;
      }
    }
    return moved;
  }

  // Waits up to a millisecond for the server's side to have work.
  void Wait() {
    std::vector<pollfd> fds{{listener_, POLLIN, 0}};
    for (const Conn& c : conns_)
      fds.push_back({c.fd, static_cast<short>(POLLIN | (c.shut ? 0 : POLLOUT)), 0});
    ::poll(fds.data(), fds.size(), 1);
  }

  // A plain request is one request line and header lines, each ended by
  // CR LF, then an empty line: no value from a reply may add a line or end
  // the request early.
  void CheckRequests() const {
    for (const Conn& c : conns_) {
      const std::string& r = c.request;
      if (r.empty() || r[0] == '\x16') continue;  // nothing, or a TLS hello
      VEXO_FUZZ_CHECK(r.compare(0, 4, "GET ", 0, std::min<std::size_t>(4, r.size())) == 0);
      VEXO_FUZZ_CHECK(r.find('\0') == std::string::npos);
      for (std::size_t i = 0; i < r.size(); ++i) {
        if (r[i] == '\r') VEXO_FUZZ_CHECK(i + 1 == r.size() || r[i + 1] == '\n');
        if (r[i] == '\n') VEXO_FUZZ_CHECK(i > 0 && r[i - 1] == '\r');
      }
      const auto end = r.find("\r\n\r\n");
      VEXO_FUZZ_CHECK(end == std::string::npos || end + 4 == r.size());
    }
  }

 private:
  struct Conn {
    int fd;
    const std::string& reply;
    std::size_t sent = 0;
    bool shut = false;
    std::string request;
  };

  static void CloseHard(int fd) {
    // A reset instead of a close that lingers: thousands of inputs a
    // minute would otherwise fill the table of closing connections.
    const linger off{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    ::close(fd);
  }

  std::vector<std::string> replies_;
  const std::string empty_;
  std::size_t chunk_;
  int listener_ = -1;
  int port_ = 0;
  std::size_t next_ = 0;
  std::vector<Conn> conns_;
};

// Everything after the reply's empty line, gzip-compressed; the header
// stays as fuzzed.
void GzipBody(std::string& reply) {
  const std::size_t end = reply.find("\r\n\r\n");
  if (end == std::string::npos) return;
  const std::string body = reply.substr(end + 4);
  reply.resize(end + 4);
  reply += testing::Compress(body, 16 + MAX_WBITS, Z_BEST_SPEED);
}

enum class Act { None, Cancel, Destroy };

// What the client reports, checked as it comes.
struct Recorder {
  std::unique_ptr<HttpClient>* owner = nullptr;
  Act act = Act::None;
  int act_at = 0;
  int events = 0;
  int done = 0;
  int done_error = -1;
  int doc_begins = 0;
  long long body = 0;
  bool cancelled = false;
  bool destroyed = false;

  // Every event: none after the end; the chosen one cancels or destroys.
  void Event(HttpClient& c) {
    VEXO_FUZZ_CHECK(done == 0);
    if (++events != act_at) return;
    if (act == Act::Cancel) {
      cancelled = true;
      c.Cancel();
    } else if (act == Act::Destroy) {
      destroyed = true;
      owner->reset();  // last: nothing of the handler is touched after it
    }
  }

  void Attach(HttpClient& c) {
    Recorder* r = this;
    for (HttpClient::Event* e :
         {&c.OnStateChange, &c.OnSessionConnected, &c.OnRequestHeaderBegin, &c.OnRequestHeaderEnd,
          &c.OnHeaderBegin, &c.OnHeaderData, &c.OnHeaderEnd, &c.OnDocEnd, &c.OnLocationChange})
      *e = [r](HttpClient& s) { r->Event(s); };
    c.OnCommand = [r](HttpClient& s, Bytes&) { r->Event(s); };
    c.OnCookie = [r](HttpClient& s, const Bytes&, bool&) { r->Event(s); };
    c.OnDocBegin = [r](HttpClient& s) {
      VEXO_FUZZ_CHECK(++r->doc_begins == 1);
      r->Event(s);
    };
    c.OnDocData = [r](HttpClient& s, const char* buffer, int len) {
      VEXO_FUZZ_CHECK(r->doc_begins == 1);
      VEXO_FUZZ_CHECK(len >= 0 && len <= HttpClient::kReceiveBufferSize);
      VEXO_FUZZ_CHECK(buffer[len] == '\0');  // every piece is followed by a zero byte
      r->body += len;
      VEXO_FUZZ_CHECK(r->body <= HttpClient::kMaxBodyBytes);
      VEXO_FUZZ_CHECK(s.ReceivedCount() == r->body);
      r->Event(s);
    };
    c.OnRequestDone = [r](HttpClient& s, RequestType type, int error) {
      VEXO_FUZZ_CHECK(++r->done == 1);
      VEXO_FUZZ_CHECK(type == RequestType::Get);
      VEXO_FUZZ_CHECK(s.State() == HttpClientState::Idle);
      r->done_error = error;
    };
  }

  bool Ended() const { return done > 0 || destroyed; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication* app = new QCoreApplication(*argc, *argv);
  (void)app;
  ::unsetenv("VEXO_CONNECT_TO");
  ReadConnectToEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  std::size_t chunk = kChunks[in.Byte() % std::size(kChunks)];
  const std::uint8_t action = in.Byte();
  // 0xFF: the last reply grows past the body's bound; 0xFE: its body goes
  // out compressed; 0xFD: both.
  const std::uint8_t shape = in.Byte();
  const bool grow = shape == 0xFF || shape == 0xFD;
  const bool compress = shape == 0xFE || shape == 0xFD;
  std::vector<std::string> replies;
  while (!in.Empty() && replies.size() < kMaxReplies) replies.emplace_back(in.Text());
  if (grow && !replies.empty()) {
    // A body past the client's bound: the reply's bytes again and again.
    std::string& last = replies.back();
    if (last.empty()) last = "x";
    while (last.size() <= static_cast<std::size_t>(HttpClient::kMaxBodyBytes) + 20000) last += last;
    chunk = std::max<std::size_t>(chunk, 65536);
  }
  if (compress && !replies.empty()) GzipBody(replies.back());

  Server server(std::move(replies), chunk);
  // Every host a Location names goes to this server too.
  SetConnectToMap("*=127.0.0.1:" + std::to_string(server.Port()));

  auto client = std::make_unique<HttpClient>();
  Recorder rec;
  rec.owner = &client;
  rec.act = static_cast<Act>((action & 3) % 3);
  rec.act_at = action >> 2;
  rec.Attach(*client);
  client->URL = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
  client->NoCache = true;
  client->Cookie = "a=b";
  client->StartGet();

  QEventLoop loop;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!rec.Ended()) {
    bool moved = server.Pump();
    moved = loop.processEvents(QEventLoop::AllEvents) || moved;
    if (!moved) server.Wait();
    // The server always closes after writing: a request still open now hangs.
    VEXO_FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
  }
  // A little longer, so that a second end or a late piece would be seen.
  for (int quiet = 0, i = 0; quiet < 3 && i < 200; ++i) {
    bool moved = loop.processEvents(QEventLoop::AllEvents);
    moved = server.Pump() || moved;
    quiet = moved ? 0 : quiet + 1;
  }
  if (client) {
    VEXO_FUZZ_CHECK(rec.done == 1);
    VEXO_FUZZ_CHECK(client->ReceivedCount() == rec.body);
    const int status = client->StatusCode();
    VEXO_FUZZ_CHECK(status >= 0 && status <= 999);
    if (rec.cancelled && status == kStatusCancelled)
      VEXO_FUZZ_CHECK(rec.done_error == kErrorCancelled);
    client.reset();
  } else {
    VEXO_FUZZ_CHECK(rec.done == 0);
  }
  for (int i = 0; i < 3; ++i) loop.processEvents(QEventLoop::AllEvents);
  server.CheckRequests();
  return 0;
}
