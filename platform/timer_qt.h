#pragma once
// The program's timer service: QTimer objects on the calling thread's Qt event
// loop.

#include <map>

#include "platform/timer.h"

class QTimer;

namespace vexo {

class QtTimerService : public TimerService {
 public:
  QtTimerService() = default;
  ~QtTimerService() override;
  QtTimerService(const QtTimerService&) = delete;
  QtTimerService& operator=(const QtTimerService&) = delete;

  int Arm(int interval_ms, std::function<void()> tick) override;
  void Disarm(int id) override;
  long long NowMs() const override;

 private:
  std::map<int, QTimer*> timers_;
  int next_id_ = 1;
};

}  // namespace vexo
