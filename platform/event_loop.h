#pragma once
// Calls posted to a thread's event loop: they run after the current event has
// returned, in the order they were posted. This is how a component defers a
// step so that its caller may destroy it inside an event handler.

#include <functional>
#include <memory>

namespace vexo {

// The event loop of one thread, as a handle that any thread may post to. Posts
// made after the thread has ended are dropped.
class ThreadLoop {
 public:
  virtual ~ThreadLoop() = default;
  // Queues fn on the loop's thread; false when that loop is gone. Thread-safe.
  virtual bool Post(std::function<void()> fn) = 0;
};

// The calling thread's loop (created on first use).
std::shared_ptr<ThreadLoop> ThisThreadLoop();

// Queues fn on the calling thread's loop. A call that throws is dropped quietly.
void PostToThisThread(std::function<void()> fn);

// Deferred calls tied to an owner: once the PostedCalls object is destroyed (or
// CancelAll is called), the calls it posted and that have not yet run never run.
// A running call may destroy its owner; nothing of it is touched afterwards.
class PostedCalls {
 public:
  PostedCalls() = default;
  ~PostedCalls() = default;
  PostedCalls(const PostedCalls&) = delete;
  PostedCalls& operator=(const PostedCalls&) = delete;

  void Post(std::function<void()> fn);
  void CancelAll() { alive_ = std::make_shared<char>(0); }

 private:
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
};

}  // namespace vexo
