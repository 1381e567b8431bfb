#include "platform/tls_session.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/tcp_socket.h"

namespace vexo {
namespace {

constexpr std::size_t kMaxKeptSessions = 64;

// The socket BIO of OpenSSL writes without MSG_NOSIGNAL: a peer that resets
// would raise SIGPIPE and end the program. This one sends like TcpSocket.
int BioWrite(BIO* b, const char* data, int size) {
  BIO_clear_retry_flags(b);
  const int fd = static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(b)));
  ssize_t n;
  do {
    n = ::send(fd, data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) BIO_set_retry_write(b);
  return static_cast<int>(n);
}

int BioRead(BIO* b, char* buffer, int size) {
  BIO_clear_retry_flags(b);
  const int fd = static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(b)));
  ssize_t n;
  do {
    n = ::recv(fd, buffer, static_cast<std::size_t>(size), 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) BIO_set_retry_read(b);
  if (n == 0) BIO_set_flags(b, BIO_FLAGS_IN_EOF);
  return static_cast<int>(n);
}

long BioCtrl(BIO* b, int cmd, long, void*) {
  switch (cmd) {
    case BIO_CTRL_FLUSH:
      return 1;
    case BIO_CTRL_EOF:
      return BIO_test_flags(b, BIO_FLAGS_IN_EOF) != 0;
    default:
      return 0;
  }
}

int BioCreate(BIO* b) {
  BIO_set_init(b, 1);
  return 1;
}

const BIO_METHOD* SocketMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "vexo socket");
    BIO_meth_set_write(m, BioWrite);
    BIO_meth_set_read(m, BioRead);
    BIO_meth_set_ctrl(m, BioCtrl);
    BIO_meth_set_create(m, BioCreate);
    return m;
  }();
  return method;
}

int NewSession(SSL* ssl, SSL_SESSION* session);

// One context for every connection; rebuilt when the trusted set changes. The
// sessions kept belong to it and go with it.
struct Shared {
  std::mutex mutex;
  std::string config_ca;
  std::string env_ca;
  SSL_CTX* ctx = nullptr;
  std::map<std::string, SSL_SESSION*> sessions;

  void DropContext() {
    for (auto& [key, s] : sessions) SSL_SESSION_free(s);
    sessions.clear();
    SSL_CTX_free(ctx);
    ctx = nullptr;
  }

  SSL_CTX* Context() {
    if (ctx) return ctx;
    ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) return nullptr;
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(ctx);
    const std::string& extra = env_ca.empty() ? config_ca : env_ca;
    // An unreadable file leaves the system store alone.
    if (!extra.empty()) SSL_CTX_load_verify_locations(ctx, extra.c_str(), nullptr);
    // HTTP/1.0 ends a document by closing, often without close_notify.
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Sessions (TLS 1.3 tickets arrive after the handshake) are kept here,
    // by host:port, not in OpenSSL's own cache.
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(ctx, NewSession);
    ERR_clear_error();
    return ctx;
  }
};

Shared& TheShared() {
  static Shared* shared = [] {
    auto* s = new Shared;
    if (const char* env = std::getenv("VEXO_CA_FILE")) s->env_ca = env;
    return s;
  }();
  return *shared;
}

int NewSession(SSL* ssl, SSL_SESSION* session) {
  const auto* key = static_cast<const std::string*>(SSL_get_app_data(ssl));
  if (!key) return 0;
  Shared& shared = TheShared();
  std::lock_guard lock(shared.mutex);
  if (SSL_get_SSL_CTX(ssl) != shared.ctx) return 0;  // from a context since replaced
  auto it = shared.sessions.find(*key);
  if (it != shared.sessions.end()) {
    SSL_SESSION_free(it->second);
    it->second = session;
    return 1;
  }
  if (shared.sessions.size() >= kMaxKeptSessions) {
    SSL_SESSION_free(shared.sessions.begin()->second);
    shared.sessions.erase(shared.sessions.begin());
  }
  shared.sessions.emplace(*key, session);
  return 1;  // the session is ours now
}

bool IsDottedAddress(const std::string& name) {
  in_addr a{};
  return inet_pton(AF_INET, name.c_str(), &a) == 1;
}

// Error of a call that failed outright, by errno: a reset, or the end.
int SyscallError() {
  return errno ? WinsockCode(errno) : kWsaConnReset;
}

}  // namespace

void SetTlsCaFile(std::string_view path) {
  Shared& shared = TheShared();
  std::lock_guard lock(shared.mutex);
  if (shared.config_ca == path) return;
  shared.config_ca = std::string(path);
  shared.DropContext();
}

