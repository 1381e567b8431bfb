#include "store/site_queue.h"

#include <algorithm>

#include "platform/files.h"
#include "store/block_files.h"
#include "store/folded_line.h"

namespace vexo {

namespace {

// Position of the first "/" after "://" (or the last position when there is
// none); the scan starts just past "://", or at 3 when it is absent.
Pos HostEnd(std::string_view address) {
  // Addresses mostly begin with "http://", whose "://" is the first one.
  const std::size_t scheme = address.starts_with("http://") ? 4 : address.find("://");
  Pos p = (scheme == std::string_view::npos ? 0 : static_cast<Pos>(scheme) + 1) + 3;
  if (p < Len(address)) {
    // The walk byte by byte stops at the last position even when that byte
    // is no "/", so a "/" found there gives the same answer.
    const std::size_t slash = address.find('/', static_cast<std::size_t>(p - 1));
    p = slash == std::string_view::npos ? Len(address) : static_cast<Pos>(slash) + 1;
  }
  return p;
}

// A line equal to root but for letter case; roots are longer than 7 bytes,
// and those of one length mostly differ in their last word.
bool IsRootLine(const Bytes& line, std::string_view root) {
  const std::size_t n = root.size();
  if (line.size() != n) return false;
  if (n >= 8 && WordsDifferBeyondCase(line.data() + n - 8, root.data() + n - 8)) return false;
  return SameBytesFolded(line.data(), root.data(), n);
}

bool IsAgeMarker(const Bytes& line) {
  return line.size() == kAgeMarker1.size() &&
         (line == kAgeMarker1 || line == kAgeMarker2 || line == kAgeMarker3);
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
    if (scan.root < 0 && IsRootLine(line, root)) scan.root = static_cast<int>(i);
  }
}

void InsertAt(StringList& queue, int index, std::string_view line) {
  const auto at = std::min(static_cast<std::size_t>(std::max(index, 0)), queue.size());
  queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(at), Bytes(line));
}

// Moves the site root found at scan.root (when above 0) to directly under the
// pass marker, newest first; the first proven site also brings the age
// marker that separates proven sites from candidates.
void MoveUpAsProven(StringList& queue, const QueueScan& scan, bool hasAgeMarker,
                    std::string_view root) {
  int pass = scan.pass;
  if (scan.root > 0 && hasAgeMarker) {
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
    queue[static_cast<std::size_t>(under)].assign(root);
    return;
  }
  if (scan.root > 0) {
    queue.erase(queue.begin() + scan.root);
    if (scan.root < pass) --pass;
  }
  const int under = pass + 1;
  if (!hasAgeMarker) InsertAt(queue, under, kAgeMarker1);
  InsertAt(queue, under, root);
}

// The first index of an age marker the scan met, or -1.
int FirstAgeMarker(const QueueScan& scan) {
  int first = -1;
  for (const int i : {scan.fresh, scan.older, scan.oldest}) {
    if (i >= 0 && (first < 0 || i < first)) first = i;
  }
  return first;
}

long long Count(const StringList& queue) {
  return static_cast<long long>(queue.size());
}

}  // namespace

// The first p bytes of an address (fewer when it is shorter).
std::string_view Head(std::string_view address, Pos p) {
  return address.substr(0, static_cast<std::size_t>(std::min(p, Len(address))));
}

namespace {

std::string_view SiteRootIn(std::string_view address) {
  const Pos p = HostEnd(address);
  std::string_view root = Head(address, p);
  if (p <= 10 || !FitsOnOneLine(root)) return {};
  if (!root.empty() && root.back() == '/') root.remove_suffix(1);
  return root;
}

std::string_view CandidateSiteRootIn(std::string_view link) {
  const Pos p = HostEnd(link);
  if (ByteAt(link, p) != '/') return {};
  std::string_view root = Head(link, p);
  if (!FitsOnOneLine(root)) return {};
  root.remove_suffix(1);  // the "/" at p
  return root;
}

}  // namespace

Bytes SiteRoot(std::string_view address) {
  return Bytes(SiteRootIn(address));
}

Bytes CandidateSiteRoot(std::string_view link) {
  return Bytes(CandidateSiteRootIn(link));
}

