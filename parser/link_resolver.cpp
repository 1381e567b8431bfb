#include "parser/link_resolver.h"

#include "parser/html_text_rules.h"

namespace vexo {

using namespace text_rules;

namespace {

// "/#" in s, looked for by its rare second byte.
bool HasPageAnchor(std::string_view s) {
  for (auto hash = s.find('#'); hash != kNpos; hash = s.find('#', hash + 1))
    if (hash > 0 && s[hash - 1] == '/') return true;
  return false;
}

}  // namespace

namespace text_rules {

bool AcceptableTarget(std::string_view l) {
  return Len(l) > 10 && !HasEngineLabelFolded(l) && !HasPageAnchor(l);
}

}  // namespace text_rules

Bytes ResolveLinkInSteps(std::string_view page, std::string_view link) {
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

}  // namespace vexo
