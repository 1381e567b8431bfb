#include "fetch/proxy_tunnel.h"

#include <algorithm>

#include "fetch/basic_auth.h"
#include "fetch/http_client.h"

namespace vexo {
namespace {

int PortOf(const RequestTarget& target) {
  long long port = 0;
  if (!TryTextToInt(target.port, port) || port < 1 || port > 65535) port = 0;
  return static_cast<int>(port);
}

}  // namespace

void ProxyTunnel::Plan(const ProxySources* sources, const RequestTarget& target) {
  const int port = PortOf(target);
  tls_ = target.tls;
  proxy_ = sources ? ChooseProxy(*sources, target.tls, target.host, port) : ProxyServer();
  handshake_.reset();
  begun_ = open_ = needs_address_ = false;
  error_ = reply_ = 0;
  // Only the address connected to moves; host, Host header and Location stay.
  if (!proxy_.Used() || Broken()) {
    endpoint_ = Resolve(target.host, port);
    return;
  }
  endpoint_ = Resolve(proxy_.host, proxy_.port);
  if (proxy_.kind == ProxyKind::kSocks5) {
    // The destination is looked up here, where the map still applies to it.
    destination_ = Resolve(target.host, port);
    needs_address_ = true;
    return;
  }
  if (proxy_.Socks() || tls_) handshake_.emplace(proxy_, target.host, port);
}

const std::string& ProxyTunnel::FirstLookup() const {
  return needs_address_ ? destination_.host : endpoint_.host;
}

void ProxyTunnel::SetAddress(const Bytes& dotted) {
  needs_address_ = false;
  handshake_.emplace(proxy_, destination_.host, destination_.port, dotted);
}

int ProxyTunnel::ConnectError(int error) const {
  return Used() && !open_ ? kErrorProxyUnreachable : error;
}

void ProxyTunnel::Begin(AsyncSocket& socket) {
  begun_ = true;
  socket.Send(handshake_->Opening());
}

ProxyTunnel::Step ProxyTunnel::Read(AsyncSocket& socket) {
  char buffer[512];
  while (InHandshake()) {
    const std::size_t wanted = std::min(handshake_->Wanted(), sizeof buffer);
    const long n = socket.Receive(buffer, wanted);
    if (n <= 0) return Step::kWaiting;  // the end of the stream comes as the close
    Bytes send;
    const ProxyHandshake::Outcome outcome =
        handshake_->Take(std::string_view(buffer, static_cast<std::size_t>(n)), send);
    if (outcome == ProxyHandshake::Outcome::kFailed) {
      error_ = handshake_->Error();
      reply_ = handshake_->Reply();
      return Step::kFailed;
    }
    if (!send.empty()) socket.Send(send);
    if (outcome == ProxyHandshake::Outcome::kDone) open_ = true;
  }
  return Step::kOpen;
}

Bytes ProxyTunnel::RequestPath(const RequestTarget& target) const {
  if (!Forwards()) return target.path;
  const bool usual_port = target.port.empty() || target.port == "80";
  return "http://" + target.target_host + (usual_port ? Bytes() : ":" + target.port) + target.path;
}

Bytes ProxyTunnel::AuthorizationLine() const {
  if (!Forwards() || proxy_.user.empty()) return {};
  return "Proxy-Authorization: " + BasicCredentials(proxy_.user, proxy_.password);
}

int ProxyTunnel::ForwardedStatusError(int status) {
  if (!Forwards() || status != 407) return 0;
  reply_ = status;
  return kErrorProxyAuth;
}

}  // namespace vexo
