#pragma once
// The proxy's part of one HTTP client request, for the client's state machine
// to drive: where the connection is opened (the proxy, or the destination
// when none is used, through the connect-to map either way), what the request
// line names, and the handshake that runs over the connection before the
// request when the proxy must open a tunnel (CONNECT for https, SOCKS5).

#include <memory>
#include <optional>

#include "fetch/async_socket.h"
#include "fetch/http_address.h"
#include "fetch/proxy_config.h"
#include "fetch/proxy_handshake.h"
#include "platform/connect_to.h"

namespace vexo {

class ProxyTunnel {
 public:
  enum class Step { kWaiting, kOpen, kFailed };

  // Settles the route of a request for target (again at every hop); without
  // sources every request goes direct.
  void Plan(const ProxySources* sources, const RequestTarget& target);
  bool Used() const { return proxy_.Used(); }
  // The proxy address does not read: the request fails, it never goes direct.
  bool Broken() const { return proxy_.kind == ProxyKind::kInvalid; }
  // Where the connection is opened, after the connect-to map.
  const ConnectTarget& Endpoint() const { return endpoint_; }
  // The name to look up first: the destination's when it is sent to the
  // proxy as an address (socks5), else the endpoint's.
  const std::string& FirstLookup() const;
  // The destination's address is still to come from the lookup.
  bool NeedsAddress() const { return needs_address_; }
  void SetAddress(const Bytes& dotted);

  // The error of a connection that failed: the proxy's unreachable while no
  // tunnel is open; afterwards (TLS through it) the connection's own.
  int ConnectError(int error) const;
  // The connection is made and the handshake has not begun.
  bool Due() const { return handshake_ && !begun_; }
  bool InHandshake() const { return handshake_ && begun_ && !open_; }
  // Sends the opening; may raise SocketError (the socket then closes itself).
  void Begin(AsyncSocket& socket);
  // Reads what the proxy answered, as far as the handshake wants it.
  Step Read(AsyncSocket& socket);
  // After kFailed: the request's error.
  int Error() const { return error_; }
  // What the proxy answered when it refused: HTTP status or SOCKS code.
  int Reply() const { return reply_; }

  // An http request through an HTTP proxy names the whole address.
  Bytes RequestPath(const RequestTarget& target) const;
  // "Proxy-Authorization: Basic ..." for such a request with credentials.
  Bytes AuthorizationLine() const;
  // The error of a forwarded request the proxy answered with `status` (407:
  // credentials wanted or refused); 0 for an answer of the site.
  int ForwardedStatusError(int status);

 private:
  bool Forwards() const { return proxy_.kind == ProxyKind::kHttp && !tls_; }

  ProxyServer proxy_;
  bool tls_ = false;
  ConnectTarget endpoint_;
  ConnectTarget destination_;  // the destination after the map (socks5)
  bool needs_address_ = false;
  std::optional<ProxyHandshake> handshake_;
  bool begun_ = false;
  bool open_ = false;
  int error_ = 0;
  int reply_ = 0;
};

}  // namespace vexo
