#include "tests/support/tls_test_server.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace vexo::testing {
namespace {

std::shared_ptr<EVP_PKEY> NewKey() {
  return {EVP_EC_gen("P-256"), EVP_PKEY_free};
}

void AddExt(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext) throw std::runtime_error("test certificate extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

// A certificate for key, named cn; issuer null: signed by itself.
std::shared_ptr<X509> NewCert(EVP_PKEY* key, const std::string& cn, const Credentials* issuer,
                              long from_s, long to_s, bool ca, const std::string& san) {
  static std::atomic<long> serial{1};
  std::shared_ptr<X509> cert(X509_new(), X509_free);
  X509* x = cert.get();
  X509_set_version(x, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(x), serial++);
  X509_gmtime_adj(X509_getm_notBefore(x), from_s);
  X509_gmtime_adj(X509_getm_notAfter(x), to_s);
  X509_set_pubkey(x, key);
  X509_NAME* name = X509_get_subject_name(x);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1, 0);
  X509* issuer_cert = issuer ? issuer->cert.get() : x;
  X509_set_issuer_name(x, X509_get_subject_name(issuer_cert));
  AddExt(x, issuer_cert, NID_basic_constraints, ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
  AddExt(x, issuer_cert, NID_key_usage,
         ca ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature");
  AddExt(x, issuer_cert, NID_subject_key_identifier, "hash");
  AddExt(x, issuer_cert, NID_authority_key_identifier, "keyid:always");
  if (!ca) AddExt(x, issuer_cert, NID_ext_key_usage, "serverAuth");
  if (!san.empty()) AddExt(x, issuer_cert, NID_subject_alt_name, san.c_str());
  if (!X509_sign(x, issuer ? issuer->key.get() : key, EVP_sha256()))
    throw std::runtime_error("test certificate signature");
  return cert;
}

bool IsDotted(const std::string& name) {
  in_addr a{};
  return inet_pton(AF_INET, name.c_str(), &a) == 1;
}

bool HeaderComplete(const std::string& r) {
  return r.find("\r\n\r\n") != std::string::npos || r.find("\n\n") != std::string::npos;
}

// Loopback takes small writes at once; a full buffer waits briefly.
void SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, 1000) <= 0) return;
      continue;
    }
    if (n <= 0) return;  // the client is gone
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// What the TLS engine has for the wire.
std::string TakeOutput(SSL* ssl) {
  std::string out;
  char chunk[16384];
  int n;
  while ((n = BIO_read(SSL_get_wbio(ssl), chunk, sizeof chunk)) > 0)
    out.append(chunk, static_cast<std::size_t>(n));
  return out;
}

}  // namespace

TestCa::TestCa() {
  ca_.key = NewKey();
  ca_.cert = NewCert(ca_.key.get(), "Vexo Test CA", nullptr, -3600, 86400, true, "");
  static std::atomic<int> n{0};
  pem_file_ = (std::filesystem::temp_directory_path() /
               ("vexo-test-ca-" + std::to_string(::getpid()) + "-" + std::to_string(n++) + ".pem"))
                  .string();
  FILE* f = std::fopen(pem_file_.c_str(), "w");
  if (!f) throw std::runtime_error("test CA file");
  PEM_write_X509(f, ca_.cert.get());
  std::fclose(f);
}

TestCa::~TestCa() {
  std::error_code ec;
  std::filesystem::remove(pem_file_, ec);
}

Credentials TestCa::Issue(const std::vector<std::string>& names, long from_s, long to_s,
                          bool self_signed) const {
  std::string san;
  for (const auto& name : names) {
    if (!san.empty()) san += ",";
    san += (IsDotted(name) ? "IP:" : "DNS:") + name;
  }
  Credentials out;
  out.key = NewKey();
  out.cert = NewCert(out.key.get(), names.empty() ? "nobody" : names.front(),
                     self_signed ? nullptr : &ca_, from_s, to_s, false, san);
  return out;
}

struct TlsTestServer::Conn {
  int fd = -1;
  SSL* ssl = nullptr;
  bool handshaken = false;
  bool answered = false;
  bool counted = false;  // told to OnOpenChange as open
  std::string name;      // the server name the client asked for
  std::string request;
  std::unique_ptr<QSocketNotifier> read;
  std::unique_ptr<QTimer> delay;
};

