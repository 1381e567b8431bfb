#include "viewer/highlight.h"

#include <algorithm>
#include <vector>

#include "parser/keyword_expression.h"
#include "platform/codepage.h"

namespace vexo {

namespace {

constexpr std::string_view kHighlightStart =
    "<font style=\"color:#FF0000;background-color:#FFFFFF\">";
constexpr std::string_view kHighlightEnd = "</font>";

bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// A piece of the marked text: raw page text (escaped only on output) or the
// highlight markup, which later terms must not search.
struct Segment {
  bool markup = false;
  Bytes bytes;
  std::size_t offset = 0;  // of a text segment, in the raw piece
};

// Wraps the occurrences of one term in the text segments.
std::vector<Segment> MarkTerm(const std::vector<Segment>& in, std::string_view term,
                              const std::vector<ByteRole>& roles) {
  std::vector<Segment> out;
  for (const Segment& seg : in) {
    if (seg.markup) {
      out.push_back(seg);
      continue;
    }
    const Bytes lowered = Lower(seg.bytes);
    std::size_t plain_from = 0;  // start of the text not yet copied out
    std::size_t from = 0;
    while (true) {
      const std::size_t at = lowered.find(term, from);
      if (at == Bytes::npos) break;
      const std::size_t raw = seg.offset + at;
      // Whole characters only: wrapping half of one would split it in two.
      const bool on_boundary = (raw == 0 || roles[raw - 1] != ByteRole::Lead) &&
                               roles[raw + term.size() - 1] != ByteRole::Lead;
      if (on_boundary && seg.bytes.compare(at, term.size(), term) == 0) {
        if (at > plain_from) {
          out.push_back(
              {false, seg.bytes.substr(plain_from, at - plain_from), seg.offset + plain_from});
        }
        out.push_back({true, Bytes(kHighlightStart), 0});
        out.push_back({false, seg.bytes.substr(at, term.size()), raw});
        out.push_back({true, Bytes(kHighlightEnd), 0});
        plain_from = at + term.size();
      }
      from = at + term.size();
    }
    if (plain_from < seg.bytes.size()) {
      out.push_back({false, seg.bytes.substr(plain_from), seg.offset + plain_from});
    }
  }
  return out;
}

}  // namespace

Bytes EscapeHtml(std::string_view text) {
  Bytes out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      if (i + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
        out += text.substr(i, 2);
        ++i;
      } else {
        out += '?';
      }
      continue;
    }
    switch (b) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += static_cast<char>(b);
    }
  }
  return out;
}

StringList HighlightTermList(std::string_view expression) {
  const Bytes list = Lower(NormalizeExpression(StripParens(NormalizeExpression(Trim(expression)))));
  StringList terms;
  std::string_view rest = list;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("+/");
    const std::string_view term = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (term.empty() || term.find('|') != std::string_view::npos) continue;
    // A term already wrapped would only be wrapped again around itself.
    if (std::find(terms.begin(), terms.end(), term) != terms.end()) continue;
    terms.emplace_back(term);
  }
  return terms;
}

Bytes HighlightTerms(const StringList& terms, std::string_view piece) {
  const std::vector<ByteRole> roles = ByteRoles(piece);
  std::vector<Segment> marked;
  if (!piece.empty()) marked.push_back({false, Bytes(piece), 0});
  for (const Bytes& term : terms) marked = MarkTerm(marked, term, roles);
  Bytes out;
  for (const Segment& seg : marked) out += seg.markup ? seg.bytes : EscapeHtml(seg.bytes);
  return out;
}

Bytes HighlightTerms(std::string_view expression, std::string_view piece) {
  return HighlightTerms(HighlightTermList(expression), piece);
}

}  // namespace vexo
