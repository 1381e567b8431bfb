#include "viewer/export_html.h"

#include <vector>

#include "platform/codepage.h"
#include "texts/texts.h"
#include "viewer/highlight.h"

namespace vexo {

namespace {

constexpr Pos kShownLinkBytes = 74;

// The href of a target: only web addresses are linked, so that a stored
// "javascript:" or "data:" address cannot run when the row is clicked.
Bytes TargetHref(std::string_view link) {
  if (StartsWithNoCase(link, "http://") || StartsWithNoCase(link, "https://")) {
    return EscapeHtml(link);
  }
  return "#";
}

// The href of a page of the same export: the file name in the page's code
// page, with the bytes that a browser would read as URL syntax encoded.
Bytes PageHref(const std::string& fileName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Bytes out;
  for (const char c : Utf8ToGb(fileName)) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x21 || b == 0x7F || c == '%' || c == '#' || c == '?') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return EscapeHtml(out);
}

// The roles of a caption's bytes, seen from a piece that starts at `from`
// (pieces start on character boundaries, so the roles stay valid).
struct RemainingText {
  std::string_view text;
  const std::vector<ByteRole>& roles;
  std::size_t from = 0;

  Pos Length() const { return Len(text) - static_cast<Pos>(from); }
  ByteRole RoleAt(Pos p) const {
    if (p < 1 || p > Length()) return ByteRole::Single;
    return roles[from + static_cast<std::size_t>(p - 1)];
  }
  std::string_view Span(Pos p, Pos n) const {
    return text.substr(from + static_cast<std::size_t>(p - 1), static_cast<std::size_t>(n));
  }
};

// Cutting after byte `cut` would split two single-byte characters that stand
// together in the expression's text.
bool SplitsAsciiPair(const RemainingText& r, Pos cut, std::string_view expression) {
  if (cut < 1 || cut + 1 > r.Length()) return false;
  if (r.RoleAt(cut) != ByteRole::Single || r.RoleAt(cut + 1) != ByteRole::Single) return false;
  return Contains(expression, r.Span(cut, 2));
}

// Cutting after byte `cut` would split two double-byte characters that stand
// together in the expression's text.
bool SplitsCharPair(const RemainingText& r, Pos cut, std::string_view expression) {
  if (cut < 2 || cut + 2 > r.Length()) return false;
  return Contains(expression, r.Span(cut - 1, 4));
}

// Length of the next piece when more than 80 bytes remain.
Pos NextCut(const RemainingText& r, std::string_view expression) {
  const Pos plain =
      r.RoleAt(kCaptionPieceBytes) == ByteRole::Lead ? kCaptionPieceBytes - 1 : kCaptionPieceBytes;
  Pos cut = plain;
  // A keyword that reaches back to the start of the piece cannot be kept
  // whole: it is then cut where the piece ends anyway.
  bool stuck = false;
  while (SplitsAsciiPair(r, cut, expression)) {
    if (cut <= 1) {
      stuck = true;
      break;
    }
    --cut;
  }
  while (!stuck && SplitsCharPair(r, cut, expression)) {
    if (cut <= 2) {
      stuck = true;
      break;
    }
    cut -= 2;
  }
  if (stuck) cut = plain;
  if (r.RoleAt(cut) == ByteRole::Lead) --cut;
  return cut >= 1 ? cut : plain;
}

}  // namespace

Bytes ShownLink(std::string_view link, long long n, bool* shortened) {
  const Pos digits = Len(IntToText(n));
  if (Len(link) - digits <= kShownLinkBytes) {
    if (shortened) *shortened = false;
    return Bytes(link);
  }
  Pos keep = kShownLinkBytes - digits;
  if (keep >= 1 && ByteRoleAt(link, keep) == ByteRole::Lead) --keep;
  if (shortened) *shortened = true;
  return Copy(link, 1, keep);
}

StringList CaptionPieces(std::string_view caption, std::string_view expression) {
  StringList pieces;
  const std::vector<ByteRole> roles = ByteRoles(caption);
  RemainingText rest{caption, roles, 0};
  while (rest.Length() > 0) {
    const Pos cut = rest.Length() > kCaptionPieceBytes ? NextCut(rest, expression) : rest.Length();
    pieces.emplace_back(rest.Span(1, cut));
    rest.from += static_cast<std::size_t>(cut);
  }
  return pieces;
}

Bytes CaptionPart(std::string_view caption, std::string_view expression) {
  if (expression.empty()) return EscapeHtml(caption);
  const StringList terms = HighlightTermList(expression);
  Bytes out;
  for (const Bytes& piece : CaptionPieces(caption, expression)) {
    out += HighlightTerms(terms, piece);
    out += ExportText().piece_break;
  }
  return out;
}

Bytes HtmlRowHead(std::string_view link, long long n) {
  const ExportTexts& t = ExportText();
  bool shortened = false;
  const Bytes shown = ShownLink(link, n, &shortened);
  Bytes out = "<p>";
  out += t.row_colour;
  out += t.link_start;
  out += TargetHref(link);
  out += t.link_target;
  out += IntToText(n);
  out += t.number_sign;
  out += EscapeHtml(shown);
  out += shortened ? t.short_link_end : t.link_end;
  out += t.row_link_end;
  return out;
}

Bytes NavigationBar(long long k, long long last, const std::string& bareName) {
  const ExportTexts& t = ExportText();
  auto link = [&](long long page, const Bytes& piece) {
    return t.link_start + PageHref(ExportFileName(bareName, page)) + piece;
  };
  Bytes out = "<p>";
  if (k > 0) {
    out += link(0, t.nav_first);
    out += link(k - 1, t.nav_previous);
  }
  if (k < last) {
    out += link(k + 1, t.nav_next);
    out += link(last, t.nav_last);
  }
  out += "</p>";
  return out;
}

Bytes HtmlPage(std::string_view keywords, std::string_view navigation, std::string_view rows) {
  const ExportTexts& t = ExportText();
  Bytes out = t.page_head;
  out += EscapeHtml(keywords);
  out += t.head_end;
  out += navigation;
  out += rows;
  out += navigation;
  out += "<p>";
  out += t.link_start;
  out += kPublisherHomePage;  // the footer links to the publisher
  out += t.link_target;
  out += t.footer_text;
  out += t.link_end;
  out += "</p>";
  out += t.page_end;
  return out;
}

std::string ExportFileName(const std::string& bareName, long long k) {
  if (k <= 0) return bareName;
  std::string name = bareName;
  const auto dot = name.find('.');
  name.insert(dot == std::string::npos ? name.size() : dot, IntToText(k));
  return name;
}

}  // namespace vexo