TlsTestServer::TlsTestServer(const Credentials& creds, Handler handler, Mode mode)
    : handler_(std::move(handler)), mode_(mode) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  SSL_CTX_use_certificate(ctx, creds.cert.get());
  SSL_CTX_use_PrivateKey(ctx, creds.key.get());
  ctx_ = ctx;

  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
      ::listen(fd_, 64) < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0)
    throw std::runtime_error("TLS test server cannot listen");
  port_ = ntohs(addr.sin_port);
  accept_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(accept_.get(), &QSocketNotifier::activated, [this] { Accept(); });
}

TlsTestServer::~TlsTestServer() {
  OnOpenChange = nullptr;  // its owner may be half gone
  for (auto& c : conns_) Finish(*c, false);
  accept_.reset();
  if (fd_ >= 0) ::close(fd_);
  SSL_CTX_free(static_cast<SSL_CTX*>(ctx_));
}

void TlsTestServer::Accept() {
  while (true) {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    ++accepted_;
    conns_.push_back(std::make_unique<Conn>());
    Conn& c = *conns_.back();
    c.fd = fd;
    // Memory BIOs: the server's bytes pass through here, so a mode can cut them.
    c.ssl = SSL_new(static_cast<SSL_CTX*>(ctx_));
    SSL_set_bio(c.ssl, BIO_new(BIO_s_mem()), BIO_new(BIO_s_mem()));
    SSL_set_accept_state(c.ssl);
    c.read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(c.read.get(), &QSocketNotifier::activated, [this, &c] { Read(c); });
  }
}

void TlsTestServer::Read(Conn& c) {
  char buf[16384];
  const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    Finish(c, false);
    return;
  }
  raw_received_ += n;
  if (mode_ == Mode::kStallHandshake) return;
  BIO_write(SSL_get_rbio(c.ssl), buf, static_cast<int>(n));
  Pump(c);
}

void TlsTestServer::Pump(Conn& c) {
  if (!c.handshaken) {
    const int rc = SSL_do_handshake(c.ssl);
    const std::string out = TakeOutput(c.ssl);
    if ((mode_ == Mode::kResetInHandshake || mode_ == Mode::kTruncateHandshake) && !out.empty()) {
      SendAll(c.fd, std::string_view(out).substr(0, out.size() / 2));
      Finish(c, mode_ == Mode::kResetInHandshake);
      return;
    }
    SendAll(c.fd, out);
    if (rc != 1) {
      if (SSL_get_error(c.ssl, rc) != SSL_ERROR_WANT_READ) Finish(c, false);
      ERR_clear_error();
      return;
    }
    c.handshaken = true;
    if (SSL_session_reused(c.ssl)) ++resumed_;
    if (const char* name = SSL_get_servername(c.ssl, TLSEXT_NAMETYPE_host_name)) c.name = name;
    c.counted = true;
    if (OnOpenChange) OnOpenChange(c.name, +1);
  }
  char buf[4096];
  int n;
  while ((n = SSL_read(c.ssl, buf, sizeof buf)) > 0)
    c.request.append(buf, static_cast<std::size_t>(n));
  ERR_clear_error();
  SendAll(c.fd, TakeOutput(c.ssl));
  if (c.answered || !HeaderComplete(c.request)) return;
  c.answered = true;
  requests_.push_back(c.request);
  if (AnswerDelayMs <= 0) {
    Answer(c);
    return;
  }
  c.delay = std::make_unique<QTimer>();
  c.delay->setSingleShot(true);
  QObject::connect(c.delay.get(), &QTimer::timeout, [this, &c] { Answer(c); });
  c.delay->start(AnswerDelayMs);
}

void TlsTestServer::Answer(Conn& c) {
  if (!c.ssl) return;  // the client left while the answer waited
  const std::string response = handler_(c.request);
  if (!response.empty()) SSL_write(c.ssl, response.data(), static_cast<int>(response.size()));
  if (KeepOpen || (SilentOnEmpty && response.empty())) {
    SendAll(c.fd, TakeOutput(c.ssl));
    return;
  }
  SSL_shutdown(c.ssl);
  SendAll(c.fd, TakeOutput(c.ssl));
  Finish(c, false);
}

void TlsTestServer::Finish(Conn& c, bool reset) {
  if (c.delay) c.delay->stop();
  if (c.counted) {
    c.counted = false;
    if (OnOpenChange) OnOpenChange(c.name, -1);
  }
  if (c.ssl) {
    SSL_free(c.ssl);
    c.ssl = nullptr;
  }
  if (c.fd < 0) return;
  if (reset) {
    const linger l{1, 0};
    setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  }
  c.read->setEnabled(false);  // may be inside its own notification
  ::close(c.fd);
  c.fd = -1;
}

int OpenDescriptorCount() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (const dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
    --n;  // the directory's own
  }
  return n;
}

}  // namespace vexo::testing
