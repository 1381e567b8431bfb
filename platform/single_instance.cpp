#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace vexo {

namespace {

// The file open at fd is the one the name leads to now.
bool SameFile(int fd, const std::string& path) {
  struct stat held {};
  struct stat named {};
  return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool RemoveStandIn(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  return (S_ISDIR(st.st_mode) ? ::rmdir(path.c_str()) : ::unlink(path.c_str())) == 0;
}

}  // namespace

FolderLock::FolderLock(const std::string& folder) : path_(folder + "vexo.lock") {}

FolderLock::~FolderLock() {
  if (fd_ < 0) return;
  // Removed while still held, and only when the name is still ours: a later
  // holder checks that the file it locked is the one at the name.
  if (SameFile(fd_, path_)) ::unlink(path_.c_str());
  ::close(fd_);
}

FolderLock::Outcome FolderLock::Fail(const std::string& what, int error) {
  failure_ = "the lock file " + path_ + " " + what + ": " + std::strerror(error);
  return Outcome::kFailed;
}

// Opens the lock file, creating it when missing. Whatever else stands at the
// name (a folder, a link, a file we may not open) is no lock of a live Vexo,
// which always makes a plain file it can open: it goes, once.
int FolderLock::OpenLockFile() {
  for (int attempt = 0;; ++attempt) {
    const int fd = ::open(path_.c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    int error = errno;
    if (fd >= 0) {
      struct stat st {};
      if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
      ::close(fd);
      error = EINVAL;
    }
    const bool standIn = error == EISDIR || error == ELOOP || error == EACCES || error == EPERM ||
                         error == ENXIO || error == EINVAL;
    if (!standIn || attempt > 0 || !PathTaken(path_)) {
      Fail("could not be made", error);
      return -1;
    }
    if (!RemoveStandIn(path_)) {
      Fail("is not a lock file this program can use and could not be removed (" +
               std::string(std::strerror(errno)) + "); delete it and start again",
           error);
      return -1;
    }
  }
}

bool FolderLock::RecordHolder() {
  std::string exe = ExecutablePath();
  exe = exe.substr(exe.rfind('/') + 1);
  char host[256] = {};
  (void)::gethostname(host, sizeof host - 1);
  const std::string text = std::to_string(::getpid()) + "\n" + exe + "\n" + host + "\n";
  if (::ftruncate(fd_, 0) != 0) return false;
  return ::pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

FolderLock::Outcome FolderLock::TryLock() {
  if (fd_ >= 0) return Outcome::kTaken;
  failure_.clear();
  // A few rounds: each lost race means another process just ended or began.
  for (int round = 0; round < 8; ++round) {
    const int fd = OpenLockFile();
    if (fd < 0) return Outcome::kFailed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) return Outcome::kHeld;
      return Fail("could not be locked", error);
    }
    // The holder before us may have removed the file between our open and
    // our lock: then we hold a file nobody else will ever look at.
    if (!SameFile(fd, path_)) {
      ::close(fd);
      continue;
    }
    fd_ = fd;
    if (RecordHolder()) return Outcome::kTaken;
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    return Fail("could not be written", error);
  }
  return Fail("kept changing while it was being taken", EAGAIN);
}

FolderLock::Holder FolderLock::CurrentHolder() const {
  Holder h;
  Bytes text;
  if (!ReadFileBytes(path_, text, 512)) return h;
  const StringList lines = SplitLines(text);
  long long pid = 0;
  if (!lines.empty() && TryTextToInt(lines[0], pid) && pid > 0) h.pid = pid;
  if (lines.size() > 1 && lines[1].size() <= 255) h.program = lines[1];
  return h;
}

std::string FolderLock::HolderDescription() const {
  const Holder h = CurrentHolder();
  std::string text = h.program.empty() ? std::string("another program") : h.program;
  if (h.pid > 0) text += " (process " + std::to_string(h.pid) + ")";
  return text;
}

}  // namespace vexo
