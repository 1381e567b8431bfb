#pragma once
// TLS for the tests' servers: a certificate authority made at test start with
// the OpenSSL API (nothing secret is kept in the repository), and an HTTPS
// server on 127.0.0.1 driven by the calling thread's Qt event loop, which can
// also misbehave in the middle of its handshake.

#include <QSocketNotifier>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

namespace vexo::testing {

// A certificate with its private key.
struct Credentials {
  std::shared_ptr<X509> cert;
  std::shared_ptr<EVP_PKEY> key;
};

class TestCa {
 public:
  // Makes the authority's key and certificate and writes the certificate to
  // a PEM file of its own.
  TestCa();
  ~TestCa();
  TestCa(const TestCa&) = delete;
  TestCa& operator=(const TestCa&) = delete;

  const std::string& PemFile() const { return pem_file_; }

  // A server certificate for names (host names, or dotted addresses), valid
  // from now + from_s to now + to_s seconds; signed by this authority, or by
  // its own key when self_signed.
  Credentials Issue(const std::vector<std::string>& names, long from_s = -3600, long to_s = 86400,
                    bool self_signed = false) const;

 private:
  Credentials ca_;
  std::string pem_file_;
};

class TlsTestServer {
 public:
  enum class Mode {
    kServe,              // handshake, then answer the request and close
    kStallHandshake,     // read the client's hello and never answer
    kResetInHandshake,   // send half of the first flight, then reset
    kTruncateHandshake,  // send half of the first flight, then close in order
  };
  // Receives the request's text; returns the whole response.
  using Handler = std::function<std::string(const std::string& request)>;

  TlsTestServer(const Credentials& creds, Handler handler, Mode mode = Mode::kServe);
  ~TlsTestServer();
  TlsTestServer(const TlsTestServer&) = delete;
  TlsTestServer& operator=(const TlsTestServer&) = delete;

  // After answering, keep the connection open and silent instead of closing.
  bool KeepOpen = false;
  // An empty response leaves the connection open and silent (a site that
  // never answers) instead of closing it.
  bool SilentOnEmpty = false;
  // The answer leaves this long (real time) after the request arrived, so
  // that a client's connections to one host overlap as on a slow web.
  int AnswerDelayMs = 0;
  // Told of each connection whose handshake completed (+1, with the server
  // name the client asked for) and of its end (-1).
  std::function<void(const std::string& server_name, int change)> OnOpenChange;

  std::uint16_t Port() const { return port_; }
  int Accepted() const { return accepted_; }
  // Bytes received on any connection so far (raw, before decryption).
  long long RawReceived() const { return raw_received_; }
  // The decrypted requests, one per answered connection.
  const std::vector<std::string>& Requests() const { return requests_; }
  // Handshakes this server completed by resuming a session.
  int Resumed() const { return resumed_; }

 private:
  struct Conn;
  void Accept();
  void Read(Conn& c);
  void Pump(Conn& c);
  void Answer(Conn& c);
  void Finish(Conn& c, bool reset);

  Handler handler_;
  Mode mode_;
  void* ctx_ = nullptr;  // SSL_CTX
  int fd_ = -1;
  std::uint16_t port_ = 0;
  int accepted_ = 0;
  int resumed_ = 0;
  long long raw_received_ = 0;
  std::vector<std::string> requests_;
  std::unique_ptr<QSocketNotifier> accept_;
  std::vector<std::unique_ptr<Conn>> conns_;
};

// Open descriptors of this process.
int OpenDescriptorCount();

}  // namespace vexo::testing
