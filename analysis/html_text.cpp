#include "analysis/html_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/codepage.h"

namespace vexo {

namespace {

// Keeps only the bytes before the first `stop`, when there is one.
void CutAt(Bytes& s, char stop) {
  const auto at = s.find(stop);
  if (at != Bytes::npos) s.resize(at);
}

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The entities that CleanText deletes, in the order it deletes them.
constexpr std::string_view kEntities[] = {"&gt;", "&lt;", "&amp;", "&quot;", "&nbsp;"};

// Deletes every occurrence of the lower-case entity `pat` (matched without
// regard to ASCII case) until none is left, in place. The entities have no
// border (no proper prefix equals a suffix), so removals never interfere with
// each other, and compacting the text over a stack gives the same text as
// "delete the first one again and again" in linear time. Every entity ends
// in ";", so only a ";" can complete one.
void DeleteEntity(Bytes& s, std::string_view pat) {
  const Pos first = PosOfFolded(pat, s);
  if (first == 0) return;
  const std::size_t n = pat.size();
  std::size_t w = static_cast<std::size_t>(first - 1);
  for (std::size_t r = w; r < s.size(); ++r) {
    const char c = s[r];
    s[w++] = c;
    if (c != ';' || w < n) continue;
    const char* tail = s.data() + (w - n);
    if (std::equal(tail, tail + n - 1, pat.begin(),
                   [](char a, char b) { return FoldAscii(a) == b; }))
      w -= n;
  }
  s.resize(w);
}

// Deletes the full-width spaces A1 A1 that are whole characters, in place. A
// trail byte A1 followed by a lead byte A1 belongs to two other characters and
// stays: "场。" is B3 A1 A1 A3.
void DeleteFullWidthSpaces(Bytes& s) {
  if (s.find("\xA1\xA1") == Bytes::npos) return;
  std::size_t w = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(b) && i + 1 < s.size()) {
      if (b != 0xA1 || static_cast<unsigned char>(s[i + 1]) != 0xA1) {
        s[w++] = s[i];
        s[w++] = s[i + 1];
      }
      i += 2;
    } else {
      s[w++] = s[i++];
    }
  }
  s.resize(w);
}

std::string_view TrimmedView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

// CleanText on a string of our own, without copying it.
void CleanTextInPlace(Bytes& s) {
  const std::string_view kept = TrimmedView(s);
  if (kept.size() != s.size()) {
    const std::size_t head = static_cast<std::size_t>(kept.data() - s.data());
    s.erase(head + kept.size());
    s.erase(0, head);
  }
  if (s.find('\n') != Bytes::npos || s.find('\r') != Bytes::npos) {
    std::erase(s, '\n');
    std::erase(s, '\r');
  }
  DeleteFullWidthSpaces(s);
  if (s.find('&') == Bytes::npos) return;
  for (const std::string_view entity : kEntities) DeleteEntity(s, entity);
}

// CleanLink on a string of our own.
void CleanLinkInPlace(Bytes& s) {
  CutAt(s, ' ');
  CutAt(s, '\r');
  CutAt(s, '\n');
  constexpr std::string_view kScheme = "javascript:";
  const Pos j = PosOfFolded(kScheme, s);
  if (j == 0) return;
  const Pos open = PosOf("(", s);
  // An opening parenthesis before the scheme deletes nothing here.
  Delete(s, j, open > 0 ? open - j + 1 : Len(kScheme));
  const Pos close = PosOf(")", s);
  if (close > 0) Delete(s, close, 600);
}

// Extensions of files that are never targets. Matched as a substring of this
// whole text, so ".rm\" and ".au\" catch ".rm" and ".au", and any extension
// whose first bytes occur here is refused too.
constexpr std::string_view kRefusedExtensions =
    ".txt.mid.css.pdf.zip.exe.dll.cab.mp3.swf.asf.wma.rar.ram.rm\\.jpg.jpeg.gif.avi.au\\.mov."
    "mpg.mpeg.png.pcx.ico.bmp.ocx.java.class";

// A piece of at most four bytes as one number: its bytes and its length.
std::uint64_t PieceKey(std::string_view piece) {
  std::uint64_t key = piece.size();
  for (const char c : piece) key = key << 8 | static_cast<unsigned char>(c);
  return key;
}