void ReadTlsCaFileEnvironment() {
  const char* env = std::getenv("VEXO_CA_FILE");
  Shared& shared = TheShared();
  std::lock_guard lock(shared.mutex);
  const std::string value = env ? env : "";
  if (shared.env_ca == value) return;
  shared.env_ca = value;
  shared.DropContext();
}

void ClearTlsSessionCache() {
  Shared& shared = TheShared();
  std::lock_guard lock(shared.mutex);
  for (auto& [key, s] : shared.sessions) SSL_SESSION_free(s);
  shared.sessions.clear();
}

TlsSession::TlsSession(int fd, const std::string& server_name, std::string cache_key)
    : cache_key_(std::move(cache_key)) {
  Shared& shared = TheShared();
  std::lock_guard lock(shared.mutex);
  SSL_CTX* ctx = shared.Context();
  if (!ctx) return;
  ssl_ = SSL_new(ctx);
  if (!ssl_) return;
  BIO* bio = BIO_new(SocketMethod());
  if (!bio) {
    SSL_free(ssl_);
    ssl_ = nullptr;
    return;
  }
  BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
  SSL_set_bio(ssl_, bio, bio);
  SSL_set_app_data(ssl_, &cache_key_);
  if (IsDottedAddress(server_name)) {
    // No SNI for an address; the certificate must name the address itself.
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), server_name.c_str());
  } else {
    // SSL_set_tlsext_host_name, without the macro's C cast.
    SSL_ctrl(ssl_, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
             const_cast<char*>(server_name.c_str()));
    SSL_set1_host(ssl_, server_name.c_str());
  }
  const auto kept = shared.sessions.find(cache_key_);
  if (kept != shared.sessions.end()) SSL_set_session(ssl_, kept->second);
  ERR_clear_error();
}

TlsSession::~TlsSession() {
  SSL_free(ssl_);  // the handle stays open: it is the caller's
}

TlsSession::Step TlsSession::Handshake(int& error) {
  error = kErrorTlsHandshake;
  if (!ssl_) return Step::kFailed;
  if (established_) return Step::kDone;
  ERR_clear_error();
  const int rc = SSL_connect(ssl_);
  if (rc == 1) {
    established_ = true;
    error = 0;
    return Step::kDone;
  }
  switch (SSL_get_error(ssl_, rc)) {
    case SSL_ERROR_WANT_READ:
      return Step::kWantRead;
    case SSL_ERROR_WANT_WRITE:
      return Step::kWantWrite;
    default:
      break;
  }
  if (SSL_get_verify_result(ssl_) != X509_V_OK) error = kErrorTlsCertificate;
  ERR_clear_error();
  failed_ = true;
  return Step::kFailed;
}

bool TlsSession::Resumed() const {
  return ssl_ && established_ && SSL_session_reused(ssl_) == 1;
}

long TlsSession::Read(char* buffer, std::size_t size, int& error, bool& wants_write) {
  error = 0;
  wants_write = false;
  if (!ssl_ || !established_ || failed_) {
    error = kWsaNotConnected;
    return -1;
  }
  ERR_clear_error();
  const int n = SSL_read(ssl_, buffer, static_cast<int>(size > INT_MAX ? INT_MAX : size));
  if (n > 0) return n;
  switch (SSL_get_error(ssl_, n)) {
    case SSL_ERROR_ZERO_RETURN:
      return 0;
    case SSL_ERROR_WANT_WRITE:
      wants_write = true;
      [[fallthrough]];
    case SSL_ERROR_WANT_READ:
      error = kWsaWouldBlock;
      return -1;
    case SSL_ERROR_SYSCALL:
      error = SyscallError();
      break;
    default:
      error = kWsaConnAborted;  // a record that does not decrypt or parse
      break;
  }
  ERR_clear_error();
  failed_ = true;
  return -1;
}

long TlsSession::Write(const char* data, std::size_t size, int& error) {
  error = 0;
  if (!ssl_ || !established_ || failed_) {
    error = kWsaNotConnected;
    return -1;
  }
  if (size == 0) return 0;
  ERR_clear_error();
  const int n = SSL_write(ssl_, data, static_cast<int>(size > INT_MAX ? INT_MAX : size));
  if (n > 0) return n;
  switch (SSL_get_error(ssl_, n)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
      return 0;
    case SSL_ERROR_SYSCALL:
      error = SyscallError();
      break;
    default:
      error = kWsaConnAborted;
      break;
  }
  ERR_clear_error();
  failed_ = true;
  return -1;
}

bool TlsSession::HasPending() const {
  return ssl_ && established_ && !failed_ && SSL_pending(ssl_) > 0;
}

void TlsSession::SendCloseNotify() {
  if (!ssl_ || !established_ || failed_) return;
  ERR_clear_error();
  SSL_shutdown(ssl_);
  ERR_clear_error();
}

}  // namespace vexo
