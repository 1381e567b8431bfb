#pragma once
// The local socket through which a second start of the window program asks the
// running one, the owner of the same program folder, to show its window. A
// plain AF_UNIX stream socket watched by the event loop: the program needs
// nothing more of a network library, which it would otherwise load at every
// start.
//
// The exchange is one line each way: "show\n", answered by "shown\n".

#include <functional>
#include <list>
#include <memory>
#include <string>

class QSocketNotifier;

namespace vexo {

// The socket's path for a program folder: short (socket paths are limited),
// per user, and the same for every spelling of the folder. It lies in the
// temporary folder ($TMPDIR, else /tmp), under the name earlier versions used.
std::string InstanceSocketPath(const std::string& folder);

// The running window program's side: calls `show` for every request. Only
// the folder's lock holder makes one: a socket left at the path by a killed
// owner is replaced.
class InstanceServer {
 public:
  InstanceServer(const std::string& folder, std::function<void()> show);
  ~InstanceServer();
  InstanceServer(const InstanceServer&) = delete;
  InstanceServer& operator=(const InstanceServer&) = delete;

  // False when the socket could not be set up; the program runs on anyway.
  bool Listening() const { return listener_ >= 0; }

 private:
  struct Caller;
  void Listen();
  void AcceptCallers();
  void PauseAccepting();
  void Hear(Caller& caller);
  void HangUp(Caller& caller);

  std::string path_;
  std::function<void()> show_;
  int listener_ = -1;
  std::unique_ptr<QSocketNotifier> accepting_;
  std::list<std::unique_ptr<Caller>> callers_;
};

// The second start's side: asks the owner of `folder` to show its window and
// waits for its answer, retrying while the owner may still be starting.
// Blocks for at most timeout_ms; needs no event loop.
bool AskRunningInstanceToShow(const std::string& folder, int timeout_ms);

}  // namespace vexo