// Every piece of kRefusedExtensions that starts at one of its dots and is at
// most four bytes long, as sorted keys: the extensions that the substring
// test refuses.
const std::vector<std::uint64_t>& RefusedPieces() {
  static const std::vector<std::uint64_t> pieces = [] {
    std::vector<std::uint64_t> out;
    for (std::size_t i = 0; i < kRefusedExtensions.size(); ++i) {
      if (kRefusedExtensions[i] != '.') continue;
      for (std::size_t n = 1; n <= 4 && i + n <= kRefusedExtensions.size(); ++n)
        out.push_back(PieceKey(kRefusedExtensions.substr(i, n)));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  }();
  return pieces;
}

bool HasRefusedExtension(std::string_view link) {
  std::size_t last = link.size();
  while (last > 0 && link[last - 1] != '.' && link[last - 1] != ':') --last;
  if (last == 0 || link[--last] != '.') return false;
  // The lower-cased piece begins with its dot, so it can occur in the list
  // only where a dot stands.
  char ext[4];
  const std::string_view piece = link.substr(last, 4);
  std::transform(piece.begin(), piece.end(), ext, FoldAscii);
  const auto& refused = RefusedPieces();
  return std::binary_search(refused.begin(), refused.end(),
                            PieceKey(std::string_view(ext, piece.size())));
}

}  // namespace

Bytes CleanLink(std::string_view s) {
  Bytes out(s);
  CleanLinkInPlace(out);
  return out;
}

Bytes RemoveSpaces(std::string_view s) {
  Bytes out;
  out.reserve(s.size());
  // Whole stretches between spaces at a time.
  for (auto at = s.find(' '); at != std::string_view::npos; at = s.find(' ')) {
    out.append(s.substr(0, at));
    s.remove_prefix(at + 1);
  }
  out.append(s);
  return out;
}

Bytes CleanText(std::string_view s) {
  Bytes out(TrimmedView(s));
  CleanTextInPlace(out);
  return out;
}

Bytes StripTags(std::string_view s) {
  // Removing "<...>" leaves a prefix without "<" or ">", so the next tag to
  // remove is searched only in the rest.
  Bytes kept;
  kept.reserve(s.size());
  std::size_t from = 0;
  while (true) {
    const auto open = s.find('<', from);
    const auto close = s.find('>', from);
    if (open == std::string_view::npos || close == std::string_view::npos || open > close) break;
    kept.append(s.substr(from, open - from));
    from = close + 1;
  }
  kept.append(s.substr(from));

  CleanTextInPlace(kept);
  if (kept.starts_with("...")) kept.erase(0, 3);
  if (kept.ends_with("...")) kept.resize(kept.size() - 3);
  return kept;
}

Bytes Utf8ToAnsi(std::string_view s) {
  if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; }))
    return {};
  const auto at = [&](std::size_t i) -> std::uint32_t { return static_cast<unsigned char>(s[i]); };
  Bytes out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const std::uint32_t b = at(i);
    std::uint32_t code = 0;
    std::size_t length = 1;
    if (b < 0xC0) {
      code = b;
    } else if (b < 0xE0) {
      length = 2;
      if (i + 1 >= s.size()) break;
      code = (b & 0x1F) * 64 + (at(i + 1) & 0x3F);
    } else {
      length = 3;
      if (i + 2 >= s.size()) break;
      code = (b & 0x0F) * 4096 + (at(i + 1) & 0x3F) * 64 + (at(i + 2) & 0x3F);
    }
    out += WideCharToGb(static_cast<std::uint16_t>(code & 0xFFFF));
    i += length;
  }
  return out;
}

namespace {

// MakeAbsolute appended to `out`, with a single growth of the buffer.
void AppendAbsolute(Bytes& out, std::string_view page, std::string_view link) {
  if (link.substr(0, 10).find("://") != std::string_view::npos) {
    out.append(link);
    return;
  }
  std::string_view base = page;
  std::string_view joint;
  if (!link.empty() && link.front() == '/') {
    // Scheme and host: up to the first "/" after "http://".
    const std::size_t slash = page.size() > 7 ? page.find('/', 7) : std::string_view::npos;
    if (slash != std::string_view::npos) base = page.substr(0, slash);
  } else {
    const std::size_t last = page.rfind('/');
    if (last != std::string_view::npos && last >= 7) base = page.substr(0, last);
    joint = "/";
  }
  out.reserve(out.size() + base.size() + joint.size() + link.size());
  out.append(base).append(joint).append(link);
}

}  // namespace

Bytes MakeAbsolute(std::string_view page, std::string_view link) {
  Bytes out;
  AppendAbsolute(out, page, link);
  return out;
}

