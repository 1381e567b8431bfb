#include "fetch/proxy_handshake.h"

#include <arpa/inet.h>

#include "fetch/basic_auth.h"
#include "fetch/http_client.h"

namespace vexo {
namespace {

constexpr char kSocksVersion = 5;
constexpr unsigned char kMethodNone = 0;
constexpr unsigned char kMethodPassword = 2;
constexpr std::size_t kSocksReplyHead = 5;  // VER REP RSV ATYP and one byte of the address

unsigned Byte(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

void AppendPort(Bytes& out, int port) {
  out += static_cast<char>((port >> 8) & 0xFF);
  out += static_cast<char>(port & 0xFF);
}

// A length-prefixed field of RFC 1928/1929; false when it does not fit a byte.
bool AppendCounted(Bytes& out, std::string_view field) {
  if (field.size() > 255) return false;
  out += static_cast<char>(field.size());
  out += field;
  return true;
}

// The three-digit status of "HTTP/x.y NNN ...", or -1.
int StatusOfLine(std::string_view head) {
  if (!StartsWithNoCase(head, "http/")) return -1;
  const std::size_t space = head.find(' ');
  if (space == std::string_view::npos || space + 4 > head.size()) return -1;
  int status = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (head[i] < '0' || head[i] > '9') return -1;
    status = status * 10 + (head[i] - '0');
  }
  return status;
}

}  // namespace

ProxyHandshake::ProxyHandshake(const ProxyServer& proxy, std::string_view host, int port,
                               std::string_view address)
    : proxy_(proxy),
      host_(host),
      port_(port),
      address_(address),
      phase_(proxy.Socks() ? Phase::kSocksMethod : Phase::kHttpHead),
      wanted_(proxy.Socks() ? 2 : 0) {}

Bytes ProxyHandshake::Opening() const {
  if (proxy_.Socks()) {
    // With credentials both methods are offered: the proxy picks.
    return proxy_.user.empty() ? Bytes("\x05\x01\x00", 3) : Bytes("\x05\x02\x00\x02", 4);
  }
  const Bytes where = host_ + ":" + IntToText(port_);
  Bytes text = "CONNECT " + where + " HTTP/1.1\r\nHost: " + where + "\r\n";
  if (!proxy_.user.empty())
    text += "Proxy-Authorization: " + BasicCredentials(proxy_.user, proxy_.password) + "\r\n";
  return text + "\r\n";
}

std::size_t ProxyHandshake::Wanted() const {
  if (phase_ == Phase::kDone) return 0;
  if (phase_ != Phase::kHttpHead) return wanted_ - got_.size();
  // The fewest bytes that could end the head ("\n\n" or "\r\n\r\n"), so
  // that none of the tunnel's own bytes are read here.
  const std::string_view got = got_;
  if (got.ends_with('\n') || got.ends_with("\n\r")) return 1;
  return 2;
}

ProxyHandshake::Outcome ProxyHandshake::Take(std::string_view bytes, Bytes& send) {
  send.clear();
  if (phase_ == Phase::kDone) return Outcome::kDone;
  if (phase_ == Phase::kHttpHead) return TakeHttpHead(bytes);
  got_ += bytes;
  if (got_.size() < wanted_) return Outcome::kMore;
  switch (phase_) {
    case Phase::kSocksMethod:
      return TakeSocksMethod(send);
    case Phase::kSocksAuth:
      return TakeSocksAuth(send);
    case Phase::kSocksReplyHead:
      return TakeSocksReplyHead();
    default:
      phase_ = Phase::kDone;
      return Outcome::kDone;
  }
}

ProxyHandshake::Outcome ProxyHandshake::TakeHttpHead(std::string_view bytes) {
  got_ += bytes;
  if (got_.size() > kMaxProxyHeadBytes) return Fail(kErrorProxyProtocol);
  const std::string_view got = got_;
  if (got.ends_with("\n\n") || got.ends_with("\n\r\n")) return EndHttpHead();
  return Outcome::kMore;
}

ProxyHandshake::Outcome ProxyHandshake::EndHttpHead() {
  const int status = StatusOfLine(got_);
  if (status < 0) return Fail(kErrorProxyProtocol);
  if (status == 407) return Fail(kErrorProxyAuth, status);
  if (status < 200 || status > 299) return Fail(kErrorProxyRefused, status);
  phase_ = Phase::kDone;
  return Outcome::kDone;
}

ProxyHandshake::Outcome ProxyHandshake::TakeSocksMethod(Bytes& send) {
  if (got_[0] != kSocksVersion) return Fail(kErrorProxyProtocol);
  const unsigned method = Byte(got_, 1);
  if (method == kMethodPassword && !proxy_.user.empty()) {
    send = SocksAuthRequest();
    if (send.empty()) return Fail(kErrorProxyAuth);
    return Next(Phase::kSocksAuth, 2);
  }
  if (method != kMethodNone) return Fail(kErrorSocksMethod, static_cast<int>(method));
  send = SocksConnectRequest();
  if (send.empty()) return Fail(kErrorSocksConnect);
  return Next(Phase::kSocksReplyHead, kSocksReplyHead);
}

ProxyHandshake::Outcome ProxyHandshake::TakeSocksAuth(Bytes& send) {
  // The status byte decides; proxies disagree on the version byte before it.
  if (Byte(got_, 1) != 0) return Fail(kErrorProxyAuth, static_cast<int>(Byte(got_, 1)));
  send = SocksConnectRequest();
  if (send.empty()) return Fail(kErrorSocksConnect);
  return Next(Phase::kSocksReplyHead, kSocksReplyHead);
}

ProxyHandshake::Outcome ProxyHandshake::TakeSocksReplyHead() {
  if (got_[0] != kSocksVersion) return Fail(kErrorProxyProtocol);
  if (Byte(got_, 1) != 0) return Fail(kErrorSocksConnect, static_cast<int>(Byte(got_, 1)));
  // The rest of the bound address (one byte of it is read) and the port.
  std::size_t rest = 0;
  switch (Byte(got_, 3)) {
    case 1:
      rest = 4 - 1 + 2;
      break;
    case 3:
      rest = Byte(got_, 4) + 2;
      break;
    case 4:
      rest = 16 - 1 + 2;
      break;
    default:
      return Fail(kErrorProxyProtocol);
  }
  return Next(Phase::kSocksReplyRest, rest);
}

Bytes ProxyHandshake::SocksAuthRequest() const {
  Bytes out(1, '\x01');
  if (!AppendCounted(out, proxy_.user) || !AppendCounted(out, proxy_.password)) return {};
  return out;
}

Bytes ProxyHandshake::SocksConnectRequest() const {
  Bytes out("\x05\x01\x00", 3);
  if (proxy_.kind == ProxyKind::kSocks5h) {
    out += '\x03';
    if (host_.empty() || !AppendCounted(out, host_)) return {};
  } else {
    in_addr addr{};
    if (inet_pton(AF_INET, address_.c_str(), &addr) != 1) return {};
    out += '\x01';
    out.append(reinterpret_cast<const char*>(&addr.s_addr), 4);  // already in network order
  }
  AppendPort(out, port_);
  return out;
}

ProxyHandshake::Outcome ProxyHandshake::Fail(int error, int reply) {
  error_ = error;
  reply_ = reply;
  phase_ = Phase::kDone;
  return Outcome::kFailed;
}

ProxyHandshake::Outcome ProxyHandshake::Next(Phase phase, std::size_t wanted) {
  phase_ = phase;
  got_.clear();
  wanted_ = wanted;
  return Outcome::kMore;
}

}  // namespace vexo
