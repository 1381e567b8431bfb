#include "platform/tcp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

#include "platform/tls_session.h"

namespace vexo {

int WinsockCode(int e) {
  switch (e) {
    case 0:
      return 0;
    case EINTR:
      return kWsaInterrupted;
    case EMFILE:
    case ENFILE:
      return kWsaTooManyOpen;
    case EAGAIN:
    case EINPROGRESS:
      return kWsaWouldBlock;
    case EADDRNOTAVAIL:
      return kWsaAddrNotAvail;
    case ENETDOWN:
      return kWsaNetDown;
    case ENETUNREACH:
      return kWsaNetUnreachable;
    case ECONNABORTED:
      return kWsaConnAborted;
    case ECONNRESET:
    case EPIPE:
      return kWsaConnReset;
    case ENOBUFS:
    case ENOMEM:
      return kWsaNoBuffers;
    case ENOTCONN:
      return kWsaNotConnected;
    case ETIMEDOUT:
      return kWsaTimedOut;
    case ECONNREFUSED:
      return kWsaConnRefused;
    case EHOSTUNREACH:
    case EHOSTDOWN:
      return kWsaHostUnreachable;
    default:
      return kWsaInvalid;
  }
}

TcpSocket::TcpSocket()
    : read_(std::make_unique<QSocketNotifier>(QSocketNotifier::Read)),
      write_(std::make_unique<QSocketNotifier>(QSocketNotifier::Write)) {
  read_->setEnabled(false);
  write_->setEnabled(false);
  QObject::connect(read_.get(), &QSocketNotifier::activated, read_.get(), [this] { HandleRead(); });
  QObject::connect(write_.get(), &QSocketNotifier::activated, write_.get(),
                   [this] { HandleWrite(); });
}

TcpSocket::~TcpSocket() {
  Close();
}

int TcpSocket::Connect(const std::string& dotted, std::uint16_t port) {
  Close();
  tls_resumed_ = false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (inet_pton(AF_INET, dotted.c_str(), &addr.sin_addr) != 1) return kWsaAddrNotAvail;

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return WinsockCode(errno);
  const linger reset_on_close{1, 0};
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset_on_close, sizeof reset_on_close);
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);

  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0 && errno != EINPROGRESS) {
    const int error = WinsockCode(errno);
    ::close(fd);
    return error;
  }
  // Even an immediate success is reported from the loop, like any other.
  fd_ = fd;
  connecting_ = true;
  read_->setSocket(fd);
  write_->setSocket(fd);
  write_->setEnabled(true);
  return 0;
}

void TcpSocket::SetTls(bool on, std::string server_name, std::string cache_key) {
  tls_on_ = on;
  tls_name_ = std::move(server_name);
  tls_key_ = std::move(cache_key);
}

int TcpSocket::StartTls(std::string server_name, std::string cache_key) {
  if (fd_ < 0 || connecting_ || tls_) return kWsaNotConnected;
  SetTls(true, std::move(server_name), std::move(cache_key));
  tls_ = std::make_unique<TlsSession>(fd_, tls_name_, tls_key_);
  connecting_ = true;
  // The first step runs when the handle is writable, which it is at once.
  read_->setEnabled(false);
  write_->setEnabled(true);
  return 0;
}

bool TcpSocket::HasBufferedInput() const {
  return fd_ >= 0 && tls_ && tls_->HasPending();
}

long TcpSocket::Send(const char* data, std::size_t size, int& error) {
  error = 0;
  if (fd_ < 0 || connecting_) {
    error = kWsaNotConnected;
    return -1;
  }
  if (size == 0) return 0;
  if (tls_) return tls_->Write(data, size, error);
  ssize_t n;
  do {
    n = ::send(fd_, data, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<long>(n);
  if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
  error = WinsockCode(errno);
  return -1;
}

long TcpSocket::Receive(char* buffer, std::size_t size, int& error) {
  error = 0;
  if (fd_ < 0) {
    error = kWsaNotConnected;
    return -1;
  }
  if (size == 0) {
    error = kWsaWouldBlock;
    return -1;
  }
  if (tls_) {
    bool wants_write = false;
    const long n = tls_->Read(buffer, size, error, wants_write);
    if (wants_write) {
      tls_read_wants_write_ = true;
      write_->setEnabled(true);
    }
    return n;
  }
  ssize_t n;
  do {
    n = ::recv(fd_, buffer, size, 0);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<long>(n);
  error = (errno == EAGAIN || errno == EWOULDBLOCK) ? kWsaWouldBlock : WinsockCode(errno);
  return -1;
}

void TcpSocket::WatchWritable(bool on) {
  want_write_ = on;
  if (fd_ >= 0 && !connecting_) write_->setEnabled(on);
}

void TcpSocket::ShutdownSend() {
  if (fd_ < 0) return;
  if (tls_) tls_->SendCloseNotify();
  ::shutdown(fd_, SHUT_WR);
}

void TcpSocket::Close() {
  connecting_ = false;
  want_write_ = false;
  tls_read_wants_write_ = false;
  tls_.reset();
  if (fd_ < 0) return;
  read_->setEnabled(false);
  write_->setEnabled(false);
  read_->setSocket(-1);
  write_->setSocket(-1);
  ::close(fd_);
  fd_ = -1;
}

void TcpSocket::HandleRead() {
  if (fd_ < 0) return;
  if (connecting_) {
    if (tls_) {
      StepHandshake();
    } else {
      FinishConnect();
    }
    return;
  }
  if (onReadable) onReadable();
}

void TcpSocket::HandleWrite() {
  if (fd_ < 0) return;
  if (connecting_) {
    if (tls_) {
      StepHandshake();
    } else {
      FinishConnect();
    }
    return;
  }
  if (tls_read_wants_write_) {
    // A read stopped because TLS had to send first: read again.
    tls_read_wants_write_ = false;
    write_->setEnabled(want_write_);
    if (onReadable) onReadable();
    return;
  }
  if (!want_write_) {
    write_->setEnabled(false);
    return;
  }
  if (onWritable) onWritable();
}

void TcpSocket::FinishConnect() {
  int so_error = 0;
  socklen_t len = sizeof so_error;
  if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &so_error, &len) < 0) so_error = errno;
  if (so_error != 0) {
    Close();
    if (onConnectDone) onConnectDone(WinsockCode(so_error));
    return;
  }
  if (tls_on_) {
    tls_ = std::make_unique<TlsSession>(fd_, tls_name_, tls_key_);
    StepHandshake();
    return;
  }
  connecting_ = false;
  write_->setEnabled(want_write_);
  read_->setEnabled(true);
  if (onConnectDone) onConnectDone(0);
}

// The handshake runs on the same notifications as the rest: each step goes as
// far as the handle allows and says which readiness it waits for.
void TcpSocket::StepHandshake() {
  int error = 0;
  switch (tls_->Handshake(error)) {
    case TlsSession::Step::kDone:
      connecting_ = false;
      tls_resumed_ = tls_->Resumed();
      write_->setEnabled(want_write_);
      read_->setEnabled(true);
      if (onConnectDone) onConnectDone(0);
      return;
    case TlsSession::Step::kWantRead:
      write_->setEnabled(false);
      read_->setEnabled(true);
      return;
    case TlsSession::Step::kWantWrite:
      read_->setEnabled(false);
      write_->setEnabled(true);
      return;
    case TlsSession::Step::kFailed:
      Close();
      if (onConnectDone) onConnectDone(error);
      return;
  }
}

}  // namespace vexo
