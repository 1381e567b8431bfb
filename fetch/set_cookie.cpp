#include "fetch/set_cookie.h"

#include <algorithm>

#include "fetch/cookie_date.h"

namespace vexo {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Max-Age: an optional "-" and digits only; a huge number saturates.
bool ParseMaxAge(std::string_view v, std::int64_t& seconds) {
  const bool negative = !v.empty() && v.front() == '-';
  if (negative) v.remove_prefix(1);
  if (v.empty() || !std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  constexpr std::int64_t kCap = std::int64_t{1} << 40;  // far beyond any lifetime kept
  std::int64_t n = 0;
  for (const char c : v) n = std::min(kCap, n * 10 + (c - '0'));
  seconds = negative ? -n : n;
  return true;
}

void ReadAttribute(std::string_view name, std::string_view value, SetCookie& c) {
  const Bytes key = Lower(name);
  if (value.size() > kMaxCookieAttributeBytes || HasCookieControlByte(value)) value = {};
  if (key == "expires") {
    c.has_expires = ParseCookieDate(value, c.expires) || c.has_expires;
  } else if (key == "max-age") {
    c.has_max_age = ParseMaxAge(value, c.max_age) || c.has_max_age;
  } else if (key == "domain" && !value.empty()) {
    if (value.front() == '.') value.remove_prefix(1);
    c.domain = Lower(value);
  } else if (key == "path") {
    c.path = !value.empty() && value.front() == '/' ? Bytes(value) : Bytes();
  } else if (key == "secure") {
    c.secure = true;
  }
}

}  // namespace

bool HasCookieControlByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7f;
  });
}

bool ParseSetCookie(std::string_view line, SetCookie& out) {
  out = SetCookie();
  const std::size_t semi = std::min(line.find(';'), line.size());
  const std::string_view pair = line.substr(0, semi);
  const std::size_t eq = pair.find('=');
  if (eq == std::string_view::npos) return false;
  const std::string_view name = TrimBlanks(pair.substr(0, eq));
  const std::string_view value = TrimBlanks(pair.substr(eq + 1));
  if (name.empty() || name.size() + value.size() > kMaxCookieBytes || HasCookieControlByte(name) ||
      HasCookieControlByte(value))
    return false;
  out.name = Bytes(name);
  out.value = Bytes(value);
  std::string_view rest = line.substr(semi);
  while (!rest.empty()) {
    rest.remove_prefix(1);  // the ";"
    const std::size_t end = std::min(rest.find(';'), rest.size());
    const std::string_view attribute = rest.substr(0, end);
    const std::size_t split = std::min(attribute.find('='), attribute.size());
    const std::string_view attr_value =
        split < attribute.size() ? attribute.substr(split + 1) : std::string_view();
    ReadAttribute(TrimBlanks(attribute.substr(0, split)), TrimBlanks(attr_value), out);
    rest = rest.substr(end);
  }
  return true;
}

}  // namespace vexo
