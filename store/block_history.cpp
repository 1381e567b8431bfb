#include "store/block_history.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "platform/files.h"
#include "store/block_files.h"
#include "store/open_block.h"

namespace vexo {

std::string BlockHistory::TempFolder() const {
  return host_.ProgramFolder() + "Temp";
}

std::string BlockHistory::BlockFile(long long n) const {
  return BlockFilePath(TempFolder(), n);
}

bool BlockHistory::EnsureTempFolder() const {
  const std::string folder = TempFolder();
  return DirExists(folder) || CreateDir(folder);
}

// Saves a block as the file named by its line 0. A line 0 that is not a
// block number is never turned into a path.
bool BlockHistory::SaveBlock(const StringList& block) {
  if (block.empty()) return false;
  long long n = 0;
  if (!TryTextToInt(block.front(), n) || n < 1 || n > kMaxBlockNumber) return false;
  if (!EnsureTempFolder()) return false;
  return SaveLines(BlockFile(n), block);
}

bool BlockHistory::SaveBlockOrTell(const StringList& block) {
  if (SaveBlock(block)) return true;
  host_.SaveFailed(block.empty() ? TempFolder() : BlockFile(TextToInt(block.front())));
  return false;
}

void BlockHistory::AddWaiting(StringList block) {
  waiting_.push_back(std::move(block));
  index_.PushWaiting(waiting_.back());
}

bool BlockHistory::SaveWaitingBlocks() {
  while (!waiting_.empty()) {
    if (!SaveBlockOrTell(waiting_.front())) return false;
    waiting_.erase(waiting_.begin());
    index_.PopWaiting();
  }
  return true;
}

void BlockHistory::DeleteBlocks() {
  waiting_.clear();
  index_.DropWaiting();
  for (const long long n : ListBlockFolder(TempFolder()).files) DeleteFile(BlockFile(n));
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
  if (overLimit_) return false;
  const std::string temp = TempFolder();
  bool whole = temp != indexed_ || !watch_.Watching();
  changed_.clear();
  if (!whole) watch_.Poll(whole, changed_);
  if (whole) return Reindex(temp);
  std::vector<long long> numbers;
  for (const std::string& name : changed_) {
    if (const long long n = BlockNumberOfName(name)) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (const long long n : numbers) ReadIntoIndex(n);
  return WithinLimit();
}

bool BlockHistory::WithinLimit() {
  if (index_.MemoryBytes() <= indexLimit_) return true;
  overLimit_ = true;
  indexed_.clear();
  watch_.Stop();
  index_.DropFiles();
  index_.Pack();
  return false;
}

// The watch starts before the listing, so that no change after the listing
// goes untold.
bool BlockHistory::Reindex(const std::string& temp) {
  indexed_.clear();
  index_.DropFiles();
  if (!watch_.Start(temp)) return false;
  const BlockFolder folder = ListBlockFolder(temp);
  if (!folder.listed) {
    watch_.Stop();
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
  indexed_.clear();
  watch_.Stop();
  index_.DropFiles();
  index_.Pack();
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
  BlockFolder folder = ListBlockFolder(TempFolder());
  if (folder.listed && folder.files.size() > kKeptBlockFiles) {
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
