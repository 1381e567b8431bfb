#include "analysis/site_queue.h"

#include <algorithm>

#include "analysis/block_files.h"
#include "analysis/folded_line.h"
#include "analysis/result_store.h"
#include "platform/files.h"

namespace vexo {

namespace {

// Position of the first "/" after "://" (or the last position when there is
// none); the scan starts just past "://", or at 3 when it is absent.
Pos HostEnd(std::string_view address) {
  Pos p = PosOf("://", address) + 3;
  while (p < Len(address) && ByteAt(address, p) != '/') ++p;
  return p;
}

// The first index of each line the site operations look for (-1 while not
// met), gathered by one walk down the queue that each operation stops as soon
// as its answer is settled. Markers hold no letters, so an exact comparison
// is the case-insensitive one.
struct QueueScan {
  int pass = -1;
  int fresh = -1;   // [:--:]
  int older = -1;   // [:==:]
  int oldest = -1;  // [:++:]
  int root = -1;
  std::size_t next = 0;  // the lines above this index have been looked at
  bool HasAgeMarker() const { return fresh >= 0 || older >= 0 || oldest >= 0; }
};

// Walks on from scan.next until stop(scan) holds or the queue ends.
template <typename Stop>
void ScanUntil(const StringList& queue, std::string_view root, QueueScan& scan, Stop stop) {
  const auto first = [](int& slot, std::size_t i) {
    if (slot < 0) slot = static_cast<int>(i);
  };
  for (; scan.next < queue.size() && !stop(scan); ++scan.next) {
    const std::size_t i = scan.next;
    const Bytes& line = queue[i];
    if (line.size() == kPassMarker.size() && line.front() == '[') {
      if (line == kPassMarker) first(scan.pass, i);
      if (line == kAgeMarker1) first(scan.fresh, i);
      if (line == kAgeMarker2) first(scan.older, i);
      if (line == kAgeMarker3) first(scan.oldest, i);
    }
    if (scan.root < 0 && SameLineFolded(line, root)) scan.root = static_cast<int>(i);
  }
}

void InsertAt(StringList& queue, int index, std::string_view line) {
  const auto at = std::min(static_cast<std::size_t>(std::max(index, 0)), queue.size());
  queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(at), Bytes(line));
}

// Moves the site root found at scan.root (when above 0) to directly under the
// pass marker, newest first; the first proven site also brings the age
// marker that separates proven sites from candidates.
void MoveUpAsProven(StringList& queue, const QueueScan& scan, const Bytes& root) {
  int pass = scan.pass;
  if (scan.root > 0 && scan.HasAgeMarker()) {
    // Deleting line `at` and inserting the root at `under` (counted after the
    // deletion) only turns the lines between the two round by one place:
    // rotate those instead of moving the whole queue down twice. The line
    // is still rewritten, as the stored root may differ in letter case.
    const int at = scan.root;
    // A root is never a marker line (it is longer), so only the pass
    // marker's index can shift.
    const int under = (at < pass ? pass - 1 : pass) + 1;
    const auto line = [&queue](int i) { return queue.begin() + i; };
    if (under <= at)
      std::rotate(line(under), line(at), line(at + 1));
    else
      std::rotate(line(at), line(at + 1), line(under + 1));
    queue[static_cast<std::size_t>(under)] = root;
    return;
  }
  if (scan.root > 0) {
    queue.erase(queue.begin() + scan.root);
    if (scan.root < pass) --pass;
  }
  const int under = pass + 1;
  if (!scan.HasAgeMarker()) InsertAt(queue, under, kAgeMarker1);
  InsertAt(queue, under, root);
}

long long Count(const StringList& queue) {
  return static_cast<long long>(queue.size());
}

}  // namespace

// The first p bytes of an address (fewer when it is shorter).
std::string_view Head(std::string_view address, Pos p) {
  return address.substr(0, static_cast<std::size_t>(std::min(p, Len(address))));
}

Bytes SiteRoot(std::string_view address) {
  const Pos p = HostEnd(address);
  std::string_view root = Head(address, p);
  if (p <= 10 || !FitsOnOneLine(root)) return {};
  if (!root.empty() && root.back() == '/') root.remove_suffix(1);
  return Bytes(root);
}

Bytes CandidateSiteRoot(std::string_view link) {
  const Pos p = HostEnd(link);
  if (ByteAt(link, p) != '/') return {};
  std::string_view root = Head(link, p);
  if (!FitsOnOneLine(root)) return {};
  root.remove_suffix(1);  // the "/" at p
  return Bytes(root);
}

