#include "fetch/cookie_jar.h"

#include <algorithm>

#include "fetch/cookie_scope.h"

namespace vexo {
namespace {

constexpr std::string_view kSetCookie = "set-cookie:";

// The domain a cookie of the request may be kept for, and whether it is
// its host's alone; false when the request's host may not set it.
bool ScopeOf(const SetCookie& sc, const CookieRequest& r, Bytes& domain, bool& host_only) {
  host_only = sc.domain.empty() || (sc.domain == r.host && !IsWidenableDomain(sc.domain));
  if (host_only) {
    domain = r.host;
    return true;
  }
  domain = sc.domain;
  return IsWidenableDomain(domain) && DomainMatches(r.host, domain);
}

// When the cookie stops counting: Max-Age wins over Expires; neither
// makes a session cookie. A far date is cut to the lifetime bound.
void SetExpiry(const SetCookie& sc, std::int64_t now, bool& persistent, std::int64_t& expiry) {
  persistent = sc.has_max_age || sc.has_expires;
  if (sc.has_max_age) {
    expiry = sc.max_age <= 0 ? 0 : now + std::min(sc.max_age, CookieJar::kMaxLifetimeSeconds);
  } else if (sc.has_expires) {
    expiry = std::min(sc.expires, now + CookieJar::kMaxLifetimeSeconds);
  }
}

}  // namespace

void CookieJar::Take(std::string_view requestUrl, const StringList& responseHeaderLines,
                     std::int64_t nowSeconds) {
  for (const Bytes& line : responseHeaderLines) {
    if (line.size() < kSetCookie.size() || Lower(line.substr(0, kSetCookie.size())) != kSetCookie)
      continue;
    TakeValue(requestUrl, std::string_view(line).substr(kSetCookie.size()), nowSeconds);
  }
}

void CookieJar::TakeValue(std::string_view requestUrl, std::string_view setCookie,
                          std::int64_t nowSeconds) {
  CookieRequest r;
  SetCookie sc;
  if (!ReadCookieRequest(requestUrl, r) || !ParseSetCookie(setCookie, sc)) return;
  Cookie c;
  if (!ScopeOf(sc, r, c.domain, c.host_only) || c.domain.size() > kMaxDomainBytes) return;
  // A plain http answer may not set a cookie meant for https only.
  if (sc.secure && !r.secure) return;
  c.path = sc.path.empty() ? DefaultCookiePath(r.path) : sc.path;
  if (c.path.size() > kMaxCookieAttributeBytes) return;
  c.name = std::move(sc.name);
  c.value = std::move(sc.value);
  c.secure = sc.secure;
  SetExpiry(sc, nowSeconds, c.persistent, c.expiry);
  Store(std::move(c), r.secure, nowSeconds);
}

void CookieJar::Store(Cookie c, bool from_secure_request, std::int64_t now) {
  std::vector<Cookie>& cookies = by_domain_[c.domain];
  const auto same = std::find_if(cookies.begin(), cookies.end(), [&](const Cookie& old) {
    return old.name == c.name && old.path == c.path;
  });
  if (same != cookies.end()) {
    // Nor may it replace one.
    if (same->secure && !from_secure_request) return;
    c.order = same->order;
    EraseAt(cookies, static_cast<std::size_t>(same - cookies.begin()));
  } else {
    c.order = next_order_++;
  }
  if (Expired(c, now)) {
    if (cookies.empty()) by_domain_.erase(c.domain);
    return;
  }
  cookies.push_back(std::move(c));
  ++count_;
  KeepDomainBound(cookies, now);
  KeepJarBound(now);
}

void CookieJar::EraseAt(std::vector<Cookie>& cookies, std::size_t i) {
  cookies.erase(cookies.begin() + static_cast<std::ptrdiff_t>(i));
  --count_;
}

void CookieJar::KeepDomainBound(std::vector<Cookie>& cookies, std::int64_t now) {
  if (cookies.size() <= kMaxPerDomain) return;
  for (std::size_t i = cookies.size(); i-- > 0;)
    if (Expired(cookies[i], now)) EraseAt(cookies, i);
  while (cookies.size() > kMaxPerDomain) {
    const auto oldest =
        std::min_element(cookies.begin(), cookies.end(),
                         [](const Cookie& a, const Cookie& b) { return a.order < b.order; });
    EraseAt(cookies, static_cast<std::size_t>(oldest - cookies.begin()));
  }
}

void CookieJar::KeepJarBound(std::int64_t now) {
  if (count_ <= kMaxCookies) return;
  for (auto& [domain, cookies] : by_domain_)
    for (std::size_t i = cookies.size(); i-- > 0;)
      if (Expired(cookies[i], now)) EraseAt(cookies, i);
  while (count_ > kMaxCookies) {
    std::vector<Cookie>* from = nullptr;
    std::size_t at = 0;
    for (auto& [domain, cookies] : by_domain_)
      for (std::size_t i = 0; i < cookies.size(); ++i)
        if (!from || cookies[i].order < (*from)[at].order) {
          from = &cookies;
          at = i;
        }
    EraseAt(*from, at);
  }
  for (auto it = by_domain_.begin(); it != by_domain_.end();)
    it = it->second.empty() ? by_domain_.erase(it) : std::next(it);
}

Bytes CookieJar::HeaderFor(std::string_view url, std::int64_t nowSeconds) const {
  CookieRequest r;
  if (!ReadCookieRequest(url, r)) return {};
  std::vector<const Cookie*> hits;
  // The host, then each domain above it: "a.b.cn", "b.cn", "cn".
  for (std::size_t from = 0; from != Bytes::npos;) {
    const auto it = by_domain_.find(r.host.substr(from));
    if (it != by_domain_.end()) {
      for (const Cookie& c : it->second) {
        const bool host_ok = c.host_only ? c.domain == r.host : DomainMatches(r.host, c.domain);
        if (host_ok && PathMatches(r.path, c.path) && (r.secure || !c.secure) &&
            !Expired(c, nowSeconds))
          hits.push_back(&c);
      }
    }
    const std::size_t dot = r.host.find('.', from);
    from = dot == Bytes::npos ? Bytes::npos : dot + 1;
  }
  std::sort(hits.begin(), hits.end(), [](const Cookie* a, const Cookie* b) {
    if (a->path.size() != b->path.size()) return a->path.size() > b->path.size();
    return a->order < b->order;
  });
  Bytes header;
  for (const Cookie* c : hits) {
    const Bytes pair = (header.empty() ? "" : "; ") + c->name + "=" + c->value;
    if (header.size() + pair.size() <= kMaxHeaderBytes) header += pair;
  }
  return header;
}

void CookieJar::Clear() {
  by_domain_.clear();
  count_ = 0;
}

}  // namespace vexo
