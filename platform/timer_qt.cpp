#include "platform/timer_qt.h"

#include <chrono>

#include <QObject>
#include <QTimer>

namespace vexo {

QtTimerService::~QtTimerService() {
  for (auto& [id, timer] : timers_) delete timer;
}

int QtTimerService::Arm(int interval_ms, std::function<void()> tick) {
  const int id = next_id_++;
  auto* timer = new QTimer;
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(interval_ms > 0 ? interval_ms : 1);
  QObject::connect(timer, &QTimer::timeout, timer, [tick = std::move(tick)] {
    if (tick) tick();
  });
  timer->start();
  timers_[id] = timer;
  return id;
}

void QtTimerService::Disarm(int id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  QTimer* timer = it->second;
  timers_.erase(it);
  timer->stop();
  // Later: the timer may be disarmed from inside its own tick.
  timer->deleteLater();
}

long long QtTimerService::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace vexo