void DropUpToPassMarker(StringList& queue) {
  for (std::size_t i = queue.size(); i > 0; --i) {
    if (queue[i - 1] == kPassMarker) {
      queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

void ResultStore::RememberSite(std::string_view link) {
  if (!siteQueue_) return;
  StringList& queue = *siteQueue_;
  const Bytes root = SiteRoot(link);
  if (Len(root) <= 7) return;
  QueueScan scan;
  // A site remembered again usually lies right under the pass marker, above
  // the age marker: the walk rarely goes further.
  ScanUntil(queue, root, scan,
            [](const QueueScan& s) { return s.pass >= 0 && s.root >= 0 && s.HasAgeMarker(); });
  if (!(Count(queue) - (scan.pass + 1) < 411)) return;
  MoveUpAsProven(queue, scan, root);
}

void ResultStore::PromotePageSite(std::string_view pageAddress) {
  if (!siteQueue_ || siteQueue_->empty()) return;
  StringList& queue = *siteQueue_;
  if (queue.back() == kAgeMarker3) return;
  const Bytes root = SiteRoot(pageAddress);
  if (Len(root) <= 7) return;
  QueueScan scan;
  ScanUntil(queue, root, scan, [](const QueueScan& s) { return s.root >= 0; });
  const int i = scan.root;
  if (i <= 0) return;
  // With one age marker the sum is its index minus 2: only a candidate below
  // the marker moves; with none, any site below the top. A marker first met
  // below the site raises the sum to at least i + 1, so the walk goes on only
  // while the answer is still yes.
  const auto refused = [i](const QueueScan& s) { return !(s.fresh + s.older + s.oldest + 2 < i); };
  ScanUntil(queue, root, scan, refused);
  if (refused(scan)) return;
  MoveUpAsProven(queue, scan, root);
}

void ResultStore::AppendSite(std::string_view link) {
  // An empty queue fails the "[:++:]" test below (0 - (-1) > 1) as well.
  if (!siteQueue_ || siteQueue_->empty()) return;
  StringList& queue = *siteQueue_;
  Bytes root = CandidateSiteRoot(link);
  // Links within a page and short hosts give no candidate: nothing to look up.
  if (Len(root) <= 7) return;
  QueueScan scan;
  ScanUntil(queue, root, scan, [](const QueueScan& s) { return s.pass >= 0; });
  // Bounded number of candidates ...
  if (!(Count(queue) - scan.pass < 361)) return;
  // ... and none once the oldest age state ends the queue; only a "[:++:]" in
  // the last line can be the first one there.
  if (queue.back() == kAgeMarker3) {
    ScanUntil(queue, root, scan, [](const QueueScan& s) { return s.oldest >= 0; });
    if (!(Count(queue) - scan.oldest > 1)) return;
  }
  // Most links lead to sites met before: a hint usually spares the walk.
  const std::uint64_t key = FoldedHash(root);
  if (HintedInQueue(queue, root, key)) return;
  ScanUntil(queue, root, scan, [](const QueueScan& s) { return s.root >= 0; });
  if (scan.root >= 0) {
    HintSite(key, static_cast<std::size_t>(scan.root), queue.size());
    return;
  }
  queue.push_back(std::move(root));
  HintSite(key, queue.size() - 1, queue.size());
}

// The line a hint names still holds the root, or the line as far below it as
// the queue has grown since: lines are inserted and removed near the top (the
// engine URLs, the proven sites) more often than appended.
bool ResultStore::HintedInQueue(const StringList& queue, std::string_view root,
                                std::uint64_t key) const {
  const SiteHint& hint = siteHints_[key % siteHints_.size()];
  if (hint.key != key) return false;
  const auto holds = [&](std::size_t i) {
    return i < queue.size() && SameLineFolded(queue[i], root);
  };
  // Unsigned: when the queue has shrunk the shifted index may wrap round,
  // and then names no line.
  return holds(hint.index) || holds(hint.index + queue.size() - hint.count);
}

void ResultStore::HintSite(std::uint64_t key, std::size_t index, std::size_t count) {
  siteHints_[key % siteHints_.size()] = {key, index, count};
}

void ResultStore::AgeSiteQueue() {
  if (!siteQueue_ || siteQueue_->size() <= 1) return;
  StringList& queue = *siteQueue_;
  DropUpToPassMarker(queue);
  const int older = IndexOfLine(queue, kAgeMarker2);
  if (older > 0) queue[static_cast<std::size_t>(older)] = Bytes(kAgeMarker3);
  const int fresh = IndexOfLine(queue, kAgeMarker1);
  if (fresh > 0) queue[static_cast<std::size_t>(fresh)] = Bytes(kAgeMarker2);
  if (fresh < 1 && IndexOfLine(queue, kAgeMarker2) < 1 && IndexOfLine(queue, kAgeMarker3) < 1)
    InsertAt(queue, 0, kAgeMarker1);
  SaveLines(SiteQueueFile(), queue);
}

bool ResultStore::SaveSiteQueueAtStop() {
  if (!siteQueue_ || siteQueue_->size() <= 1) return false;
  DropUpToPassMarker(*siteQueue_);
  return SaveLines(SiteQueueFile(), *siteQueue_);
}

}  // namespace vexo
