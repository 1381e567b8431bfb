#include "tests/reference/text_literal.h"

#include "parser/html_text.h"
#include "platform/codepage.h"

namespace vexo::reference {

Bytes LiteralLower(std::string_view s) {
  Bytes out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

Bytes LiteralCleanText(std::string_view s) {
  Bytes out = Trim(s);
  std::erase(out, '\n');
  std::erase(out, '\r');
  // Full-width spaces that are whole characters, by the roles from the start.
  Bytes kept;
  for (std::size_t i = 0; i < out.size();) {
    if (IsLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
      if (out.compare(i, 2, "\xA1\xA1") != 0) kept += out.substr(i, 2);
      i += 2;
    } else {
      kept += out[i++];
    }
  }
  out = kept;
  for (const std::string_view entity : {"&gt;", "&lt;", "&amp;", "&quot;", "&nbsp;"}) {
    for (Pos p = PosOf(entity, LiteralLower(out)); p > 0; p = PosOf(entity, LiteralLower(out)))
      Delete(out, p, Len(entity));
  }
  return out;
}

Bytes LiteralCleanLink(std::string_view s) {
  Bytes out(s);
  for (const char stop : {' ', '\r', '\n'}) {
    const Pos at = PosOf(std::string_view(&stop, 1), out);
    if (at > 0) out = Copy(out, 1, at - 1);
  }
  const Pos j = PosOf("javascript:", LiteralLower(out));
  if (j == 0) return out;
  const Pos open = PosOf("(", out);
  Delete(out, j, open > 0 ? open - j + 1 : 11);
  const Pos close = PosOf(")", out);
  if (close > 0) Delete(out, close, 600);
  return out;
}

Bytes LiteralStripTags(std::string_view s) {
  Bytes out(s);
  while (true) {
    const Pos open = PosOf("<", out);
    const Pos close = PosOf(">", out);
    if (open == 0 || close == 0 || open > close) break;
    Delete(out, open, close - open + 1);
  }
  out = LiteralCleanText(out);
  if (Copy(out, 1, 3) == "...") Delete(out, 1, 3);
  if (Len(out) >= 3 && CopyFrom(out, Len(out) - 2) == "...") Delete(out, Len(out) - 2, 3);
  return out;
}

Bytes LiteralMakeAbsolute(std::string_view page, std::string_view link) {
  if (Contains(Copy(link, 1, 10), "://")) return Bytes(link);
  // The host of an "https://" page begins a byte later.
  const Pos scheme = LiteralLower(Copy(page, 1, 8)) == "https://" ? 8 : 7;
  if (Copy(link, 1, 1) == "/") {
    const Pos slash = PosOf("/", page, scheme + 1);
    return (slash > 0 ? Copy(page, 1, slash - 1) : Bytes(page)) + Bytes(link);
  }
  const Pos last = LastPosOf("/", page);
  return (last > scheme ? Copy(page, 1, last - 1) : Bytes(page)) + "/" + Bytes(link);
}

Bytes LiteralResolveLink(std::string_view page, std::string_view link) {
  if (Len(link) <= 3) return {};
  Bytes l;
  for (const char c : link)
    if (c != '"' && c != '\'' && c != '\\') l += c;
  if (Contains(LiteralLower(l), "lto:")) return {};
  Pos last = 0;
  for (Pos p = 1; p <= Len(l); ++p)
    if (ByteAt(l, p) == '.' || ByteAt(l, p) == ':') last = p;
  if (last > 0 && ByteAt(l, last) == '.') {
    const Bytes ext = LiteralLower(Copy(l, last, 4));
    if (Contains(".txt.mid.css.pdf.zip.exe.dll.cab.mp3.swf.asf.wma.rar.ram.rm\\.jpg.jpeg.gif.avi."
                 "au\\.mov.mpg.mpeg.png.pcx.ico.bmp.ocx.java.class",
                 ext))
      return {};
  }
  l = LiteralCleanLink(l);
  if (Len(l) > 3) l = LiteralMakeAbsolute(page, l);
  l = LiteralCleanText(l);
  if (Len(l) <= 10 || ContainsEngineLabel(LiteralLower(l)) || Contains(l, "/#")) return {};
  return l;
}

}  // namespace vexo::reference
