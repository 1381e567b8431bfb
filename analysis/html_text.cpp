#include "analysis/html_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/codepage.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexo {

namespace {

constexpr std::size_t kNpos = std::string_view::npos;

// Keeps only the bytes before the first `stop`, when there is one.
void CutAt(Bytes& s, char stop) {
  const auto at = s.find(stop);
  if (at != Bytes::npos) s.resize(at);
}

constexpr char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `s` starts with `lower` once its ASCII letters are lower-cased.
bool StartsFolded(std::string_view s, std::string_view lower) {
  if (s.size() < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (FoldAscii(s[i]) != lower[i]) return false;
  return true;
}

// The entities that CleanText deletes, in the order it deletes them.
constexpr std::array<std::string_view, 5> kEntities = {"&gt;", "&lt;", "&amp;", "&quot;", "&nbsp;"};

// Bit k set when entity k starts at the beginning of `s`.
unsigned EntitiesAt(std::string_view s) {
  if (s.size() < 4) return 0;
  unsigned found = 0;
  for (std::size_t k = 0; k < kEntities.size(); ++k)
    if (FoldAscii(s[1]) == kEntities[k][1] && StartsFolded(s, kEntities[k])) found |= 1u << k;
  return found;
}

// Bit k set when entity k occurs in `s`, found from its '&'s.
unsigned EntitiesIn(std::string_view s) {
  unsigned found = 0;
  for (auto amp = s.find('&'); amp != kNpos; amp = s.find('&', amp + 1))
    found |= EntitiesAt(s.substr(amp));
  return found;
}

// Deletes every occurrence of the lower-case entity `pat` (matched without
// regard to ASCII case) until none is left, in place; true when it deleted
// any. The entities have no border (no proper prefix equals a suffix), so
// removals never interfere with each other, and compacting the text over a
// stack gives the same text as "delete the first one again and again" in
// linear time. Every entity ends in ";", so only a ";" can complete one.
bool DeleteEntity(Bytes& s, std::string_view pat) {
  const Pos first = PosOfFolded(pat, s);
  if (first == 0) return false;
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
  return true;
}

// The entity step of CleanText. A deletion can join the bytes around it
// into an entity of a later pass, never of an earlier one; so a pass whose
// entity was not in the text at the start, with nothing deleted before it,
// has nothing to do.
void DeleteEntities(Bytes& s) {
  const unsigned present = EntitiesIn(s);
  if (present == 0) return;
  bool deleted = false;
  for (std::size_t k = 0; k < kEntities.size(); ++k) {
    if (deleted || (present >> k & 1u) != 0) deleted |= DeleteEntity(s, kEntities[k]);
  }
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

bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
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
  if (s.find('\n') != Bytes::npos || s.find('\r') != Bytes::npos) std::erase_if(s, IsLineBreak);
  DeleteFullWidthSpaces(s);
  DeleteEntities(s);
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

// A piece of one to four bytes that begins with a dot as one number: its
// length above the bytes after the dot. Never 0.
constexpr std::uint32_t PieceKey(std::string_view piece) {
  std::uint32_t key = static_cast<std::uint32_t>(piece.size()) << 24;
  for (std::size_t i = 1; i < piece.size(); ++i)
    key |= static_cast<std::uint32_t>(static_cast<unsigned char>(piece[i])) << (8 * (i - 1));
  return key;
}

constexpr std::size_t PieceSlot(std::uint32_t key) {
  return (key * 2654435761u) >> 24;
}

// Every piece of kRefusedExtensions that starts at one of its dots and is at
// most four bytes long (the extensions that the substring test refuses), in
// an open-addressed table of their keys; 0 marks a free slot.
using PieceTable = std::array<std::uint32_t, 256>;
constexpr PieceTable kRefusedPieces = [] {
  PieceTable table{};
  for (std::size_t i = 0; i < kRefusedExtensions.size(); ++i) {
    if (kRefusedExtensions[i] != '.') continue;
    for (std::size_t n = 1; n <= 4 && i + n <= kRefusedExtensions.size(); ++n) {
      const std::uint32_t key = PieceKey(kRefusedExtensions.substr(i, n));
      std::size_t slot = PieceSlot(key);
      while (table[slot] != 0 && table[slot] != key) slot = (slot + 1) % table.size();
      table[slot] = key;
    }
  }
  return table;
}();

// The extension test on a link whose last "." or ":" is at `mark`.
bool IsRefusedExtensionAt(std::string_view link, std::size_t mark) {
  if (mark == kNpos || link[mark] != '.') return false;
  // The lower-cased piece begins with its dot, so it can occur in the list
  // only where a dot stands.
  char ext[4];
  const std::string_view piece = link.substr(mark, 4);
  std::transform(piece.begin(), piece.end(), ext, FoldAscii);
  const std::uint32_t key = PieceKey(std::string_view(ext, piece.size()));
  for (std::size_t slot = PieceSlot(key); kRefusedPieces[slot] != 0;
       slot = (slot + 1) % kRefusedPieces.size()) {
    if (kRefusedPieces[slot] == key) return true;
  }
  return false;
}

bool HasRefusedExtension(std::string_view link) {
  const std::size_t mark = link.find_last_of(".:");
  return IsRefusedExtensionAt(link, mark);
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
  for (auto at = s.find(' '); at != kNpos; at = s.find(' ')) {
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
    if (open == kNpos || close == kNpos || open > close) break;
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

// True when the first 10 bytes of a link hold "://": the link is absolute.
bool IsAbsoluteLink(std::string_view link) {
  return link.substr(0, 10).find("://") != kNpos;
}

// The length of "http://": the host of most page addresses begins after it.
// An "https://" page has its host one byte later; every other page is cut as
// if it began with "http://".
std::size_t SchemeEnd(std::string_view page) {
  return StartsFolded(page, "https://") ? 8 : 7;
}

// The length of the part of `page` that a relative link is joined to: scheme
// and host (up to the first "/" after the scheme) for a link that begins with
// "/", the page's directory for any other.
std::size_t HostEnd(std::string_view page) {
  const std::size_t from = SchemeEnd(page);
  const std::size_t slash = page.size() > from ? page.find('/', from) : kNpos;
  return slash == kNpos ? page.size() : slash;
}
std::size_t DirectoryEnd(std::string_view page) {
  const std::size_t last = page.rfind('/');
  return last != kNpos && last >= SchemeEnd(page) ? last : page.size();
}

// MakeAbsolute appended to `out`, with a single growth of the buffer.
void AppendAbsolute(Bytes& out, std::string_view page, std::string_view link) {
  if (IsAbsoluteLink(link)) {
    out.append(link);
    return;
  }
  const bool rooted = !link.empty() && link.front() == '/';
  const std::string_view base = page.substr(0, rooted ? HostEnd(page) : DirectoryEnd(page));
  out.reserve(out.size() + base.size() + 1 + link.size());
  out.append(base);
  if (!rooted) out.push_back('/');
  out.append(link);
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

constexpr unsigned PairKey(char a, char b) {
  return static_cast<unsigned char>(a) | static_cast<unsigned>(static_cast<unsigned char>(b)) << 8;
}

// The end of the engine label that starts at the dot at `dot` of `s`, or 0.
// The labels differ in their first two letters, which pick the one to try;
// OR-ing 20 (hex) lower-cases a letter and turns no other byte into one.
std::size_t EngineLabelEndAt(std::string_view s, std::size_t dot) {
  if (dot + 2 >= s.size()) return 0;
  std::size_t k = 0;
  switch (PairKey(s[dot + 1], s[dot + 2]) | 0x2020u) {
    case PairKey('b', 'a'):
      k = 0;
      break;
    case PairKey('g', 'o'):
      k = 1;
      break;
    case PairKey('z', 'h'):
      k = 2;
      break;
    case PairKey('c', 'h'):
      k = 3;
      break;
    case PairKey('s', 'o'):
      k = 4;
      break;
    default:
      return 0;
  }
  const std::string_view label = kEngineLabels[k];
  if (s.size() - dot < label.size()) return 0;
  for (std::size_t i = 3; i < label.size(); ++i)
    if (FoldAscii(s[dot + i]) != label[i]) return 0;
  return dot + label.size();
}

// The engine label test on a text that is not lower-cased yet. Every label
// begins with a dot, so one walk over the dots of the text tries them all.
bool HasEngineLabelFolded(std::string_view s) {
  for (auto dot = s.find('.'); dot != kNpos; dot = s.find('.', dot + 1))
    if (EngineLabelEndAt(s, dot) != 0) return true;
  return false;
}

}  // namespace

bool ContainsEngineLabel(std::string_view lowered) {
  return std::any_of(kEngineLabels.begin(), kEngineLabels.end(),
                     [&](std::string_view label) { return Contains(lowered, label); });
}

namespace {

// The classes of the bytes that the one walk over a link stops at.
enum : std::uint8_t {
  kCleaning = 1,  // some cleaning step may act on it
  kColon = 2,
  kDot = 4,
  kHash = 8,
};

// Quotes and backslashes are dropped, blanks and control bytes cut or trim a
// link, "&" may begin an entity and A1 a full-width space.
constexpr std::array<std::uint8_t, 256> kLinkBytes = [] {
  std::array<std::uint8_t, 256> t{};
  for (int b = 0; b <= 0x20; ++b) t[static_cast<std::size_t>(b)] = kCleaning;
  for (const unsigned char b : {'"', '\'', '\\', '&', '\xA1'}) t[b] = kCleaning;
  t[':'] = kColon;
  t['.'] = kDot;
  t['#'] = kHash;
  return t;
}();

bool IsQuote(char c) {
  return c == '"' || c == '\'' || c == '\\';
}

// "/#" in s, looked for by its rare second byte.
bool HasPageAnchor(std::string_view s) {
  for (auto hash = s.find('#'); hash != kNpos; hash = s.find('#', hash + 1))
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
    if (!IsQuote(c)) l[kept++] = c;
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

// What one walk over a link without quotes inside tells about it.
struct LinkFacts {
  bool plain = true;         // no cleaning step changes it
  bool mail = false;         // holds "lto:"
  bool script = false;       // holds "javascript:"
  bool absolute = false;     // "://" in its first 10 bytes
  bool label = false;        // holds an engine label
  bool anchor = false;       // holds "/#"
  std::size_t mark = kNpos;  // its last "." or ":"
};

// Bit i set where byte i of the 16 at `p` is one that the walk over a link
// stops at: the bytes of kLinkBytes.
#ifdef __SSE2__
unsigned LinkStops(const char* p) {
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Unsigned b <= 0x20 where the smaller of b and 0x20 is b.
  __m128i hit = _mm_cmpeq_epi8(_mm_min_epu8(b, _mm_set1_epi8(0x20)), b);
  const auto is = [&](char c) { hit = _mm_or_si128(hit, _mm_cmpeq_epi8(b, _mm_set1_epi8(c))); };
  is('"');
  is('\'');
  is('\\');
  is('&');
  is('\xA1');
  is(':');
  is('.');
  is('#');
  return static_cast<unsigned>(_mm_movemask_epi8(hit));
}
#endif

// Takes the byte at `i` of `v` into `f`; false once the answer is settled:
// the link is not plain or is a mail link.
bool TakeLinkByte(std::string_view v, std::size_t i, LinkFacts& f) {
  const auto b = static_cast<unsigned char>(v[i]);
  switch (kLinkBytes[b]) {
    case kCleaning:
      // An "&" that begins no entity and an A1 not followed by another are
      // harmless.
      if (b == '&' ? EntitiesAt(v.substr(i)) != 0
                   : b != 0xA1 || (i + 1 < v.size() && v[i + 1] == '\xA1')) {
        f.plain = false;
        return false;
      }
      break;
    case kColon:
      f.mark = i;
      if (i >= 3 && StartsFolded(v.substr(i - 3), "lto:")) {
        f.mail = true;
        return false;
      }
      if (i >= 10 && StartsFolded(v.substr(i - 10), "javascript:")) f.script = true;
      if (i <= 7 && v.substr(i, 3) == "://") f.absolute = true;
      break;
    case kDot:
      f.mark = i;
      if (!f.label && EngineLabelEndAt(v, i) != 0) f.label = true;
      break;
    case kHash:
      if (i > 0 && v[i - 1] == '/') f.anchor = true;
      break;
    default:
      break;
  }
  return true;
}

LinkFacts ScanLink(std::string_view v) {
  LinkFacts f;
  std::size_t i = 0;
#ifdef __SSE2__
  for (; i + 16 <= v.size(); i += 16) {
    for (unsigned mask = LinkStops(v.data() + i); mask != 0; mask &= mask - 1) {
      if (!TakeLinkByte(v, i + static_cast<std::size_t>(__builtin_ctz(mask)), f)) return f;
    }
  }
#endif
  for (; i < v.size(); ++i) {
    if (kLinkBytes[static_cast<unsigned char>(v[i])] != 0 && !TakeLinkByte(v, i, f)) return f;
  }
  return f;
}

// The parts of a page address that the links found on it are joined to, and
// what the final refusals and CleanText would find in them. A page hands
// over many links, so this is worked out once per page and thread.
struct PageFacts {
  Bytes page;
  std::size_t hostEnd = 0;
  std::size_t directoryEnd = 0;
  std::size_t labelEnd = kNpos;   // the earliest end of an engine label
  std::size_t anchorEnd = kNpos;  // the end of the first "/#"
  bool plain = true;              // CleanText leaves any joined address as it is
};

void StudyPage(PageFacts& f, std::string_view page) {
  f.page.assign(page);
  f.hostEnd = HostEnd(page);
  f.directoryEnd = DirectoryEnd(page);
  f.labelEnd = kNpos;
  for (auto dot = page.find('.'); dot != kNpos; dot = page.find('.', dot + 1)) {
    const std::size_t end = EngineLabelEndAt(page, dot);
    if (end != 0) f.labelEnd = std::min(f.labelEnd, end);
  }
  const std::size_t anchor = page.find("/#");
  f.anchorEnd = anchor == kNpos ? kNpos : anchor + 2;
  // A joined address begins with the page and ends with a plain link, with
  // a "/" between them that no entity, line break or full-width space spans.
  f.plain = (page.empty() || static_cast<unsigned char>(page.front()) > 0x20) &&
            page.find('\n') == kNpos && page.find('\r') == kNpos &&
            page.find("\xA1\xA1") == kNpos && EntitiesIn(page) == 0;
}

const PageFacts& FactsOf(std::string_view page) {
  thread_local PageFacts facts;
  thread_local bool studied = false;
  if (!studied || facts.page != page) {
    StudyPage(facts, page);
    studied = true;
  }
  return facts;
}

}  // namespace

Bytes ResolveLink(std::string_view page, std::string_view link) {
  if (Len(link) <= 3) return {};
  // The stage hands over the link with the quote that opened it; quotes at
  // the ends go without a copy.
  std::string_view v = link;
  while (!v.empty() && IsQuote(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsQuote(v.back())) v.remove_suffix(1);
  const LinkFacts f = ScanLink(v);
  if (f.mail) return {};
  if (!f.plain || f.script || v.size() <= 3) return ResolveAnyLink(page, link);
  if (IsRefusedExtensionAt(v, f.mark)) return {};
  if (f.absolute) {
    if (v.size() <= 10 || f.label || f.anchor) return {};
    return Bytes(v);
  }
  const PageFacts& p = FactsOf(page);
  const bool rooted = v.front() == '/';
  const std::size_t baseEnd = rooted ? p.hostEnd : p.directoryEnd;
  const std::string_view base = std::string_view(p.page).substr(0, baseEnd);
  const std::size_t size = baseEnd + (rooted ? 0 : 1) + v.size();
  if (p.plain) {
    // Labels hold no "/", so none spans the joint; "/#" does when the joint
    // "/" meets a link that begins with "#".
    if (size <= 10 || f.label || f.anchor || p.labelEnd <= baseEnd || p.anchorEnd <= baseEnd ||
        (!rooted && v.front() == '#'))
      return {};
  }
  Bytes l;
  l.reserve(size);
  l.append(base);
  if (!rooted) l.push_back('/');
  l.append(v);
  if (p.plain) return l;
  CleanTextInPlace(l);
  if (!AcceptableTarget(l)) return {};
  return l;
}

}  // namespace vexo
