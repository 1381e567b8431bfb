#include "analysis/html_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/codepage.h"

namespace vexo {

namespace {

// Keeps only the bytes before the first `stop`, when there is one.
void CutAt(Bytes& s, char stop) {
  const auto at = s.find(stop);
  if (at != Bytes::npos) s.resize(at);
}

bool IsLowerEqual(char a, char b) {
  return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
}

// Deletes every occurrence of the lower-case pattern `pat`, matched in the
// lower-cased text, until none is left. The entities have no border (no
// proper prefix equals a suffix), so removals never interfere with each other
// and one pass over a stack gives the same text as "delete the first one
// again and again" in linear time.
Bytes DeleteAllFolded(std::string_view s, std::string_view pat) {
  Bytes out;
  out.reserve(s.size());
  for (const char c : s) {
    out.push_back(c);
    if (out.size() < pat.size()) continue;
    const std::string_view tail(out.data() + out.size() - pat.size(), pat.size());
    if (std::equal(tail.begin(), tail.end(), pat.begin(), IsLowerEqual))
      out.resize(out.size() - pat.size());
  }
  return out;
}

// Deletes the full-width spaces A1 A1 that are whole characters. A trail byte
// A1 followed by a lead byte A1 belongs to two other characters and stays:
// "场。" is B3 A1 A1 A3.
Bytes DeleteFullWidthSpaces(std::string_view s) {
  Bytes out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(b) && i + 1 < s.size()) {
      if (b != 0xA1 || static_cast<unsigned char>(s[i + 1]) != 0xA1) out.append(s.substr(i, 2));
      i += 2;
    } else {
      out.push_back(s[i]);
      ++i;
    }
  }
  return out;
}

// Extensions of files that are never targets. Matched as a substring of this
// whole text, so ".rm\" and ".au\" catch ".rm" and ".au", and any extension
// whose first bytes occur here is refused too.
constexpr std::string_view kRefusedExtensions =
    ".txt.mid.css.pdf.zip.exe.dll.cab.mp3.swf.asf.wma.rar.ram.rm\\.jpg.jpeg.gif.avi.au\\.mov."
    "mpg.mpeg.png.pcx.ico.bmp.ocx.java.class";

bool HasRefusedExtension(std::string_view link) {
  const auto last = link.find_last_of(".:");
  if (last == std::string_view::npos || link[last] != '.') return false;
  const Bytes ext = Lower(link.substr(last, 4));
  return Contains(kRefusedExtensions, ext);
}

}  // namespace

Bytes CleanLink(std::string_view s) {
  Bytes out(s);
  CutAt(out, ' ');
  CutAt(out, '\r');
  CutAt(out, '\n');
  const Pos j = PosOf("javascript:", Lower(out));
  if (j == 0) return out;
  const Pos open = PosOf("(", out);
  // An opening parenthesis before the scheme deletes nothing here.
  Delete(out, j, open > 0 ? open - j + 1 : Len("javascript:"));
  const Pos close = PosOf(")", out);
  if (close > 0) Delete(out, close, 600);
  return out;
}

Bytes RemoveSpaces(std::string_view s) {
  Bytes out;
  out.reserve(s.size());
  std::copy_if(s.begin(), s.end(), std::back_inserter(out), [](char c) { return c != ' '; });
  return out;
}

Bytes CleanText(std::string_view s) {
  Bytes out = Trim(s);
  std::erase(out, '\n');
  std::erase(out, '\r');
  out = DeleteFullWidthSpaces(out);
  for (const std::string_view entity : {"&gt;", "&lt;", "&amp;", "&quot;", "&nbsp;"})
    out = DeleteAllFolded(out, entity);
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

  Bytes out = CleanText(kept);
  if (out.starts_with("...")) Delete(out, 1, 3);
  if (out.ends_with("...")) out.resize(out.size() - 3);
  return out;
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

Bytes MakeAbsolute(std::string_view page, std::string_view link) {
  if (Contains(link.substr(0, 10), "://")) return Bytes(link);
  if (ByteAt(link, 1) == '/') {
    // Scheme and host: up to the first "/" after "http://".
    const Pos slash = PosOf("/", page, 8);
    return (slash > 0 ? Copy(page, 1, slash - 1) : Bytes(page)) + Bytes(link);
  }
  const Pos last = LastPosOf("/", page);
  return (last > 7 ? Copy(page, 1, last - 1) : Bytes(page)) + "/" + Bytes(link);
}

bool ContainsEngineLabel(std::string_view lowered) {
  constexpr std::array<std::string_view, 5> kLabels = {".baidu.", ".google.", ".zhongsou.",
                                                       ".chinasearch.", ".sogou."};
  return std::any_of(kLabels.begin(), kLabels.end(),
                     [&](std::string_view label) { return Contains(lowered, label); });
}

Bytes ResolveLink(std::string_view page, std::string_view link) {
  if (Len(link) <= 3) return {};
  Bytes l;
  l.reserve(link.size());
  std::copy_if(link.begin(), link.end(), std::back_inserter(l),
               [](char c) { return c != '"' && c != '\'' && c != '\\'; });
  if (Contains(Lower(l), "lto:")) return {};  // mailto:
  if (HasRefusedExtension(l)) return {};
  l = CleanLink(l);
  if (Len(l) > 3) l = MakeAbsolute(page, l);
  l = CleanText(l);
  if (Len(l) <= 10 || ContainsEngineLabel(Lower(l)) || Contains(l, "/#")) return {};
  return l;
}

}  // namespace vexo
