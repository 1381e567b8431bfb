// Refresh stage: a meta refresh sends the run on to its target through the
// follow-up list, on listing and content pages alike. LiteralRefresh in
// tests/reference/parser_literal.h is the form it must equal.

#include <array>

#include "parser/html_text.h"
#include "parser/thrd1_stages.h"

namespace vexo {
namespace {

// A refresh target shorter than this is not worth fetching.
constexpr Pos kMinRefreshLength = 8;

bool EndsRefreshAddress(unsigned char c) {
  return c == ' ' || c == '"' || c == '\'' || c == '>';
}

constexpr std::string_view kHead = "http-equiv=";
constexpr std::array<std::string_view, 3> kRefreshForms = {
    "http-equiv=\"refresh\"", "http-equiv='refresh'", "http-equiv=refresh"};

// The sum of the first positions of the three forms (0 for a form that is
// absent): a page carries at most one of them, so the sum is the position of
// the one present. All three begin with the same head, so one walk over the
// head's occurrences finds them all.
Pos RefreshTagPosition(std::string_view lower) {
  std::array<Pos, kRefreshForms.size()> first{};
  std::size_t pending = first.size();
  for (Pos h = Find(kHead, lower); h > 0 && pending > 0; h = Find(kHead, lower, h + 1)) {
    const std::string_view at = lower.substr(static_cast<std::size_t>(h - 1));
    for (std::size_t k = 0; k < first.size(); ++k) {
      if (first[k] == 0 && at.starts_with(kRefreshForms[k])) {
        first[k] = h;
        --pending;
      }
    }
  }
  return first[0] + first[1] + first[2];
}

}  // namespace

void RefreshStage(AnalysisRun& run) {
  const std::string_view page = run.page;
  const std::string_view lower = run.lower;
  const Pos len = Len(page);
  const Pos r = RefreshTagPosition(lower);
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
