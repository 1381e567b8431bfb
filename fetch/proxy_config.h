#pragma once
// Which proxy a request goes through, decided without touching the network:
// the proxy address as a user writes it, the no_proxy list, and where the
// address comes from. The key `proxy` of the configuration wins ("none" turns
// proxies off); otherwise the environment is read as curl reads it.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

enum class ProxyKind {
  kNone,     // direct connection
  kHttp,     // forward for http, CONNECT tunnel for https
  kSocks5,   // SOCKS5, the destination resolved here and sent as an address
  kSocks5h,  // SOCKS5, the destination's name resolved by the proxy
  kInvalid   // an address that does not read: requests fail, never go direct
};

struct ProxyServer {
  ProxyKind kind = ProxyKind::kNone;
  Bytes host;
  int port = 0;
  Bytes user;  // percent-decoded; credentials are given when user is not empty
  Bytes password;

  bool Used() const { return kind != ProxyKind::kNone; }
  bool Socks() const { return kind == ProxyKind::kSocks5 || kind == ProxyKind::kSocks5h; }
};

// The port of a proxy address that names none, as curl assumes it.
inline constexpr int kDefaultProxyPort = 1080;

// Reads "[scheme://][user[:password]@]host[:port][/]" with the schemes http,
// socks5 and socks5h (none: http). Nothing when it does not read.
std::optional<ProxyServer> ParseProxyAddress(std::string_view text);

// Whether a no_proxy list exempts host:port: comma-separated entries, each
// "*" (every host), a host name (that host and its subdomains, with or without
// a leading dot), an IP address, or either with ":port" for that port only.
bool NoProxyExempts(std::string_view list, std::string_view host, int port);

// What the program knows at start about proxies: the configuration key (when
// present) and the environment variables curl reads, by name.
struct ProxySources {
  std::optional<Bytes> config;
  std::map<std::string, Bytes> environment;

  // The variables of this process, with the key of the configuration.
  static ProxySources FromProcess(std::optional<Bytes> config);
};

// The proxy of a request to host:port over http (tls false) or https.
ProxyServer ChooseProxy(const ProxySources& sources, bool tls, std::string_view host, int port);

}  // namespace vexo
