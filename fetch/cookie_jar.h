#pragma once
// CookieJar: the cookies servers set, returned to them the way browsers do
// (RFC 6265), because some servers, search engines first, set a cookie on
// their first answer and turn away a client that never sends it back.
//
// Use: one jar per group of clients that should look like one browser, kept
// on the thread the clients run on. Point HttpClient::Cookies at it; the
// client then sends the jar's Cookie line with every request, on every
// redirect hop, and hands the jar every Set-Cookie line it receives, also
// those of redirect answers. To keep cookies between runs, call
// Load(file, now) once before the first request and Save(file, now) when
// the program closes (or now and then): only cookies with an expiry date
// are written; session cookies end with the program. The jar never talks to
// the network or the clock: callers pass the time, as UTC seconds.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fetch/set_cookie.h"
#include "platform/bytes.h"

namespace vexo {

class CookieJar {
 public:
  // Bounds against servers that set cookie after cookie: the oldest cookie
  // of the domain, or of the jar, makes room for a new one.
  static constexpr std::size_t kMaxPerDomain = 50;
  static constexpr std::size_t kMaxCookies = 3000;
  static constexpr std::size_t kMaxDomainBytes = 255;
  // A Cookie line no server reads whole is not sent whole: the cookies
  // that would take it beyond this are left out.
  static constexpr std::size_t kMaxHeaderBytes = 16384;
  // A far expiry is cut to this, as browsers do.
  static constexpr std::int64_t kMaxLifetimeSeconds = 400LL * 24 * 3600;
  // A file above this holds more than a jar ever writes: it is not read.
  static constexpr std::size_t kMaxFileBytes =
      kMaxCookies * (kMaxCookieBytes + kMaxCookieAttributeBytes + kMaxDomainBytes + 64);

  // Reads every "Set-Cookie:" line of the header of an answer to a request
  // for requestUrl (other lines are passed over).
  void Take(std::string_view requestUrl, const StringList& responseHeaderLines,
            std::int64_t nowSeconds);
  // One Set-Cookie value: the text after "Set-Cookie:".
  void TakeValue(std::string_view requestUrl, std::string_view setCookie, std::int64_t nowSeconds);

  // The value of the Cookie line for a request for url ("a=b; c=d", longer
  // paths first, at most kMaxHeaderBytes), or empty when no cookie belongs to it. Only http and
  // https addresses get cookies; Secure ones only https.
  Bytes HeaderFor(std::string_view url, std::int64_t nowSeconds) const;

  std::size_t Size() const { return count_; }
  void Clear();

  // Writes the unexpired cookies with an expiry date, one a line, through
  // an atomic write; true when written, or when there is nothing to keep
  // and no file to empty.
  bool Save(const std::string& file, std::int64_t nowSeconds) const;
  // Replaces the jar's content with the file's cookies; lines of another
  // shape and expired cookies are passed over, and a missing or oversized
  // file leaves the jar empty.
  void Load(const std::string& file, std::int64_t nowSeconds);

 private:
  struct Cookie {
    Bytes name;
    Bytes value;
    Bytes domain;  // the request's host when host_only
    Bytes path;
    bool host_only = true;
    bool secure = false;
    bool persistent = false;  // has an expiry; else lives as long as the jar
    std::int64_t expiry = 0;  // UTC seconds, when persistent
    std::uint64_t order = 0;  // creation order: the oldest goes first
  };

  static bool Expired(const Cookie& c, std::int64_t now) { return c.persistent && c.expiry <= now; }
  // Adds c or replaces the cookie of the same name, domain and path; an
  // expired c only removes that one. Keeps the bounds.
  void Store(Cookie c, bool from_secure_request, std::int64_t now);
  void KeepDomainBound(std::vector<Cookie>& cookies, std::int64_t now);
  void KeepJarBound(std::int64_t now);
  void EraseAt(std::vector<Cookie>& cookies, std::size_t i);
  // The cookie of a file line, or false for a line of another shape.
  static bool ReadLine(std::string_view line, Cookie& c);

  std::map<Bytes, std::vector<Cookie>> by_domain_;
  std::size_t count_ = 0;
  std::uint64_t next_order_ = 0;
};

}  // namespace vexo
