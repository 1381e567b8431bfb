#include "viewer/export_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace vexo {

namespace {

bool WriteAllTo(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

StagedFiles::StagedFiles(std::string folder) : folder_(std::move(folder)) {
  if (folder_.empty()) folder_.push_back('.');
  if (folder_.back() != '/') folder_.push_back('/');
}

StagedFiles::~StagedFiles() {
  Abort();
}

bool StagedFiles::Stage(const std::string& name, std::string_view data) {
  std::string temp = folder_ + ".vexo-export-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteAllTo(fd, data) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Files for others to read, as an ordinary save would give them.
  ::chmod(temp.c_str(), 0644);
  staged_.push_back(Entry{temp, folder_ + name});
  return true;
}

bool StagedFiles::Commit() {
  // A folder in the way of one name would stop the renames half-way.
  for (const Entry& e : staged_) {
    if (DirExists(e.final_path)) {
      Abort();
      return false;
    }
  }
  for (std::size_t i = 0; i < staged_.size(); ++i) {
    if (!RenameFile(staged_[i].temp, staged_[i].final_path)) {
      staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(i));
      Abort();
      return false;
    }
    committed_.push_back(staged_[i].final_path);
  }
  staged_.clear();
  return true;
}

void StagedFiles::Abort() {
  for (const Entry& e : staged_) ::unlink(e.temp.c_str());
  staged_.clear();
}

std::string FolderOfPath(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOfPath(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vexo
