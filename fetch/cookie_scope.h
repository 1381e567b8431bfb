#pragma once
// Where a cookie belongs (RFC 6265, 5.1.3 and 5.1.4): the host and path of
// a request, which hosts a cookie's domain covers and which paths its path.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

struct CookieRequest {
  Bytes host;           // lower case
  Bytes path;           // without query and fragment; "/" when the address has none
  bool secure = false;  // an https address
};

// The parts of an http or https address (one without a scheme counts as
// http); false for another scheme, or a host that is empty or holds a blank
// or a control byte.
bool ReadCookieRequest(std::string_view url, CookieRequest& out);

// An address's host given as a number ("127.0.0.1", "[::1]"), which no
// other name covers.
bool IsIpHost(std::string_view host);

// A domain that may cover more than one host: two labels or more, not a
// number. A single label may be a public suffix ("com", "cn") and is never
// widened.
bool IsWidenableDomain(std::string_view domain);

// host is domain, or a name below it.
bool DomainMatches(std::string_view host, std::string_view domain);

// The path of a cookie set without a Path attribute: the request path up to
// its last "/" (not included), or "/".
Bytes DefaultCookiePath(std::string_view request_path);

// The cookie's path is the request path, or a directory of it.
bool PathMatches(std::string_view request_path, std::string_view cookie_path);

}  // namespace vexo
