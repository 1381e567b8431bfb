// Results stage: a page of today's engines or a news feed, read whole,
// result by result. A result whose title and snippet match becomes a target
// titled by the result and linked to its real address; a result that still
// points at the engine is fetched, so that the content stage reads the page
// it leads to and the target carries the site's address.

#include <algorithm>

#include "parser/html_text.h"
#include "parser/keyword_expression.h"
#include "parser/link_resolver.h"
#include "parser/result_reading.h"
#include "parser/thrd1_stages.h"

namespace vexo {
namespace {

// Engine redirects followed from one page: each is a request to the engine's
// own host, which asks few of them.
constexpr int kRedirectsFollowedPerPage = 5;
constexpr Pos kShortestLearnedWord = 3;

bool OnEngineHost(std::string_view link, const StringList& engineLabels) {
  const Bytes lowered = Lower(link.substr(0, link.find('/', link.find("://") + 3)));
  return ContainsEngineLabel(lowered) ||
         std::any_of(engineLabels.begin(), engineLabels.end(),
                     [&](const Bytes& label) { return Contains(lowered, label); });
}

// At most kMaxTitle bytes, cut on a whole character.
Bytes ShortTitle(std::string_view title) {
  Bytes t(View(title, 1, kMaxTitle));
  DropCutCharacters(t);
  return t;
}

// The words the engine highlighted: the text after each of its tags up to
// the next tag.
void LearnTaggedWords(AnalysisRun& run, const StringList& tags) {
  for (const Bytes& tag : tags) {
    for (Pos p = Find(tag, run.lower); p > 0 && run.host.Tracking();
         p = Find(tag, run.lower, p + Len(tag))) {
      const Pos from = p + Len(tag);
      const Pos end = ScanToAnyOf(run.page, from, Len(run.page) + 1, "<>");
      const std::string_view word = TrimView(View(run.lower, from, end - 1));
      if (Len(word) >= kShortestLearnedWord) LearnWord(run.host, word);
    }
  }
}

}  // namespace

int ResultsStage(AnalysisRun& run, const Source& source, const StringList& engineLabels) {
  const std::vector<FoundResult> results =
      source.kind == SourceKind::kFeed ? ReadFeedItems(run.page, run.address, source.results)
                                       : ReadHtmlResults(run.page, run.address, source.results);
  if (!source.highlight.empty() && FirstPassOfKeywords(run.host))
    LearnTaggedWords(run, source.highlight);
  int redirects = 0;
  Bytes text;
  for (const FoundResult& r : results) {
    if (!run.host.Tracking()) break;
    // A word at the very start of a text does not count, hence the blank.
    text = Lower(" " + r.title + " " + r.snippet);
    const bool matches = run.Match(text) > 0;
    if (IsEngineRedirect(r.link, source.results)) {
      StringList* follow = run.host.Store().FollowUp();
      if (matches && follow && redirects < kRedirectsFollowedPerPage) {
        follow->push_back(r.link);
        ++redirects;
      }
      continue;
    }
    const Bytes link = run.ResolveLink(r.link);
    if (link.empty() || OnEngineHost(link, engineLabels)) continue;
    if (matches) run.Store(link, ShortTitle(r.title));
    run.host.Store().AppendSite(link);
  }
  return static_cast<int>(results.size());
}

}  // namespace vexo
