#include "tests/support/test_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/connect_to.h"

namespace vexo::testing {
namespace {

constexpr std::size_t kMaxHead = 64u << 10;

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string Basic(const std::string& user, const std::string& password) {
  const std::string plain = user + ":" + password;
  std::string out(4 * ((plain.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(plain.data()),
                                static_cast<int>(plain.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// "host:port" of a CONNECT or of an absolute address's authority.
bool SplitAuthority(const std::string& text, int default_port, std::string& host, int& port) {
  const std::size_t colon = text.rfind(':');
  host = text.substr(0, colon);
  port = default_port;
  if (colon != std::string::npos) port = std::atoi(text.c_str() + colon + 1);
  return !host.empty() && port > 0 && port < 65536;
}

// The head without its first line and without Proxy-Authorization.
std::string ForwardedFields(const std::string& head) {
  std::string out;
  std::size_t at = head.find("\r\n") + 2;
  while (at < head.size()) {
    const std::size_t end = head.find("\r\n", at);
    if (end == std::string::npos || end == at) break;
    const std::string line = head.substr(at, end - at + 2);
    if (strncasecmp(line.c_str(), "Proxy-Authorization:", 20) != 0) out += line;
    at = end + 2;
  }
  return out;
}

std::string SocksReply(unsigned char code) {
  return std::string("\x05", 1) + static_cast<char>(code) +
         std::string("\x00\x01\x7f\x00\x00\x01\x00\x00", 8);
}

}  // namespace

std::optional<ProxyDestination> ResolveThroughConnectTo(const std::string& host, int port) {
  const ConnectTarget to = Resolve(host, port);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(to.host.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr, text,
            sizeof text);
  freeaddrinfo(list);
  return ProxyDestination{text, to.port};
}

TestProxy::TestProxy(Kind kind, Resolver resolve, std::string user, std::string password)
    : kind_(kind),
      resolve_(std::move(resolve)),
      user_(std::move(user)),
      password_(std::move(password)) {
  if (::pipe2(wake_, O_CLOEXEC) != 0) return;
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
      ::listen(listener_, 64) < 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) < 0)
    return;
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestProxy::~TestProxy() {
  if (wake_[1] >= 0) {
    const char c = 'q';
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &c, 1);
  }
  {
    // Blocked sends and receives end at once.
    std::lock_guard lock(mutex_);
    for (const int fd : open_) ::shutdown(fd, SHUT_RDWR);
  }
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& t : workers) t.join();
  if (listener_ >= 0) ::close(listener_);
  for (const int fd : wake_)
    if (fd >= 0) ::close(fd);
}

std::string TestProxy::Url() const {
  return std::string(kind_ == Kind::kHttp ? "http" : "socks5") +
         "://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> TestProxy::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<std::string> TestProxy::Heads() const {
  std::lock_guard lock(mutex_);
  return heads_;
}

void TestProxy::AcceptLoop() {
  while (Wait(listener_)) {
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::lock_guard lock(mutex_);
    open_.insert(client);
    workers_.emplace_back([this, client] { Serve(client); });
  }
}

void TestProxy::Serve(int client) {
  if (kind_ == Kind::kHttp) {
    ServeHttp(client);
  } else {
    ServeSocks(client);
  }
  Track(client, false);
  ::close(client);
}

void TestProxy::ServeHttp(int client) {
  std::string head, rest;
  if (!ReadHead(client, head, rest)) return;
  const std::string first = head.substr(0, head.find("\r\n"));
  Note(first.substr(0, first.rfind(' ')), head);
  if (!user_.empty() && head.find("\r\nProxy-Authorization: Basic " + Basic(user_, password_) +
                                  "\r\n") == std::string::npos) {
    SendAll(client,
            "HTTP/1.1 407 Proxy Authentication Required\r\n"
            "Proxy-Authenticate: Basic realm=\"test\"\r\n\r\n");
    return;
  }
  const std::size_t sp1 = first.find(' '), sp2 = first.rfind(' ');
  const std::string method = first.substr(0, sp1);
  const std::string target = first.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string host, to_upstream = rest;
  int port = 0;
  bool ok = false;
  if (method == "CONNECT") {
    ok = SplitAuthority(target, 443, host, port);
  } else if (target.rfind("http://", 0) == 0) {
    const std::size_t slash = target.find('/', 7);
    const std::string path = slash == std::string::npos ? "/" : target.substr(slash);
    ok = SplitAuthority(target.substr(7, slash - 7), 80, host, port);
    to_upstream =
        method + " " + path + first.substr(sp2) + "\r\n" + ForwardedFields(head) + "\r\n" + rest;
  }
  const int upstream = ok ? Dial(host, port) : -1;
  if (upstream < 0) {
    SendAll(client, "HTTP/1.1 502 Bad Gateway\r\n\r\n");
    return;
  }
  if (method == "CONNECT") {
    SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
  }
  Relay(client, upstream, to_upstream);
}

void TestProxy::ServeSocks(int client) {
  if (!SocksGreeting(client)) return;
  const std::optional<ProxyDestination> to = SocksDestination(client);
  if (!to) return;
  const int upstream = Dial(to->host, to->port);
  if (upstream < 0) {
    SendAll(client, SocksReply(4));  // host unreachable
    return;
  }
  SendAll(client, SocksReply(0));
  Relay(client, upstream, {});
}

// Methods, then credentials when they are asked for; false ends the connection.
bool TestProxy::SocksGreeting(int client) {
  std::string hello, methods;
  if (!ReadExactly(client, hello, 2) || hello[0] != 5) return false;
  if (!ReadExactly(client, methods, static_cast<unsigned char>(hello[1]))) return false;
  const char wanted = user_.empty() ? 0 : 2;
  if (methods.find(wanted) == std::string::npos) {
    SendAll(client, "\x05\xff");
    return false;
  }
  SendAll(client, std::string("\x05", 1) + wanted);
  if (user_.empty()) return true;
  std::string ver_len, user, pass_len, password;
  if (!ReadExactly(client, ver_len, 2) ||
      !ReadExactly(client, user, static_cast<unsigned char>(ver_len[1])) ||
      !ReadExactly(client, pass_len, 1) ||
      !ReadExactly(client, password, static_cast<unsigned char>(pass_len[0])))
    return false;
  const bool good = user == user_ && password == password_;
  SendAll(client, good ? std::string("\x01\x00", 2) : std::string("\x01\x01", 2));
  return good;
}

std::optional<ProxyDestination> TestProxy::SocksDestination(int client) {
  std::string request, address, port;
  if (!ReadExactly(client, request, 4) || request[0] != 5) return std::nullopt;
  if (request[3] == 1) {
    std::string raw;
    if (!ReadExactly(client, raw, 4)) return std::nullopt;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, raw.data(), text, sizeof text);
    address = text;
  } else if (request[3] == 3) {
    std::string len;
    if (!ReadExactly(client, len, 1) ||
        !ReadExactly(client, address, static_cast<unsigned char>(len[0])))
      return std::nullopt;
  } else {
    SendAll(client, SocksReply(8));  // address type not supported
    return std::nullopt;
  }
  if (!ReadExactly(client, port, 2)) return std::nullopt;
  const int number =
      static_cast<unsigned char>(port[0]) * 256 + static_cast<unsigned char>(port[1]);
  Note("SOCKS " + address + ":" + std::to_string(number));
  if (request[1] != 1) {
    SendAll(client, SocksReply(7));  // command not supported
    return std::nullopt;
  }
  return ProxyDestination{address, number};
}

int TestProxy::Dial(const std::string& host, int port) {
  const std::optional<ProxyDestination> to = resolve_ ? resolve_(host, port) : std::nullopt;
  if (!to) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(to->port));
  if (inet_pton(AF_INET, to->host.c_str(), &addr.sin_addr) != 1) return -1;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  Track(fd, true);
  return fd;
}

void TestProxy::Relay(int a, int b, std::string to_b) {
  if (SendAll(b, to_b)) {
    char buffer[16384];
    pollfd fds[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    // Either side's end (or a break) ends both: HTTP/1.0 has nothing after it.
    while (::poll(fds, 3, -1) > 0 && !(fds[2].revents & POLLIN)) {
      const bool from_a = fds[0].revents != 0;
      const int from = from_a ? a : b;
      const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
      if (n <= 0 || !SendAll(from_a ? b : a, std::string_view(buffer, static_cast<std::size_t>(n))))
        break;
    }
  }
  Track(b, false);
  ::close(b);
}

bool TestProxy::ReadExactly(int fd, std::string& out, std::size_t n) {
  out.clear();
  char buffer[256];
  while (out.size() < n) {
    if (!Wait(fd)) return false;
    const ssize_t got = ::recv(fd, buffer, std::min(sizeof buffer, n - out.size()), 0);
    if (got <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

bool TestProxy::ReadHead(int fd, std::string& head, std::string& rest) {
  char buffer[4096];
  while (head.size() < kMaxHead) {
    if (!Wait(fd)) return false;
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    head.append(buffer, static_cast<std::size_t>(got));
    if (const std::size_t end = head.find("\r\n\r\n"); end != std::string::npos) {
      rest = head.substr(end + 4);
      head.resize(end + 4);
      return true;
    }
  }
  return false;
}

// Waits for fd to be readable; false once the proxy is being destroyed.
bool TestProxy::Wait(int fd) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
  while (true) {
    const int n = ::poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    return n > 0 && !(fds[1].revents & POLLIN);
  }
}

void TestProxy::Track(int fd, bool add) {
  std::lock_guard lock(mutex_);
  if (add) {
    open_.insert(fd);
  } else {
    open_.erase(fd);
  }
}

void TestProxy::Note(std::string request, std::string head) {
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
  if (!head.empty()) heads_.push_back(std::move(head));
}

}  // namespace vexo::testing
