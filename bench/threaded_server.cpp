#include "bench/threaded_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "platform/tls_session.h"
#include "tests/support/tls_test_server.h"

namespace vexo::bench {

int ListenOn127(std::uint16_t& port, int backlog) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
      ::listen(fd, backlog) < 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
    ::close(fd);
    throw std::runtime_error("benchmark server cannot listen");
  }
  port = ntohs(addr.sin_port);
  return fd;
}

namespace {

// One authority for the whole run: the clients trust a single CA file.
const testing::TestCa& Authority() {
  static const testing::TestCa ca;
  static const bool trusted = (SetTlsCaFile(ca.PemFile()), true);
  (void)trusted;
  return ca;
}

// One connection's reads and writes, plain or through TLS.
struct Channel {
  int fd;
  SSL* ssl = nullptr;
  long long sent = 0;
  long Recv(char* buf, int len) {
    return ssl ? SSL_read(ssl, buf, len) : ::recv(fd, buf, static_cast<std::size_t>(len), 0);
  }
  bool SendAll(const std::string& out) {
    std::size_t done = 0;
    while (done < out.size()) {
      const long n = ssl ? SSL_write(ssl, out.data() + done, static_cast<int>(out.size() - done))
                         : ::send(fd, out.data() + done, out.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    if (!ssl) sent += static_cast<long long>(out.size());
    return true;
  }
};

}  // namespace

const std::string& ThreadedServer::CaFile() {
  return Authority().PemFile();
}

ThreadedServer::ThreadedServer(Handler handler, const std::vector<std::string>& names, int workers)
    : handler_(std::move(handler)) {
  if (!names.empty()) {
    const testing::Credentials creds = Authority().Issue(names);
    ctx_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx_, creds.cert.get());
    SSL_CTX_use_PrivateKey(ctx_, creds.key.get());
  }
  fd_ = ListenOn127(port_, 256);
  for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Serve(); });
}

ThreadedServer::~ThreadedServer() {
  ::shutdown(fd_, SHUT_RDWR);  // wakes the workers blocked in accept
  for (auto& t : workers_) t.join();
  ::close(fd_);
  if (ctx_) SSL_CTX_free(ctx_);
}

void ThreadedServer::Serve() {
  while (true) {
    const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c >= 0) {
      Answer(c);
    } else if (errno != EINTR && errno != ECONNABORTED) {
      return;
    }
  }
}

void ThreadedServer::Answer(int fd) {
  Channel ch{fd};
  if (ctx_) {
    ch.ssl = SSL_new(ctx_);
    SSL_set_fd(ch.ssl, fd);
    if (SSL_accept(ch.ssl) != 1) {
      SSL_free(ch.ssl);
      ::close(fd);
      return;
    }
    if (SSL_session_reused(ch.ssl)) ++resumed_;
  }
  std::string req;
  char buf[4096];
  while (req.find("\r\n\r\n") == std::string::npos && req.size() < 65536) {
    const long n = ch.Recv(buf, sizeof buf);
    if (n <= 0) break;
    req.append(buf, static_cast<std::size_t>(n));
  }
  const std::string response = handler_(req);
  ch.SendAll(response);
  if (ch.ssl) {
    SSL_shutdown(ch.ssl);
    ch.sent = static_cast<long long>(BIO_number_written(SSL_get_wbio(ch.ssl)));
    SSL_free(ch.ssl);
  }
  ::close(fd);
  wire_bytes_ += ch.sent;
  response_bytes_ += static_cast<long long>(response.size());
  ++answered_;
}

}  // namespace vexo::bench
