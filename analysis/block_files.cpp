#include "analysis/block_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "analysis/block_folder.h"
#include "analysis/result_store.h"
#include "platform/byte_search.h"
#include "platform/files.h"

namespace vexo {

namespace {

// Fills buf with up to len bytes from offset; fewer only at the end of a file
// that shrank meanwhile. -1 on a read error.
ssize_t ReadAt(int fd, char* buf, std::size_t len, off_t offset) {
  std::size_t got = 0;
  while (got < len) {
    const ssize_t n = ::pread(fd, buf + got, len - got, offset + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

bool WindowsHold(int fd, off_t size, std::string_view text) {
  char buf[kWindowSize];
  const off_t window = static_cast<off_t>(kWindowSize);
  for (off_t offset = 0; offset < size; offset += static_cast<off_t>(kWindowStep)) {
    // Near the end the window slides back so that it still spans kWindowSize
    // bytes: the last bytes of the file.
    const off_t start = size - offset < window ? std::max<off_t>(0, size - window) : offset;
    const std::size_t len = static_cast<std::size_t>(std::min(window, size - start));
    const ssize_t got = ReadAt(fd, buf, len, start);
    if (got < 0) return false;
    if (::memmem(buf, static_cast<std::size_t>(got), text.data(), text.size()) != nullptr)
      return true;
    // Later windows would only reread the tail.
    if (start + window >= size) break;
  }
  return false;
}

// A text of up to this many bytes that lies anywhere in the file lies wholly
// within one window (a window starts at most kWindowStep - 1 bytes before
// it), so for such a text the windows answer as one search of the file.
constexpr std::size_t kFoundAnywhere = kWindowSize - kWindowStep + 1;

// Bytes read at a time for such a text: sixteen windows' worth, a fixed
// buffer whatever the file's size.
constexpr std::size_t kChunkSize = 15 * kWindowStep + kWindowSize;

// One search of the file through chunks that overlap by the text's length
// less one byte, so that no occurrence is cut.
bool ChunksHold(int fd, off_t size, std::string_view text) {
  char buf[kChunkSize];
  const off_t overlap = static_cast<off_t>(text.size()) - 1;
  for (off_t offset = 0; offset < size;) {
    const std::size_t len = static_cast<std::size_t>(std::min<off_t>(kChunkSize, size - offset));
    const ssize_t got = ReadAt(fd, buf, len, offset);
    if (got < 0) return false;
    if (::memmem(buf, static_cast<std::size_t>(got), text.data(), text.size()) != nullptr)
      return true;
    // The end, or a file that shrank meanwhile.
    if (static_cast<std::size_t>(got) < len || offset + got >= size) break;
    offset += got - overlap;
  }
  return false;
}

}  // namespace

bool FileHasText(std::string_view text, const std::string& path) {
  if (text.empty() || text.size() > kWindowSize) return false;
  // Writers replace a file whole (a new file renamed over the old), so an
  // open descriptor reads one complete version; no lock is needed to keep
  // writers out. O_NONBLOCK keeps a FIFO in the folder from stalling us.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool found = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    found = text.size() <= kFoundAnywhere ? ChunksHold(fd, st.st_size, text)
                                          : WindowsHold(fd, st.st_size, text);
  }
  ::close(fd);
  return found;
}

bool IsBlockNumberLine(std::string_view line) {
  if (line.empty() || line.size() > 18) return false;
  return std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool FitsOnOneLine(std::string_view text) {
  return HoldsNoLineBreak(text);
}

bool IsHistoryLine(std::string_view line) {
  return !Contains(Copy(line, 1, 9), "://");
}

int ResultStore::FileContains(std::string_view text, const std::string& file) const {
  return FileHasText(text, file) ? 1 : -1;
}

ResultStore::HistoryBatch::HistoryBatch(ResultStore& store) : store_(store) {
  ++store_.historyBatches_;
}

ResultStore::HistoryBatch::~HistoryBatch() {
  if (--store_.historyBatches_ == 0) store_.ForgetHistoryListing();
}

void ResultStore::ForgetHistoryListing() {
  blockIndex_.valid = false;
  historyListed_ = false;
}

const BlockFolder& ResultStore::HistoryListing() const {
  // Outside a batch other code may have changed the folder since.
  if (!historyListed_ || historyBatches_ == 0) {
    history_ = ListBlockFolder(TempFolder());
    historyListed_ = true;
  }
  return history_;
}

bool ResultStore::InUnsavedBlocks(std::string_view title) const {
  for (const StringList& block : unsaved_) {
    for (const Bytes& line : block) {
      if (line.find(title) != Bytes::npos) return true;
    }
  }
  return false;
}

int ResultStore::InHistory(std::string_view title) const {
  if (!host_.Tracking()) return -1;
  const BlockFolder& folder = HistoryListing();
  for (auto n = folder.files.rbegin(); n != folder.files.rend(); ++n) {
    if (FileHasText(title, BlockFile(*n))) return 1;
  }
  return InUnsavedBlocks(title) ? 1 : -1;
}

namespace {

// A new run keeps at most this many block files; 1 to 3 are never dropped.
constexpr std::size_t kKeptBlockFiles = 10;
constexpr long long kFirstDroppable = 4;

}  // namespace

long long ResultStore::HighestUnsavedNumber() const {
  long long highest = 0;
  for (const StringList& block : unsaved_) {
    long long n = 0;
    if (!block.empty() && TryTextToInt(block.front(), n)) highest = std::max(highest, n);
  }
  return highest;
}

// Keeps the newest history: drops the lowest files from 4 on until ten are
// left, then closes the gaps from 4 on by renames that never replace
// anything, so a kill between two steps loses no title.
void ResultStore::ThinBlockFiles(const BlockFolder& folder) {
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

int ResultStore::NextBlockNumber() {
  ForgetHistoryListing();
  BlockFolder folder = ListBlockFolder(TempFolder());
  if (folder.listed && folder.files.size() > kKeptBlockFiles) {
    // Only a run that was killed before its shutdown leaves this many
    // uncompacted blocks: compact them first, so that the thinning drops no
    // more history than after a clean shutdown.
    CompactHistory();
    folder = ListBlockFolder(TempFolder());
    if (folder.listed && folder.files.size() > kKeptBlockFiles) {
      ThinBlockFiles(folder);
      folder = ListBlockFolder(TempFolder());
    }
  }
  ForgetHistoryListing();
  // The run's blocks take consecutive numbers from here: above everything
  // that holds a block name, so no save ever lands on an existing file.
  const long long next = std::max(folder.HighestTaken(), HighestUnsavedNumber()) + 1;
  return static_cast<int>(std::min(next, kMaxBlockNumber));
}

// Rewrites the block files as history files: titles only, more than 1000
// lines a file except the last, numbered from 1 without gaps.
//
// A file is deleted only once its titles are safely in a saved history file,
// so a failed save or a kill at any step can at worst leave titles twice,
// never lose them. A file that cannot be read stays where it is and keeps its
// number; so does anything else that holds a block name.
void ResultStore::CompactHistory() {
  ForgetHistoryListing();
  const BlockFolder folder = ListBlockFolder(TempFolder());
  if (!folder.listed) return;
  StringList acc;
  std::vector<long long> pending;  // read files whose titles are only in acc so far
  bool accAsOnDisk = true;         // acc is exactly the one pending file's content
  std::set<long long> kept(folder.taken.begin(), folder.taken.end());
  long long out = 1;

  const auto freeNumber = [&kept](long long k) {
    while (kept.count(k) != 0) ++k;
    return k;
  };
  // Saves acc as history file `out` (a file already read, or a free name)
  // and then deletes the read files whose titles it holds.
  const auto saveAcc = [&]() {
    for (const long long n : pending) kept.erase(n);
    out = freeNumber(out);
    const bool unchanged = accAsOnDisk && pending.size() == 1 && pending.front() == out;
    if (!unchanged && !SaveLines(BlockFile(out), acc)) return false;
    kept.insert(out);
    for (const long long n : pending) {
      if (n != out) DeleteFile(BlockFile(n));
    }
    pending.clear();
    acc.clear();
    accAsOnDisk = true;
    ++out;
    return true;
  };

  for (const long long n : folder.files) {
    StringList loaded;
    if (!LoadLines(BlockFile(n), loaded)) continue;  // stays, and keeps its number
    if (acc.size() > 1000 && !saveAcc()) return;
    // A history file from an earlier shutdown has no number line: its first
    // line is a title and is kept.
    const std::size_t first = !loaded.empty() && IsBlockNumberLine(loaded.front()) ? 1 : 0;
    const std::size_t before = acc.size();
    for (std::size_t i = first; i < loaded.size(); ++i) {
      if (IsHistoryLine(loaded[i])) acc.push_back(std::move(loaded[i]));
    }
    accAsOnDisk =
        accAsOnDisk && pending.empty() && before == 0 && first == 0 && acc.size() == loaded.size();
    pending.push_back(n);
  }

  // Even a single title is history worth keeping.
  if (acc.empty()) {
    for (const long long n : pending) DeleteFile(BlockFile(n));
    return;
  }
  saveAcc();
}

}  // namespace vexo
