#pragma once
// Tells which entries of one folder changed, without reading the folder:
// through inotify. The folder's own entry in its parent is watched as well,
// so that a folder made, removed, replaced or moved is told too, also one
// that does not exist yet. Changes made through another path to the same
// file (a hard link elsewhere) and changes on a network file system's far
// side are not told.
//
// On a thread with an event loop the loop says when there is something to
// read, so no one has to ask between changes.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace vexo {

class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Starts afresh: every change from now on is told. False (and no watch)
  // when the system gives none: no inotify, the parent folder cannot be
  // watched, or the folder exists but cannot be.
  bool Start(const std::string& folder);
  // Closing an inotify descriptor waits for the kernel (some milliseconds):
  // keep a watch rather than stopping and starting it again.
  void Stop();
  bool Watching() const { return fd_ >= 0; }
  const std::string& Folder() const { return path_; }

  // Called from the event loop of the thread that started the watch when
  // changes wait to be read; it should Poll(). Nothing is called on a thread
  // without an event loop.
  void OnChange(std::function<void()> changed);

  // The changes since the last look: `whole` when the folder itself changed
  // (made, removed, moved, its permissions) or when changes were lost; else
  // the names of the changed entries are appended to `names`. After a whole
  // change the watch follows whatever folder now stands at the path. A watch
  // that fails reads as a whole change.
  void Poll(bool& whole, std::vector<std::string>& names);

 private:
  void WatchFolder();
  void Notify();

  int fd_ = -1;
  int folderWd_ = -1;
  int parentWd_ = -1;
  std::string path_;
  std::string name_;  // the folder's name in its parent
  std::function<void()> changed_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool inSignal_ = false;
};

}  // namespace vexo
