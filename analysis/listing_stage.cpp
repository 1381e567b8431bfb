// Listing stage: on a page from the site queue (an engine's result page)
// every link is looked at, and the text after it up to the next link is its
// snippet; a link whose snippet matches becomes a target titled from the
// snippet. Engine pages of the first pass also teach how the engine splits
// the keywords into words.

#include <array>

#include "analysis/html_text.h"
#include "analysis/thrd1_stages.h"

namespace vexo {
namespace {

constexpr Pos kShortestLearningText = 10;
constexpr Pos kSnippetLateMatch = 94;

// How the engines mark the keywords in their result pages.
constexpr std::array<std::string_view, 5> kHighlightTags = {
    "<font color=red>", "<font color=\"red\">", "<font color=#cc0033>", "<font color=#e10900>",
    "<font color=d00001>"};
constexpr std::string_view kHighlightHead = "<font color=";

bool IsLinkEnd(unsigned char c) {
  return c == ' ' || c == ';' || c == '"' || c == '\'' || c == '<' || c == '>';
}

// Only result pages of the engines that highlight, and only during the very
// first pass for these keywords (no age marker in the site queue yet).
bool LearningApplies(const AnalysisRun& run) {
  const std::string_view a = run.address;
  if (!Contains(a, ".zhongsou.") && !Contains(a, ".baidu.") && !Contains(a, ".google.")) {
    return false;
  }
  const StringList* queue = run.host.Store().SiteQueue();
  if (queue == nullptr) return true;
  for (std::string_view marker : {kAgeMarker3, kAgeMarker1, kAgeMarker2}) {
    if (ResultStore::IndexOfLine(*queue, marker) >= 0) return false;
  }
  return true;
}

using TagPositions = std::array<Pos, kHighlightTags.size()>;

// Brings every tag's next occurrence in `all` (position, 0 for none) up to
// date for the text after its first `base` bytes. All tags begin with the same
// head, so one walk over the head's occurrences finds them all.
void FindTagsAhead(std::string_view all, Pos base, TagPositions& next,
                   std::array<bool, kHighlightTags.size()>& searched) {
  std::array<bool, kHighlightTags.size()> pending{};
  bool any = false;
  for (std::size_t k = 0; k < next.size(); ++k) {
    pending[k] = !searched[k] || (next[k] != 0 && next[k] <= base);
    if (pending[k]) {
      searched[k] = true;
      next[k] = 0;
      any = true;
    }
  }
  for (Pos h = any ? Find(kHighlightHead, all, base + 1) : 0; h > 0 && any;
       h = Find(kHighlightHead, all, h + 1)) {
    any = false;
    const std::string_view at = all.substr(static_cast<std::size_t>(h - 1));
    for (std::size_t k = 0; k < next.size(); ++k) {
      if (pending[k] && at.starts_with(kHighlightTags[k])) {
        next[k] = h;
        pending[k] = false;
      }
      any = any || pending[k];
    }
  }
}

}  // namespace

void LearnHighlightedWords(ParserHost& host, std::string_view textBefore) {
  const std::string_view all = TrimView(textBefore);
  // The text loses its head as words are learned; each tag's next occurrence
  // (a position in `all`, 0 for none) stays valid while it lies ahead.
  TagPositions next{};
  std::array<bool, kHighlightTags.size()> searched{};
  Pos base = 0;  // bytes of `all` dropped so far
  std::string_view s = all;
  while (Len(s) > kShortestLearningText && host.Tracking()) {
    // A page uses one of the tags, so the sum is the position of that one.
    FindTagsAhead(all, base, next, searched);
    Pos p = 0;
    for (const Pos at : next) {
      if (at != 0) p += at - base;
    }
    if (p < 2) break;
    p += 5;
    while (p < Len(s) && !IsTagEdge(ByteAt(s, p))) ++p;
    Pos q = p + 2;
    while (q < Len(s) && ByteAt(s, q) != '>' && !(ByteAt(s, q) == '<' && ByteAt(s, q + 1) == '/')) {
      ++q;
    }
    if (q - p > 3) {
      const Bytes word(TrimView(View(s, p + 1, q - 1)));
      host.SetGjc3(SplitLearnedWord(host.Gjc3(), word));
    }
    const Pos drop = std::min(q - 1, Len(s));
    s.remove_prefix(static_cast<std::size_t>(drop));
    base += drop;
  }
}

Bytes SnippetTitle(const AnalysisRun& run, std::string_view snippet) {
  // Every link of a listing asks; one buffer per thread serves them all.
  thread_local Bytes lowered;
  LowerInto(snippet, lowered);
  const Pos o = run.FirstTerm(lowered);
  if (o < 2) return {};
  const Pos len = Len(snippet);
  Pos start = o > kSnippetLateMatch ? o - kTitleLead : (o > kSnippetHead ? kSnippetHead : o - 1);
  // The title begins after an ellipsis that precedes the match.
  Pos s = o;
  while (s > 0 && !(ByteAt(snippet, s) == '.' && ViewN(snippet, s, 3) == "...")) --s;
  if (s > start) start = s + 2;
  Pos end = len - start > kMaxTitle ? start + kMaxTitle : len + 1;
  if (CountHighBytes(snippet, start + 1, end - 1) % 2 != 0) --end;
  if (RoleByLookback(snippet, start + 1) == ByteRole::Trail) ++start;
  if (RoleByLookback(snippet, end - 1) == ByteRole::Lead) --end;
  Bytes title = RemoveSpaces(View(snippet, start + 1, end - 1));
  DropCutCharacters(title);
  return title;
}

void ListingStage(AnalysisRun& run) {
  // The processed head of the page is dropped link by link; positions count
  // from the current head.
  std::string_view page = run.page;
  std::string_view lower = run.lower;
  bool learningKnown = false;
  bool learning = false;
  Pos t = Find("href=", lower);
  while (run.host.Tracking() && t > 0) {
    if (!learningKnown) {
      // Nothing the stage does adds or removes a marker line, so one look
      // at the site queue holds for the whole page.
      learning = LearningApplies(run);
      learningKnown = true;
    }
    if (learning) LearnHighlightedWords(run.host, View(lower, 1, t - 1));

    // The end of the anchor tag, and the address inside it: back from there
    // to the "href=" or to the "://" of an absolute address.
    const Pos len = Len(page);
    const Pos v = ScanToAnyOf(page, t + 5, len, "<>");
    Pos f = v;
    while (f >= t && !HrefEndsAt(lower, f) && !SchemeMarkAt(page, f)) --f;
    Pos e = f + 3;
    while (e <= v && !IsLinkEnd(ByteAt(page, e))) ++e;
    const Pos start = SchemeMarkAt(page, f) ? f - 4 : f + 1;
    const Bytes link = ResolveLink(run.address, TrimView(View(page, start, e - 1)));

    const std::size_t drop = static_cast<std::size_t>(std::min(v - 1, len));
    page.remove_prefix(drop);
    lower.remove_prefix(drop);

    if (PosOfFolded("http://", link) > 0) {
      // The snippet runs from the end of this anchor to the next anchor; a
      // link without one ("</a>" missing or not before the next "<a href=")
      // has an empty snippet and so gives no target.
      const Pos a = Find("</a>", lower) + 4;
      const Pos b = Find("<a href=", lower);
      const Bytes snippet = a < b ? StripTags(View(page, a, b - 1)) : Bytes();
      run.Store(link, SnippetTitle(run, snippet));
      run.host.Store().AppendSite(link);
    }
    t = Find("href=", lower);
  }
}

}  // namespace vexo
