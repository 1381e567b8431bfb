#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

namespace vexo {

namespace fs = std::filesystem;

namespace {

FileChangeGate& Gate() {
  static FileChangeGate gate;
  return gate;
}

bool Allowed(FileChange change, const std::string& path) {
  const FileChangeGate& gate = Gate();
  return !gate || gate(change, path);
}

}  // namespace

void SetFileChangeGate(FileChangeGate gate) {
  Gate() = std::move(gate);
}

bool PathTaken(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
  if (DirExists(path)) return true;
  if (!Allowed(FileChange::kCreateDir, path)) return false;
  std::error_code ec;
  fs::create_directories(path, ec);
  return DirExists(path);
}

bool DeleteFile(const std::string& path) {
  return Allowed(FileChange::kDelete, path) && ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return Allowed(FileChange::kRename, to) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameFileNoReplace(const std::string& from, const std::string& to) {
  if (!Allowed(FileChange::kRename, to)) return false;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: a hard link cannot replace either.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

bool ReadFileBytes(const std::string& path, Bytes& out, std::size_t limit) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::size_t>(st.st_size) > limit) {
    ::close(fd);
    return false;
  }
  Bytes data;
  char buf[65536];
  bool ok = true;
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    if (data.size() + static_cast<std::size_t>(n) > limit) {
      ok = false;
      break;
    }
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (ok) out.swap(data);
  return ok;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

constexpr std::string_view kTempInfix = ".tmp-";

std::string TempNameBeside(const std::string& path) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  return path + std::string(kTempInfix) + std::to_string(::getpid()) + "-" +
         std::to_string(rng() % 1000000);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename in the folder survive a power loss. File systems that
// cannot sync a folder have nothing to lose here, so its failure is ignored.
void SyncFolder(const std::string& folder) {
  if (!Allowed(FileChange::kSync, folder)) return;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Permission bits for the new file: those of the file it replaces, else the
// usual ones less the umask (applied by open).
mode_t ModeFor(const std::string& path, bool& keep) {
  struct stat st {};
  keep = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  return keep ? (st.st_mode & 07777) : 0644;
}

// The pid in a name "<target>.tmp-<pid>-<n>", or 0 when the name is not one.
pid_t TempWriterPid(std::string_view name, std::string_view& target) {
  const auto infix = name.rfind(kTempInfix);
  if (infix == std::string_view::npos || infix == 0) return 0;
  std::string_view rest = name.substr(infix + kTempInfix.size());
  const auto dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash > 9 || dash + 1 == rest.size()) return 0;
  const auto digits = [](std::string_view d) {
    return d.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1))) return 0;
  target = name.substr(0, infix);
  return static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
}

bool ProcessAlive(pid_t pid) {
  return pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data) {
  const std::string tmp = TempNameBeside(path);
  if (!Allowed(FileChange::kWrite, tmp)) return false;
  bool keepMode = false;
  const mode_t mode = ModeFor(path, keepMode);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data) && (!keepMode || ::fchmod(fd, mode) == 0);
  ok = ok && Allowed(FileChange::kSync, tmp) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = Allowed(FileChange::kRename, path) && ::rename(tmp.c_str(), path.c_str()) == 0;
  if (ok) {
    SyncFolder(FolderOf(path));
  } else if (Allowed(FileChange::kDelete, tmp)) {
    ::unlink(tmp.c_str());
  }
  return ok;
}

int SweepStaleTempFiles(const std::string& folder,
                        const std::function<bool(std::string_view target)>& ours) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view target;
    const pid_t pid = TempWriterPid(entry->d_name, target);
    if (pid > 0 && ours(target) && !ProcessAlive(pid)) stale.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  int swept = 0;
  for (const std::string& name : stale) {
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && DeleteFile(path)) ++swept;
  }
  return swept;
}

StringList SplitLines(std::string_view text) {
  StringList lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

Bytes JoinLines(const StringList& lines) {
  Bytes out;
  std::size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

bool LoadLines(const std::string& path, StringList& out) {
  Bytes data;
  if (!ReadFileBytes(path, data, kMaxListFileBytes)) return false;
  out = SplitLines(data);
  return true;
}

bool SaveLines(const std::string& path, const StringList& lines) {
  return WriteFileAtomic(path, JoinLines(lines));
}

}  // namespace vexo
