#include "tests/reference/open_block.h"

#include <climits>

#include "platform/codepage.h"
#include "tests/reference/folded_line.h"

namespace vexo::reference {

bool HoldsLine(const StringList& block, std::string_view line) {
  return IndexOfLine(block, line) >= 0;
}

int AppendTarget(StringList& block, Bytes& sum1, std::string_view link, std::string_view title) {
  if (!Contains(Lower(link), "http://") && !Contains(Lower(link), "https://")) return 0;
  if (PosOf("/", link, 9) == 0) return 0;
  if (!link.empty() && (link.back() == '/' || link.back() == '#')) return 0;
  if (Len(title) <= 10) return 0;
  if (Contains(link, "\r") || Contains(link, "\n") || Contains(title, "\r") ||
      Contains(title, "\n"))
    return 0;
  const Bytes line = Gb("…") + Bytes(title) + Gb("…");
  if (HoldsLine(block, line)) return 0;
  long long sum = 0;
  if (!TryTextToInt(sum1, sum) || sum < 0 || sum == LLONG_MAX) return 0;
  sum1 = IntToText(sum + 1);
  block.push_back(Bytes(link));
  block.push_back(line);
  return 1;
}

}  // namespace vexo::reference
