#include "parser/markup_text.h"

#include <array>
#include <cstdint>

#include "parser/markup_tag.h"
#include "platform/byte_search.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;
constexpr std::uint32_t kMaxCode = 0x10FFFF;

struct NamedEntity {
  std::string_view name;
  std::uint16_t code;
};

constexpr std::array<NamedEntity, 18> kNamed = {{
    {"amp", '&'},
    {"lt", '<'},
    {"gt", '>'},
    {"quot", '"'},
    {"apos", '\''},
    {"nbsp", ' '},
    {"ldquo", 0x201C},
    {"rdquo", 0x201D},
    {"lsquo", 0x2018},
    {"rsquo", 0x2019},
    {"mdash", 0x2014},
    {"ndash", 0x2013},
    {"hellip", 0x2026},
    {"middot", 0x00B7},
    {"times", 0x00D7},
    {"divide", 0x00F7},
    {"copy", 0x00A9},
    {"yen", 0x00A5},
}};

// The longest name of kNamed and ";".
constexpr std::size_t kNameReach = 7;

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendCode(std::uint32_t code, Bytes& out) {
  // Control characters and the no-break space read as blanks; what lies
  // beyond the basic plane, or is no character at all, GB2312 lacks.
  if (code < 0x20 && code != 0) {
    out += ' ';
  } else if (code == 0 || code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    out += kLackingMark;
  } else if (code == 0x7F || code == 0xA0) {
    out += ' ';
  } else {
    out += WideCharToGb2312(static_cast<std::uint16_t>(code));
  }
}

std::size_t AppendNumeric(std::string_view text, std::size_t at, Bytes& out) {
  std::size_t i = at + 2;
  const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const std::size_t digits = i;
  std::uint32_t code = 0;
  for (int d; i < text.size() && (d = DigitValue(text[i], hex)) >= 0; ++i) {
    // Past the last code point the value only has to stay there.
    code = code > kMaxCode ? code : code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
  }
  if (i == digits) return 0;
  AppendCode(code, out);
  if (i < text.size() && text[i] == ';') ++i;
  return i - at;
}

std::size_t AppendNamed(std::string_view text, std::size_t at, Bytes& out) {
  const std::size_t semicolon = text.substr(at + 1, kNameReach).find(';');
  if (semicolon == kNpos) return 0;
  const std::string_view name = text.substr(at + 1, semicolon);
  for (const NamedEntity& e : kNamed) {
    if (!EqualsNoCase(name, e.name)) continue;
    AppendCode(e.code, out);
    return semicolon + 2;
  }
  return 0;
}

bool IsInline(std::string_view name) {
  static constexpr std::array<std::string_view, 20> kInline = {
      "a",    "abbr", "b", "big",  "cite",   "code", "em",     "font", "i",  "mark",
      "nobr", "q",    "s", "span", "strike", "sub",  "strong", "sup",  "tt", "u"};
  if (name.empty()) return true;  // comments and declarations
  for (std::string_view n : kInline)
    if (EqualsNoCase(name, n)) return true;
  return EqualsNoCase(name, "wbr");
}

// Appends text byte by byte, turning each run of blanks into one blank that is
// written only when more text follows it.
class CollapsingText {
 public:
  explicit CollapsingText(std::size_t reserve) { out_.reserve(reserve); }

  void Blank() { blank_ = true; }
  void Put(std::string_view s) {
    for (const char c : s) {
      if (IsBlankOrControl(c)) {
        blank_ = true;
        continue;
      }
      if (blank_ && !out_.empty()) out_ += ' ';
      blank_ = false;
      out_ += c;
    }
  }
  // Text with its entities decoded.
  void PutText(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
      const std::size_t amp = s.find('&', i);
      Put(s.substr(i, amp == kNpos ? kNpos : amp - i));
      if (amp == kNpos) return;
      entity_.clear();
      const std::size_t took = AppendEntity(s, amp, entity_);
      Put(took == 0 ? std::string_view("&") : std::string_view(entity_));
      i = amp + (took == 0 ? 1 : took);
    }
  }
  Bytes Take() { return std::move(out_); }

 private:
  Bytes out_;
  Bytes entity_;
  bool blank_ = false;
};

}  // namespace

std::size_t AppendEntity(std::string_view text, std::size_t at, Bytes& out) {
  if (at + 1 >= text.size() || text[at] != '&') return 0;
  return text[at + 1] == '#' ? AppendNumeric(text, at, out) : AppendNamed(text, at, out);
}

Bytes DecodeEntities(std::string_view text) {
  Bytes out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    out.append(text.substr(i, amp == kNpos ? kNpos : amp - i));
    if (amp == kNpos) break;
    const std::size_t took = AppendEntity(text, amp, out);
    if (took == 0) out += '&';
    i = amp + (took == 0 ? 1 : took);
  }
  return out;
}

Bytes MarkupToText(std::string_view markup) {
  CollapsingText text(markup.size());
  std::size_t i = 0;
  MarkupTag tag;
  while (i < markup.size()) {
    const std::size_t at = FindTag(markup, i, tag);
    text.PutText(markup.substr(i, at == kNpos ? kNpos : at - i));
    if (at == kNpos) break;
    if (!IsInline(tag.name)) text.Blank();
    i = AfterTag(markup, tag);
  }
  return text.Take();
}

Bytes JoinText(Bytes first, std::string_view second) {
  if (!first.empty() && !second.empty()) first += ' ';
  first += second;
  return first;
}

std::size_t WholeCharacterEnd(std::string_view text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  // Double-byte characters have both bytes in 81-FE: the run of such bytes
  // before the cut starts at a character, so its length tells.
  const std::string_view before = text.substr(0, limit);
  const std::size_t other = FindLastNonLeadByte(before);
  const std::size_t run = limit - (other == kNpos ? 0 : other + 1);
  return run % 2 == 1 ? limit - 1 : limit;
}

}  // namespace vexo
