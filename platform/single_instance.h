#pragma once
// One process per program folder. The owner holds a lock file in the folder
// (a lock whose process is gone is taken over) and listens on a local socket
// named after the folder, through which a second start of the window program
// asks it to show its window.

#include <QLocalServer>
#include <QLockFile>
#include <functional>
#include <string>

namespace vexo {

class FolderLock {
 public:
  // folder: the program folder, ending with "/".
  explicit FolderLock(const std::string& folder);

  // Takes the lock without waiting; false when a running process holds it.
  bool TryLock();

  // Who holds the lock (when TryLock failed): process id and program name.
  struct Holder {
    long long pid = 0;
    std::string program;
  };
  Holder CurrentHolder() const;
  // The holder for a message: "vexo (process 12)".
  std::string HolderDescription() const;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  QLockFile lock_;
};

// The local socket name of a program folder: short (socket paths are
// limited), per user, and the same for every spelling of the folder.
QString InstanceServerName(const std::string& folder);

// The running window program's side: calls `show` for every request.
class InstanceServer {
 public:
  InstanceServer(const std::string& folder, std::function<void()> show);
  // False when the socket could not be set up; the program runs on anyway.
  bool Listening() const { return server_.isListening(); }

 private:
  QLocalServer server_;
  std::function<void()> show_;
};

// The second start's side: asks the owner of `folder` to show its window and
// waits for its answer, retrying while the owner may still be starting.
// Needs a QCoreApplication.
bool AskRunningInstanceToShow(const std::string& folder, int timeout_ms);

}  // namespace vexo
