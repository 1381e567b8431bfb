#include "fetch/http_client.h"

#include <algorithm>
#include <cstring>

#include "fetch/basic_auth.h"
#include "fetch/cookie_jar.h"
#include "fetch/response_head.h"
#include "platform/tcp_socket.h"

namespace vexo {
namespace {

constexpr char kCrLf[] = "\r\n";

// "Mon, 07 Dec 2026 08:16:59" of a UTC time, without a zone conversion.
Bytes HttpDate(std::time_t t) {
  static const char kDays[] = "SunMonTueWedThuFriSat";
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d",
                kDays + 3 * (tm.tm_wday % 7), tm.tm_mday, kMonths + 3 * (tm.tm_mon % 12),
                tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

// An address with one of these bytes would split the request line.
bool BreaksRequestLine(std::string_view address) {
  return address.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// What makes two hops the same request: scheme, host, port and path, each
// with its length, so that no two addresses give one key.
Bytes TargetKey(const RequestTarget& t) {
  Bytes key = t.tls ? "s" : "p";
  for (const Bytes* part : {&t.host, &t.port, &t.path})
    key.append(std::to_string(part->size())).append(":").append(*part);
  return key;
}

// The address the server of a hop sees: its Host line and request path (a
// whole address after a Location of a bare page name).
Bytes CookieAddress(const RequestTarget& t) {
  if (!t.path.empty() && t.path[0] != '/') return t.path;
  return (t.tls ? "https://" : "http://") + t.target_host + t.path;
}

Bytes JoinCookies(const Bytes& given, const Bytes& jar) {
  if (given.empty() || jar.empty()) return given + jar;
  return given + "; " + jar;
}

}  // namespace

HttpClient::HttpClient() {
  socket_.OnDnsLookupDone = [this](int error) { HandleDnsLookupDone(error); };
  socket_.OnSessionConnected = [this](int error) { HandleSessionConnected(error); };
  socket_.OnDataAvailable = [this](int error) { HandleDataAvailable(error); };
  socket_.OnSessionClosed = [this](int error) { HandleSessionClosed(error); };
}

HttpClient::~HttpClient() {
  *alive_ = false;
  // The socket goes quietly: a destroyed client raises nothing more.
  socket_.OnDnsLookupDone = nullptr;
  socket_.OnSessionConnected = nullptr;
  socket_.OnDataAvailable = nullptr;
  socket_.OnSessionClosed = nullptr;
}

bool HttpClient::Raise(const Event& e) {
  if (!e) return true;
  const auto alive = alive_;
  e(*this);
  return *alive;
}

void HttpClient::SetState(HttpClientState s) {
  if (s == state_) return;
  state_ = s;
  if (s == HttpClientState::Idle) {
    // Posted before OnStateChange runs, yet runs after it: a handler that
    // raises or starts the client again cannot lose the request's end. The
    // values are this request's, also when the client is started again
    // before the call runs.
    posted_.Post([this, type = request_type_, error = request_error_] {
      if (!OnRequestDone) return;
      const RequestDoneEvent handler = OnRequestDone;  // outlives a destroyed client
      handler(*this, type, error);
    });
  }
  if (OnStateChange) OnStateChange(*this);
}

bool HttpClient::EnterState(HttpClientState s) {
  const auto alive = alive_;
  SetState(s);
  return *alive && state_ == s;
}

// ---- Starting -------------------------------------------------------------

void HttpClient::StartGet() {
  if (state_ != HttpClientState::Idle) throw SocketError(0, "HTTP client is busy");
  ++request_id_;
  header_lines_.clear();
  request_type_ = RequestType::Get;
  request_error_ = 0;
  relocation_close_ = false;
  relocating_ = false;
  relocation_loop_ = false;
  relocations_ = 0;
  asked_.clear();
  if (!EnterState(HttpClientState::Starting)) return;  // cancelled by the handler

  status_code_ = 0;
  received_count_ = 0;
  header_line_count_ = 0;
  piece_count_ = 0;
  content_length_ = -1;
  content_type_.clear();
  challenges_.clear();
  rcv_start_ = rcv_end_ = 0;
  skipping_long_line_ = false;
  header_total_ = 0;
  coding_ = ContentCoding::Identity;
  inflater_.End();

  const AddressParts parts = SplitAddress(URL);
  target_.location = URL;
  target_.host = parts.host;
  target_.target_host = parts.host;
  target_.path = parts.path.empty() ? Bytes("/") : parts.path;
  target_.tls = IsTlsScheme(parts.scheme);
  target_.port = parts.port.empty() ? Bytes(DefaultPort(target_.tls)) : parts.port;
  if (!parts.user.empty() || !parts.password.empty()) {
    Username = parts.user;
    Password = parts.password;
  }
  if (BreaksRequestLine(URL)) {
    Fail(kWsaInvalid);
    return;
  }
  BeginConnection();
}

// ---- Connecting -----------------------------------------------------------

void HttpClient::BeginConnection() {
  socket_.DnsResult.clear();
  if (!EnterState(HttpClientState::Resolving)) return;
  tunnel_.Plan(Proxy.get(), target_);
  if (tunnel_.Broken()) {
    Fail(kErrorProxyUnreachable);
    return;
  }
  connect_port_ = tunnel_.Endpoint().port;
  socket_.DnsLookup(target_.host.empty() ? target_.host : Bytes(tunnel_.FirstLookup()));
}

void HttpClient::HandleDnsLookupDone(int error) {
  if (state_ != HttpClientState::Resolving) return;  // Cancelling, or stale
  if (tunnel_.NeedsAddress()) {
    // The destination's address, for the proxy; the proxy's own comes next.
    if (error) {
      Fail(error);
      return;
    }
    tunnel_.SetAddress(socket_.DnsResult);
    try {
      socket_.DnsLookup(tunnel_.Endpoint().host);
    } catch (const SocketError&) {
      Fail(kErrorProxyUnreachable);
    }
    return;
  }
  if (error) {
    Fail(tunnel_.ConnectError(error));
    return;
  }
  if (!EnterState(HttpClientState::Resolved)) return;
  socket_.Addr = socket_.DnsResult;
  socket_.Port = IntToText(connect_port_);
  socket_.Proto = "tcp";
  socket_.MultiThreaded = MultiThreaded;
  socket_.ConnectTimeoutMs = ConnectTimeoutMs;
  socket_.Tls = target_.tls && !tunnel_.Used();  // through a proxy, TLS starts in the tunnel
  socket_.TlsHost = target_.host;                // the name asked for, also when mapped elsewhere
  try {
    socket_.Connect();
  } catch (const SocketError&) {
    const int code = socket_.LastError;
    socket_.Close();
    Fail(tunnel_.ConnectError(code));
  }
}

void HttpClient::Fail(int error) {
  request_error_ = error;
  status_code_ = kStatusConnectFailed;
  Complete();
}

void HttpClient::EndWithError(int error) {
  request_error_ = error;
  status_code_ = kStatusConnectFailed;
  relocating_ = false;
  inflater_.End();
  rcv_start_ = rcv_end_ = 0;
  socket_.Close();
}

void HttpClient::HandleSessionConnected(int error) {
  if (state_ != HttpClientState::Resolved) return;
  if (error) {
    Fail(tunnel_.ConnectError(error));
    return;
  }
  if (tunnel_.Due()) {
    BeginTunnel();
    return;
  }
  connected_ = true;
  if (!EnterState(HttpClientState::Connected)) return;
  if (!Raise(OnSessionConnected) || state_ != HttpClientState::Connected) return;
  next_line_ = &HttpClient::HandleHeaderLine;
  if (!EnterState(HttpClientState::ReadingHeader)) return;
  SendRequest();
}

void HttpClient::BeginTunnel() {
  try {
    tunnel_.Begin(socket_);
  } catch (const SocketError&) {
    // The socket has closed itself; that close ends the request.
  }
}

void HttpClient::ContinueTunnel() {
  try {
    switch (tunnel_.Read(socket_)) {
      case ProxyTunnel::Step::kWaiting:
        return;
      case ProxyTunnel::Step::kFailed:
        EndWithError(tunnel_.Error());
        return;
      case ProxyTunnel::Step::kOpen:
        break;
    }
    if (!target_.tls) {
      HandleSessionConnected(0);
      return;
    }
    // SNI and the certificate check are the destination's, never the proxy's.
    socket_.TlsHost = target_.host;
    socket_.StartTls(static_cast<int>(TextToInt(target_.port)));
  } catch (const SocketError&) {
    // A send failed and the socket has closed itself: that close ended the
    // request.
  }
}

// ---- The request ----------------------------------------------------------

void HttpClient::SendRequest() {
  const auto alive = alive_;
  const std::uint64_t id = request_id_;
  Bytes text;
  bool ok = true;
  // Each line passes OnCommand, which may change it, cancel the request or
  // destroy the client: false when the client is gone, and nothing of it may
  // be read any more.
  auto add = [&](Bytes line, bool closing = false) {
    if (!ok) return true;
    if (OnCommand) OnCommand(*this, line);
    if (!*alive) return false;
    ok = id == request_id_ && state_ == HttpClientState::ReadingHeader;
    if (!line.empty() || closing) text += line + kCrLf;
    return true;
  };

  if (!Raise(OnRequestHeaderBegin) || state_ != HttpClientState::ReadingHeader) return;
  if (!add("GET " + tunnel_.RequestPath(target_) + " HTTP/1.0")) return;
  if (!Sender.empty() && !add("From: " + Sender)) return;
  if (!Accept.empty() && !add("Accept: " + Accept)) return;
  if (AcceptCompressed && !add("Accept-Encoding: gzip, deflate")) return;
  if (!Reference.empty() && !add("Referer: " + Reference)) return;
  if (!Agent.empty() && !add("User-Agent: " + Agent)) return;
  if (!add("Host: " + target_.target_host)) return;
  if (NoCache && !add("Pragma: no-cache")) return;
  if (ModifiedSince != 0 && !add("If-Modified-Since: " + HttpDate(ModifiedSince) + " GMT")) return;
  if (!Username.empty() && !add("Authorization: " + BasicCredentials(Username, Password))) return;
  if (const Bytes line = tunnel_.AuthorizationLine(); !line.empty() && !add(line)) return;
  cookie_url_ = CookieAddress(target_);
  const Bytes cookie =
      JoinCookies(Cookie, Cookies ? Cookies->HeaderFor(cookie_url_, std::time(nullptr)) : Bytes());
  if (!cookie.empty() && !add("Cookie: " + cookie)) return;
  if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
    if (!add("Range: bytes=" + ContentRangeBegin + "-" + ContentRangeEnd)) return;
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
  }
  // By index: OnCommand may change the list.
  for (std::size_t i = 0; i < ExtraHeaders.size(); ++i) {
    const Bytes extra = ExtraHeaders[i];
    const bool clean = std::none_of(extra.begin(), extra.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (clean && !add(extra)) return;
  }
  if (!ok) return;
  if (!Raise(OnRequestHeaderEnd) || state_ != HttpClientState::ReadingHeader) return;
  if (!add("", true) || !ok) return;
  try {
    socket_.Send(text);
  } catch (const SocketError&) {
    // The socket has closed itself; that close ends the request.
    connected_ = false;
  }
}

// ---- Receiving ------------------------------------------------------------

void HttpClient::HandleDataAvailable(int) {
  if (tunnel_.InHandshake()) {
    if (state_ == HttpClientState::Resolved) ContinueTunnel();
    return;
  }
  if (rcv_start_ > 0) {
    std::memmove(rcv_buf_, rcv_buf_ + rcv_start_, static_cast<std::size_t>(Pending()));
    rcv_end_ -= rcv_start_;
    rcv_start_ = 0;
  }
  const long n =
      socket_.Receive(rcv_buf_ + rcv_end_, static_cast<std::size_t>(kReceiveBufferSize - rcv_end_));
  if (n <= 0) return;
  if (!Busy()) {
    rcv_start_ = rcv_end_ = 0;  // no request under way: nothing to process
    return;
  }
  rcv_end_ += static_cast<int>(n);
  rcv_buf_[rcv_end_] = '\0';
  if (state_ == HttpClientState::ReadingBody && next_line_ == &HttpClient::HandleDocumentLine &&
      !skipping_long_line_) {
    DeliverPending();
    return;
  }
  CutLines();
}

void HttpClient::CutLines() {
  const auto alive = alive_;
  while (Busy() && Pending() > 0) {
    char* const from = rcv_buf_ + rcv_start_;
    auto* lf = static_cast<char*>(std::memchr(from, '\n', static_cast<std::size_t>(Pending())));
    if (skipping_long_line_) {
      // The rest of a line that did not fit the buffer is dropped.
      const int skipped = lf ? static_cast<int>(lf - from) + 1 : Pending();
      if (next_line_ == &HttpClient::HandleHeaderLine && !CountHeaderBytes(skipped)) return;
      if (!lf) {
        rcv_start_ = rcv_end_ = 0;
        return;
      }
      rcv_start_ += skipped;
      skipping_long_line_ = false;
      continue;
    }
    if (!lf) break;
    int len = static_cast<int>(lf - from);
    rcv_start_ += len + 1;
    if (len > 0 && from[len - 1] == '\r') --len;
    from[len] = '\0';  // over the line end: the handler may read a C string
    (this->*next_line_)(from, len);
    if (!*alive) return;
  }
  if (!Busy()) return;
  if (Pending() >= kReceiveBufferSize) {
    // A line longer than the buffer: its first 8,192 bytes count as the line,
    // the rest up to its line feed is skipped.
    skipping_long_line_ = true;
    const int len = Pending();
    rcv_start_ = rcv_end_ = 0;
    (this->*next_line_)(rcv_buf_, len);
    if (!*alive) return;
  }
  // Bytes after the last line of a header-less response are document too.
  if (state_ == HttpClientState::ReadingBody && next_line_ == &HttpClient::HandleDocumentLine &&
      Pending() > 0 && !skipping_long_line_)
    DeliverPending();
}

bool HttpClient::CountHeaderBytes(int len) {
  header_total_ += static_cast<std::size_t>(len);
  if (header_total_ <= kMaxHeaderBytes) return true;
  EndWithError(kErrorHeaderTooLarge);
  return false;
}

void HttpClient::HandleHeaderLine(const char* line, int len) {
  const auto alive = alive_;
  const std::string_view text(line, static_cast<std::size_t>(len));
  if (!CountHeaderBytes(len + 2)) return;
  if (header_line_count_++ == 0 && (!Raise(OnHeaderBegin) || !Busy())) return;

  const HeadLine head = ParseHeadLine(text);
  if (head.kind == HeadLineKind::PageStart) {
    // No header at all: the page starts right here, in plain text whatever
    // a Content-Encoding line before it said.
    if (content_type_.empty()) content_type_ = "text/html";
    coding_ = ContentCoding::Identity;
    skipping_long_line_ = false;  // the rest of an over-long first line is page text too
    if (!EnterState(HttpClientState::ReadingBody)) return;
    next_line_ = &HttpClient::HandleDocumentLine;
    if (!Raise(OnHeaderEnd) || !Busy()) return;
    const Bytes first(text);
    DeliverPiece(first.c_str(), len);
    return;
  }
  if (head.kind == HeadLineKind::End) {
    EndOfHeader();
    return;
  }

  header_lines_.emplace_back(text);
  if (head.kind == HeadLineKind::Status) {
    if (head.status_code >= 0) status_code_ = head.status_code;
    if (const int error = tunnel_.ForwardedStatusError(status_code_)) {
      EndWithError(error);
      return;
    }
  } else if (head.kind == HeadLineKind::Field) {
    HandleField(head);
    if (!*alive || !Busy()) return;
  }
  if (!Raise(OnHeaderData) || !Busy()) return;
  if (status_code_ >= 400) socket_.Close();  // nothing more of an error response is read
}

void HttpClient::HandleField(const HeadLine& head) {
  const Bytes& value = head.value;
  switch (head.field) {
    case HeadField::Location: {
      relocating_ = true;
      const Bytes fetched = TargetKey(target_);
      asked_.push_back(fetched);
      ApplyLocation(target_, value);
      // A Location back to the address just fetched would be asked for again
      // and again, and so would one between two addresses: an address asked
      // for twice in this request is not asked for a third time. (Once back
      // is allowed: a site may send a reader away to set a cookie and back.)
      // One that would split the request line is never sent.
      const Bytes next = TargetKey(target_);
      relocation_loop_ = next == fetched || std::count(asked_.begin(), asked_.end(), next) >= 2;
      if (BreaksRequestLine(value)) target_.host.clear();
      break;
    }
    case HeadField::ContentLength:
      ParseContentLength(value, content_length_);
      break;
    case HeadField::ContentRange: {
      ContentRangeText range = ParseContentRange(value);
      ContentRangeBegin = std::move(range.begin);
      ContentRangeEnd = std::move(range.end);
      break;
    }
    case HeadField::AcceptRanges:
      accept_ranges_ = value;
      break;
    case HeadField::ContentType:
      content_type_ = Lower(value);
      break;
    case HeadField::WwwAuthenticate:
      challenges_.push_back(value);
      break;
    case HeadField::SetCookie: {
      bool accept = true;
      const auto alive = alive_;
      if (OnCookie) OnCookie(*this, value, accept);
      if (accept && *alive && Cookies) Cookies->TakeValue(cookie_url_, value, std::time(nullptr));
      break;
    }
    case HeadField::ContentEncoding:
      coding_ = AddContentCoding(coding_, value);
      break;
    case HeadField::Other:
      break;
  }
}

void HttpClient::EndOfHeader() {
  if (relocating_) {
    if (relocation_loop_ || ++relocations_ > kMaxRelocations) {
      EndWithError(kErrorRelocationLoop);
      return;
    }
    StartRelocation();
    return;
  }
  // A coding the client does not undo (Other) is handed on as it came: a
  // page mislabelled that way is still read, and one truly in another coding
  // finds no keyword, as before.
  inflater_.Start(coding_);
  encoded_count_ = 0;
  if (!EnterState(HttpClientState::ReadingBody)) return;
  next_line_ = &HttpClient::HandleDocumentLine;
  if (!Raise(OnHeaderEnd)) return;
  if (state_ == HttpClientState::ReadingBody && Pending() > 0) DeliverPending();
}

void HttpClient::HandleDocumentLine(const char* line, int len) {
  DeliverPiece(line, len);
}

void HttpClient::DeliverPending() {
  const int len = Pending();
  char* const from = rcv_buf_ + rcv_start_;
  rcv_start_ = rcv_end_ = 0;  // emptied before the handler runs
  if (inflater_.Active()) {
    DeliverInflated(from, len);
  } else {
    DeliverPiece(from, len);
  }
}

void HttpClient::DeliverInflated(const char* data, int len) {
  const auto alive = alive_;
  const std::uint64_t id = request_id_;
  encoded_count_ += len;
  // The bytes stay in the receive buffer while they inflate: it is filled
  // again only by the next read, after this returns.
  inflater_.Feed(data, static_cast<std::size_t>(len));
  while (true) {
    std::string_view piece;
    const BodyInflater::Step step = inflater_.Next(piece);
    if (!piece.empty()) {
      DeliverPiece(piece.data(), static_cast<int>(piece.size()));
      // Gone, cancelled, started again, or at the bound: nothing more of
      // this body.
      if (!*alive || id != request_id_ || !Busy() || !inflater_.Active()) return;
    }
    switch (step) {
      case BodyInflater::Step::kMore:
        continue;
      case BodyInflater::Step::kNeedInput:
        if (encoded_count_ >= kMaxBodyBytes) EndBody();
        return;
      case BodyInflater::Step::kEnd:
        // Bytes after the stream's end are no part of the page.
        EndBody();
        return;
      case BodyInflater::Step::kError:
        EndWithError(kErrorContentEncoding);
        return;
    }
  }
}

void HttpClient::EndBody() {
  inflater_.End();
  rcv_start_ = rcv_end_ = 0;
  socket_.Close();
}

void HttpClient::DeliverPiece(const char* data, int len) {
  if (piece_count_ == 0 && (!Raise(OnDocBegin) || !Busy())) return;
  const bool last = received_count_ + len >= kMaxBodyBytes;
  Bytes cut;  // the piece cut at the bound, followed by a zero byte like every other
  if (last) {
    len = static_cast<int>(kMaxBodyBytes - received_count_);
    cut.assign(data, static_cast<std::size_t>(len));
    data = cut.c_str();
  }
  ++piece_count_;
  received_count_ += len;
  if (DocumentStream) DocumentStream->write(data, len);
  const auto alive = alive_;
  if (OnDocData) OnDocData(*this, data, len);
  // Enough of one page: the rest is not read, and the request ends normally.
  if (last && *alive && Busy()) EndBody();
}

// ---- Relocation -----------------------------------------------------------

void HttpClient::StartRelocation() {
  if (!Raise(OnHeaderEnd) || !Busy()) return;
  rcv_start_ = rcv_end_ = 0;  // the body of a relocating response is never read
  skipping_long_line_ = false;
  header_line_count_ = 0;
  coding_ = ContentCoding::Identity;
  piece_count_ = 0;
  relocation_close_ = true;
  socket_.Close();
}

void HttpClient::HandleRelocationClosed() {
  connected_ = false;
  relocating_ = false;
  relocation_close_ = false;
  if (!Raise(OnLocationChange)) return;
  const std::uint64_t id = request_id_;
  posted_.Post([this, id] {
    // A Cancel in between has ended the request already.
    if (id != request_id_ || state_ != HttpClientState::ReadingHeader) return;
    try {
      BeginConnection();
    } catch (const SocketError& e) {
      if (state_ == HttpClientState::Resolving) Fail(e.Code());
    }
  });
}

// ---- Completion -----------------------------------------------------------

void HttpClient::HandleSessionClosed(int) {
  if (relocation_close_) {
    HandleRelocationClosed();
    return;
  }
  if (state_ == HttpClientState::Idle) return;
  if (tunnel_.InHandshake() && request_error_ == 0) {
    request_error_ = kErrorProxyProtocol;  // the proxy broke off its handshake
    status_code_ = kStatusConnectFailed;
  }
  if (state_ == HttpClientState::ReadingBody && inflater_.Unfinished()) {
    // The connection ended inside the compressed stream: what came is
    // delivered, but the page is not whole.
    request_error_ = kErrorContentEncoding;
    status_code_ = kStatusConnectFailed;
  }
  inflater_.End();
  Complete();
}

void HttpClient::Complete() {
  connected_ = false;
  if (piece_count_ > 0 && !Raise(OnDocEnd)) return;
  const std::uint64_t id = request_id_;
  posted_.Post([this, id] {
    if (id == request_id_) SetState(HttpClientState::Idle);
  });
}

// ---- Cancel ---------------------------------------------------------------

void HttpClient::Cancel() {
  if (state_ == HttpClientState::Idle) {
    if (socket_.State() != SocketState::sockClosed) socket_.Close();
    return;
  }
  const HttpClientState old = state_;
  const auto alive = alive_;
  if (!EnterState(HttpClientState::Cancelling)) return;
  if (old == HttpClientState::Resolving) socket_.CancelDnsLookup();
  status_code_ = kStatusCancelled;
  request_error_ = kErrorCancelled;
  relocation_close_ = false;
  inflater_.End();
  if (old == HttpClientState::Resolving) {
    Complete();
  } else {
    socket_.Close();
  }
  if (!*alive) return;
  SetState(HttpClientState::Idle);
}

}  // namespace vexo
