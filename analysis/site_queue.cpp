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

bool HasAgeMarker(const StringList& queue) {
  return ResultStore::IndexOfLine(queue, kAgeMarker1) >= 0 ||
         ResultStore::IndexOfLine(queue, kAgeMarker2) >= 0 ||
         ResultStore::IndexOfLine(queue, kAgeMarker3) >= 0;
}

void InsertAt(StringList& queue, int index, std::string_view line) {
  const auto at = std::min(static_cast<std::size_t>(std::max(index, 0)), queue.size());
  queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(at), Bytes(line));
}

// The newest proven site goes directly under the pass marker; the first one
// also brings the age marker that separates proven sites from candidates.
void InsertProvenSite(StringList& queue, const Bytes& root) {
  const int under = ResultStore::IndexOfLine(queue, kPassMarker) + 1;
  if (!HasAgeMarker(queue)) InsertAt(queue, under, kAgeMarker1);
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
  const int marker = IndexOfLine(queue, kPassMarker);
  if (!(Count(queue) - (marker + 1) < 411 && Len(root) > 7)) return;
  const int at = IndexOfLine(queue, root);
  if (at > 0) queue.erase(queue.begin() + at);
  InsertProvenSite(queue, root);
}

void ResultStore::PromotePageSite(std::string_view pageAddress) {
  if (!siteQueue_ || siteQueue_->empty()) return;
  StringList& queue = *siteQueue_;
  if (queue.back() == kAgeMarker3) return;
  const Bytes root = SiteRoot(pageAddress);
  if (Len(root) <= 7) return;
  const int at = IndexOfLine(queue, root);
  // With one age marker the sum is its index minus 2: only a candidate below
  // the marker moves; with none, any site below the top.
  const int markers = IndexOfLine(queue, kAgeMarker1) + IndexOfLine(queue, kAgeMarker2) +
                      IndexOfLine(queue, kAgeMarker3);
  if (at > 0 && markers + 2 < at) {
    queue.erase(queue.begin() + at);
    InsertProvenSite(queue, root);
  }
}

void ResultStore::AppendSite(std::string_view link) {
  if (!siteQueue_) return;
  StringList& queue = *siteQueue_;
  // Bounded number of candidates, and none once the oldest age state ends the queue.
  if (!(Count(queue) - IndexOfLine(queue, kPassMarker) < 361 &&
        Count(queue) - IndexOfLine(queue, kAgeMarker3) > 1))
    return;
  Bytes root = CandidateSiteRoot(link);
  if (Len(root) > 7 && IndexOfLine(queue, root) < 0) queue.push_back(std::move(root));
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
