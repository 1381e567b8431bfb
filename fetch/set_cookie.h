#pragma once
// One Set-Cookie value read into its parts (RFC 6265, 5.2), before the jar
// decides whether the request's host may set it. Unknown attributes
// (SameSite, Priority, ...) and HttpOnly are read past.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

struct SetCookie {
  Bytes name;
  Bytes value;
  Bytes domain;  // without a leading dot, lower case; empty: none given
  Bytes path;    // empty: none given, or one not starting with "/"
  bool secure = false;
  // Max-Age when given (it wins over Expires), else Expires.
  bool has_max_age = false;
  std::int64_t max_age = 0;
  bool has_expires = false;
  std::int64_t expires = 0;  // UTC seconds
};

// Name and value together longer than this make no cookie; a longer
// attribute value is read as absent.
inline constexpr std::size_t kMaxCookieBytes = 4096;
inline constexpr std::size_t kMaxCookieAttributeBytes = 1024;

// A byte that could break a request line or a line of the cookie file: a
// control byte, tab included.
bool HasCookieControlByte(std::string_view s);

// False for a value that makes no cookie: no "=" before the first ";", an
// empty name, a control byte in the name or value (CR, LF and NUL among
// them), or a name and value above kMaxCookieBytes.
bool ParseSetCookie(std::string_view line, SetCookie& out);

}  // namespace vexo
