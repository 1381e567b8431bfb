// Refresh stage: a meta refresh sends the run on to its target through the
// follow-up list, on listing and content pages alike.

#include "analysis/html_text.h"
#include "analysis/thrd1_stages.h"

namespace vexo {
namespace {

// A refresh target shorter than this is not worth fetching.
constexpr Pos kMinRefreshLength = 8;

bool EndsRefreshAddress(unsigned char c) {
  return c == ' ' || c == '"' || c == '\'' || c == '>';
}

}  // namespace

void RefreshStage(AnalysisRun& run) {
  const std::string_view page = run.page;
  const std::string_view lower = run.lower;
  const Pos len = Len(page);
  // A page carries at most one of the three forms, so the sum is the
  // position of the one present. All three begin alike: none occurs before
  // the first common head.
  const Pos head = Find("http-equiv=", lower);
  if (head == 0) return;
  const Pos r = Find("http-equiv=\"refresh\"", lower, head) +
                Find("http-equiv='refresh'", lower, head) + Find("http-equiv=refresh", lower, head);
  if (r == 0) return;

  Pos t = r;
  while (t < len && ViewN(lower, t, 4) != "url=" && ByteAt(page, t + 4) != '>') ++t;
  Pos v = t + 4;
  while (v < len && !EndsRefreshAddress(ByteAt(page, v))) ++v;
  if (v <= t + 4) return;

  Bytes a = Trim(View(page, t + 4, v - 1));
  a = MakeAbsolute(run.address, a);
  a = CleanText(CleanLink(a));

  StringList* followUp = run.host.Store().FollowUp();
  if (Len(a) > kMinRefreshLength && followUp != nullptr && !ContainsEngineLabel(Lower(a)) &&
      !Contains(a, "/#") && ResultStore::IndexOfLine(*followUp, a) < 0) {
    followUp->push_back(a);
  }
}

}  // namespace vexo
