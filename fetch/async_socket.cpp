#include "fetch/async_socket.h"

#include <cerrno>
#include <cstdint>

#include "platform/quietly.h"
#include "platform/tls_session.h"

namespace vexo {

const char* SocketErrorDesc(int code) {
  switch (code) {
    case kWsaInterrupted:
      return "Interrupted system call";
    case kWsaInvalid:
      return "Invalid argument";
    case kWsaTooManyOpen:
      return "Too many open files";
    case kWsaWouldBlock:
      return "Operation would block";
    case kWsaAddrNotAvail:
      return "Address not available";
    case kWsaNetDown:
      return "Network is down";
    case kWsaNetUnreachable:
      return "Network is unreachable";
    case kWsaConnAborted:
      return "Connection aborted";
    case kWsaConnReset:
      return "Connection reset by peer";
    case kWsaNoBuffers:
      return "No buffer space available";
    case kWsaNotConnected:
      return "Socket is not connected";
    case kWsaTimedOut:
      return "Connection timed out";
    case kWsaConnRefused:
      return "Connection refused";
    case kWsaHostUnreachable:
      return "No route to host";
    case kLookupHostNotFound:
      return "Host not found";
    case kLookupTryAgain:
      return "Non-authoritative host not found";
    case kLookupNoRecovery:
      return "Non-recoverable error";
    case kLookupNoData:
      return "Valid name, no data record of requested type";
    case kErrorTlsCertificate:
      return "Certificate not trusted";
    case kErrorTlsHandshake:
      return "Secure channel error";
    default:
      return "Not a WinSock error";
  }
}

std::string SocketErrorMessage(int code, std::string_view function) {
  return "Error " + IntToText(code) + " in function " + std::string(function) + "\r\n" +
         SocketErrorDesc(code);
}

AsyncSocket::AsyncSocket() {
  connect_timer_.setSingleShot(true);
  QObject::connect(&connect_timer_, &QTimer::timeout, [this] { HandleConnectTimeout(); });
  tcp_.onConnectDone = [this](int error) { HandleConnectDone(error); };
  tcp_.onReadable = [this] { HandleReadable(); };
  tcp_.onWritable = [this] { HandleWritable(); };
}

AsyncSocket::~AsyncSocket() {
  *alive_ = false;
  lookup_.Cancel();
  DropHandle();
}

void AsyncSocket::DnsLookup(const Bytes& host) {
  if (host.empty()) throw SocketError(kWsaInvalid, "DNS lookup: invalid host name.");
  DnsResult.clear();
  DnsResultList.clear();
  const int rc = lookup_.Start(host, [this](int error, const std::vector<std::string>& found) {
    DnsResultList.assign(found.begin(), found.end());
    DnsResult = found.empty() ? Bytes() : found.front();
    if (error) LastError = error;
    if (OnDnsLookupDone) OnDnsLookupDone(error);
  });
  if (rc != 0) {
    LastError = WinsockCode(rc);
    throw SocketError(LastError, host + ": can't start DNS lookup, error #" + IntToText(LastError));
  }
}

void AsyncSocket::CancelDnsLookup() {
  if (!lookup_.Pending()) return;
  lookup_.Cancel();
  LastError = kWsaInterrupted;
  if (OnDnsLookupDone) OnDnsLookupDone(kWsaInterrupted);
}

void AsyncSocket::Connect() {
  long long port = 0;
  if (Lower(Proto) != "tcp" || !TryTextToInt(Port, port) || port < 1 || port > 65535) {
    LastError = kWsaInvalid;
    throw SocketError(LastError, SocketErrorMessage(LastError, "Connect"));
  }
  DropHandle();
  end_of_stream_ = false;
  send_buffer_.Clear();
  tcp_.SetTls(Tls, TlsHost, TlsHost + ":" + IntToText(port));
  const int rc = tcp_.Connect(Addr, static_cast<std::uint16_t>(port));
  if (rc != 0) {
    LastError = rc;
    state_ = SocketState::sockClosed;
    throw SocketError(LastError, SocketErrorMessage(LastError, "Connect"));
  }
  state_ = SocketState::sockConnecting;
  if (ConnectTimeoutMs > 0) connect_timer_.start(ConnectTimeoutMs);
}

void AsyncSocket::StartTls(int port) {
  const int rc = state_ == SocketState::sockConnected
                     ? tcp_.StartTls(TlsHost, TlsHost + ":" + IntToText(port))
                     : kWsaNotConnected;
  if (rc != 0) {
    LastError = rc;
    throw SocketError(LastError, SocketErrorMessage(LastError, "StartTls"));
  }
  state_ = SocketState::sockConnecting;
  if (ConnectTimeoutMs > 0) connect_timer_.start(ConnectTimeoutMs);
}

void AsyncSocket::HandleConnectDone(int error) {
  connect_timer_.stop();
  if (error) {
    LastError = error;
    state_ = SocketState::sockClosed;
  } else {
    state_ = SocketState::sockConnected;
  }
  NotifyConnected(error);
}

void AsyncSocket::HandleConnectTimeout() {
  if (state_ != SocketState::sockConnecting) return;
  tcp_.Close();
  state_ = SocketState::sockClosed;
  LastError = kWsaTimedOut;
  NotifyConnected(kWsaTimedOut);
}

void AsyncSocket::NotifyConnected(int error) {
  const auto alive = alive_;
  try {
    if (OnSessionConnected) OnSessionConnected(error);
  } catch (...) {
    // Nothing escapes into the loop: the connection is aborted instead, and
    // its close notification ends the owner's work.
    if (!*alive) return;
    Quietly([&] { Close(); });
  }
}

void AsyncSocket::Send(std::string_view data) {
  if (state_ != SocketState::sockConnected) {
    LastError = kWsaNotConnected;
    throw SocketError(LastError, SocketErrorMessage(LastError, "Send"));
  }
  send_buffer_.Append(data);
  Flush();
}

void AsyncSocket::Flush() {
  while (!send_buffer_.Empty()) {
    int error = 0;
    const std::string_view front = send_buffer_.Front();
    const long n = tcp_.Send(front.data(), front.size(), error);
    if (n < 0) {
      LastError = error;
      send_buffer_.Clear();
      Close();
      throw SocketError(error, SocketErrorMessage(error, "Send"));
    }
    if (n == 0) break;
    send_buffer_.Consume(static_cast<std::size_t>(n));
  }
  tcp_.WatchWritable(!send_buffer_.Empty());
  if (send_buffer_.Empty()) {
    posted_.Post([this] {
      if (OnDataSent) OnDataSent(0);
    });
  }
}

void AsyncSocket::HandleWritable() {
  // The socket is closed already; the close notification ends the request.
  Quietly([&] { Flush(); });
}

long AsyncSocket::Receive(char* buffer, std::size_t size) {
  if (size == 0) return 0;
  ++receive_calls_;
  if (!tcp_.IsOpen() || end_of_stream_) return 0;
  int error = 0;
  const long n = tcp_.Receive(buffer, size, error);
  if (n > 0) return n;
  if (n == 0) {
    end_of_stream_ = true;
  } else if (error != kWsaWouldBlock) {
    LastError = error;
    end_of_stream_ = true;
  }
  return 0;
}

void AsyncSocket::HandleReadable() {
  const auto alive = alive_;
  receive_calls_ = 0;
  // Reading stops until the next notification.
  Quietly([&] {
    if (OnDataAvailable) OnDataAvailable(0);
  });
  if (!*alive || !tcp_.IsOpen()) return;
  if (receive_calls_ == 0 && !end_of_stream_) {
    // Nobody read: drain here, or the loop would report the same bytes forever.
    char scratch[8192];
    Receive(scratch, sizeof scratch);
  }
  if (end_of_stream_) {
    Close();
  } else if (tcp_.HasBufferedInput()) {
    // TLS holds bytes already taken off the handle: no notification would come.
    posted_.Post([this] {
      if (tcp_.IsOpen()) HandleReadable();
    });
  }
}

void AsyncSocket::Close() {
  if (!tcp_.IsOpen()) return;
  tcp_.ShutdownSend();
  DropHandle();
  if (OnSessionClosed) OnSessionClosed(0);
}

void AsyncSocket::DropHandle() {
  connect_timer_.stop();
  tcp_.Close();
  send_buffer_.Clear();
  state_ = SocketState::sockClosed;
}

}  // namespace vexo
