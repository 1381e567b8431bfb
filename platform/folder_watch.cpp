#include "platform/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vexo {

namespace {

constexpr std::uint32_t kSelfGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

}  // namespace

FolderWatch::~FolderWatch() {
  Stop();
}

void FolderWatch::Stop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = folderWd_ = parentWd_ = -1;
  name_.clear();
}

bool FolderWatch::Start(const std::string& folder) {
  Stop();
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  const std::string parent =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return false;
  // The parent first: a folder made between the two calls is then told.
  parentWd_ = ::inotify_add_watch(
      fd_, parent.c_str(),
      IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | kSelfGone | IN_ONLYDIR);
  if (parentWd_ < 0) {
    Stop();
    return false;
  }
  folderWd_ = ::inotify_add_watch(fd_, path.c_str(),
                                  IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                      IN_CLOSE_WRITE | IN_ATTRIB | kSelfGone | IN_ONLYDIR);
  if (folderWd_ < 0 && errno != ENOENT && errno != ENOTDIR) {
    Stop();
    return false;
  }
  name_ = name;
  return true;
}

void FolderWatch::Poll(bool& whole, std::vector<std::string>& names) {
  if (fd_ < 0) {
    whole = true;
    return;
  }
  alignas(inotify_event) char buf[8192];
  for (;;) {
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;
    if (got <= 0) {
      whole = true;
      return;
    }
    for (ssize_t at = 0; at < got;) {
      inotify_event event;
      std::memcpy(&event, buf + at, sizeof event);
      const char* nameAt = buf + at + sizeof event;
      const std::string_view name(nameAt, event.len == 0 ? 0 : ::strnlen(nameAt, event.len));
      at += static_cast<ssize_t>(sizeof event + event.len);
      if ((event.mask & IN_Q_OVERFLOW) != 0) {
        whole = true;
      } else if (event.wd == parentWd_) {
        if ((event.mask & kSelfGone) != 0 || name == name_) whole = true;
      } else if (event.wd == folderWd_) {
        if ((event.mask & kSelfGone) != 0 || name.empty())
          whole = true;
        else
          names.emplace_back(name);
      }
    }
  }
}

}  // namespace vexo
