#include "store/block_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "store/block_files.h"
#include "store/open_block.h"

namespace vexo {

namespace {

// The numbers tried by name when the folder cannot be listed.
constexpr long long kNamesTried = 100;

// "…" in GB2312: the mark a title line starts with.
constexpr std::string_view kEllipsis = "\xA1\xAD";
// Enough of a first line to tell a number or a title mark.
constexpr std::size_t kMaxFirstLine = 64;

enum class Entry { kNone, kBlockFile, kOther };

bool FirstLineOfBlockText(std::string_view firstLine) {
  return firstLine.empty() || IsBlockNumberLine(firstLine) || firstLine.starts_with(kEllipsis);
}

// The program's block and history files are text whose first line is a
// block number or a title in "…" marks. Anything else under such a name (a
// binary file, someone's notes) is not ours to merge into history.
bool HoldsBlockText(int dirFd, const char* name) {
  const int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  char buf[64 * 1024];
  Bytes firstLine;
  bool firstLineDone = false;
  bool text = true;
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      text = text && n == 0;
      break;
    }
    const std::string_view piece(buf, static_cast<std::size_t>(n));
    if (piece.find('\0') != std::string_view::npos) {
      text = false;
      break;
    }
    if (!firstLineDone) {
      const std::size_t end = piece.find_first_of("\r\n");
      firstLine.append(piece.substr(0, end));
      firstLineDone = end != std::string_view::npos || firstLine.size() > kMaxFirstLine;
    }
  }
  ::close(fd);
  return text && FirstLineOfBlockText(firstLine);
}

Entry Classify(int dirFd, const char* name) {
  struct stat st {};
  if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT || errno == ENOTDIR ? Entry::kNone : Entry::kOther;
  return S_ISREG(st.st_mode) && st.st_size <= kMaxBlockFileBytes && HoldsBlockText(dirFd, name)
             ? Entry::kBlockFile
             : Entry::kOther;
}

void Note(BlockFolder& folder, long long n, Entry e) {
  if (e == Entry::kNone) return;
  folder.taken.push_back(n);
  if (e == Entry::kBlockFile) folder.files.push_back(n);
}

}  // namespace

bool StandsAsBlockFile(const std::string& path) {
  return Classify(AT_FDCWD, path.c_str()) == Entry::kBlockFile;
}

bool BytesStandAsBlockFile(std::string_view bytes) {
  if (bytes.size() > static_cast<std::size_t>(kMaxBlockFileBytes)) return false;
  if (bytes.find('\0') != std::string_view::npos) return false;
  return FirstLineOfBlockText(
      bytes.substr(0, std::min(bytes.find_first_of("\r\n"), kMaxFirstLine + 1)));
}

bool BlockFolder::Taken(long long n) const {
  return std::binary_search(taken.begin(), taken.end(), n);
}

long long BlockNumberOfName(std::string_view name) {
  constexpr std::string_view kSuffix = ".tmp";
  if (!name.ends_with(kSuffix)) return 0;
  name.remove_suffix(kSuffix.size());
  if (name.empty() || name.size() > 10 || name.front() == '0') return 0;
  long long n = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n <= kMaxBlockNumber ? n : 0;
}

BlockFolder ListBlockFolder(const std::string& tempFolder) {
  BlockFolder folder;
  const int dirFd = ::open(tempFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0 && errno == ENOENT) {
    folder.listed = true;
    return folder;
  }
  DIR* dir = dirFd < 0 ? nullptr : ::fdopendir(dirFd);
  if (dir) {
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      if (const long long n = BlockNumberOfName(entry->d_name))
        Note(folder, n, Classify(dirFd, entry->d_name));
    }
    // A listing cut short by an error could miss a file.
    folder.listed = errno == 0;
    ::closedir(dir);  // closes dirFd too
  } else if (dirFd >= 0) {
    ::close(dirFd);
  }
  if (!folder.listed) {
    folder.files.clear();
    folder.taken.clear();
    for (long long n = 1; n <= kNamesTried; ++n) {
      const std::string name = BlockFilePath(tempFolder, n);
      Note(folder, n, Classify(AT_FDCWD, name.c_str()));
    }
  }
  std::sort(folder.files.begin(), folder.files.end());
  std::sort(folder.taken.begin(), folder.taken.end());
  return folder;
}

}  // namespace vexo
