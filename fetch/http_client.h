#pragma once
// HttpClient: an event-driven HTTP/1.0 GET client. One client fetches one
// address at a time without blocking: set URL and the handlers, call StartGet
// and return to the event loop; everything else happens in notifications on
// the creating thread. The document is handed on piece by piece as it arrives
// (at most 8,192 bytes, each followed by a zero byte) and is never gathered.
// A body the server compressed (Content-Encoding gzip, x-gzip or deflate) is
// handed on inflated, asked for or not: nothing above the client sees the
// compressed bytes.
//
// Settable properties are plain fields; the values a request produces are
// read through the accessors of the same names.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <ostream>

#include "fetch/async_socket.h"
#include "fetch/body_inflater.h"
#include "fetch/http_address.h"
#include "fetch/proxy_tunnel.h"
#include "fetch/response_head.h"
#include "platform/bytes.h"
#include "platform/event_loop.h"
#include "platform/tls_session.h"

namespace vexo {

class CookieJar;

enum class HttpClientState {
  Idle,
  Starting,
  Connected,
  Resolving,
  Resolved,
  ReadingHeader,
  ReadingBody,
  Cancelling
};

enum class RequestType : unsigned char { None = 0, Get = 1, Post = 2, Head = 3 };

// StatusCode values of failed requests, and RequestError after Cancel. An
// https request whose handshake fails ends with 907 and RequestError
// kErrorTlsCertificate (12045: not trusted, expired, another host's) or
// kErrorTlsHandshake (12157: reset, truncated, not TLS); see tls_session.h.
inline constexpr int kStatusConnectFailed = 907;
inline constexpr int kStatusCancelled = 908;
inline constexpr int kErrorCancelled = 3;
// RequestError values of requests the client ends itself, with StatusCode
// 907: more than kMaxRelocations hops, or a Location that names the address
// just fetched or one this request was sent to twice already; a response header above
// kMaxHeaderBytes; a compressed body that does not inflate (corrupt, or cut short by the
// connection's end), after the pieces that did.
inline constexpr int kErrorRelocationLoop = 20001;
inline constexpr int kErrorHeaderTooLarge = 20002;
inline constexpr int kErrorContentEncoding = 20003;
// RequestError values of requests through a proxy (proxy_config.h), with
// StatusCode 907, so that nothing above takes the proxy's answer for the
// site's; ProxyReply() keeps what the proxy said. The proxy could not be
// reached (no connection, no name, or an address that does not read) ...
inline constexpr int kErrorProxyUnreachable = 20004;
// ... it refused the CONNECT tunnel (ProxyReply: its HTTP status) ...
inline constexpr int kErrorProxyRefused = 20005;
// ... it wants credentials, or refused the ones given (an HTTP proxy's 407,
// or the SOCKS username/password status in ProxyReply) ...
inline constexpr int kErrorProxyAuth = 20006;
// ... a SOCKS proxy accepted none of the methods offered (ProxyReply: the
// method it chose, 255 for none) ...
inline constexpr int kErrorSocksMethod = 20007;
// ... a SOCKS proxy refused the connection or its address (ProxyReply: the
// reply code, 1 to 8 in RFC 1928) ...
inline constexpr int kErrorSocksConnect = 20008;
// ... or it broke off the handshake, or answered outside its protocol.
inline constexpr int kErrorProxyProtocol = 20009;

class HttpClient {
 public:
  using Event = std::function<void(HttpClient& sender)>;
  using DocDataEvent = std::function<void(HttpClient& sender, const char* buffer, int len)>;
  using RequestDoneEvent = std::function<void(HttpClient& sender, RequestType rq_type, int error)>;
  using CommandEvent = std::function<void(HttpClient& sender, Bytes& line)>;
  using CookieEvent = std::function<void(HttpClient& sender, const Bytes& data, bool& accept)>;

  static constexpr int kReceiveBufferSize = 8192;
  // Limits that keep one server from holding a client, or the main thread,
  // for ever: hops of one request, header bytes of one response (every piece
  // is classified by its header lines), and the body bytes delivered, after
  // which the request ends normally with what it has. A compressed body
  // counts its inflated bytes, and its compressed bytes are held to the same
  // bound, so that a stream that inflates to nothing cannot run for ever.
  static constexpr int kMaxRelocations = 20;
  static constexpr std::size_t kMaxHeaderBytes = 256u << 10;
  static constexpr long long kMaxBodyBytes = 8LL << 20;

  HttpClient();
  // Mid-request: closes the connection; no OnRequestDone follows.
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // --- settable properties ---
  Bytes URL;
  int Tag = 0;
  bool NoCache = false;
  bool MultiThreaded = false;
  Bytes Agent = "Mozilla/3.0 (compatible)";
  Bytes Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  // Sends "Accept-Encoding: gzip, deflate" after the Accept line.
  bool AcceptCompressed = false;
  Bytes Sender;
  Bytes Reference;
  Bytes Username;
  Bytes Password;
  Bytes Cookie;
  // When set, each request (each redirect hop too) also sends the jar's
  // cookies for its address, and the jar takes every Set-Cookie received
  // that OnCookie accepts.
  CookieJar* Cookies = nullptr;
  std::time_t ModifiedSince = 0;  // UTC seconds; 0 = none
  Bytes ContentRangeBegin;        // both cleared after one request
  Bytes ContentRangeEnd;
  Bytes ContentTypePost = "application/x-www-form-urlencoded";
  // Whole request lines sent after all the others, as given (a revisit's
  // "If-None-Match: ..."); a line holding a control byte is left out.
  StringList ExtraHeaders;
  // A connection not made after this long fails with 907 / 10060.
  int ConnectTimeoutMs = 30000;
  std::ostream* DocumentStream = nullptr;  // receives a copy of every piece
  // Where proxies come from (proxy_config.h); none: every request goes direct.
  std::shared_ptr<const ProxySources> Proxy;

