#pragma once
// A non-blocking IPv4 TCP client socket watched by the calling thread's event
// loop. It reports readiness only; what to read and when to give up is the
// owner's business. Errors are Winsock-numbered codes (see WinsockCode).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace vexo {

// Socket error codes, numbered as Winsock numbers them.
inline constexpr int kWsaInterrupted = 10004;
inline constexpr int kWsaInvalid = 10022;
inline constexpr int kWsaTooManyOpen = 10024;
inline constexpr int kWsaWouldBlock = 10035;
inline constexpr int kWsaAddrNotAvail = 10049;
inline constexpr int kWsaNetDown = 10050;
inline constexpr int kWsaNetUnreachable = 10051;
inline constexpr int kWsaConnAborted = 10053;
inline constexpr int kWsaConnReset = 10054;
inline constexpr int kWsaNoBuffers = 10055;
inline constexpr int kWsaNotConnected = 10057;
inline constexpr int kWsaTimedOut = 10060;
inline constexpr int kWsaConnRefused = 10061;
inline constexpr int kWsaHostUnreachable = 10065;

// Winsock-style code of an errno value (0 stays 0).
int WinsockCode(int errno_value);

class TlsSession;

class TcpSocket {
 public:
  TcpSocket();
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Called when the connection is made (0) or has failed (a code); the handle
  // is already released on failure.
  std::function<void(int error)> onConnectDone;
  // Called while bytes (or the end of the stream) wait to be received.
  std::function<void()> onReadable;
  // Called when more bytes can be sent, while WatchWritable(true).
  std::function<void()> onWritable;

  // Opens a handle (closing resets the connection; keep-alive; address reuse)
  // and starts connecting to a dotted IPv4 address. 0 when under way.
  int Connect(const std::string& dotted, std::uint16_t port);
  // Whether the next connections speak TLS. server_name is sent as SNI and
  // checked against the certificate; the handshake follows the TCP connect,
  // and onConnectDone reports its end (kErrorTlsCertificate or
  // kErrorTlsHandshake on failure). Sessions are resumed by cache_key.
  void SetTls(bool on, std::string server_name = {}, std::string cache_key = {});
  // Starts TLS on the connection made plainly (a proxy's tunnel), as SetTls
  // would have after the connect: onConnectDone reports the handshake's end,
  // from the loop. 0 when under way; kWsaNotConnected on no open connection.
  int StartTls(std::string server_name, std::string cache_key);
  // Whether the last handshake resumed a kept session (also once closed).
  bool TlsResumed() const { return tls_resumed_; }
  // Decrypted bytes wait for Receive without the handle being readable.
  bool HasBufferedInput() const;
  bool IsOpen() const { return fd_ >= 0; }
  bool IsConnecting() const { return connecting_; }

  // Bytes sent (>= 0), or -1 with error set; would-block sends 0 bytes.
  long Send(const char* data, std::size_t size, int& error);
  // Bytes received (> 0); 0 at the end of the stream; -1 with error set,
  // kWsaWouldBlock when nothing is there yet.
  long Receive(char* buffer, std::size_t size, int& error);

  void WatchWritable(bool on);
  void ShutdownSend();
  // Releases the handle; no callback follows.
  void Close();

 private:
  void HandleRead();
  void HandleWrite();
  void FinishConnect();
  void StepHandshake();

  int fd_ = -1;
  bool connecting_ = false;
  bool want_write_ = false;
  bool tls_on_ = false;
  std::string tls_name_;
  std::string tls_key_;
  std::unique_ptr<TlsSession> tls_;
  bool tls_read_wants_write_ = false;
  bool tls_resumed_ = false;
  std::unique_ptr<QSocketNotifier> read_;
  std::unique_ptr<QSocketNotifier> write_;
};

}  // namespace vexo
