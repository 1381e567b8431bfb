#include <algorithm>
#include <array>
#include <cstdint>

#include "parser/html_text_rules.h"
#include "parser/link_resolver.h"
#include "platform/byte_search.h"

namespace vexo {

using namespace text_rules;

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

// The bytes that the walk over a link stops at besides blanks and control
// bytes: the rest of kLinkBytes.
constexpr std::string_view kLinkStops = "\"'\\&\xA1:.#";

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
      if (i >= 3 && StartsWithNoCase(v.substr(i - 3), "lto:")) {
        f.mail = true;
        return false;
      }
      if (i >= 10 && StartsWithNoCase(v.substr(i - 10), "javascript:")) f.script = true;
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
  static const ControlOrAnyOf stops(kLinkStops);
  stops.ForEach(v, [&](std::size_t i) { return TakeLinkByte(v, i, f); });
  return f;
}

}  // namespace

PageLinkResolver::PageLinkResolver(std::string_view page) {
  PageFacts& f = page_;
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

Bytes PageLinkResolver::Resolve(std::string_view link) const {
  Bytes out;
  ResolveInto(link, out);
  return out;
}

void PageLinkResolver::ResolveInto(std::string_view link, Bytes& out) const {
  out.clear();
  const std::string_view page = page_.page;
  if (Len(link) <= 3) return;
  // The stage hands over the link with the quote that opened it; quotes at
  // the ends go without a copy.
  std::string_view v = link;
  while (!v.empty() && IsQuote(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsQuote(v.back())) v.remove_suffix(1);
  const LinkFacts f = ScanLink(v);
  if (f.mail) return;
  if (!f.plain || f.script || v.size() <= 3) {
    out = ResolveLinkInSteps(page, link);
    return;
  }
  if (IsRefusedExtensionAt(v, f.mark)) return;
  if (f.absolute) {
    if (v.size() <= 10 || f.label || f.anchor) return;
    out.assign(v);
    return;
  }
  const PageFacts& p = page_;
  const bool rooted = v.front() == '/';
  const std::size_t baseEnd = rooted ? p.hostEnd : p.directoryEnd;
  const std::string_view base = std::string_view(p.page).substr(0, baseEnd);
  const std::size_t size = baseEnd + (rooted ? 0 : 1) + v.size();
  if (p.plain) {
    // Labels hold no "/", so none spans the joint; "/#" does when the joint
    // "/" meets a link that begins with "#".
    if (size <= 10 || f.label || f.anchor || p.labelEnd <= baseEnd || p.anchorEnd <= baseEnd ||
        (!rooted && v.front() == '#'))
      return;
  }
  out.reserve(size);
  out.append(base);
  if (!rooted) out.push_back('/');
  out.append(v);
  if (p.plain) return;
  CleanTextInPlace(out);
  if (!AcceptableTarget(out)) out.clear();
}

Bytes ResolveLink(std::string_view page, std::string_view link) {
  return PageLinkResolver(page).Resolve(link);
}

}  // namespace vexo
