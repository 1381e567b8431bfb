#include "store/history_index.h"

#include <string.h>

#include <algorithm>
#include <utility>

#include "store/block_files.h"

namespace vexo {

namespace {

// Pieces of 8 bytes (four GB2312 characters) at every fourth position: a text
// of at least kIndexed bytes holds, at four consecutive offsets, one piece
// that starts at an indexed position of each place where it occurs.
constexpr std::size_t kPiece = 8;
constexpr std::uint32_t kStep = 4;
constexpr std::size_t kIndexed = kPiece + kStep - 1;

// A text of up to this many bytes lies wholly within a window wherever it
// lies in a file.
constexpr std::size_t kAnywhere = kWindowSize - kWindowStep + 1;

constexpr unsigned kFirstBucketBits = 12;

// How many pieces ahead a bucket is fetched: some hundreds of cycles of work.
constexpr std::size_t kAhead = 16;

std::uint64_t PieceAt(const char* p) {
  std::uint64_t w;
  ::memcpy(&w, p, kPiece);
  return w;
}

std::size_t EntriesOf(std::size_t size) {
  return size < kPiece ? 0 : (size - kPiece) / kStep + 1;
}

}  // namespace

void HistoryIndex::PutFile(long long number, std::string_view bytes) {
  // The folder watch tells of the store's own saves too.
  if (const auto it = files_.find(number); it != files_.end()) {
    const Doc& doc = docs_[it->second];
    if (std::string_view(text_).substr(doc.start, doc.size) == bytes) return;
  }
  DropFile(number);
  files_[number] = AddDoc(bytes, false, {});
}

void HistoryIndex::DropFile(long long number) {
  const auto it = files_.find(number);
  if (it == files_.end()) return;
  const std::uint32_t doc = it->second;
  files_.erase(it);
  KillDoc(doc);
}

void HistoryIndex::DropFiles() {
  while (!files_.empty()) DropFile(files_.begin()->first);
}

void HistoryIndex::PushWaiting(const StringList& lines) {
  Bytes joined;
  std::vector<std::uint32_t> ends;
  for (const Bytes& line : lines) {
    joined += line;
    ends.push_back(static_cast<std::uint32_t>(joined.size()));
    joined += "\r\n";
  }
  waiting_.push_back(AddDoc(joined, true, std::move(ends)));
}

void HistoryIndex::WaitingSaved(std::size_t i, long long number) {
  if (i >= waiting_.size()) return;
  const std::uint32_t doc = waiting_[i];
  waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
  Doc& d = docs_[doc];
  d.waiting = false;
  d.lineEnds = std::vector<std::uint32_t>();
  const auto [it, added] = files_.try_emplace(number, doc);
  if (added) return;
  // Last: the documents may be laid out afresh.
  KillDoc(std::exchange(it->second, doc));
}

void HistoryIndex::DropWaitingAt(std::size_t i) {
  if (i >= waiting_.size()) return;
  const std::uint32_t doc = waiting_[i];
  waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
  KillDoc(doc);
}

void HistoryIndex::DropWaiting() {
  while (!waiting_.empty()) PopWaiting();
}

std::uint32_t HistoryIndex::AddDoc(std::string_view bytes, bool waiting,
                                   std::vector<std::uint32_t> lineEnds) {
  // Room for a quarter more at a time, not twice as much: a run adds a
  // block file of some 50 KB now and then to a few megabytes.
  const std::size_t bytesNeeded = text_.size() + kStep + bytes.size();
  if (bytesNeeded > text_.capacity()) text_.reserve(bytesNeeded + bytesNeeded / 4);
  const std::size_t entriesNeeded = entries_.size() + EntriesOf(bytes.size());
  if (entriesNeeded > entries_.capacity()) entries_.reserve(entriesNeeded + entriesNeeded / 4);
  text_.resize((text_.size() + kStep - 1) / kStep * kStep, '\0');
  Doc doc;
  doc.start = static_cast<std::uint32_t>(text_.size());
  doc.size = static_cast<std::uint32_t>(bytes.size());
  doc.waiting = waiting;
  doc.lineEnds = std::move(lineEnds);
  text_.append(bytes);
  docs_.push_back(std::move(doc));
  IndexDoc(docs_.back());
  return static_cast<std::uint32_t>(docs_.size() - 1);
}

void HistoryIndex::KillDoc(std::uint32_t doc) {
  Doc& d = docs_[doc];
  d.alive = false;
  deadEntries_ += EntriesOf(d.size);
  deadBytes_ += d.size;
  // Dead pieces only lengthen the walks; once they are half of all, the
  // living documents are laid out and indexed afresh.
  if (deadBytes_ * 2 > text_.size() || deadEntries_ * 2 > entries_.size()) Rebuild();
}

// The buckets a document's pieces fall in are spread over the whole table,
// which outgrows the caches as a run saves block after block: each is
// fetched kAhead pieces before it is linked, so that linking costs the same
// per piece whatever the table's size.
void HistoryIndex::IndexDoc(const Doc& doc) {
  const std::size_t n = EntriesOf(doc.size);
  // About two entries a bucket at most; room for the whole document first.
  if (heads_.empty() || entries_.size() + n > 2 * heads_.size()) Grow(entries_.size() + n);
  const char* base = text_.data() + doc.start;
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) Prefetch(Bucket(PieceAt(base + (i + kAhead) * kStep)));
    Link(doc.start + static_cast<std::uint32_t>(i) * kStep, PieceAt(base + i * kStep));
  }
}

