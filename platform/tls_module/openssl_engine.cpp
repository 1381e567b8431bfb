// The TLS module: OpenSSL behind TlsEngine. Certificates are verified against
// the system trust store plus an optional extra PEM file, the server name is
// checked, TLS 1.2 is the oldest version spoken, and sessions are resumed per
// host:port.
#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/tls_engine.h"

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

bool IsDottedAddress(const std::string& name) {
  in_addr a{};
  return inet_pton(AF_INET, name.c_str(), &a) == 1;
}

TlsResult Outcome(TlsOutcome outcome, int system_error = 0) {
  TlsResult r;
  r.outcome = outcome;
  r.system_error = system_error;
  return r;
}

TlsResult Moved(int bytes) {
  TlsResult r;
  r.bytes = bytes;
  return r;
}

class OpenSslConnection final : public TlsConnection {
 public:
  OpenSslConnection(SSL* ssl, std::string cache_key) : ssl_(ssl), cache_key_(std::move(cache_key)) {
    SSL_set_app_data(ssl_, &cache_key_);
  }
  ~OpenSslConnection() override { SSL_free(ssl_); }  // the handle stays open: it is the caller's

  TlsResult Handshake() override {
    ERR_clear_error();
    const int rc = SSL_connect(ssl_);
    if (rc == 1) return Moved(0);
    switch (SSL_get_error(ssl_, rc)) {
      case SSL_ERROR_WANT_READ:
        return Outcome(TlsOutcome::kWantRead);
      case SSL_ERROR_WANT_WRITE:
        return Outcome(TlsOutcome::kWantWrite);
      default:
        break;
    }
    const bool refused = SSL_get_verify_result(ssl_) != X509_V_OK;
    ERR_clear_error();
    return Outcome(refused ? TlsOutcome::kCertificate : TlsOutcome::kFailed);
  }

  bool Resumed() const override { return SSL_session_reused(ssl_) == 1; }

  TlsResult Read(char* buffer, std::size_t size) override {
    ERR_clear_error();
    const int n = SSL_read(ssl_, buffer, Clamp(size));
    if (n > 0) return Moved(n);
    return Failure(n, true);
  }

  TlsResult Write(const char* data, std::size_t size) override {
    ERR_clear_error();
    const int n = SSL_write(ssl_, data, Clamp(size));
    if (n > 0) return Moved(n);
    return Failure(n, false);
  }

  bool HasPending() const override { return SSL_pending(ssl_) > 0; }

  void SendCloseNotify() override {
    ERR_clear_error();
    SSL_shutdown(ssl_);
    ERR_clear_error();
  }

 private:
  static int Clamp(std::size_t size) { return static_cast<int>(size > INT_MAX ? INT_MAX : size); }

  // What a read or write that moved nothing means. errno is taken before
  // anything else can change it.
  TlsResult Failure(int rc, bool reading) {
    const int code = SSL_get_error(ssl_, rc);
    const int system_error = errno;
    TlsResult r;
    switch (code) {
      case SSL_ERROR_ZERO_RETURN:
        r = Outcome(reading ? TlsOutcome::kClosed : TlsOutcome::kFailed);
        break;
      case SSL_ERROR_WANT_READ:
        return Outcome(TlsOutcome::kWantRead);
      case SSL_ERROR_WANT_WRITE:
        return Outcome(TlsOutcome::kWantWrite);
      case SSL_ERROR_SYSCALL:
        r = Outcome(TlsOutcome::kSystemError, system_error);
        break;
      default:
        r = Outcome(TlsOutcome::kFailed);  // a record that does not decrypt or parse
        break;
    }
    ERR_clear_error();
    return r;
  }

  SSL* ssl_;
  std::string cache_key_;
};

int NewSession(SSL* ssl, SSL_SESSION* session);

