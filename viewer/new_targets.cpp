// New targets as they arrive: the run's count, the live rows of the first page
// and of the newest eight, and the pop-up.
#include <climits>

#include "viewer/viewer_part.h"

namespace vexo {

namespace {

const Bytes kSaOne = "1";
const Bytes kSaTwo = "2";

}  // namespace

void ViewerPart::ShowNewTarget(long long number, std::string_view link, std::string_view title) {
  sum1.SetCaption(IntToText(number));
  const Bytes newLink(link);
  const Bytes newTitle(title);
  const Bytes sa = Sa();
  if (sa.empty() || sa == "1") {
    // The detour through "2" runs the change handler twice; the page stays 1.
    SetSa(kSaTwo);
    if (RowText(8, 1).empty()) {
      for (int row = 1; row <= 8; ++row) {
        if (!RowText(row, 1).empty()) continue;
        SetRowText(row, 1, newLink);
        SetRowText(row, 2, newTitle);
        break;
      }
    }
    SetSa(kSaOne);
    return;
  }
  long long first = 0;
  if (!TryTextToInt(sa, first) || first > LLONG_MAX - 8) return;
  if (number != first + 8) return;
  for (int row = 1; row <= 7; ++row) {
    SetRowText(row, 1, RowText(row + 1, 1));
    SetRowText(row, 2, RowText(row + 1, 2));
  }
  SetSa(IntToText(number - 7));
  SetRowText(8, 1, newLink);
  SetRowText(8, 2, newTitle);
}

void ViewerPart::NewTargetStored() {
  if (popupOnNew == 1) TrayIcon1Click();
}

}  // namespace vexo
