#include "fetch/cookie_scope.h"

#include <algorithm>

#include "fetch/http_address.h"

namespace vexo {

bool ReadCookieRequest(std::string_view url, CookieRequest& out) {
  const AddressParts parts = SplitAddress(url);
  const Bytes scheme = Lower(parts.scheme);
  if (!scheme.empty() && scheme != "http" && scheme != "https") return false;
  if (parts.host.empty() || std::any_of(parts.host.begin(), parts.host.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b <= 0x20 || b == 0x7f;
      }))
    return false;
  out.host = Lower(parts.host);
  out.secure = scheme == "https";
  const std::string_view path =
      std::string_view(parts.path).substr(0, parts.path.find_first_of("?#"));
  out.path = !path.empty() && path.front() == '/' ? Bytes(path) : Bytes("/");
  return true;
}

bool IsIpHost(std::string_view host) {
  if (!host.empty() && host.front() == '[') return true;
  // A name whose last label is a number reads as an IPv4 address.
  const std::size_t dot = host.rfind('.');
  const std::string_view last = dot == std::string_view::npos ? host : host.substr(dot + 1);
  return !last.empty() &&
         std::all_of(last.begin(), last.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsWidenableDomain(std::string_view domain) {
  const std::size_t dot = domain.find('.');
  return dot != std::string_view::npos && dot > 0 && domain.back() != '.' && !IsIpHost(domain);
}

bool DomainMatches(std::string_view host, std::string_view domain) {
  if (domain.empty()) return false;
  if (host == domain) return true;
  return host.size() > domain.size() && !IsIpHost(host) &&
         host.substr(host.size() - domain.size()) == domain &&
         host[host.size() - domain.size() - 1] == '.';
}

Bytes DefaultCookiePath(std::string_view request_path) {
  const std::size_t last = request_path.rfind('/');
  if (request_path.empty() || request_path.front() != '/' || last == 0) return "/";
  return Bytes(request_path.substr(0, last));
}

bool PathMatches(std::string_view request_path, std::string_view cookie_path) {
  if (cookie_path.empty()) return false;
  if (request_path.substr(0, cookie_path.size()) != cookie_path) return false;
  return request_path.size() == cookie_path.size() || cookie_path.back() == '/' ||
         request_path[cookie_path.size()] == '/';
}

}  // namespace vexo