// One context for every connection; rebuilt when the trusted set changes. The
// sessions kept belong to it and go with it.
class OpenSslEngine final : public TlsEngine {
 public:
  void SetExtraTrust(const std::string& pem_file) override {
    std::lock_guard lock(mutex_);
    if (extra_trust_ == pem_file) return;
    extra_trust_ = pem_file;
    DropContext();
  }

  void ClearSessionCache() override {
    std::lock_guard lock(mutex_);
    DropSessions();
  }

  std::unique_ptr<TlsConnection> Open(int fd, const std::string& server_name,
                                      const std::string& cache_key) override {
    std::lock_guard lock(mutex_);
    SSL_CTX* ctx = Context();
    if (!ctx) return nullptr;
    SSL* ssl = SSL_new(ctx);
    if (!ssl) return nullptr;
    BIO* bio = BIO_new(SocketMethod());
    if (!bio) {
      SSL_free(ssl);
      return nullptr;
    }
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
    SSL_set_bio(ssl, bio, bio);
    if (IsDottedAddress(server_name)) {
      // No SNI for an address; the certificate must name the address itself.
      X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), server_name.c_str());
    } else {
      // SSL_set_tlsext_host_name, without the macro's C cast.
      SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
               const_cast<char*>(server_name.c_str()));
      SSL_set1_host(ssl, server_name.c_str());
    }
    const auto kept = sessions_.find(cache_key);
    if (kept != sessions_.end()) SSL_set_session(ssl, kept->second);
    ERR_clear_error();
    return std::make_unique<OpenSslConnection>(ssl, cache_key);
  }

  // A new session of a connection (TLS 1.3 tickets arrive after the
  // handshake); 1 when it is kept.
  int Keep(SSL* ssl, SSL_SESSION* session) {
    const auto* key = static_cast<const std::string*>(SSL_get_app_data(ssl));
    if (!key) return 0;
    std::lock_guard lock(mutex_);
    if (SSL_get_SSL_CTX(ssl) != ctx_) return 0;  // from a context since replaced
    auto it = sessions_.find(*key);
    if (it != sessions_.end()) {
      SSL_SESSION_free(it->second);
      it->second = session;
      return 1;
    }
    if (sessions_.size() >= kMaxKeptSessions) {
      SSL_SESSION_free(sessions_.begin()->second);
      sessions_.erase(sessions_.begin());
    }
    sessions_.emplace(*key, session);
    return 1;  // the session is ours now
  }

 private:
  void DropSessions() {
    for (auto& [key, s] : sessions_) SSL_SESSION_free(s);
    sessions_.clear();
  }

  void DropContext() {
    DropSessions();
    SSL_CTX_free(ctx_);
    ctx_ = nullptr;
  }

  SSL_CTX* Context() {
    if (ctx_) return ctx_;
    ctx_ = SSL_CTX_new(TLS_client_method());
    if (!ctx_) return nullptr;
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(ctx_);
    // An unreadable file leaves the system store alone.
    if (!extra_trust_.empty()) SSL_CTX_load_verify_locations(ctx_, extra_trust_.c_str(), nullptr);
    // HTTP/1.0 ends a document by closing, often without close_notify.
    SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(ctx_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Sessions are kept here, by host:port, not in OpenSSL's own cache.
    SSL_CTX_set_session_cache_mode(ctx_, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(ctx_, NewSession);
    ERR_clear_error();
    return ctx_;
  }

  std::mutex mutex_;
  std::string extra_trust_;
  SSL_CTX* ctx_ = nullptr;
  std::map<std::string, SSL_SESSION*> sessions_;
};

OpenSslEngine& TheEngine() {
  // Lives as long as the process: connections may end during exit.
  static OpenSslEngine* engine = new OpenSslEngine;
  return *engine;
}

int NewSession(SSL* ssl, SSL_SESSION* session) {
  return TheEngine().Keep(ssl, session);
}

}  // namespace
}  // namespace vexo

extern "C" __attribute__((visibility("default"))) vexo::TlsEngine* vexo_tls_engine_v1() {
  return &vexo::TheEngine();
}
