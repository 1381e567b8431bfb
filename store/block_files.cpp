#include "store/block_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/byte_search.h"
#include "platform/files.h"
#include "store/block_folder.h"

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

// Opens a regular file for the search: -1 for anything else. Writers replace
// a file whole (a new file renamed over the old), so an open descriptor reads
// one complete version; no lock is needed to keep writers out. O_NONBLOCK
// keeps a FIFO in the folder from stalling us.
int OpenRegular(const std::string& path, off_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = st.st_size;
  return fd;
}

}  // namespace

bool FileHasText(std::string_view text, const std::string& path) {
  if (text.empty() || text.size() > kWindowSize) return false;
  off_t size = 0;
  const int fd = OpenRegular(path, size);
  if (fd < 0) return false;
  const bool found =
      text.size() <= kFoundAnywhere ? ChunksHold(fd, size, text) : WindowsHold(fd, size, text);
  ::close(fd);
  return found;
}

bool ReadBlockFile(const std::string& path, Bytes& out) {
  out.clear();
  if (!StandsAsBlockFile(path)) return false;
  off_t size = 0;
  const int fd = OpenRegular(path, size);
  if (fd < 0) return false;
  // The size as opened; one that grew meanwhile is told by the watch.
  const std::size_t want =
      static_cast<std::size_t>(std::min<off_t>(size, static_cast<off_t>(kMaxBlockFileBytes)));
  out.resize(want);
  const ssize_t got = ReadAt(fd, out.data(), want, 0);
  ::close(fd);
  if (got < 0) {
    out.clear();
    return false;
  }
  out.resize(static_cast<std::size_t>(got));
  return true;
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

}  // namespace vexo
