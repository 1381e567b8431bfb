#include "platform/instance_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace vexo {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShownAnswer[] = "shown\n";
// A request is one short line: a caller that sends more, or keeps the line
// open, is dropped rather than kept.
constexpr std::size_t kMaxLine = 64;
constexpr std::size_t kMaxCallers = 8;
constexpr int kRetryPauseMs = 50;
constexpr int kAcceptPauseMs = 1000;

std::string CanonicalFolder(const std::string& folder) {
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(folder, ec);
  return ec ? folder : canonical.string();
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

int NewSocket() {
  return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// The caller runs as this user (root may reach any socket; it is let in too).
bool SameUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
  return peer.uid == ::getuid() || peer.uid == 0;
}

void SendAtOnce(int fd, const char* text) {
  const std::size_t size = std::strlen(text);
  // The answer is a few bytes into an empty socket buffer: it fits at once.
  (void)::send(fd, text, size, MSG_NOSIGNAL | MSG_DONTWAIT);
}

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on fd until the deadline; false on timeout or error.
bool AwaitReady(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, MillisecondsLeft(deadline));
    if (rc > 0) return true;
    if (rc == 0 || errno != EINTR) return false;
  }
}

// One exchange over a connected socket: the request out, the answer line in.
bool Exchange(int fd, Clock::time_point deadline) {
  const std::size_t request_size = sizeof kShowRequest - 1;
  std::size_t sent = 0;
  while (sent < request_size) {
    if (!AwaitReady(fd, POLLOUT, deadline)) return false;
    const ssize_t n = ::send(fd, kShowRequest + sent, request_size - sent, MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (n > 0) sent += static_cast<std::size_t>(n);
  }
  std::string answer;
  while (answer.find('\n') == std::string::npos && answer.size() < kMaxLine) {
    if (!AwaitReady(fd, POLLIN, deadline)) return false;
    char buffer[kMaxLine];
    const ssize_t n = ::recv(fd, buffer, kMaxLine - answer.size(), 0);
    if (n == 0) return false;
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
  }
  return answer == kShownAnswer;
}

}  // namespace

std::string InstanceSocketPath(const std::string& folder) {
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(CanonicalFolder(folder)),
                               QCryptographicHash::Sha1)
          .toHex()
          .left(16);
  return QDir::tempPath().toStdString() + "/vexo-" + std::to_string(::getuid()) + "-" +
         hash.toStdString();
}

struct InstanceServer::Caller {
  int fd = -1;
  std::string line;
  bool done = false;
  std::unique_ptr<QSocketNotifier> readable;
  ~Caller() {
    readable.reset();
    if (fd >= 0) ::close(fd);
  }
};

InstanceServer::InstanceServer(const std::string& folder, std::function<void()> show)
    : path_(InstanceSocketPath(folder)), show_(std::move(show)) {
  Listen();
}

InstanceServer::~InstanceServer() {
  callers_.clear();
  accepting_.reset();
  if (listener_ < 0) return;
  ::close(listener_);
  ::unlink(path_.c_str());
}

void InstanceServer::Listen() {
  sockaddr_un address;
  if (!FillAddress(path_, address)) return;
  const int fd = NewSocket();
  if (fd < 0) return;
  // The folder's lock is ours, so a socket at the path was left by a killed
  // owner.
  ::unlink(path_.c_str());
  // Nobody can connect before listen(), so the file is made private first.
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(path_.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
    ::close(fd);
    return;
  }
  listener_ = fd;
  accepting_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(accepting_.get(), &QSocketNotifier::activated, [this] { AcceptCallers(); });
}

void InstanceServer::AcceptCallers() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) PauseAccepting();
      return;
    }
    if (!SameUser(fd)) {
      ::close(fd);
      continue;
    }
    // Callers that never finish their line make room for new ones.
    if (callers_.size() >= kMaxCallers) callers_.pop_front();
    auto caller = std::make_unique<Caller>();
    caller->fd = fd;
    caller->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    Caller* raw = caller.get();
    QObject::connect(raw->readable.get(), &QSocketNotifier::activated, [this, raw] { Hear(*raw); });
    callers_.push_back(std::move(caller));
  }
}

// A caller left waiting (out of handles, say) keeps the socket readable: the
// server rests instead of failing to take it in a loop.
void InstanceServer::PauseAccepting() {
  accepting_->setEnabled(false);
  QTimer::singleShot(kAcceptPauseMs, accepting_.get(), [this] { accepting_->setEnabled(true); });
}

void InstanceServer::Hear(Caller& caller) {
  char buffer[kMaxLine];
  const ssize_t n = ::recv(caller.fd, buffer, kMaxLine - caller.line.size(), 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) return HangUp(caller);
  caller.line.append(buffer, static_cast<std::size_t>(n));
  const auto end = caller.line.find('\n');
  if (end == std::string::npos && caller.line.size() < kMaxLine) return;
  // The first line is the request; whatever follows it is not read.
  const bool show = end != std::string::npos && caller.line.compare(0, end + 1, kShowRequest) == 0;
  SendAtOnce(caller.fd, kShownAnswer);
  HangUp(caller);
  if (show && show_) show_();
}

// A notifier is not deleted inside its own signal: the caller goes on the
// next turn of the loop, and with the server if that comes first.
void InstanceServer::HangUp(Caller& caller) {
  caller.done = true;
  caller.readable->setEnabled(false);
  QMetaObject::invokeMethod(
      accepting_.get(), [this] { callers_.remove_if([](const auto& held) { return held->done; }); },
      Qt::QueuedConnection);
}

bool AskRunningInstanceToShow(const std::string& folder, int timeout_ms) {
  sockaddr_un address;
  if (!FillAddress(InstanceSocketPath(folder), address)) return false;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (Clock::now() < deadline) {
    const int fd = NewSocket();
    if (fd < 0) return false;
    int rc;
    do {
      rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
      const bool shown = Exchange(fd, deadline);
      ::close(fd);
      return shown;
    }
    ::close(fd);
    // The owner took its lock but is not listening yet, or its queue is full.
    ::poll(nullptr, 0, std::min(kRetryPauseMs, MillisecondsLeft(deadline)));
  }
  return false;
}

}  // namespace vexo
