#pragma once
// The words exchanged with a proxy before a connection reaches its
// destination: an HTTP CONNECT tunnel, or SOCKS5 (RFC 1928) with the
// username/password method (RFC 1929) when the proxy has credentials. Bytes
// in, bytes out; the caller moves them. It never asks for more bytes than the
// proxy's answer holds, so nothing of the destination's stream is taken.

#include <cstddef>
#include <string_view>

#include "fetch/proxy_config.h"
#include "platform/bytes.h"

namespace vexo {

class ProxyHandshake {
 public:
  enum class Outcome { kMore, kDone, kFailed };

  // A handshake with `proxy` (HTTP or SOCKS) for a tunnel to host:port.
  // address: the destination's dotted address, sent instead of the name by
  // kSocks5 (empty for the others).
  ProxyHandshake(const ProxyServer& proxy, std::string_view host, int port,
                 std::string_view address = {});

  // The bytes that open the handshake.
  Bytes Opening() const;
  // At most this many bytes may be read next (at least 1 while kMore).
  std::size_t Wanted() const;
  // Takes bytes read (no more than Wanted); `send` receives what must go to
  // the proxy now (often nothing).
  Outcome Take(std::string_view bytes, Bytes& send);

  // After kFailed: the request's error (kErrorProxy... of http_client.h) and
  // what the proxy answered: an HTTP status, or a SOCKS reply code.
  int Error() const { return error_; }
  int Reply() const { return reply_; }

 private:
  enum class Phase { kHttpHead, kSocksMethod, kSocksAuth, kSocksReplyHead, kSocksReplyRest, kDone };

  Outcome TakeHttpHead(std::string_view bytes);
  Outcome EndHttpHead();
  Outcome TakeSocksMethod(Bytes& send);
  Outcome TakeSocksAuth(Bytes& send);
  Outcome TakeSocksReplyHead();
  Bytes SocksAuthRequest() const;
  Bytes SocksConnectRequest() const;
  Outcome Fail(int error, int reply = 0);
  Outcome Next(Phase phase, std::size_t wanted);

  ProxyServer proxy_;
  Bytes host_;
  int port_;
  Bytes address_;
  Phase phase_;
  Bytes got_;               // bytes of the current answer so far
  std::size_t wanted_ = 0;  // bytes of the current answer still to come (SOCKS)
  int error_ = 0;
  int reply_ = 0;
};

// Longest head a proxy may answer a CONNECT with.
inline constexpr std::size_t kMaxProxyHeadBytes = 16u << 10;

}  // namespace vexo
