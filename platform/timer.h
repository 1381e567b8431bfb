#pragma once
// Timers as the forms use them: an interval in milliseconds, an enabled flag
// and an OnTimer handler. A Timer runs on a TimerService: the Qt event loop in
// the program, virtual time in tests (AdvanceBy fires the due ticks in order
// without sleeping).

#include <functional>
#include <map>

#include "platform/components.h"

namespace vexo {

class TimerService {
 public:
  virtual ~TimerService() = default;
  // Calls tick every interval_ms (> 0) until Disarm(id). Ids are never reused.
  virtual int Arm(int interval_ms, std::function<void()> tick) = 0;
  // Unknown or already disarmed ids are ignored; safe inside the tick itself.
  virtual void Disarm(int id) = 0;
  // Milliseconds on a clock that never goes back, the clock the timers run on.
  virtual long long NowMs() const = 0;
};

// A timer ticks while it is enabled and its interval is above 0. Changing the
// interval of a running timer starts its period afresh.
class Timer {
 public:
  explicit Timer(TimerService& service, int interval_ms = 1000, bool enabled = false);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  int Interval() const { return interval_; }
  void SetInterval(int ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);

  std::function<void()> OnTimer;
  Signal changed;

 private:
  void Rearm();
  void Tick();

  TimerService& service_;
  int interval_;
  bool enabled_;
  int armed_id_ = 0;
};

// Virtual time for tests: nothing ticks until AdvanceBy.
class VirtualTimerService : public TimerService {
 public:
  int Arm(int interval_ms, std::function<void()> tick) override;
  void Disarm(int id) override;
  long long NowMs() const override { return now_; }

  // Moves time forward by ms, firing every tick that falls due on the way in
  // order of time (ties in order of arming). A tick may arm and disarm timers.
  void AdvanceBy(long long ms);
  long long Now() const { return now_; }
  bool IsArmed(int id) const { return entries_.count(id) != 0; }
  std::size_t ArmedCount() const { return entries_.size(); }

 private:
  struct Entry {
    int interval;
    long long due;
    std::function<void()> tick;
  };
  std::map<int, Entry> entries_;
  long long now_ = 0;
  int next_id_ = 1;
};

}  // namespace vexo
