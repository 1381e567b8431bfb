#include "parser/address_decoding.h"

#include <cstdint>

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '-' || c == '+') return 62;
  if (c == '_' || c == '/') return 63;
  return -1;
}

}  // namespace

bool IsHttpAddress(std::string_view address) {
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (StartsWithNoCase(address, scheme))
      return address.size() > scheme.size() && address[scheme.size()] != '/' &&
             !IsBlankOrControl(address[scheme.size()]);
  }
  return false;
}

std::optional<Bytes> Base64UrlDecode(std::string_view s) {
  while (!s.empty() && s.back() == '=') s.remove_suffix(1);
  if (s.size() % 4 == 1) return std::nullopt;
  Bytes out;
  out.reserve(s.size() / 4 * 3 + 2);
  std::uint32_t bits = 0;
  int count = 0;
  for (const char c : s) {
    const int v = Base64Value(c);
    if (v < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<std::uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

std::optional<std::string_view> QueryParameter(std::string_view link, std::string_view name) {
  const std::size_t question = link.find('?');
  if (question == kNpos || name.empty()) return std::nullopt;
  std::string_view query = link.substr(question + 1);
  query = query.substr(0, query.find('#'));
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    const std::size_t eq = pair.find('=');
    if (eq != kNpos && EqualsNoCase(pair.substr(0, eq), name)) return pair.substr(eq + 1);
    if (amp == kNpos) break;
    query.remove_prefix(amp + 1);
  }
  return std::nullopt;
}

Bytes PlainAddress(std::string_view address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  address = TrimView(address);
  Bytes out;
  out.reserve(address.size());
  for (const char c : address) {
    const auto b = static_cast<unsigned char>(c);
    if (b > 0x20 && b < 0x7F) {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

}  // namespace vexo
