#include "platform/tls_session.h"

#include <cstdlib>
#include <mutex>

#include "platform/tcp_socket.h"
#include "platform/tls_engine.h"
#include "platform/tls_engine_loader.h"

namespace vexo {
namespace {

// What the program has said about trust, kept until the module is loaded and
// handed on to it from then on.
struct TrustSettings {
  std::mutex mutex;
  std::string config_ca;
  std::string env_ca;
  TlsEngine* engine = nullptr;  // once loaded

  std::string ExtraTrust() const { return env_ca.empty() ? config_ca : env_ca; }
  void HandOn() {
    if (engine) engine->SetExtraTrust(ExtraTrust());
  }
};

std::string EnvironmentCaFile() {
  const char* env = std::getenv("VEXO_CA_FILE");
  return env ? env : "";
}

TrustSettings& Trust() {
  static TrustSettings* settings = [] {
    auto* s = new TrustSettings;
    s->env_ca = EnvironmentCaFile();
    return s;
  }();
  return *settings;
}

TlsEngine* EngineForSessions() {
  TrustSettings& trust = Trust();
  std::lock_guard lock(trust.mutex);
  if (!trust.engine) {
    trust.engine = ProgramTlsEngine();
    trust.HandOn();
  }
  return trust.engine;
}

// Error of a call that failed outright, by errno: a reset, or the end.
int SystemError(const TlsResult& r) {
  return r.system_error ? WinsockCode(r.system_error) : kWsaConnReset;
}

}  // namespace

void SetTlsCaFile(std::string_view path) {
  TrustSettings& trust = Trust();
  std::lock_guard lock(trust.mutex);
  if (trust.config_ca == path) return;
  trust.config_ca = std::string(path);
  trust.HandOn();
}

void ReadTlsCaFileEnvironment() {
  TrustSettings& trust = Trust();
  std::lock_guard lock(trust.mutex);
  const std::string value = EnvironmentCaFile();
  if (trust.env_ca == value) return;
  trust.env_ca = value;
  trust.HandOn();
}

void ClearTlsSessionCache() {
  TrustSettings& trust = Trust();
  std::lock_guard lock(trust.mutex);
  if (trust.engine) trust.engine->ClearSessionCache();
}

TlsSession::TlsSession(int fd, const std::string& server_name, std::string cache_key) {
  if (TlsEngine* engine = EngineForSessions()) {
    connection_ = engine->Open(fd, server_name, cache_key);
  }
}

TlsSession::~TlsSession() = default;

TlsSession::Step TlsSession::Handshake(int& error) {
  error = kErrorTlsHandshake;
  if (!connection_) return Step::kFailed;
  if (established_) {
    error = 0;
    return Step::kDone;
  }
  switch (connection_->Handshake().outcome) {
    case TlsOutcome::kDone:
      established_ = true;
      error = 0;
      return Step::kDone;
    case TlsOutcome::kWantRead:
      return Step::kWantRead;
    case TlsOutcome::kWantWrite:
      return Step::kWantWrite;
    case TlsOutcome::kCertificate:
      error = kErrorTlsCertificate;
      break;
    default:
      break;
  }
  failed_ = true;
  return Step::kFailed;
}

bool TlsSession::Resumed() const {
  return connection_ && established_ && connection_->Resumed();
}

long TlsSession::Read(char* buffer, std::size_t size, int& error, bool& wants_write) {
  error = 0;
  wants_write = false;
  if (!connection_ || !established_ || failed_) {
    error = kWsaNotConnected;
    return -1;
  }
  const TlsResult r = connection_->Read(buffer, size);
  switch (r.outcome) {
    case TlsOutcome::kDone:
      return r.bytes;
    case TlsOutcome::kClosed:
      return 0;
    case TlsOutcome::kWantWrite:
      wants_write = true;
      [[fallthrough]];
    case TlsOutcome::kWantRead:
      error = kWsaWouldBlock;
      return -1;
    case TlsOutcome::kSystemError:
      error = SystemError(r);
      break;
    default:
      error = kWsaConnAborted;  // a record that does not decrypt or parse
      break;
  }
  failed_ = true;
  return -1;
}

long TlsSession::Write(const char* data, std::size_t size, int& error) {
  error = 0;
  if (!connection_ || !established_ || failed_) {
    error = kWsaNotConnected;
    return -1;
  }
  if (size == 0) return 0;
  const TlsResult r = connection_->Write(data, size);
  switch (r.outcome) {
    case TlsOutcome::kDone:
      return r.bytes;
    case TlsOutcome::kWantRead:
    case TlsOutcome::kWantWrite:
      return 0;
    case TlsOutcome::kSystemError:
      error = SystemError(r);
      break;
    default:
      error = kWsaConnAborted;
      break;
  }
  failed_ = true;
  return -1;
}

bool TlsSession::HasPending() const {
  return connection_ && established_ && !failed_ && connection_->HasPending();
}

void TlsSession::SendCloseNotify() {
  if (!connection_ || !established_ || failed_) return;
  connection_->SendCloseNotify();
}

}  // namespace vexo
