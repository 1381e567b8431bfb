#include "fetch/proxy_config.h"

#include <cstdlib>
#include <initializer_list>

#include "platform/name_lookup.h"

namespace vexo {
namespace {

bool IsHostByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

// "1".."65535" and nothing else.
std::optional<int> PortNumber(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int port = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

std::optional<ProxyKind> KindOfScheme(std::string_view scheme) {
  if (EqualsNoCase(scheme, "http")) return ProxyKind::kHttp;
  if (EqualsNoCase(scheme, "socks5")) return ProxyKind::kSocks5;
  if (EqualsNoCase(scheme, "socks5h")) return ProxyKind::kSocks5h;
  return std::nullopt;
}

// Reads "host[:port]" into proxy; false when it does not read.
bool ReadHostPort(std::string_view text, ProxyServer& proxy) {
  const std::size_t colon = text.find(':');
  const std::string_view host = text.substr(0, colon);
  if (host.empty()) return false;
  for (const char c : host)
    if (!IsHostByte(c)) return false;
  proxy.host = Bytes(host);
  proxy.port = kDefaultProxyPort;
  if (colon == std::string_view::npos) return true;
  const std::optional<int> port = PortNumber(text.substr(colon + 1));
  if (!port) return false;
  proxy.port = *port;
  return true;
}

// The first variable of names that is set and not empty.
const Bytes* FirstSet(const ProxySources& sources, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const auto it = sources.environment.find(name);
    if (it != sources.environment.end() && !TrimView(it->second).empty()) return &it->second;
  }
  return nullptr;
}

// One entry of a no_proxy list against a lower-cased host.
bool EntryExempts(std::string_view entry, std::string_view host, int port) {
  if (entry == "*") return true;
  const std::size_t colon = entry.rfind(':');
  if (colon != std::string_view::npos) {
    const std::optional<int> only = PortNumber(entry.substr(colon + 1));
    if (!only || *only != port) return false;
    entry = entry.substr(0, colon);
  }
  if (!entry.empty() && entry.front() == '.') entry.remove_prefix(1);
  if (entry.empty()) return false;
  const Bytes name = Lower(entry);
  if (host == name) return true;
  // An address matches itself only; a name matches its subdomains too.
  return !IsDottedIPv4(host) && host.size() > name.size() &&
         host.substr(host.size() - name.size()) == name &&
         host[host.size() - name.size() - 1] == '.';
}

}  // namespace

std::optional<ProxyServer> ParseProxyAddress(std::string_view text) {
  text = TrimView(text);
  ProxyServer proxy;
  proxy.kind = ProxyKind::kHttp;
  if (const std::size_t sep = text.find("://"); sep != std::string_view::npos) {
    const std::optional<ProxyKind> kind = KindOfScheme(text.substr(0, sep));
    if (!kind) return std::nullopt;
    proxy.kind = *kind;
    text.remove_prefix(sep + 3);
  }
  // A trailing "/" is allowed; a path is not.
  if (!text.empty() && text.back() == '/') text.remove_suffix(1);
  if (const std::size_t at = text.rfind('@'); at != std::string_view::npos) {
    const std::string_view credentials = text.substr(0, at);
    const std::size_t colon = credentials.find(':');
    proxy.user = PercentDecode(credentials.substr(0, colon));
    if (colon != std::string_view::npos)
      proxy.password = PercentDecode(credentials.substr(colon + 1));
    if (proxy.user.empty()) return std::nullopt;
    text.remove_prefix(at + 1);
  }
  if (!ReadHostPort(text, proxy)) return std::nullopt;
  return proxy;
}

bool NoProxyExempts(std::string_view list, std::string_view host, int port) {
  const Bytes lower_host = Lower(host);
  std::size_t from = 0;
  while (from <= list.size()) {
    std::size_t comma = list.find(',', from);
    if (comma == std::string_view::npos) comma = list.size();
    if (EntryExempts(TrimView(list.substr(from, comma - from)), lower_host, port)) return true;
    from = comma + 1;
  }
  return false;
}

ProxySources ProxySources::FromProcess(std::optional<Bytes> config) {
  ProxySources sources;
  sources.config = std::move(config);
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                           "no_proxy", "NO_PROXY"}) {
    if (const char* value = std::getenv(name)) sources.environment[name] = value;
  }
  return sources;
}

ProxyServer ChooseProxy(const ProxySources& sources, bool tls, std::string_view host, int port) {
  const Bytes* address = nullptr;
  if (sources.config && !TrimView(*sources.config).empty()) {
    if (EqualsNoCase(TrimView(*sources.config), "none")) return {};
    address = &*sources.config;
  } else if (tls) {
    address = FirstSet(sources, {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"});
  } else {
    // Only the lower-case http_proxy, as curl: HTTP_PROXY may come from a
    // CGI request's "Proxy:" header.
    address = FirstSet(sources, {"http_proxy", "all_proxy", "ALL_PROXY"});
  }
  if (!address) return {};
  if (const Bytes* no_proxy = FirstSet(sources, {"no_proxy", "NO_PROXY"});
      no_proxy && NoProxyExempts(*no_proxy, host, port))
    return {};
  ProxyServer invalid;
  invalid.kind = ProxyKind::kInvalid;
  return ParseProxyAddress(*address).value_or(invalid);
}

}  // namespace vexo
