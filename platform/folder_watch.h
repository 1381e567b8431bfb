#pragma once
// Tells which entries of one folder changed since the last look, without
// reading the folder: through inotify, so that a look costs one system call.
// The folder's own entry in its parent is watched as well, so that a folder
// made, removed, replaced or moved is told too, also one that does not exist
// yet. Changes made through another path to the same file (a hard link
// elsewhere) and changes on a network file system's far side are not told.

#include <string>
#include <vector>

namespace vexo {

class FolderWatch {
 public:
  FolderWatch() = default;
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Starts afresh: every change from now on is told. False (and no watch)
  // when the system gives none: no inotify, the parent folder cannot be
  // watched, or the folder exists but cannot be.
  bool Start(const std::string& folder);
  void Stop();
  bool Watching() const { return fd_ >= 0; }

  // The changes since the last look: `whole` when the folder itself changed
  // (made, removed, moved, its permissions) or when changes were lost; else
  // the names of the changed entries are appended to `names`. A watch that
  // fails reads as a whole change.
  void Poll(bool& whole, std::vector<std::string>& names);

 private:
  int fd_ = -1;
  int folderWd_ = -1;
  int parentWd_ = -1;
  std::string name_;  // the folder's name in its parent
};

}  // namespace vexo