void HistoryIndex::Link(std::uint32_t pos, std::uint64_t piece) {
  const std::size_t b = Bucket(piece);
  entries_.push_back({pos, heads_[b]});
  heads_[b] = static_cast<std::uint32_t>(entries_.size() - 1);
  if (counts_[b] < 255) ++counts_[b];
}

// Twice the buckets at least, enough for `entries`, and every entry linked
// afresh (the same fetching ahead as IndexDoc): amortised over the entries
// that filled the table, a constant cost each.
void HistoryIndex::Grow(std::size_t entries) {
  bucketBits_ = std::max(kFirstBucketBits, bucketBits_ + 1);
  while ((std::size_t{1} << bucketBits_) * 2 < entries) ++bucketBits_;
  heads_.assign(std::size_t{1} << bucketBits_, kNone);
  counts_.assign(heads_.size(), 0);
  const std::size_t n = entries_.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) Prefetch(Bucket(PieceAt(text_.data() + entries_[i + kAhead].pos)));
    const std::size_t b = Bucket(PieceAt(text_.data() + entries_[i].pos));
    entries_[i].next = heads_[b];
    heads_[b] = static_cast<std::uint32_t>(i);
    if (counts_[b] < 255) ++counts_[b];
  }
}

void HistoryIndex::Rebuild() {
  std::vector<std::uint32_t> moved(docs_.size(), kNone);
  std::vector<Doc> docs;
  Bytes text;
  std::size_t entries = 0;
  std::size_t bytes = 0;
  for (const Doc& d : docs_) {
    if (!d.alive) continue;
    bytes += (d.size + kStep - 1) / kStep * kStep;
    entries += EntriesOf(d.size);
  }
  text.reserve(bytes);
  for (std::size_t i = 0; i < docs_.size(); ++i) {
    Doc& d = docs_[i];
    if (!d.alive) continue;
    text.resize((text.size() + kStep - 1) / kStep * kStep, '\0');
    const std::uint32_t start = static_cast<std::uint32_t>(text.size());
    text.append(text_, d.start, d.size);
    d.start = start;
    moved[i] = static_cast<std::uint32_t>(docs.size());
    docs.push_back(std::move(d));
  }
  for (auto& [number, doc] : files_) doc = moved[doc];
  for (std::uint32_t& doc : waiting_) doc = moved[doc];
  text_ = std::move(text);
  docs_ = std::move(docs);
  deadEntries_ = deadBytes_ = 0;
  // Fresh vectors: the room of the old ones goes.
  entries_ = std::vector<Entry>();
  entries_.reserve(entries);
  bucketBits_ = kFirstBucketBits;
  while ((std::size_t{1} << bucketBits_) * 2 < entries) ++bucketBits_;
  heads_ = std::vector<std::uint32_t>(std::size_t{1} << bucketBits_, kNone);
  counts_ = std::vector<std::uint8_t>(heads_.size(), 0);
  for (const Doc& d : docs_) IndexDoc(d);
}

const HistoryIndex::Doc& HistoryIndex::DocAt(std::uint32_t pos) const {
  const auto it = std::upper_bound(docs_.begin(), docs_.end(), pos,
                                   [](std::uint32_t p, const Doc& d) { return p < d.start; });
  return *(it - 1);
}

