#include "store/block_history.h"

#include <QCoreApplication>
#include <algorithm>
#include <set>
#include <unordered_set>

#include "platform/files.h"
#include "store/block_files.h"
#include "store/open_block.h"

namespace vexo {

const std::string& BlockHistory::TempFolder() const {
  const std::string& folder = host_.ProgramFolder();
  if (folder != tempOf_ || temp_.empty()) {
    tempOf_ = folder;
    temp_ = folder + "Temp";
  }
  return temp_;
}

std::string BlockHistory::BlockFile(long long n) const {
  return BlockFilePath(TempFolder(), n);
}

bool BlockHistory::EnsureTempFolder() const {
  const std::string folder = TempFolder();
  return DirExists(folder) || CreateDir(folder);
}

BlockHistory::BlockHistory(StoreHost& host)
    : host_(host), wakeTarget_(std::make_unique<QObject>()), writer_([this] {
        // On the writer's thread: the outcome is taken in on the store's.
        if (QCoreApplication::instance() != nullptr)
          QMetaObject::invokeMethod(
              wakeTarget_.get(), [this] { CollectSaves(); }, Qt::QueuedConnection);
      }) {
  watch_.OnChange([this] { TakeFolderChanges(); });
}

BlockHistory::~BlockHistory() {
  writer_.Wait();
}

std::string BlockHistory::PathOf(const StringList& block) const {
  long long n = 0;
  if (block.empty() || !TryTextToInt(block.front(), n) || n < 1 || n > kMaxBlockNumber) return {};
  return BlockFile(n);
}

// Saves a block as the file named by its line 0. A line 0 that is not a
// block number is never turned into a path.
bool BlockHistory::SaveBlock(const StringList& block) {
  const std::string path = PathOf(block);
  if (path.empty() || !EnsureTempFolder()) return false;
  const Bytes bytes = JoinLines(block);
  if (!WriteFileAtomic(path, bytes)) return false;
  NoteSaved(TextToInt(block.front()), bytes);
  return true;
}

bool BlockHistory::SaveBlockOrTell(const StringList& block) {
  FinishSaves();
  if (SaveBlock(block)) return true;
  host_.SaveFailed(block.empty() ? TempFolder() : BlockFile(TextToInt(block.front())));
  return false;
}

void BlockHistory::SaveFullBlock(StringList block) {
  CollectSaves();
  waiting_.push_back(std::move(block));
  unsaved_.push_back({nextTicket_++, false});
  index_.PushWaiting(waiting_.back());
  std::vector<BlockWriter::Job> jobs;
  for (std::size_t i = 0; i < waiting_.size(); ++i) {
    if (unsaved_[i].underWay) continue;
    unsaved_[i].underWay = true;
    jobs.push_back({unsaved_[i].ticket, TempFolder(), PathOf(waiting_[i]), JoinLines(waiting_[i])});
  }
  writer_.Queue(std::move(jobs));
}

void BlockHistory::FinishSaves() {
  writer_.Wait();
  CollectSaves();
}

void BlockHistory::CollectSaves() {
  if (collecting_) return;  // a host told of a failure turned the event loop
  collecting_ = true;
  std::vector<std::string> failed;
  for (auto outcomes = writer_.Take(); !outcomes.empty(); outcomes = writer_.Take()) {
    for (BlockWriter::Outcome& o : outcomes) {
      std::size_t i = 0;
      while (i < unsaved_.size() && unsaved_[i].ticket != o.ticket) ++i;
      if (i == unsaved_.size()) continue;
      if (o.result == BlockWriter::Result::kSaved) {
        WaitingSaved(i, o.bytes);
        continue;
      }
      unsaved_[i].underWay = false;
      if (o.result == BlockWriter::Result::kFailed) {
        const StringList& block = waiting_[i];
        failed.push_back(block.empty() ? TempFolder() : BlockFile(TextToInt(block.front())));
      }
    }
  }
  collecting_ = false;
  for (const std::string& path : failed) host_.SaveFailed(path);
}

void BlockHistory::DropWaitingAt(std::size_t i) {
  waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
  unsaved_.erase(unsaved_.begin() + static_cast<std::ptrdiff_t>(i));
  index_.DropWaitingAt(i);
}

// The block's indexed bytes are those of its file: they stay as they are.
void BlockHistory::WaitingSaved(std::size_t i, std::string_view bytes) {
  const long long n = TextToInt(waiting_[i].front());
  waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
  unsaved_.erase(unsaved_.begin() + static_cast<std::ptrdiff_t>(i));
  if (indexed_.empty() || !BytesStandAsBlockFile(bytes)) {
    index_.DropWaitingAt(i);
    if (!indexed_.empty()) index_.DropFile(n);
    return;
  }
  index_.WaitingSaved(i, n);
}

void BlockHistory::NoteSaved(long long n, std::string_view bytes) {
  if (indexed_.empty()) return;  // read whole at the next test
  if (BytesStandAsBlockFile(bytes))
    index_.PutFile(n, bytes);
  else
    index_.DropFile(n);
  WithinLimit();
}

bool BlockHistory::SaveWaitingBlocks() {
  FinishSaves();
  while (!waiting_.empty()) {
    if (!SaveBlockOrTell(waiting_.front())) return false;
    DropWaitingAt(0);
  }
  return true;
}

void BlockHistory::DeleteBlocks() {
  FinishSaves();
  waiting_.clear();
  unsaved_.clear();
  index_.DropWaiting();
  for (const long long n : ListBlockFolder(TempFolder()).files) {
    if (DeleteFile(BlockFile(n))) index_.DropFile(n);
  }
}

// --- the duplicate test ---------------------------------------------------------

int BlockHistory::InHistory(std::string_view title) {
  if (!host_.Tracking()) return -1;
  if (!IndexCurrent()) {
    // No watch: the files as they are now, newest first.
    const BlockFolder folder = ListBlockFolder(TempFolder());
    for (auto n = folder.files.rbegin(); n != folder.files.rend(); ++n) {
      if (FileHasText(title, BlockFile(*n))) return 1;
    }
  }
  // Without a watch the index holds the waiting blocks alone.
  return index_.Holds(title) ? 1 : -1;
}

bool BlockHistory::IndexCurrent() {
  if (overLimit_ || watchFailed_) return false;
  const std::string& temp = TempFolder();
  return temp == indexed_ || Reindex(std::string(temp));
}

void BlockHistory::TakeFolderChanges() {
  bool whole = false;
  changed_.clear();
  watch_.Poll(whole, changed_);
  if (indexed_.empty()) return;  // read whole at the next test
  if (whole) {
    const std::string temp = indexed_;
    Reindex(temp);
    return;
  }
  std::vector<long long> numbers;
  for (const std::string& name : changed_) {
    if (const long long n = BlockNumberOfName(name)) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (const long long n : numbers) ReadIntoIndex(n);
  WithinLimit();
}

bool BlockHistory::WithinLimit() {
  if (index_.MemoryBytes() <= indexLimit_) return true;
  overLimit_ = true;
  ForgetFiles();
  return false;
}

void BlockHistory::ForgetFiles() {
  indexed_.clear();
  index_.DropFiles();
  index_.Pack();
}

// The watch starts before the listing, so that no change after the listing
// goes untold; a watch kept from before has its news read first, since the
// listing covers it.
bool BlockHistory::Reindex(const std::string& temp) {
  indexed_.clear();
  index_.DropFiles();
  if (watch_.Watching() && watch_.Folder() == temp) {
    bool whole = false;
    changed_.clear();
    watch_.Poll(whole, changed_);
  } else {
    watch_.Start(temp);
  }
  if (!watch_.Watching()) {
    watchFailed_ = true;
    return false;
  }
  const BlockFolder folder = ListBlockFolder(temp);
  if (!folder.listed) {
    watchFailed_ = true;
    return false;
  }
  for (const long long n : folder.files) {
    ReadIntoIndex(n);
    if (!WithinLimit()) return false;
  }
  index_.Pack();
  indexed_ = temp;
  return true;
}

void BlockHistory::ReadIntoIndex(long long n) {
  Bytes bytes;
  if (ReadBlockFile(BlockFile(n), bytes))
    index_.PutFile(n, bytes);
  else
    index_.DropFile(n);
}

void BlockHistory::DropIndex() {
  overLimit_ = false;
  watchFailed_ = false;
  ForgetFiles();
}

// --- numbering, thinning, compaction ---------------------------------------------

namespace {

// A new run keeps at most this many block files; 1 to 3 are never dropped.
constexpr std::size_t kKeptBlockFiles = 10;
constexpr long long kFirstDroppable = 4;

}  // namespace

long long BlockHistory::HighestWaitingNumber() const {
  long long highest = 0;
  for (const StringList& block : waiting_) {
    long long n = 0;
    if (!block.empty() && TryTextToInt(block.front(), n)) highest = std::max(highest, n);
  }
  return highest;
}

// Keeps the newest history: drops the lowest files from 4 on until ten are
// left, then closes the gaps from 4 on by renames that never replace
// anything, so a kill between two steps loses no title.
void BlockHistory::ThinBlockFiles(const BlockFolder& folder) {
  std::vector<long long> files = folder.files;
  std::set<long long> taken(folder.taken.begin(), folder.taken.end());
  for (auto it = std::lower_bound(files.begin(), files.end(), kFirstDroppable);
       files.size() > kKeptBlockFiles && it != files.end();) {
    if (!DeleteFile(BlockFile(*it))) return;  // stuck: keep the rest as they are
    taken.erase(*it);
    it = files.erase(it);
  }
  long long next = kFirstDroppable;
  for (const long long n : files) {
    if (n < kFirstDroppable) continue;
    if (n != next) {
      if (taken.count(next) == 0 && RenameFileNoReplace(BlockFile(n), BlockFile(next))) {
        taken.erase(n);
        taken.insert(next);
      } else {
        next = n;  // a file stuck at n: the rest goes above it
      }
    }
    ++next;
  }
}

int BlockHistory::NextBlockNumber() {
  FinishSaves();
  BlockFolder folder = ListBlockFolder(TempFolder());
  if (folder.listed && folder.files.size() > kKeptBlockFiles) {
    ForgetFiles();
    // Only a run that was killed before its shutdown leaves this many
    // uncompacted blocks: compact them first, so that the thinning drops no
    // more history than after a clean shutdown.
    // Thinning after a compaction that failed (a full disk) would delete
    // blocks whose titles are in no history file yet.
    const bool compacted = CompactHistory();
    folder = ListBlockFolder(TempFolder());
    if (compacted && folder.listed && folder.files.size() > kKeptBlockFiles) {
      ThinBlockFiles(folder);
      folder = ListBlockFolder(TempFolder());
    }
  }
  // The run's blocks take consecutive numbers from here: above everything
  // that holds a block name, so no save ever lands on an existing file.
  const long long next = std::max(folder.HighestTaken(), HighestWaitingNumber()) + 1;
  return static_cast<int>(std::min(next, kMaxBlockNumber));
}

// Rewrites the block files as history files: titles only, more than 1000
// lines a file except the last, numbered from 1 without gaps, each title
// once.
//
// A file is deleted only once its titles are safely in a saved history file,
// so a failed save or a kill at any step can at worst leave titles twice,
// never lose them; and since a title already taken is not taken again, the
// next compaction after such a kill ends with the same files as one that was
// never interrupted. A file that cannot be read stays where it is and keeps
// its number; so does anything else that holds a block name.
bool BlockHistory::CompactHistory() {
  FinishSaves();
  ForgetFiles();
  const BlockFolder folder = ListBlockFolder(TempFolder());
  if (!folder.listed) return false;
  StringList acc;
  std::unordered_set<Bytes> taken;  // every title in acc or in a history file saved here
  std::vector<long long> pending;   // read files whose titles are only in acc so far
  bool accAsOnDisk = true;          // acc is exactly the one pending file's content
  bool whole = true;                // no save or deletion failed
  std::set<long long> kept(folder.taken.begin(), folder.taken.end());
  long long out = 1;

  const auto freeNumber = [&kept](long long k) {
    while (kept.count(k) != 0) ++k;
    return k;
  };
  const auto deletePending = [&](long long except) {
    for (const long long n : pending) {
      if (n != except && !DeleteFile(BlockFile(n))) whole = false;
    }
    pending.clear();
  };
  // Saves acc as history file `out` (a file already read, or a free name)
  // and then deletes the read files whose titles it holds.
  const auto saveAcc = [&]() {
    for (const long long n : pending) kept.erase(n);
    out = freeNumber(out);
    const bool unchanged = accAsOnDisk && pending.size() == 1 && pending.front() == out;
    if (!unchanged && !SaveLines(BlockFile(out), acc)) {
      host_.SaveFailed(BlockFile(out));
      return false;
    }
    kept.insert(out);
    deletePending(out);
    acc.clear();
    accAsOnDisk = true;
    ++out;
    return true;
  };

  for (const long long n : folder.files) {
    StringList loaded;
    if (!LoadLines(BlockFile(n), loaded)) {
      whole = false;
      continue;  // stays, and keeps its number
    }
    if (acc.size() > 1000 && !saveAcc()) return false;
    // A history file from an earlier shutdown has no number line: its first
    // line is a title and is kept.
    const std::size_t first = !loaded.empty() && IsBlockNumberLine(loaded.front()) ? 1 : 0;
    const std::size_t before = acc.size();
    for (std::size_t i = first; i < loaded.size(); ++i) {
      if (IsHistoryLine(loaded[i]) && taken.insert(loaded[i]).second)
        acc.push_back(std::move(loaded[i]));
    }
    accAsOnDisk =
        accAsOnDisk && pending.empty() && before == 0 && first == 0 && acc.size() == loaded.size();
    pending.push_back(n);
  }

  // Even a single title is history worth keeping.
  if (acc.empty()) {
    deletePending(0);
    return whole;
  }
  return saveAcc() && whole;
}

}  // namespace vexo
