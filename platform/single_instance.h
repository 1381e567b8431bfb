#pragma once
// One process per program folder: the owner holds a lock on a file in the
// folder (the window program also listens for a second start, see
// instance_channel.h).

#include <string>

namespace vexo {

// The program folder's lock: an flock held on "vexo.lock" for the holder's
// whole life. The kernel drops it when the holder ends however it ends, so a
// lock is held exactly while its holder lives: a file left by a killed
// process, emptied or garbled, or naming a process number that now belongs
// to another program, never keeps the folder.
class FolderLock {
 public:
  // folder: the program folder, ending with "/".
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  enum class Outcome {
    kTaken,   // ours until this object goes
    kHeld,    // a live process holds it
    kFailed,  // the lock file could not be made or written: see FailureText
  };
  // Takes the lock without waiting and records this process in the file.
  Outcome TryLock();

  // Who holds the lock (after kHeld): process id and program name, as far as
  // the holder has written them.
  struct Holder {
    long long pid = 0;
    std::string program;
  };
  Holder CurrentHolder() const;
  // The holder for a message: "vexo (process 12)".
  std::string HolderDescription() const;
  // Why the lock could not be taken (after kFailed), with what to do.
  const std::string& FailureText() const { return failure_; }

  const std::string& Path() const { return path_; }

 private:
  int OpenLockFile();
  bool RecordHolder();
  Outcome Fail(const std::string& what, int error);

  std::string path_;
  std::string failure_;
  int fd_ = -1;
};

}  // namespace vexo
