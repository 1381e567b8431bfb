#include "platform/bytes.h"

#include <string.h>

#include <algorithm>
#include <charconv>

#include "platform/byte_search.h"

namespace vexo {

Pos PosOf(std::string_view needle, std::string_view hay, Pos from) {
  if (needle.empty() || from > Len(hay)) return 0;
  if (from < 1) from = 1;
  const auto at = hay.find(needle, static_cast<std::size_t>(from - 1));
  return at == std::string_view::npos ? 0 : static_cast<Pos>(at) + 1;
}

Pos PosOfFolded(std::string_view needle, std::string_view hay, Pos from) {
  if (needle.empty() || from > Len(hay) || needle.size() > hay.size()) return 0;
  if (from < 1) from = 1;
  const auto is_upper = [](char c) { return c >= 'A' && c <= 'Z'; };
  if (std::any_of(needle.begin(), needle.end(), is_upper)) return 0;
  const auto equal_at = [&](std::size_t i) {
    for (std::size_t k = 0; k < needle.size(); ++k)
      if (LowerAscii(hay[i + k]) != needle[k]) return false;
    return true;
  };
  const std::size_t first = static_cast<std::size_t>(from - 1);
  const std::size_t starts = hay.size() - needle.size() + 1;
  // Mostly asked whether an address has its scheme, which then leads it.
  if (first < starts && equal_at(first)) return from;
  // A needle byte that is no letter is the same in the lowered text, so
  // memchr can look for it; the needle is then checked around each hit.
  const std::size_t anchor = static_cast<std::size_t>(
      std::find_if(needle.begin(), needle.end(), [](char c) { return c < 'a' || c > 'z'; }) -
      needle.begin());
  if (anchor == needle.size()) {
    for (std::size_t i = first; i < starts; ++i)
      if (equal_at(i)) return static_cast<Pos>(i) + 1;
    return 0;
  }
  for (std::size_t i = first; i < starts; ++i) {
    const char* base = hay.data() + anchor;
    const void* hit = ::memchr(base + i, needle[anchor], starts - i);
    if (hit == nullptr) return 0;
    i = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    if (equal_at(i)) return static_cast<Pos>(i) + 1;
  }
  return 0;
}

Pos LastPosOf(std::string_view needle, std::string_view hay) {
  if (needle.empty()) return 0;
  const auto at = hay.rfind(needle);
  return at == std::string_view::npos ? 0 : static_cast<Pos>(at) + 1;
}

Bytes Copy(std::string_view s, Pos p, Pos n) {
  if (p < 1) p = 1;
  if (n <= 0 || p > Len(s)) return {};
  const Pos avail = Len(s) - p + 1;
  return Bytes(
      s.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(std::min(n, avail))));
}

Bytes CopyFrom(std::string_view s, Pos p) {
  return Copy(s, p, Len(s));
}

Bytes CopyRange(std::string_view s, Pos first, Pos last) {
  if (first < 1) first = 1;
  if (last < first) return {};
  return Copy(s, first, last - first + 1);
}

void Delete(Bytes& s, Pos p, Pos n) {
  if (p < 1 || n <= 0 || p > Len(s)) return;
  const Pos avail = Len(s) - p + 1;
  s.erase(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(std::min(n, avail)));
}

void Insert(std::string_view sub, Bytes& s, Pos p) {
  if (p < 1) p = 1;
  if (p > Len(s)) {
    s.append(sub);
    return;
  }
  s.insert(static_cast<std::size_t>(p - 1), sub);
}

void LowerInto(std::string_view s, Bytes& out) {
  out.resize(s.size());
  const char* in = s.data();
  char* p = out.data();
  const std::size_t n = s.size();
  std::size_t i = LowerWholeBlocks(in, p, n);
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x;
    ::memcpy(&x, in + i, 8);
    x = LowerEight(x);
    ::memcpy(p + i, &x, 8);
  }
  for (; i < n; ++i) p[i] = LowerAscii(in[i]);
}

Bytes Lower(std::string_view s) {
  Bytes out;
  LowerInto(s, out);
  return out;
}

Bytes Upper(std::string_view s) {
  Bytes out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

Bytes TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlankOrControl(s[b])) ++b;
  return Bytes(s.substr(b));
}

Bytes TrimRight(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && IsBlankOrControl(s[e - 1])) --e;
  return Bytes(s.substr(0, e));
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
  return s;
}

Bytes Trim(std::string_view s) {
  return Bytes(TrimView(s));
}

Bytes ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return Bytes(s);
  Bytes out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (true) {
    const auto at = s.find(from, i);
    if (at == std::string_view::npos) break;
    out.append(s.substr(i, at - i));
    out.append(to);
    i = at + from.size();
  }
  out.append(s.substr(i));
  return out;
}

Bytes ReplaceUntilGone(std::string_view s, std::string_view from, std::string_view to) {
  Bytes out(s);
  if (from.empty() || to.size() >= from.size()) return ReplaceAll(s, from, to);
  // Each replacement shortens the text, so the loop ends. A new occurrence can
  // only appear around the replacement, so the search resumes just before it.
  std::size_t at = out.find(from);
  while (at != Bytes::npos) {
    out.replace(at, from.size(), to);
    const std::size_t back = from.size() > 1 ? from.size() - 1 : 0;
    at = out.find(from, at > back ? at - back : 0);
  }
  return out;
}

Bytes IntToText(long long v) {
  return std::to_string(v);
}

bool TryTextToInt(std::string_view s, long long& out) {
  const Bytes t = Trim(s);
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (*b == '+') ++b;
  long long v = 0;
  const auto r = std::from_chars(b, e, v);
  if (r.ec != std::errc() || r.ptr != e) return false;
  out = v;
  return true;
}

long long TextToInt(std::string_view s, long long fallback) {
  long long v = 0;
  return TryTextToInt(s, v) ? v : fallback;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Bytes PercentDecode(std::string_view s) {
  Bytes out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int high = s[i] == '%' && i + 2 < s.size() ? HexDigitValue(s[i + 1]) : -1;
    const int low = high >= 0 ? HexDigitValue(s[i + 2]) : -1;
    if (low < 0) {
      out += s[i];
      continue;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

}  // namespace vexo
