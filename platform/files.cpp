#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

namespace vexo {

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return DirExists(path);
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool ReadFileBytes(const std::string& path, Bytes& out, std::size_t limit) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
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

std::string TempNameBeside(const std::string& path) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(rng() % 1000000);
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data) {
  const std::string tmp = TempNameBeside(path);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
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
  if (!ReadFileBytes(path, data)) return false;
  out = SplitLines(data);
  return true;
}

bool SaveLines(const std::string& path, const StringList& lines) {
  return WriteFileAtomic(path, JoinLines(lines));
}

}  // namespace vexo
