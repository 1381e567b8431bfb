#include "platform/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vexo {

namespace {

constexpr std::uint32_t kSelfGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

}  // namespace

FolderWatch::FolderWatch() = default;

FolderWatch::~FolderWatch() {
  Stop();
}

void FolderWatch::Stop() {
  if (notifier_ && inSignal_) {
    // Stopped from within its own signal: deleted once that is over.
    notifier_->setEnabled(false);
    notifier_.release()->deleteLater();
  }
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = folderWd_ = parentWd_ = -1;
  path_.clear();
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
  path_ = path;
  name_ = name;
  WatchFolder();
  if (folderWd_ < 0 && errno != ENOENT && errno != ENOTDIR) {
    Stop();
    return false;
  }
  Notify();
  return true;
}

// Whatever folder stands at the path now; a folder watched before (moved
// back) keeps its descriptor. One that went elsewhere is left watched: its
// events name another descriptor and are not read as ours.
void FolderWatch::WatchFolder() {
  folderWd_ = ::inotify_add_watch(fd_, path_.c_str(),
                                  IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                      IN_CLOSE_WRITE | IN_ATTRIB | kSelfGone | IN_ONLYDIR);
}

void FolderWatch::OnChange(std::function<void()> changed) {
  changed_ = std::move(changed);
  Notify();
}

void FolderWatch::Notify() {
  if (fd_ < 0 || !changed_ || notifier_) return;
  if (QAbstractEventDispatcher::instance() == nullptr) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    inSignal_ = true;
    if (changed_) changed_();
    inSignal_ = false;
  });
}

void FolderWatch::Poll(bool& whole, std::vector<std::string>& names) {
  if (fd_ < 0) {
    whole = true;
    return;
  }
  bool folderChanged = false;
  bool broken = false;
  alignas(inotify_event) char buf[8192];
  for (;;) {
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) break;
    if (got <= 0) {
      broken = true;
      break;
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
        if ((event.mask & kSelfGone) != 0) broken = true;
        if (name == name_) folderChanged = true;
      } else if (event.wd == folderWd_) {
        if ((event.mask & kSelfGone) != 0 || name.empty())
          folderChanged = true;
        else
          names.emplace_back(name);
      }
    }
  }
  if (broken) {
    // The parent went, or the descriptor failed: only a new watch helps.
    whole = true;
    const std::string path = path_;
    auto changed = std::move(changed_);
    Start(path);
    OnChange(std::move(changed));
  } else if (folderChanged) {
    whole = true;
    WatchFolder();
  }
}

}  // namespace vexo
