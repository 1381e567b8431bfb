// Content stage: the text of a remembered site's page is searched for the
// keywords; each matching text run becomes a title, linked to the nearest
// link before it or else to the page itself.

#include "parser/html_text.h"
#include "parser/link_resolver.h"
#include "parser/thrd1_stages.h"

namespace vexo {
namespace {

// A backward search for the link of the tag before a text run looks at most
// this far.
constexpr Pos kTagReach = 300;
constexpr Pos kTagLength = 500;

// The tag test: a match counts only when the first "</" after it comes before
// the first ">" and is not the closing tag of a script, style, span or the
// like ("</s"). Advances v and t as far as they looked.
bool InTextRun(const AnalysisRun& run, Pos& v, Pos& t) {
  const std::string_view page = run.page;
  const Pos len = Len(page);
  for (;; ++v) {
    v = ScanToAnyOf(page, v, len, "<>");
    if (v >= len || ByteAt(page, v) == '>') break;
    if (ByteAt(page, v + 1) == '/' && ByteAt(run.lower, v + 2) == 's') break;
  }
  if (t < len) {
    const Pos close = Find("</", page, t);
    t = close == 0 ? len : close;
  }
  return t < v;
}

// The walk back from a match at e to the start of its text run: the nearest
// position v above 4 that is a tag edge or lies four bytes after an "&" or two
// after a "%"; 4 when there is none. A byte at h makes v at most h + 4, so the
// walk ends once that cannot beat what was found.
Pos TextRunStart(std::string_view page, Pos e) {
  constexpr Pos kFloor = 4;
  if (e <= kFloor) return e;
  Pos best = kFloor;
  for (Pos p = e;;) {
    const Pos h = ScanBackToAnyOf(page, p, best - 4, "<>&%");
    if (h <= best - 4) return best;
    const unsigned char c = ByteAt(page, h);
    if (IsTagEdge(c)) {
      best = std::max(best, h);
    } else if (c == '&' && h + 4 <= e) {
      best = std::max(best, h + 4);
    } else if (c == '%' && h + 2 <= e) {
      best = std::max(best, h + 2);
    }
    p = h - 1;
  }
}

// Position just behind the next match from byte `from` on (the searched text
// is Len - from bytes long), or 0 when there is none.
Pos NextMatchFrom(AnalysisRun& run, Pos from) {
  const Pos g = from >= 1 ? run.FirstTermInTail(from)
                          : run.FirstTerm(ViewN(run.lower, from, Len(run.page) - from));
  return g < 2 ? 0 : from + g;
}

// Into `link`: the address in the tag that ends just before a text run
// starting at v + 1, or the page address when there is no such tag or it has
// no link. Empty when ResolveLink refuses the tag's link.
void PrecedingTagLink(const AnalysisRun& run, Pos v, Bytes& link) {
  const std::string_view page = run.page;
  link.assign(run.address);
  const Pos p = ScanBackToAnyOf(page, v + 1, std::max<Pos>(1, v - kTagReach), "<>");
  if (ByteAt(page, p) != '>') return;
  const Pos q = ScanBackToAnyOf(page, p - 1, std::max<Pos>(1, p - kTagLength), "<>");
  if (ByteAt(page, q) != '<') return;

  Pos h = q;
  while (h < p + 10 && !(ByteAt(run.lower, h) == 'h' && ViewN(run.lower, h, 5) == "href=")) ++h;
  if (h >= p) return;
  const Pos r = ScanToAnyOf(page, h, p, "<>");
  if (r <= h + 6) return;
  // Back from the end of the tag to the "href=" or to the "://" of an
  // absolute address; the "href=" at h stops this at h + 4 at the latest.
  const Pos s = AddressMarkAtOrBefore(page, run.lower, r, h);
  const Pos e = ScanToAnyOf(page, s + 3, r + 1, kLinkEnds);
  const Pos start = SchemeMarkAt(page, s) ? SchemeStartBefore(run.lower, s) : s + 1;
  run.ResolveLinkInto(TrimView(View(page, start, e - 1)), link);
}

}  // namespace

void ContentStage(AnalysisRun& run) {
  const std::string_view page = run.page;
  const std::string_view lower = run.lower;
  const Pos len = Len(page);
  const Pos first = run.FirstTerm(lower);
  if (first >= 2) {
    Pos v = first;
    Pos t = first;
    Pos e = first;  // the match: its first byte, later the byte after that
    Bytes title;
    Bytes link;
    Bytes spaceless;
    while (e > 0 && run.host.Tracking()) {
      if (!InTextRun(run, v, t)) {
        e = NextMatchFrom(run, v);
        v = t = e;
        continue;
      }

      // The text run around the match: back to a tag edge or to just after an
      // entity or percent escape, forward to the next "<", ">", "&" or "%".
      v = TextRunStart(page, e);
      t = ScanToAnyOf(page, e + 1, len, "<>&%");

      // At most 156 bytes, at most 78 of them before the match.
      if (t - v > kMaxTitle) {
        if (e - v > kTitleLead) v = e - kTitleLead;
        if (t - v > kMaxTitle) t = v + kMaxTitle;
      }

      // Keep double-byte characters whole.
      if (CountHighBytes(page, v + 1, t - 1) % 2 != 0) --t;
      if (run.RoleAt(v + 1) == ByteRole::Trail) ++v;
      if (run.RoleAt(t - 1) == ByteRole::Lead) --t;

      // Re-align on the match inside the window.
      const Pos k = run.FirstTerm(View(lower, v + 1, t - 1));
      const Pos m = v + k - 1;
      if (m > v) {
        if (CountHighBytes(page, v + 1, m) % 2 != 0) ++v;
        if (CountHighBytes(page, m + 1, t - 1) % 2 != 0) --t;
      }

      title.clear();
      if (run.host.Tracking()) {
        const std::string_view window = View(page, v + 1, t - 1);
        // Both tests are pure; the cheap one goes first. Without a space in
        // the window the text tested is the title itself.
        if (run.Match(View(lower, v + 1, t - 1)) > 0) {
          const bool spaced = window.find(' ') != std::string_view::npos;
          if (spaced) {
            RemoveSpacesInto(window, spaceless);
            CleanTextInto(spaceless, title);
            if (!title.empty()) CleanTextInto(window, title);
          } else {
            CleanTextInto(window, title);
          }
          if (!title.empty()) {
            DropCutCharacters(title);
            PrecedingTagLink(run, v, link);
          }
        }
      }
      // Without a title the store refuses the target; the site of the last
      // link found is remembered again all the same.
      run.Store(link, title);
      run.host.Store().RememberSite(link);

      // The next match, behind the end of this run. Should the search land on
      // this same match again (a run end pulled back over it), the loop would
      // repeat itself unchanged for ever: stop instead.
      t = ScanToAnyOf(page, t, len, "<>");
      const Pos next = NextMatchFrom(run, t);
      e = next > e ? next : 0;
      v = t = e;
    }
  }
  run.host.Store().PromotePageSite(run.address);
}

}  // namespace vexo
