#pragma once
// What the TLS module offers the program. OpenSSL is the largest library the
// program uses, and a start needs it only once a page is asked for over https:
// so it lives in a module of its own (libvexo-tls.so), loaded then
// (tls_engine_loader.h). This header is all that the two share. Both are built
// together; the entry point's name carries the interface's version, so a
// module left over from another build is refused instead of misread.

#include <cstddef>
#include <memory>
#include <string>

namespace vexo {

enum class TlsOutcome {
  kDone,         // the step is complete; `bytes` moved
  kWantRead,     // waits for the handle to be readable
  kWantWrite,    // waits for the handle to be writable
  kClosed,       // the peer ended the stream (with or without close_notify)
  kSystemError,  // the handle failed: `system_error` (0: the peer went away)
  kCertificate,  // the peer's certificate was refused
  kFailed,       // any other failure of the protocol
};

struct TlsResult {
  TlsOutcome outcome = TlsOutcome::kDone;
  long bytes = 0;
  int system_error = 0;
};

// One TLS connection over a connected non-blocking handle it does not own.
class TlsConnection {
 public:
  virtual ~TlsConnection() = default;
  virtual TlsResult Handshake() = 0;
  // Whether the handshake resumed a kept session.
  virtual bool Resumed() const = 0;
  virtual TlsResult Read(char* buffer, std::size_t size) = 0;
  virtual TlsResult Write(const char* data, std::size_t size) = 0;
  // Decrypted bytes wait inside the connection.
  virtual bool HasPending() const = 0;
  virtual void SendCloseNotify() = 0;
};

// The module's one object: its settings and the sessions kept for
// resumption. Thread-safe.
class TlsEngine {
 public:
  virtual ~TlsEngine() = default;
  // Trusted certificates beside the system's: a PEM file, or empty for none.
  virtual void SetExtraTrust(const std::string& pem_file) = 0;
  virtual void ClearSessionCache() = 0;
  // server_name is sent as SNI (not for a dotted address) and checked against
  // the certificate; cache_key names the kept session. nullptr when no
  // connection could be made.
  virtual std::unique_ptr<TlsConnection> Open(int fd, const std::string& server_name,
                                              const std::string& cache_key) = 0;
};

inline constexpr char kTlsModuleFile[] = "libvexo-tls.so";
inline constexpr char kTlsEngineEntry[] = "vexo_tls_engine_v1";
using TlsEngineEntry = TlsEngine* (*)();

}  // namespace vexo
