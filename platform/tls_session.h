#pragma once
// TLS over an already connected non-blocking TCP handle. The caller owns the
// handle and watches it; a session only says what it waits for (read or write
// readiness). The work is done by the TLS module (tls_engine.h), loaded with
// the first session: certificates are verified against the system trust
// store plus an optional extra PEM file, the server name is checked, and TLS
// 1.2 is the oldest version spoken. Sessions are resumed per host:port.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vexo {

// Error codes of a failed handshake (numbered as WinINet numbers them): the
// peer's certificate is not trusted, has expired or names another host ...
inline constexpr int kErrorTlsCertificate = 12045;
// ... or the handshake itself failed: reset, truncated, not TLS, no common
// protocol.
inline constexpr int kErrorTlsHandshake = 12157;

class TlsConnection;

// Extra trusted certificates, a PEM file, from the configuration (empty: none).
// The environment variable VEXO_CA_FILE, when set and not empty, wins. These
// three load no module: what they set reaches it when it is loaded.
void SetTlsCaFile(std::string_view path);
// Reads VEXO_CA_FILE again (it is read once on first use otherwise).
void ReadTlsCaFileEnvironment();
// Forgets every session kept for resumption.
void ClearTlsSessionCache();

class TlsSession {
 public:
  enum class Step { kDone, kWantRead, kWantWrite, kFailed };

  // fd: a connected handle (not owned). server_name: the name asked for, sent
  // as SNI (not for a dotted address) and checked against the certificate.
  // cache_key: where the session is kept for resumption.
  TlsSession(int fd, const std::string& server_name, std::string cache_key);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // Advances the handshake; on kFailed, error is kErrorTlsCertificate or
  // kErrorTlsHandshake.
  Step Handshake(int& error);
  bool Established() const { return established_; }
  // Whether the handshake resumed a kept session.
  bool Resumed() const;

  // Bytes read (> 0); 0 at the end of the stream (also one without
  // close_notify, as plain HTTP/1.0 ends); -1 with error set, kWsaWouldBlock
  // when no whole record is there yet. wants_write: TLS must send first.
  long Read(char* buffer, std::size_t size, int& error, bool& wants_write);
  // Bytes taken (>= 0; 0 when it would block); -1 with error set.
  long Write(const char* data, std::size_t size, int& error);
  // Decrypted bytes wait inside the session, unseen by the handle's watcher.
  bool HasPending() const;
  // Sends close_notify once, without waiting.
  void SendCloseNotify();

 private:
  std::unique_ptr<TlsConnection> connection_;
  bool established_ = false;
  bool failed_ = false;  // after a fatal error nothing more is said on the wire
};

}  // namespace vexo
