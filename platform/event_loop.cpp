#include "platform/event_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <mutex>

#include "platform/quietly.h"

namespace vexo {
namespace {

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CallEvent : public QEvent {
 public:
  explicit CallEvent(std::function<void()> fn) : QEvent(kCallEvent), fn_(std::move(fn)) {}
  void Run() {
    // Errors never escape an event handler.
    Quietly([&] { fn_(); });
  }

 private:
  std::function<void()> fn_;
};

class CallReceiver : public QObject {
 protected:
  bool event(QEvent* e) override {
    if (e->type() != kCallEvent) return QObject::event(e);
    static_cast<CallEvent*>(e)->Run();
    return true;
  }
};

class QtThreadLoop final : public ThreadLoop {
 public:
  QtThreadLoop() : receiver_(new CallReceiver) {}
  ~QtThreadLoop() override { Retire(); }

  bool Post(std::function<void()> fn) override {
    std::lock_guard lock(mutex_);
    if (!receiver_) return false;
    // postEvent takes ownership of the event, also when it is never delivered.
    QCoreApplication::postEvent(receiver_, new CallEvent(std::move(fn)));
    return true;
  }

  // Called on the owning thread when it ends: later posts are dropped.
  void Retire() {
    CallReceiver* r = nullptr;
    {
      std::lock_guard lock(mutex_);
      r = receiver_;
      receiver_ = nullptr;
    }
    delete r;
  }

 private:
  std::mutex mutex_;
  CallReceiver* receiver_;
};

// Retires the thread's loop when the thread exits.
struct LoopSlot {
  std::shared_ptr<QtThreadLoop> loop;
  ~LoopSlot() {
    if (loop) loop->Retire();
  }
};

}  // namespace

std::shared_ptr<ThreadLoop> ThisThreadLoop() {
  thread_local LoopSlot slot;
  if (!slot.loop) slot.loop = std::make_shared<QtThreadLoop>();
  return slot.loop;
}

void PostToThisThread(std::function<void()> fn) {
  ThisThreadLoop()->Post(std::move(fn));
}

void PostedCalls::Post(std::function<void()> fn) {
  std::weak_ptr<char> alive = alive_;
  PostToThisThread([alive = std::move(alive), fn = std::move(fn)] {
    if (alive.expired()) return;
    fn();  // may destroy the owner; neither `alive` nor `fn` belongs to it
  });
}

}  // namespace vexo
