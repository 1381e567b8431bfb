// Listing stage: on a page from the site queue (an engine's result page)
// every link is looked at, and the text after it up to the next link is its
// snippet; a link whose snippet matches becomes a target titled from the
// snippet. Engine pages of the first pass also teach how the engine splits
// the keywords into words. The learning walks the tag positions found once
// per page; LiteralLearn in tests/reference/parser_literal.h is the form it
// must equal.

#include <algorithm>
#include <array>
#include <optional>

#include "parser/html_text.h"
#include "parser/link_resolver.h"
#include "parser/thrd1_stages.h"

namespace vexo {
namespace {

constexpr Pos kShortestLearningText = 10;
constexpr Pos kSnippetLateMatch = 94;

// How the engines mark the keywords in their result pages.
constexpr std::array<std::string_view, 5> kHighlightTags = {
    "<font color=red>", "<font color=\"red\">", "<font color=#cc0033>", "<font color=#e10900>",
    "<font color=d00001>"};
constexpr std::string_view kHighlightHead = "<font color=";

// Only result pages of the engines that highlight, and only during the very
// first pass for these keywords.
bool LearningApplies(const AnalysisRun& run) {
  const std::string_view a = run.address;
  if (!Contains(a, ".zhongsou.") && !Contains(a, ".baidu.") && !Contains(a, ".google.")) {
    return false;
  }
  return FirstPassOfKeywords(run.host);
}

// The position of the first "<a href=" of `lower`, given that of its first
// "href=": none can begin more than three bytes before that, and mostly one
// begins just there.
Pos FirstAnchor(std::string_view lower, Pos firstHref) {
  if (firstHref == 0) return 0;
  if (firstHref > 3 && ViewN(lower, firstHref - 3, 3) == "<a ") return firstHref - 3;
  return Find("<a href=", lower, std::max<Pos>(firstHref - 2, 1));
}

}  // namespace

bool FirstPassOfKeywords(ParserHost& host) {
  const StringList* queue = host.Store().SiteQueue();
  if (queue == nullptr) return true;
  // The markers hold no letters, so a line equal to one but for case is
  // simply equal to it; one pass looks for all three.
  return std::none_of(queue->begin(), queue->end(), [](const Bytes& line) {
    return line == kAgeMarker1 || line == kAgeMarker2 || line == kAgeMarker3;
  });
}

HighlightTags::HighlightTags(std::string_view lower) {
  static_assert(kCount == kHighlightTags.size());
  constexpr std::size_t kHead = kHighlightHead.size();
  for (Pos h = Find(kHighlightHead, lower); h > 0; h = Find(kHighlightHead, lower, h + 1)) {
    const std::string_view at = lower.substr(static_cast<std::size_t>(h - 1));
    if (at.size() <= kHead) break;
    for (std::size_t k = 0; k < kCount; ++k) {
      // The byte after the head rules out all tags but one or two.
      if (at[kHead] == kHighlightTags[k][kHead] && at.starts_with(kHighlightTags[k]))
        at_[k].push_back(h);
    }
  }
}

Pos HighlightTags::FirstWithin(std::size_t k, Pos from, Pos last) {
  const std::vector<Pos>& at = at_[k];
  std::size_t& i = next_[k];
  if (i > 0 && at[i - 1] >= from) {
    i = static_cast<std::size_t>(std::lower_bound(at.begin(), at.end(), from) - at.begin());
  } else {
    while (i < at.size() && at[i] < from) ++i;
  }
  // A later occurrence ends later still.
  if (i == at.size() || at[i] + Len(kHighlightTags[k]) - 1 > last) return 0;
  return at[i];
}

void LearnHighlightedWords(ParserHost& host, HighlightTags& tags, std::string_view textBefore,
                           Pos offset) {
  const std::string_view all = TrimView(textBefore);
  if (Len(all) <= kShortestLearningText) return;
  // Positions in the page of the tags: `all` begins after `head` of its bytes.
  const Pos head = offset + static_cast<Pos>(all.data() - textBefore.data());
  const Pos last = head + Len(all);
  Pos base = 0;  // bytes of `all` dropped so far
  std::string_view s = all;
  while (Len(s) > kShortestLearningText && host.Tracking()) {
    // A page uses one of the tags, so the sum is the position of that one.
    Pos p = 0;
    for (std::size_t k = 0; k < HighlightTags::kCount; ++k) {
      const Pos at = tags.FirstWithin(k, head + base + 1, last);
      if (at != 0) p += at - head - base;
    }
    if (p < 2) break;
    p += 5;
    p = ScanToAnyOf(s, p, Len(s), "<>");
    Pos q = p + 2;
    while (q < Len(s) && ByteAt(s, q) != '>' && !(ByteAt(s, q) == '<' && ByteAt(s, q + 1) == '/')) {
      ++q;
    }
    if (q - p > 3) {
      LearnWord(host, TrimView(View(s, p + 1, q - 1)));
    }
    const Pos drop = std::min(q - 1, Len(s));
    s.remove_prefix(static_cast<std::size_t>(drop));
    base += drop;
  }
}

void LearnWord(ParserHost& host, std::string_view word) {
  const Bytes& expr = host.Gjc3();
  if (!LearnedWordStandsApart(expr, word)) host.SetGjc3(SplitLearnedWord(expr, word));
}

void LearnHighlightedWords(ParserHost& host, std::string_view textBefore) {
  HighlightTags tags(textBefore);
  LearnHighlightedWords(host, tags, textBefore, 0);
}

std::string_view SnippetTitle(AnalysisRun& run, std::string_view snippet) {
  const std::string_view lowered = run.LowerSnippet(snippet);
  const Pos o = run.FirstTerm(lowered);
  if (o < 2) return {};
  const Pos len = Len(snippet);
  Pos start = o > kSnippetLateMatch ? o - kTitleLead : (o > kSnippetHead ? kSnippetHead : o - 1);
  // The title begins after an ellipsis that precedes the match.
  Pos s = o;
  while ((s = ScanBackToAnyOf(snippet, s, 0, ".")) > 0 && ViewN(snippet, s, 3) != "...") --s;
  if (s > start) start = s + 2;
  Pos end = len - start > kMaxTitle ? start + kMaxTitle : len + 1;
  if (CountHighBytes(snippet, start + 1, end - 1) % 2 != 0) --end;
  if (RoleByLookback(snippet, start + 1) == ByteRole::Trail) ++start;
  if (RoleByLookback(snippet, end - 1) == ByteRole::Lead) --end;
  Bytes& title = run.TitleBuffer();
  RemoveSpacesInto(View(snippet, start + 1, end - 1), title);
  DropCutCharacters(title);
  return title;
}

void ListingStage(AnalysisRun& run) {
  // The processed head of the page is dropped link by link; positions count
  // from the current head.
  std::string_view page = run.page;
  std::string_view lower = run.lower;
  bool learningKnown = false;
  std::optional<HighlightTags> learning;  // while the page teaches
  Pos t = Find("href=", lower);
  while (run.host.Tracking() && t > 0) {
    if (!learningKnown) {
      // Nothing the stage does adds or removes a marker line, so one look
      // at the site queue holds for the whole page.
      if (LearningApplies(run)) learning.emplace(run.lower);
      learningKnown = true;
    }
    if (learning) {
      LearnHighlightedWords(run.host, *learning, View(lower, 1, t - 1),
                            Len(run.lower) - Len(lower));
    }

    // The end of the anchor tag, and the address inside it: back from there
    // to the "href=" or to the "://" of an absolute address.
    const Pos len = Len(page);
    const Pos v = ScanToAnyOf(page, t + 5, len, "<>");
    const Pos f = AddressMarkAtOrBefore(page, lower, v, t);
    const Pos e = ScanToAnyOf(page, f + 3, v + 1, kLinkEnds);
    const Pos start = SchemeMarkAt(page, f) ? SchemeStartBefore(lower, f) : f + 1;
    const std::string_view link = run.ResolvedLink(TrimView(View(page, start, e - 1)));

    const std::size_t drop = static_cast<std::size_t>(std::min(v - 1, len));
    page.remove_prefix(drop);
    lower.remove_prefix(drop);

    const Pos next = Find("href=", lower);
    if (PosOfFolded("http://", link) > 0 || PosOfFolded("https://", link) > 0) {
      // The snippet runs from the end of this anchor to the next anchor; a
      // link without one ("</a>" missing or not before the next "<a href=")
      // has an empty snippet and so gives no target.
      const Pos a = Find("</a>", lower) + 4;
      const Pos b = FirstAnchor(lower, next);
      const std::string_view snippet = a < b ? run.StrippedSnippet(View(page, a, b - 1)) : "";
      run.Store(link, SnippetTitle(run, snippet));
      run.host.Store().AppendSite(link);
    }
    t = next;
  }
}

}  // namespace vexo
