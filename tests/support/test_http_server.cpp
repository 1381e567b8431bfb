#include "tests/support/test_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vexo::testing {

Script& Script::Send(std::string_view bytes) {
  steps.push_back({Step::kSend, std::string(bytes), 0});
  return *this;
}

Script& Script::SendInPieces(std::string_view bytes, std::size_t piece, int pause_ms) {
  piece = std::max<std::size_t>(piece, 1);
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    if (at > 0) Pause(pause_ms);
    Send(bytes.substr(at, piece));
  }
  return *this;
}

Script& Script::Pause(int ms) {
  steps.push_back({Step::kPause, {}, ms});
  return *this;
}

Script& Script::Close() {
  steps.push_back({Step::kClose, {}, 0});
  return *this;
}

Script& Script::Reset() {
  steps.push_back({Step::kReset, {}, 0});
  return *this;
}

Script Reply(std::string_view status_line, std::string_view headers, std::string_view body) {
  std::string text(status_line);
  text += "\r\n";
  text += headers;
  text += "\r\n";
  text += body;
  return Script().Send(text).Close();
}

namespace {

int ListenSocket(int backlog, std::uint16_t& port, bool listen_too = true) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
      (listen_too && ::listen(fd, backlog) < 0) ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(addr.sin_port);
  return fd;
}

bool HeaderComplete(const std::string& r) {
  return r.find("\r\n\r\n") != std::string::npos || r.find("\n\n") != std::string::npos;
}

}  // namespace

struct TestHttpServer::Conn {
  int fd = -1;
  std::string received;
  bool started = false;
  bool closed_by_client = false;
  std::vector<Script::Step> steps;
  std::size_t next = 0;
  std::string out;
  bool closing = false;  // close once `out` is sent
  std::unique_ptr<QSocketNotifier> read;
  std::unique_ptr<QSocketNotifier> write;
  QTimer pause;
};

TestHttpServer::TestHttpServer(Handler handler, Start start)
    : handler_(std::move(handler)), start_(start) {
  fd_ = ListenSocket(64, port_);
  if (fd_ < 0) return;
  accept_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(accept_.get(), &QSocketNotifier::activated, [this] { Accept(); });
}

TestHttpServer::~TestHttpServer() {
  for (auto& c : conns_) {
    c->read.reset();
    c->write.reset();
    if (c->fd >= 0) ::close(c->fd);
  }
  accept_.reset();
  if (fd_ >= 0) ::close(fd_);
}

std::string TestHttpServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> TestHttpServer::Received() const {
  std::vector<std::string> out;
  for (const auto& c : conns_) out.push_back(c->received);
  return out;
}

int TestHttpServer::ClosedByClient() const {
  return static_cast<int>(std::count_if(conns_.begin(), conns_.end(),
                                        [](const auto& c) { return c->closed_by_client; }));
}

void TestHttpServer::Accept() {
  while (true) {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    conns_.push_back(std::make_unique<Conn>());
    Conn& c = *conns_.back();
    c.fd = fd;
    c.read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    c.write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    c.write->setEnabled(false);
    c.pause.setSingleShot(true);
    QObject::connect(c.read.get(), &QSocketNotifier::activated, [this, &c] { Read(c); });
    QObject::connect(c.write.get(), &QSocketNotifier::activated, [this, &c] { Write(c); });
    QObject::connect(&c.pause, &QTimer::timeout, [this, &c] { RunSteps(c); });
    if (start_ == Start::kOnAccept) {
      c.started = true;
      c.steps = handler_(std::string()).steps;
      RunSteps(c);
    }
  }
}

void TestHttpServer::Read(Conn& c) {
  char buf[65536];
  const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    c.closed_by_client = true;
    c.read->setEnabled(false);
    return;
  }
  c.received.append(buf, static_cast<std::size_t>(n));
  if (!c.started && HeaderComplete(c.received)) {
    c.started = true;
    c.steps = handler_(c.received).steps;
    RunSteps(c);
  }
}

void TestHttpServer::RunSteps(Conn& c) {
  while (c.fd >= 0 && c.next < c.steps.size()) {
    const Script::Step& s = c.steps[c.next++];
    switch (s.kind) {
      case Script::Step::kSend:
        c.out += s.bytes;
        Write(c);
        break;
      case Script::Step::kPause:
        c.pause.start(s.ms);
        return;
      case Script::Step::kClose:
        c.closing = true;
        Write(c);
        return;
      case Script::Step::kReset:
        Finish(c, true);
        return;
    }
  }
}

void TestHttpServer::Write(Conn& c) {
  while (c.fd >= 0 && !c.out.empty()) {
    const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    if (n <= 0) {  // the client is gone
      c.out.clear();
      break;
    }
    c.out.erase(0, static_cast<std::size_t>(n));
  }
  if (c.fd < 0) return;
  c.write->setEnabled(!c.out.empty());
  if (c.out.empty() && c.closing) Finish(c, false);
}

void TestHttpServer::Finish(Conn& c, bool reset) {
  if (c.fd < 0) return;
  if (reset) {
    const linger l{1, 0};
    setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  }
  c.read->setEnabled(false);
  c.write->setEnabled(false);
  c.pause.stop();
  ::close(c.fd);
  c.fd = -1;
}

ClosedPort::ClosedPort() {
  fd_ = ListenSocket(0, port_, false);
}

ClosedPort::~ClosedPort() {
  if (fd_ >= 0) ::close(fd_);
}

NeverAccepting::NeverAccepting() {
  fd_ = ListenSocket(0, port_);
  if (fd_ < 0) return;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port_);
  // Connect until one stays pending: from then on the queue is full.
  for (int i = 0; i < 8; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    fillers_.push_back(fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) continue;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) return;
  }
}

NeverAccepting::~NeverAccepting() {
  for (int fd : fillers_) ::close(fd);
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace vexo::testing
