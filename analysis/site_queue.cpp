#include "analysis/site_queue.h"

#include <algorithm>

#include "analysis/block_files.h"
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

// The first index of each line the site operations look for, found in one
// pass over the queue (-1 when absent). Markers hold no letters, so an exact
// comparison is the case-insensitive one.
struct QueueScan {
  int pass = -1;
  int fresh = -1;   // [:--:]
  int older = -1;   // [:==:]
  int oldest = -1;  // [:++:]
  int root = -1;
  bool HasAgeMarker() const { return fresh >= 0 || older >= 0 || oldest >= 0; }
};

QueueScan ScanQueue(const StringList& queue, std::string_view root) {
  QueueScan found;
  const auto first = [](int& slot, std::size_t i) {
    if (slot < 0) slot = static_cast<int>(i);
  };
  for (std::size_t i = 0; i < queue.size(); ++i) {
    const Bytes& line = queue[i];
    if (line.size() == kPassMarker.size() && line.front() == '[') {
      if (line == kPassMarker) first(found.pass, i);
      if (line == kAgeMarker1) first(found.fresh, i);
      if (line == kAgeMarker2) first(found.older, i);
      if (line == kAgeMarker3) first(found.oldest, i);
    }
    if (found.root < 0 && line.size() == root.size() && SameLineIgnoringCase(line, root)) {
      found.root = static_cast<int>(i);
    }
  }
  return found;
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
  if (scan.root > 0) {
    queue.erase(queue.begin() + scan.root);
    // A root is never a marker line (it is longer), so only the pass
    // marker's index can shift.
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

Bytes SiteRoot(std::string_view address) {
  const Pos p = HostEnd(address);
  if (p <= 10 || !FitsOnOneLine(Copy(address, 1, p))) return {};
  Bytes root = Copy(address, 1, p);
  if (!root.empty() && root.back() == '/') root.pop_back();
  return root;
}

Bytes CandidateSiteRoot(std::string_view link) {
  const Pos p = HostEnd(link);
  if (ByteAt(link, p) != '/' || !FitsOnOneLine(Copy(link, 1, p))) return {};
  return Copy(link, 1, p - 1);
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
  const QueueScan scan = ScanQueue(queue, root);
  if (!(Count(queue) - (scan.pass + 1) < 411)) return;
  MoveUpAsProven(queue, scan, root);
}

void ResultStore::PromotePageSite(std::string_view pageAddress) {
  if (!siteQueue_ || siteQueue_->empty()) return;
  StringList& queue = *siteQueue_;
  if (queue.back() == kAgeMarker3) return;
  const Bytes root = SiteRoot(pageAddress);
  if (Len(root) <= 7) return;
  const QueueScan scan = ScanQueue(queue, root);
  // With one age marker the sum is its index minus 2: only a candidate below
  // the marker moves; with none, any site below the top.
  const int markers = scan.fresh + scan.older + scan.oldest;
  if (scan.root > 0 && markers + 2 < scan.root) MoveUpAsProven(queue, scan, root);
}

void ResultStore::AppendSite(std::string_view link) {
  if (!siteQueue_) return;
  StringList& queue = *siteQueue_;
  Bytes root = CandidateSiteRoot(link);
  const QueueScan scan = ScanQueue(queue, root);
  // Bounded number of candidates, and none once the oldest age state ends the queue.
  if (!(Count(queue) - scan.pass < 361 && Count(queue) - scan.oldest > 1)) return;
  if (Len(root) > 7 && scan.root < 0) queue.push_back(std::move(root));
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
