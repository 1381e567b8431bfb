#include "analysis/block_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <set>

#include "analysis/result_store.h"
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

// The number n of a directory entry named exactly as block file n.
int BlockNumberOfName(std::string_view name) {
  constexpr std::string_view kSuffix = ".tmp";
  if (!name.ends_with(kSuffix)) return 0;
  name.remove_suffix(kSuffix.size());
  if (name.empty() || name.size() > 3 || name.front() == '0') return 0;
  int n = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n <= kMaxBlockFiles ? n : 0;
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

namespace {

bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}

}  // namespace

bool FitsOnOneLine(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
#ifdef __SSE2__
  // Both bytes in one pass, 16 at a time; the last 16 bytes cover the rest.
  if (n >= 16) {
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const auto holdsBreak = [&](std::size_t at) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
      return _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(b, lf), _mm_cmpeq_epi8(b, cr))) != 0;
    };
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
      if (holdsBreak(i)) return false;
    }
    return n % 16 == 0 || !holdsBreak(n - 16);
  }
#endif
  return std::none_of(p, p + n, IsLineBreak);
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
  historyListable_ = false;
  historyFiles_.clear();
}

const std::vector<int>* ResultStore::HistoryListing() const {
  if (!historyListed_) {
    historyListed_ = true;
    historyListable_ = false;
    historyFiles_.clear();
    const std::string folder = TempFolder();
    if (!DirExists(folder)) {
      historyListable_ = true;  // no folder, no history
    } else if (DIR* dir = ::opendir(folder.c_str())) {
      errno = 0;
      while (const dirent* entry = ::readdir(dir)) {
        if (const int n = BlockNumberOfName(entry->d_name)) historyFiles_.push_back(n);
      }
      // A listing cut short by an error could miss a file: not used then.
      historyListable_ = errno == 0;
      ::closedir(dir);
      std::sort(historyFiles_.rbegin(), historyFiles_.rend());
    }
  }
  return historyListable_ ? &historyFiles_ : nullptr;
}

int ResultStore::InHistory(std::string_view title) const {
  if (!host_.Tracking()) return -1;
  if (historyBatches_ > 0) {
    if (const std::vector<int>* files = HistoryListing()) {
      for (const int n : *files) {
        if (FileHasText(title, BlockFile(n))) return 1;
      }
      return -1;
    }
  }
  if (!DirExists(TempFolder())) return -1;
  for (int n = kMaxBlockFiles; n >= 1; --n) {
    // A missing file simply fails to open.
    if (FileHasText(title, BlockFile(n))) return 1;
  }
  return -1;
}

int ResultStore::NextBlockNumber() {
  ForgetHistoryListing();
  int count = 0;
  for (int n = 1; n <= kMaxBlockFiles; ++n) {
    if (FileExists(BlockFile(n))) ++count;
  }
  if (count <= 10) return count + 1;

  // Files 1 to 3 are never dropped. A file that cannot be deleted ends the
  // thinning rather than looping on it.
  while (count > 10) {
    int lowest = 0;
    for (int n = 4; n <= kMaxBlockFiles && lowest == 0; ++n) {
      if (FileExists(BlockFile(n))) lowest = n;
    }
    if (lowest == 0 || !DeleteFile(BlockFile(lowest))) break;
    --count;
  }

  int next = 4;
  for (int n = 4; n <= kMaxBlockFiles; ++n) {
    if (!FileExists(BlockFile(n))) continue;
    if (n == next || RenameFile(BlockFile(n), BlockFile(next)))
      ++next;
    else
      next = n + 1;  // a file stuck at n: the new run's blocks go above it
  }
  return next;
}

// Rewrites the block files as history files: titles only, more than 1000
// lines a file except the last, numbered from 1 without gaps.
//
// A file is deleted only once its titles are safely in a saved history file,
// so a failed save or a crash can at worst leave titles twice, never lose
// them. A file that cannot be read stays where it is and keeps its number.
void ResultStore::CompactHistory() {
  ForgetHistoryListing();
  StringList acc;
  std::vector<int> pending;  // read files whose titles are only in acc so far
  std::set<int> kept;        // unreadable files, left in place
  int out = 1;

  const auto freeNumber = [&kept](int k) {
    while (kept.count(k) != 0) ++k;
    return k;
  };
  // Deletes the read files whose titles now lie in history file `saved`
  // (0: none saved); `saved` itself was replaced by the new file.
  const auto dropPending = [&](int saved) {
    for (const int n : pending) {
      if (n != saved) DeleteFile(BlockFile(n));
    }
    pending.clear();
  };

  for (int n = 1; n <= kMaxBlockFiles; ++n) {
    const std::string path = BlockFile(n);
    if (!FileExists(path)) continue;
    StringList loaded;
    if (!LoadLines(path, loaded)) {
      kept.insert(n);
      continue;
    }
    if (acc.size() > 1000) {
      // Every earlier file was read already, so `out` never names an unread one.
      out = freeNumber(out);
      if (!SaveLines(BlockFile(out), acc)) return;
      dropPending(out);
      acc.clear();
      ++out;
    }
    // A history file from an earlier shutdown has no number line: its first
    // line is a title and is kept.
    const std::size_t first = !loaded.empty() && IsBlockNumberLine(loaded.front()) ? 1 : 0;
    for (std::size_t i = first; i < loaded.size(); ++i) {
      if (IsHistoryLine(loaded[i])) acc.push_back(std::move(loaded[i]));
    }
    pending.push_back(n);
  }

  // Even a single title is history worth keeping.
  if (acc.empty()) {
    dropPending(0);
    return;
  }
  out = freeNumber(out);
  if (!SaveLines(BlockFile(out), acc)) return;
  dropPending(out);
}

}  // namespace vexo
