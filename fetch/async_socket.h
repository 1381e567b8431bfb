#pragma once
// AsyncSocket: a non-blocking TCP client socket with asynchronous name lookup,
// driven by the event loop of the thread that created it. Every notification
// arrives on that thread, one at a time.

#include <QTimer>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "fetch/send_buffer.h"
#include "platform/bytes.h"
#include "platform/event_loop.h"
#include "platform/name_lookup.h"
#include "platform/tcp_socket.h"

namespace vexo {

enum class SocketState {
  sockInvalid,
  sockOpened,
  sockBound,
  sockConnecting,
  sockConnected,
  sockAccepting,
  sockListening,
  sockClosed
};

// What a socket operation raises: a Winsock-numbered code and a message.
class SocketError : public std::runtime_error {
 public:
  SocketError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// The standard text of a Winsock code; "Not a WinSock error" for others.
const char* SocketErrorDesc(int code);
// "Error <code> in function <name>" CR LF "<description>".
std::string SocketErrorMessage(int code, std::string_view function);

class AsyncSocket {
 public:
  using Notify = std::function<void(int error)>;

  AsyncSocket();
  // Cancels a pending lookup and closes an open connection without notifying.
  ~AsyncSocket();
  AsyncSocket(const AsyncSocket&) = delete;
  AsyncSocket& operator=(const AsyncSocket&) = delete;

  // Where Connect goes: a dotted address, a decimal port, "tcp".
  Bytes Addr;
  Bytes Port;
  Bytes Proto = "tcp";
  bool MultiThreaded = false;  // kept for the owner; the loop is Qt's either way
  // A connect (TLS handshake included) still pending after this long fails
  // with 10060 (timed out).
  int ConnectTimeoutMs = 30000;
  // Connect speaks TLS, checking the certificate against TlsHost (the name
  // asked for, not the address connected to); a failed handshake ends it with
  // kErrorTlsCertificate or kErrorTlsHandshake (platform/tls_session.h).
  bool Tls = false;
  Bytes TlsHost;
  // Whether the last TLS connection resumed a kept session.
  bool TlsResumed() const { return tcp_.TlsResumed(); }

  Bytes DnsResult;  // first address of the last lookup, dotted
  StringList DnsResultList;
  int LastError = 0;
  SocketState State() const { return state_; }

  Notify OnDnsLookupDone;
  Notify OnSessionConnected;
  // Raised again and again while received bytes (or the end) wait unread.
  Notify OnDataAvailable;
  Notify OnSessionClosed;
  Notify OnDataSent;

  // Looks host up; OnDnsLookupDone follows (at once for a dotted IPv4 address).
  // Raises SocketError for an empty name or when no lookup can be started.
  void DnsLookup(const Bytes& host);
  // A pending lookup ends at once with OnDnsLookupDone(10004).
  void CancelDnsLookup();
  // Starts connecting to Addr:Port; OnSessionConnected follows. Raises
  // SocketError (LastError set) when the connection cannot even start.
  void Connect();
  // Speaks TLS from here on over the connection made plainly (a proxy's
  // tunnel to TlsHost, port `port`), checking the certificate against TlsHost;
  // OnSessionConnected follows as after a Connect with Tls. Raises SocketError
  // when the socket is not connected.
  void StartTls(int port);
  // Queues data and sends what the connection takes now; the rest follows
  // as the connection drains. On a failure the socket is closed, then raises.
  void Send(std::string_view data);
  // Reads up to size bytes; 0 when nothing is there. The end of the stream or
  // a reset is noted and closes the socket once the read handler returns.
  long Receive(char* buffer, std::size_t size);
  // When a handle is open: shuts the sending side, closes, sockClosed, and
  // OnSessionClosed before returning. Nothing on a closed socket.
  void Close();

 private:
  void HandleConnectDone(int error);
  void HandleConnectTimeout();
  void NotifyConnected(int error);
  void HandleReadable();
  void HandleWritable();
  void Flush();
  void DropHandle();

  SocketState state_ = SocketState::sockClosed;
  TcpSocket tcp_;
  NameLookup lookup_;
  SendBuffer send_buffer_;
  QTimer connect_timer_;
  PostedCalls posted_;
  bool end_of_stream_ = false;
  int receive_calls_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vexo
