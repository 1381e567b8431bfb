#include "platform/timer.h"

#include <utility>

namespace vexo {

Timer::Timer(TimerService& service, int interval_ms, bool enabled)
    : service_(service), interval_(interval_ms), enabled_(enabled) {
  Rearm();
}

Timer::~Timer() {
  if (armed_id_ != 0) service_.Disarm(armed_id_);
}

void Timer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Rearm();
  changed.Emit();
}

void Timer::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  Rearm();
  changed.Emit();
}

void Timer::Rearm() {
  if (armed_id_ != 0) {
    service_.Disarm(armed_id_);
    armed_id_ = 0;
  }
  if (enabled_ && interval_ > 0) armed_id_ = service_.Arm(interval_, [this] { Tick(); });
}

void Timer::Tick() {
  if (OnTimer) OnTimer();
}

int VirtualTimerService::Arm(int interval_ms, std::function<void()> tick) {
  const int id = next_id_++;
  const int interval = interval_ms > 0 ? interval_ms : 1;
  entries_[id] = Entry{interval, now_ + interval, std::move(tick)};
  return id;
}

void VirtualTimerService::Disarm(int id) {
  entries_.erase(id);
}

void VirtualTimerService::AdvanceBy(long long ms) {
  const long long target = now_ + (ms > 0 ? ms : 0);
  while (true) {
    auto next = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->second.due <= target && (next == entries_.end() || it->second.due < next->second.due))
        next = it;
    }
    if (next == entries_.end()) break;
    now_ = next->second.due;
    next->second.due += next->second.interval;
    // A copy: the tick may disarm its own entry.
    const auto tick = next->second.tick;
    if (tick) tick();
  }
  now_ = target;
}

}  // namespace vexo