void DropUpToPassMarker(StringList& queue) {
  for (std::size_t i = queue.size(); i > 0; --i) {
    if (queue[i - 1] == kPassMarker) {
      queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

void SiteQueueLines::RememberSite(std::string_view link) {
  if (!lines_) return;
  StringList& queue = *lines_;
  // A copy: the link may be a line of the queue, which is about to move. The
  // buffer is reused from call to call.
  siteRoot_.assign(SiteRootIn(link));
  const Bytes& root = siteRoot_;
  if (Len(root) <= 7) return;
  // Any age marker will do, and the one met last time usually still stands:
  // then the walk ends at the root, mostly right under the pass marker.
  const std::size_t hint = ageMarkerHint_;
  const bool ageKnown = hint < queue.size() && IsAgeMarker(queue[hint]);
  QueueScan scan;
  ScanUntil(queue, root, scan, [ageKnown](const QueueScan& s) {
    return s.pass >= 0 && s.root >= 0 && (ageKnown || s.HasAgeMarker());
  });
  if (!(Count(queue) - (scan.pass + 1) < 411)) return;
  std::size_t marker = ageKnown ? hint : static_cast<std::size_t>(FirstAgeMarker(scan));
  MoveUpAsProven(queue, scan, ageKnown || scan.HasAgeMarker(), root);
  // The move shifts the lines in between by one place at most.
  if (!scan.HasAgeMarker() && !ageKnown) marker = static_cast<std::size_t>(scan.pass) + 2;
  for (const std::size_t at : {marker, marker + 1, marker - 1}) {
    if (at < queue.size() && IsAgeMarker(queue[at])) {
      ageMarkerHint_ = at;
      break;
    }
  }
}

void SiteQueueLines::PromotePageSite(std::string_view pageAddress) {
  if (!lines_ || lines_->empty()) return;
  StringList& queue = *lines_;
  if (queue.back() == kAgeMarker3) return;
  siteRoot_.assign(SiteRootIn(pageAddress));
  const Bytes& root = siteRoot_;
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
  MoveUpAsProven(queue, scan, scan.HasAgeMarker(), root);
}

void SiteQueueLines::AppendSite(std::string_view link) {
  // An empty queue fails the "[:++:]" test below (0 - (-1) > 1) as well.
  if (!lines_ || lines_->empty()) return;
  StringList& queue = *lines_;
  const std::string_view root = CandidateSiteRootIn(link);
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
  const std::size_t at =
      scan.root >= 0 ? static_cast<std::size_t>(scan.root) : FindLineFolded(queue, scan.next, root);
  if (at != std::string_view::npos) {
    HintSite(key, at, queue.size());
    return;
  }
  // The copy is made before the queue grows: the link may be one of its lines.
  queue.push_back(Bytes(root));
  HintSite(key, queue.size() - 1, queue.size());
}

// The line a hint names still holds the root, or the line as far below it as
// the queue has grown since: lines are inserted and removed near the top (the
// engine URLs, the proven sites) more often than appended.
bool SiteQueueLines::HintedInQueue(const StringList& queue, std::string_view root,
                                   std::uint64_t key) const {
  const SiteHint& hint = siteHints_[key % siteHints_.size()];
  if (hint.key != key) return false;
  const auto holds = [&](std::size_t i) { return i < queue.size() && IsRootLine(queue[i], root); };
  // Unsigned: when the queue has shrunk the shifted index may wrap round,
  // and then names no line.
  return holds(hint.index) || holds(hint.index + queue.size() - hint.count);
}

void SiteQueueLines::HintSite(std::uint64_t key, std::size_t index, std::size_t count) {
  siteHints_[key % siteHints_.size()] = {key, index, count};
}

bool SiteQueueLines::Age(const std::string& file) {
  if (!lines_ || lines_->size() <= 1) return true;
  StringList& queue = *lines_;
  DropUpToPassMarker(queue);
  const int older = IndexOfLineFolded(queue, kAgeMarker2);
  if (older > 0) queue[static_cast<std::size_t>(older)] = Bytes(kAgeMarker3);
  const int fresh = IndexOfLineFolded(queue, kAgeMarker1);
  if (fresh > 0) queue[static_cast<std::size_t>(fresh)] = Bytes(kAgeMarker2);
  // A queue holds one age marker at most: one already on top (no site was
  // proven since the last closing) is not joined by another.
  if (fresh < 0 && IndexOfLineFolded(queue, kAgeMarker2) < 0 &&
      IndexOfLineFolded(queue, kAgeMarker3) < 0)
    InsertAt(queue, 0, kAgeMarker1);
  return SaveLines(file, queue);
}

bool SiteQueueLines::SaveAtStop(const std::string& file) {
  if (!lines_ || lines_->size() <= 1) return false;
  DropUpToPassMarker(*lines_);
  return SaveLines(file, *lines_);
}

void SiteQueueLines::Create() {
  lines_ = std::make_unique<StringList>();
}

void SiteQueueLines::Clear() {
  if (lines_)
    lines_->clear();
  else
    lines_ = std::make_unique<StringList>();
}

void SiteQueueLines::Destroy() {
  lines_.reset();
}

}  // namespace vexo