  // --- values of the request ---
  int StatusCode() const { return status_code_; }
  const StringList& ReceivedHeaderLines() const { return header_lines_; }
  const Bytes& ContentType() const { return content_type_; }
  long long ContentLength() const { return content_length_; }
  const Bytes& Location() const { return target_.location; }
  int RequestError() const { return request_error_; }
  const Bytes& AcceptRanges() const { return accept_ranges_; }
  const StringList& AuthChallenges() const { return challenges_; }
  long long ReceivedCount() const { return received_count_; }
  HttpClientState State() const { return state_; }
  // Whether the request's last hop went through a proxy, and what the proxy
  // answered when it refused (see kErrorProxyRefused and the others).
  bool ThroughProxy() const { return tunnel_.Used(); }
  int ProxyReply() const { return tunnel_.Reply(); }
  const AsyncSocket& Socket() const { return socket_; }

  // --- events ---
  DocDataEvent OnDocData;
  RequestDoneEvent OnRequestDone;
  Event OnStateChange;
  Event OnSessionConnected;
  Event OnRequestHeaderBegin;
  Event OnRequestHeaderEnd;
  CommandEvent OnCommand;
  Event OnHeaderBegin;
  Event OnHeaderData;
  Event OnHeaderEnd;
  Event OnDocBegin;
  Event OnDocEnd;
  Event OnLocationChange;
  CookieEvent OnCookie;

  // Starts a GET of URL and returns at once. Raises SocketError when the
  // name lookup cannot even start (an empty host): the client then stays in
  // Resolving until Cancel. A client that is not idle raises SocketError too.
  void StartGet();
  // Ends the request in progress: StatusCode 908, RequestError 3, then one
  // OnRequestDone from the loop. On an idle client it raises nothing.
  void Cancel();

 private:
  using LineHandler = void (HttpClient::*)(const char* line, int len);

  // Transfer steps, in the order a request passes them.
  void BeginConnection();
  void HandleDnsLookupDone(int error);
  void HandleSessionConnected(int error);
  // The proxy's handshake, between the connection and the request.
  void BeginTunnel();
  void ContinueTunnel();
  void SendRequest();
  void HandleDataAvailable(int error);
  void CutLines();
  void HandleHeaderLine(const char* line, int len);
  // Adds to the header's size; false when that ended the request.
  bool CountHeaderBytes(int len);
  void HandleField(const HeadLine& head);
  void EndOfHeader();
  void HandleDocumentLine(const char* line, int len);
  void DeliverPiece(const char* data, int len);
  void DeliverPending();
  // Inflates the bytes of a compressed body and delivers what they make.
  void DeliverInflated(const char* data, int len);
  // The body is complete or long enough: the rest is not read, and the
  // request ends normally.
  void EndBody();
  void StartRelocation();
  void HandleRelocationClosed();
  void HandleSessionClosed(int error);
  void Complete();
  void SetState(HttpClientState s);
  // Sets the state; false when a handler of the change destroyed the client
  // or moved it on, and the step that called must stop.
  bool EnterState(HttpClientState s);
  void Fail(int error);
  // Ends a request whose connection is open: closing it completes it.
  void EndWithError(int error);

  bool Raise(const Event& e);  // false when the client is gone afterwards
  bool Busy() const {
    return state_ == HttpClientState::ReadingHeader || state_ == HttpClientState::ReadingBody;
  }
  int Pending() const { return rcv_end_ - rcv_start_; }

  HttpClientState state_ = HttpClientState::Idle;
  RequestType request_type_ = RequestType::None;
  std::uint64_t request_id_ = 0;
  RequestTarget target_;
  Bytes cookie_url_;  // the address of the hop under way, as cookies see it
  int connect_port_ = 0;

  int status_code_ = 0;
  StringList header_lines_;
  Bytes content_type_;
  long long content_length_ = -1;
  int request_error_ = 0;
  Bytes accept_ranges_;
  StringList challenges_;

  char rcv_buf_[kReceiveBufferSize + 1] = {};
  int rcv_start_ = 0;  // pending bytes are rcv_buf_[rcv_start_, rcv_end_)
  int rcv_end_ = 0;
  bool skipping_long_line_ = false;
  int header_line_count_ = 0;
  std::size_t header_total_ = 0;  // bytes of this response's header so far
  int relocations_ = 0;
  bool relocation_loop_ = false;
  StringList asked_;  // the addresses this request was redirected from
  int piece_count_ = 0;
  long long received_count_ = 0;
  long long encoded_count_ = 0;  // compressed bytes of the body read
  ContentCoding coding_ = ContentCoding::Identity;
  BodyInflater inflater_{kReceiveBufferSize};
  bool relocating_ = false;
  bool relocation_close_ = false;  // the socket's close goes to the relocation step
  bool connected_ = false;
  LineHandler next_line_ = &HttpClient::HandleHeaderLine;

  ProxyTunnel tunnel_;
  AsyncSocket socket_;
  PostedCalls posted_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vexo
