#include "parser/html_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "parser/html_text_rules.h"
#include "platform/byte_search.h"
#include "platform/codepage.h"

namespace vexo {

using namespace text_rules;

namespace {

// Keeps only the bytes before the first `stop`, when there is one.
void CutAt(Bytes& s, char stop) {
  const auto at = s.find(stop);
  if (at != Bytes::npos) s.resize(at);
}

// The entities that CleanText deletes, in the order it deletes them.
constexpr std::array<std::string_view, 5> kEntities = {"&gt;", "&lt;", "&amp;", "&quot;", "&nbsp;"};

}  // namespace

namespace text_rules {

// Bit k set when entity k starts at the beginning of `s`.
unsigned EntitiesAt(std::string_view s) {
  if (s.size() < 4) return 0;
  unsigned found = 0;
  for (std::size_t k = 0; k < kEntities.size(); ++k)
    if (LowerAscii(s[1]) == kEntities[k][1] && StartsWithNoCase(s, kEntities[k])) found |= 1u << k;
  return found;
}

// Bit k set when entity k occurs in `s`, found from its '&'s.
unsigned EntitiesIn(std::string_view s) {
  unsigned found = 0;
  for (auto amp = s.find('&'); amp != kNpos; amp = s.find('&', amp + 1))
    found |= EntitiesAt(s.substr(amp));
  return found;
}

}  // namespace text_rules

namespace {

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
                   [](char a, char b) { return LowerAscii(a) == b; }))
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
  // A1 leads much of the punctuation, so a search for the pair beats one
  // for its first byte.
  if (FindBytes(s, "\xA1\xA1") == std::string_view::npos) return;
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

}  // namespace

namespace text_rules {

// CleanText on a string of our own, without copying it.
void CleanTextInPlace(Bytes& s) {
  const std::string_view kept = TrimView(s);
  if (kept.size() != s.size()) {
    const std::size_t head = static_cast<std::size_t>(kept.data() - s.data());
    s.erase(head + kept.size());
    s.erase(0, head);
  }
  if (!HoldsNoLineBreak(s)) std::erase_if(s, IsLineBreak);
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

}  // namespace text_rules

namespace {

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

// True when the first 10 bytes of a link hold "://": the link is absolute.
bool IsAbsoluteLink(std::string_view link) {
  return link.substr(0, 10).find("://") != kNpos;
}

// The length of "http://": the host of most page addresses begins after it.
// An "https://" page has its host one byte later; every other page is cut as
// if it began with "http://".
std::size_t SchemeEnd(std::string_view page) {
  return StartsWithNoCase(page, "https://") ? 8 : 7;
}

}  // namespace

namespace text_rules {

// The extension test on a link whose last "." or ":" is at `mark`.
bool IsRefusedExtensionAt(std::string_view link, std::size_t mark) {
  if (mark == kNpos || link[mark] != '.') return false;
  // The lower-cased piece begins with its dot, so it can occur in the list
  // only where a dot stands.
  char ext[4];
  const std::string_view piece = link.substr(mark, 4);
  std::transform(piece.begin(), piece.end(), ext, LowerAscii);
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

// The engine label test on a text that is not lower-cased yet. Every label
// begins with a dot, so one walk over the dots of the text tries them all.
bool HasEngineLabelFolded(std::string_view s) {
  for (auto dot = s.find('.'); dot != kNpos; dot = s.find('.', dot + 1))
    if (EngineLabelEndAt(s, dot) != 0) return true;
  return false;
}

}  // namespace text_rules

Bytes CleanLink(std::string_view s) {
  Bytes out(s);
  CleanLinkInPlace(out);
  return out;
}

Bytes RemoveSpaces(std::string_view s) {
  Bytes out;
  RemoveSpacesInto(s, out);
  return out;
}

void RemoveSpacesInto(std::string_view s, Bytes& out) {
  out.clear();
  out.reserve(s.size());
  // Whole stretches between spaces at a time.
  for (auto at = s.find(' '); at != kNpos; at = s.find(' ')) {
    out.append(s.substr(0, at));
    s.remove_prefix(at + 1);
  }
  out.append(s);
}

Bytes CleanText(std::string_view s) {
  Bytes out;
  CleanTextInto(s, out);
  return out;
}

void CleanTextInto(std::string_view s, Bytes& out) {
  out.assign(TrimView(s));
  CleanTextInPlace(out);
}

Bytes StripTags(std::string_view s) {
  Bytes kept;
  StripTagsInto(s, kept);
  return kept;
}

void StripTagsInto(std::string_view s, Bytes& kept) {
  // Removing "<...>" leaves a prefix without "<" or ">", so the next tag to
  // remove is searched only in the rest.
  kept.clear();
  kept.reserve(s.size());
  std::size_t from = 0;
  while (true) {
    // The first of "<" and ">" decides: a ">" first, or a "<" without a ">"
    // after it, ends the stripping.
    const auto edge = FindAnyOf(s.substr(from), "<>");
    if (edge == kNpos || s[from + edge] != '<') break;
    const auto open = from + edge;
    const auto close = s.find('>', open + 1);
    if (close == kNpos) break;
    kept.append(s.substr(from, open - from));
    from = close + 1;
  }
  kept.append(s.substr(from));

  CleanTextInPlace(kept);
  if (kept.starts_with("...")) kept.erase(0, 3);
  if (kept.ends_with("...")) kept.resize(kept.size() - 3);
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
    } else if (b < 0xF0) {
      length = 3;
      if (i + 2 >= s.size()) break;
      code = (b & 0x0F) * 4096 + (at(i + 1) & 0x3F) * 64 + (at(i + 2) & 0x3F);
    } else {
      // Beyond the basic plane, where GB2312 has nothing: one mark for the
      // whole sequence, so that no byte of it is read as a character.
      length = 4;
      if (i + 3 >= s.size()) break;
      out += kLackingMark;
      i += length;
      continue;
    }
    out += WideCharToGb2312(static_cast<std::uint16_t>(code));
    i += length;
  }
  return out;
}

Bytes MakeAbsolute(std::string_view page, std::string_view link) {
  Bytes out;
  AppendAbsolute(out, page, link);
  return out;
}

bool ContainsEngineLabel(std::string_view lowered) {
  return std::any_of(kEngineLabels.begin(), kEngineLabels.end(),
                     [&](std::string_view label) { return Contains(lowered, label); });
}

}  // namespace vexo