// The text at `at` in the document counts: within one line of a waiting
// block; in a file, within one of the windows the file is read through
// (those that start kWindowStep bytes apart, and the last kWindowSize bytes).
bool HistoryIndex::Found(const Doc& doc, std::uint32_t at, std::size_t len) const {
  if (doc.waiting) {
    const auto end = std::upper_bound(doc.lineEnds.begin(), doc.lineEnds.end(), at);
    if (end == doc.lineEnds.end()) return false;
    const std::uint32_t start = end == doc.lineEnds.begin() ? 0 : *(end - 1) + 2;
    return at >= start && at + len <= *end;
  }
  if (len > kWindowSize) return false;
  if (len <= kAnywhere) return true;
  const std::size_t size = doc.size;
  if (size <= kWindowSize || at >= size - kWindowSize) return true;
  const std::size_t window = at / kWindowStep * kWindowStep;
  return window + kWindowSize <= size && at + len <= window + kWindowSize;
}

// Every place of every document, for texts too short for the index.
bool HistoryIndex::Scan(std::string_view title) const {
  for (const Doc& doc : docs_) {
    if (!doc.alive) continue;
    if (doc.waiting && title.empty()) {
      if (!doc.lineEnds.empty()) return true;
      continue;
    }
    if (title.empty()) continue;
    const char* base = text_.data() + doc.start;
    for (std::size_t at = 0; at + title.size() <= doc.size; ++at) {
      const void* hit = ::memmem(base + at, doc.size - at, title.data(), title.size());
      if (hit == nullptr) break;
      at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
      if (Found(doc, static_cast<std::uint32_t>(at), title.size())) return true;
    }
  }
  return false;
}

bool HistoryIndex::Holds(std::string_view title) const {
  const std::size_t len = title.size();
  if (len > kWindowSize && waiting_.empty()) return false;
  if (len < kIndexed || heads_.empty()) return Scan(title);
  // The four consecutive pieces whose buckets hold the fewest entries. One of
  // any four starts at an indexed position of each place the title occurs,
  // so four pieces in empty buckets settle it.
  const std::size_t last = len - kPiece;  // the last piece's offset
  std::uint32_t recent[kStep] = {};
  std::uint32_t sum = 0;
  std::uint32_t best = ~0u;
  std::size_t from = 0;
  for (std::size_t o = 0; o <= last; ++o) {
    if (o + kAhead <= last) Prefetch(Bucket(PieceAt(title.data() + o + kAhead)));
    const std::uint32_t c = counts_[Bucket(PieceAt(title.data() + o))];
    sum += c - recent[o % kStep];
    recent[o % kStep] = c;
    if (o + 1 < kStep) continue;
    if (sum < best) {
      best = sum;
      from = o + 1 - kStep;
      if (best <= kStep) break;
    }
  }
  if (best == 0) return false;
  for (std::size_t j = from; j < from + kStep; ++j) {
    const std::uint64_t piece = PieceAt(title.data() + j);
    for (std::uint32_t e = heads_[Bucket(piece)]; e != kNone; e = entries_[e].next) {
      const std::uint32_t pos = entries_[e].pos;
      if (PieceAt(text_.data() + pos) != piece) continue;
      const Doc& doc = DocAt(pos);
      if (!doc.alive || pos - doc.start < j) continue;
      const std::uint32_t at = pos - doc.start - static_cast<std::uint32_t>(j);
      if (at + len > doc.size) continue;
      if (::memcmp(text_.data() + doc.start + at, title.data(), len) != 0) continue;
      if (Found(doc, at, len)) return true;
    }
  }
  return false;
}

std::size_t HistoryIndex::MemoryBytes() const {
  std::size_t bytes = sizeof *this + text_.capacity() + docs_.capacity() * sizeof(Doc) +
                      entries_.capacity() * sizeof(Entry) +
                      heads_.capacity() * sizeof(std::uint32_t) + counts_.capacity();
  for (const Doc& d : docs_) bytes += d.lineEnds.capacity() * sizeof(std::uint32_t);
  // A map node holds its pair and three pointers and a colour.
  bytes += files_.size() * (sizeof(std::pair<const long long, std::uint32_t>) + 32);
  bytes += waiting_.size() * sizeof(std::uint32_t);
  return bytes;
}

}  // namespace vexo
