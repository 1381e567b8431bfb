#include "news/news_headlines.h"

#include "parser/html_text.h"
#include "platform/codepage.h"
#include "platform/quietly.h"
#include "texts/texts.h"

namespace vexo {

namespace {

// The same substring test as the target links get: a file extension whose
// first four bytes occur anywhere here is not a page.
constexpr std::string_view kFileExtensions =
    ".txt.mid.css.pdf.zip.exe.dll.cab.mp3.swf.asf.wma.rar.ram.rm\\.jpg.jpeg.gif.avi.au\\.mov."
    "mpg.mpeg.png.pcx.ico.bmp.ocx.java.class";

bool At(std::string_view s, Pos p, std::string_view what) {
  for (Pos i = 0; i < Len(what); ++i)
    if (ByteAt(s, p + i) != static_cast<unsigned char>(what[static_cast<std::size_t>(i)]))
      return false;
  return true;
}

bool AtFolded(std::string_view s, Pos p, std::string_view lower_what) {
  if (p < 1) return false;
  if (lower_what.empty()) return true;
  return p <= Len(s) && StartsWithNoCase(s.substr(static_cast<std::size_t>(p - 1)), lower_what);
}

bool OneOf(unsigned char c, std::string_view set) {
  return c != 0 && set.find(static_cast<char>(c)) != std::string_view::npos;
}

Pos FirstFrame(std::string_view d) {
  const Pos a = PosOfFolded("<frame", d);
  const Pos b = PosOfFolded("<iframe", d);
  if (a > 0 && b > 0) return a < b ? a : b;
  return a > 0 ? a : b;
}

// The text between the first ">" at or after `from` and the next "<".
Bytes CaptionAfter(std::string_view d, Pos from) {
  Pos gt = PosOf(">", d, from);
  if (gt == 0) gt = Len(d);
  Pos lt = PosOf("<", d, gt);
  if (lt == 0) lt = Len(d) + 1;
  return CleanText(CopyRange(d, gt + 1, lt - 1));
}

struct Candidate {
  Bytes link;
  Bytes caption;
};

// The link and caption of the anchor whose "href=" is at h; removes the piece
// up to the end of the tag.
Candidate TakeAnchor(Bytes& d, Pos h) {
  Candidate c;
  Pos e = h + 5;
  while (e < Len(d) && ByteAt(d, e) != '<' && ByteAt(d, e) != '>') ++e;
  // From the end of the tag back: a later attribute's "://" wins over the href.
  Pos k = e;
  while (k > h && !AtFolded(d, k - 4, "href=") && !At(d, k, "://")) --k;
  const bool scheme = At(d, k, "://");
  Pos j = k + 3;
  while (j <= e && !OneOf(ByteAt(d, j), " ;\"'<>")) ++j;
  // Four bytes of scheme before the "://", five for "https".
  const Pos start = scheme ? (AtFolded(d, k - 5, "https") ? k - 5 : k - 4) : k + 1;
  c.link = Trim(CopyRange(d, start, j - 1));
  c.caption = CaptionAfter(d, e);
  Delete(d, 1, e);
  return c;
}

// The link of the frame tag at f and the text that follows the tag.
Candidate TakeFrame(Bytes& d, Pos f) {
  Candidate c;
  Pos s = f + 7;
  while (s < Len(d) && !AtFolded(d, s, "src=")) ++s;
  Pos j = s + 4;
  while (j < Len(d) && !OneOf(ByteAt(d, j), " ;<>)|")) ++j;
  c.link = Trim(CopyRange(d, s + 4, j - 1));
  c.caption = CaptionAfter(d, j);
  Delete(d, 1, j);
  return c;
}

}  // namespace

Bytes CutCaption(const Bytes& text) {
  if (Len(text) <= kMaxCaptionBytes) return text;
  Bytes t = Copy(text, 1, kMaxCaptionBytes);
  if (ByteRoleAt(t, kMaxCaptionBytes) == ByteRole::Lead) t.pop_back();
  return t;
}

bool IsFurnitureCaption(std::string_view t) {
  const NewsTexts& texts = GetNewsTexts();
  for (const char* script : {"=\"", "='", "\"+", "'+", "+\"", "+'"})
    if (Contains(t, script)) return true;
  for (const Bytes& w : texts.furniture_words)
    if (Contains(t, w)) return true;
  return PosOfFolded("copyright&copy", t) > 0 || PosOfFolded("target=", t) > 0 ||
         PosOfFolded(texts.icp, t) > 0 || PosOfFolded("document.write", t) > 0;
}

Bytes HeadlineLink(std::string_view page, std::string_view raw) {
  Bytes l(raw);
  if (Len(l) <= 8) return {};
  l = DeleteAll(DeleteAll(DeleteAll(l, "\""), "'"), "\\");
  if (PosOfFolded("lto:", l) > 0 || PosOfFolded("script:", l) > 0) return {};
  const Pos dot = LastPosOf(".", l);
  if (dot > 0 && PosOf(":", l, dot) == 0) {
    const Bytes ext = Copy(Lower(CopyFrom(l, dot)), 1, 4);
    if (!ext.empty() && Contains(kFileExtensions, ext)) return {};
  }
  if (!Trim(l).empty()) l = MakeAbsolute(page, l);
  l = CleanLink(l);
  if (Trim(l).empty()) return {};
  return l;
}

std::vector<Headline> ExtractHeadlines(std::string_view piece, std::string_view page) {
  std::vector<Headline> out;
  Quietly([&] {
    Bytes d(UpToZero(piece));
    Pos h = PosOfFolded("href=", d);
    Pos f = FirstFrame(d);
    const bool frames = f > 0;
    while (h > 0 || f > 0) {
      const Candidate c = (h > 0 && (f == 0 || h < f)) ? TakeAnchor(d, h) : TakeFrame(d, f);
      const Bytes caption = CutCaption(c.caption);
      const Bytes link = HeadlineLink(page, c.link);
      if (!link.empty() && !IsFurnitureCaption(caption)) {
        Bytes shown = RemoveSpaces(caption);
        if (Len(shown) > kMinCaptionBytes) out.push_back({std::move(shown), link});
      }
      h = PosOfFolded("href=", d);
      f = frames ? FirstFrame(d) : 0;
    }
  });
  return out;
}

}  // namespace vexo
