// Paging through the targets of a run, eight rows at a time, across the saved
// block files and the open block; and the visibility of the buttons and row
// boxes that follows the page start `Sa`.
#include "platform/files.h"
#include "platform/quietly.h"
#include "store/open_block.h"
#include "texts/texts.h"
#include "viewer/run_numbers.h"
#include "viewer/viewer_part.h"

namespace vexo {

namespace {

// Row r from the target whose link is at line `link` of the list (its title
// follows it).
void SetRowFrom(ViewerPart& m, int row, const StringList& list, long long link) {
  const Bytes& link_line = LineAt(list, link);
  const Bytes& title_line = LineAt(list, link + 1);
  m.SetRowText(row, 1, link_line);
  m.SetRowText(row, 2, title_line);
}

// Row r from target number t (1-based) of a block.
void SetRowFromTarget(ViewerPart& m, int row, const StringList& list, long long t) {
  SetRowFrom(m, row, list, 2 * t - 1);
}

enum class MissingRows { Empty, Keep };

// Shows the page that starts at target s (already moved off multiples of 200).
void FillPage(ViewerPart& m, long long s, MissingRows missing) {
  ResultStore& store = m.Store();
  const long long sum = ReadNumber(m.sum1.Caption());
  const long long c = s / kBlockTargets;
  const long long o = s % kBlockTargets;
  const Bytes start = IntToText(s);

  if (c < sum / kBlockTargets) {
    const long long n = FirstBlockNumber(store.OpenBlock(), sum) + c;
    StringList block;
    if (!LoadBlock(store.SettledBlockFile(n), block)) return;
    for (int i = 1; i <= 8; ++i) {
      if (2 * (o + i) - 2 > kMaxBlockLines) continue;
      m.SetSa(start);
      SetRowFrom(m, i, block, 2 * (o + i) - 3);
    }
    if (o + 7 > kBlockTargets) {
      // The page runs on into the next block, or into the open block.
      StringList later;
      if (!LoadBlock(store.SettledBlockFile(n + 1), later)) {
        if (!store.OpenBlock()) throw RunNumberError("open block");
        later = *store.OpenBlock();
      }
      // Row i shows target o + i - 1 of this block, so the next block's
      // first target is on row kBlockTargets + 2 - o.
      const long long firstLater = kBlockTargets + 2 - o;
      for (long long i = firstLater; i <= 8; ++i)
        SetRowFrom(m, static_cast<int>(i), later, 2 * (i - firstLater) + 1);
      m.SetSa(IntToText(s - o + kBlockTargets + 1));
    }
    return;
  }

  const StringList* open = store.OpenBlock();
  if (!open) return;
  for (int i = 1; i <= 8; ++i) {
    const long long title = 2 * (o + i) - 2;
    if (title < static_cast<long long>(open->size())) {
      m.SetSa(start);
      SetRowFrom(m, i, *open, title - 1);
    } else if (missing == MissingRows::Empty) {
      m.SetRowText(i, 1, "");
      m.SetRowText(i, 2, "");
    }
  }
}

}  // namespace

void ViewerPart::SaChange() {
  // A count that is not a number leaves the rest as it was.
  Quietly([&] {
    const Bytes row1 = RowText(1, 1);
    if (row1.empty() || row1 == Texts().welcome_link) Spt2.SetVisible(false);
    Spt3.SetVisible(!row1.empty());
    const Bytes sa = Sa();
    const bool earlier = !sa.empty() && sa != "1";
    Spt4.SetVisible(earlier);
    Spt5.SetVisible(earlier);

    // A full page whose row 8 holds the last target is the last page.
    bool later = false;
    if (!RowText(8, 1).empty()) later = ReadNumber(sa) + 7 != ReadNumber(sum1.Caption());
    Spt6.SetVisible(later);
    Spt7.SetVisible(later);

    const long long sum = ReadNumber(sum1.Caption());
    if (sum < 9) {
      if (sum == 0) {
        for (int k = 1; k <= 8; ++k) SetMarkCell(k, "");
      }
      for (int k = 1; k <= 8; ++k) RowBox(k)->SetVisible(sum >= k);
    }
  });
}

void ViewerPart::Spt4Click() {
  Quietly([&] {
    if (Sa() == "1") return;
    const long long sum = ReadNumber(sum1.Caption());
    const StringList* open = Store().OpenBlock();
    StringList block;
    if (LoadBlock(Store().SettledBlockFile(FirstBlockNumber(open, sum)), block)) {
      for (int i = 1; i <= 8; ++i) SetRowFromTarget(*this, i, block, i);
      SetSa("1");
      return;
    }
    for (int i = 1; i <= 8; ++i) {
      if (static_cast<long long>(open->size()) <= 2 * i) continue;
      SetSa("1");
      SetRowFromTarget(*this, i, *open, i);
    }
  });
}

void ViewerPart::Spt5Click() {
  Quietly([&] {
    if (Sa() == "1") return;
    long long s = ReadNumber(Sa()) - 8;
    if (s % kBlockTargets == 0) ++s;
    if (s < 1) s = 1;
    FillPage(*this, s, MissingRows::Keep);
  });
}

void ViewerPart::Spt6Click() {
  Quietly([&] {
    if (Sa().empty()) SetSa("1");
    const long long sum = ReadNumber(sum1.Caption());
    if (sum < 9) return;
    long long s = ReadNumber(Sa()) + 8;
    // The last page is a full page that ends with the last target.
    if (sum < s + 7) s = sum - 7;
    if (s % kBlockTargets == 0) --s;
    if (s < 1) s = 1;
    FillPage(*this, s, MissingRows::Empty);
  });
}

void ViewerPart::Spt7Click() {
  Quietly([&] {
    const long long sum = ReadNumber(sum1.Caption());
    if (sum < 9) return;
    const StringList* open = Store().OpenBlock();
    if (!open || open->empty()) return;
    const long long m = (static_cast<long long>(open->size()) - 1) / 2;
    if (m > 8) {
      for (int i = 1; i <= 8; ++i) SetRowFromTarget(*this, i, *open, m - 8 + i);
      SetSa(IntToText(sum - 7));
      return;
    }
    long long p = 0;
    StringList previous;
    if (LoadBlock(Store().SettledBlockFile(ReadNumber(open->front()) - 1), previous)) {
      p = (static_cast<long long>(previous.size()) - 1) / 2;
      for (long long i = 1; i <= 8 - m; ++i)
        SetRowFromTarget(*this, static_cast<int>(i), previous, p - (8 - m) + i);
      SetSa(IntToText(sum - 7));
    }
    if (p < 1) {
      for (long long i = 1; i <= m; ++i) SetRowFromTarget(*this, static_cast<int>(i), *open, i);
      SetSa("1");
    } else {
      for (long long i = 9 - m; i <= 8; ++i)
        SetRowFromTarget(*this, static_cast<int>(i), *open, m - 8 + i);
      SetSa(IntToText(sum - m + 1));
    }
  });
}

}  // namespace vexo