namespace {

constexpr std::array<std::string_view, 5> kEngineLabels = {".baidu.", ".google.", ".zhongsou.",
                                                           ".chinasearch.", ".sogou."};

// `s` starts with `lower` once its ASCII letters are lower-cased.
bool StartsFolded(std::string_view s, std::string_view lower) {
  if (s.size() < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (FoldAscii(s[i]) != lower[i]) return false;
  return true;
}

// The same test on a text that is not lower-cased yet. Every label begins
// with a dot, so one walk over the dots of the text tries them all.
bool HasEngineLabelFolded(std::string_view s) {
  for (auto dot = s.find('.'); dot != std::string_view::npos; dot = s.find('.', dot + 1)) {
    const std::string_view rest = s.substr(dot);
    if (rest.size() < 2) break;
    for (const std::string_view label : kEngineLabels)
      if (FoldAscii(rest[1]) == label[1] && StartsFolded(rest, label)) return true;
  }
  return false;
}

}  // namespace

bool ContainsEngineLabel(std::string_view lowered) {
  return std::any_of(kEngineLabels.begin(), kEngineLabels.end(),
                     [&](std::string_view label) { return Contains(lowered, label); });
}

namespace {

// Bytes that some cleaning step of a link may act on: quotes and backslashes
// are dropped, blanks and control bytes cut or trim it, "&" may begin an
// entity and A1 a full-width space. Most links hold none of them.
constexpr std::array<bool, 256> kCleaningBytes = [] {
  std::array<bool, 256> t{};
  for (int b = 0; b <= 0x20; ++b) t[static_cast<std::size_t>(b)] = true;
  for (const unsigned char b : {'"', '\'', '\\', '&', '\xA1'}) t[b] = true;
  return t;
}();

bool NeedsCleaning(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return kCleaningBytes[static_cast<unsigned char>(c)]; });
}

bool IsQuote(char c) {
  return c == '"' || c == '\'' || c == '\\';
}

// True when CleanLink and CleanText leave `s` as it is and it holds no quote:
// an "&" that begins no entity and an A1 not followed by another are harmless.
bool AlreadyClean(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (!kCleaningBytes[b]) continue;
    if (b == '&') {
      const std::string_view rest = s.substr(i);
      for (const std::string_view entity : kEntities)
        if (StartsFolded(rest, entity)) return false;
    } else if (b != 0xA1 || (i + 1 < s.size() && s[i + 1] == '\xA1')) {
      return false;
    }
  }
  return true;
}

// "/#" in s, looked for by its rare second byte.
bool HasPageAnchor(std::string_view s) {
  for (auto hash = s.find('#'); hash != std::string_view::npos; hash = s.find('#', hash + 1))
    if (hash > 0 && s[hash - 1] == '/') return true;
  return false;
}

// The final refusals, on the cleaned absolute address.
bool AcceptableTarget(std::string_view l) {
  return Len(l) > 10 && !HasEngineLabelFolded(l) && !HasPageAnchor(l);
}

Bytes ResolveAnyLink(std::string_view page, std::string_view link) {
  Bytes l(link.size(), '\0');
  std::size_t kept = 0;
  for (const char c : link) {
    if (c != '"' && c != '\'' && c != '\\') l[kept++] = c;
  }
  l.resize(kept);
  if (PosOfFolded("lto:", l) > 0) return {};  // mailto:
  if (HasRefusedExtension(l)) return {};
  CleanLinkInPlace(l);
  if (Len(l) > 3) {
    Bytes absolute;
    AppendAbsolute(absolute, page, l);
    l.swap(absolute);
  }
  CleanTextInPlace(l);
  if (!AcceptableTarget(l)) return {};
  return l;
}

}  // namespace

Bytes ResolveLink(std::string_view page, std::string_view link) {
  if (Len(link) <= 3) return {};
  // The stage hands over the link with the quote that opened it; quotes at
  // the ends go without a copy.
  std::string_view v = link;
  while (!v.empty() && IsQuote(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsQuote(v.back())) v.remove_suffix(1);
  if (!AlreadyClean(v)) return ResolveAnyLink(page, link);
  // Both the "mailto:" and the "javascript:" tests need a ":", which a link
  // has few of.
  for (auto colon = v.find(':'); colon != std::string_view::npos; colon = v.find(':', colon + 1)) {
    if (colon >= 3 && StartsFolded(v.substr(colon - 3), "lto:")) return {};
    if (colon >= 10 && StartsFolded(v.substr(colon - 10), "javascript:"))
      return ResolveAnyLink(page, link);
  }
  if (HasRefusedExtension(v)) return {};
  if (v.size() <= 3) return ResolveAnyLink(page, link);
  Bytes l;
  AppendAbsolute(l, page, v);
  // Only the page address part can hold bytes that CleanText acts on.
  if (l.size() != v.size() && NeedsCleaning(page)) CleanTextInPlace(l);
  if (!AcceptableTarget(l)) return {};
  return l;
}

}  // namespace vexo
