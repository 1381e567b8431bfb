// Timers: enabled/interval semantics on virtual time, and the Qt backend on a
// real event loop (short intervals only).
#include "platform/timer.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <string>
#include <vector>

#include "platform/timer_qt.h"

namespace vexo {
namespace {

TEST(VirtualTimerTest, DisabledTimerNeverTicks) {
  VirtualTimerService time;
  Timer t(time, 20);
  int ticks = 0;
  t.OnTimer = [&] { ++ticks; };
  time.AdvanceBy(1000);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(time.ArmedCount(), 0u);
}

TEST(VirtualTimerTest, EnabledTimerTicksAtEveryInterval) {
  VirtualTimerService time;
  Timer t(time, 20);
  std::vector<long long> at;
  t.OnTimer = [&] { at.push_back(time.Now()); };
  t.SetEnabled(true);
  time.AdvanceBy(19);
  EXPECT_TRUE(at.empty());
  time.AdvanceBy(50);
  EXPECT_EQ(at, (std::vector<long long>{20, 40, 60}));
  EXPECT_EQ(time.Now(), 69);
}

TEST(VirtualTimerTest, TwoTimersTickInTimeOrderTiesInArmingOrder) {
  VirtualTimerService time;
  Timer a(time, 20, true);
  Timer b(time, 30, true);
  std::string log;
  a.OnTimer = [&] { log += "a" + std::to_string(time.Now()) + " "; };
  b.OnTimer = [&] { log += "b" + std::to_string(time.Now()) + " "; };
  time.AdvanceBy(60);
  EXPECT_EQ(log, "a20 b30 a40 a60 b60 ");
}

TEST(VirtualTimerTest, HandlerThatDisablesItsOwnTimerTicksOnce) {
  VirtualTimerService time;
  Timer t(time, 15000, true);
  int ticks = 0;
  t.OnTimer = [&] {
    ++ticks;
    t.SetEnabled(false);
  };
  time.AdvanceBy(100000);
  EXPECT_EQ(ticks, 1);
}

TEST(VirtualTimerTest, TimerEnabledByAnotherCountsFromThatMoment) {
  VirtualTimerService time;
  Timer fast(time, 20, true);
  Timer slow(time, 100);
  std::vector<long long> slow_at;
  fast.OnTimer = [&] { slow.SetEnabled(true); };
  slow.OnTimer = [&] { slow_at.push_back(time.Now()); };
  time.AdvanceBy(250);
  EXPECT_EQ(slow_at, (std::vector<long long>{120, 220}));
}

TEST(VirtualTimerTest, NewIntervalOfARunningTimerStartsAFreshPeriod) {
  VirtualTimerService time;
  Timer t(time, 100, true);
  std::vector<long long> at;
  t.OnTimer = [&] { at.push_back(time.Now()); };
  time.AdvanceBy(90);
  t.SetInterval(50);
  time.AdvanceBy(100);
  EXPECT_EQ(at, (std::vector<long long>{140, 190}));
}

TEST(VirtualTimerTest, ZeroOrNegativeIntervalDoesNotTick) {
  VirtualTimerService time;
  Timer t(time, 0, true);
  int ticks = 0;
  t.OnTimer = [&] { ++ticks; };
  time.AdvanceBy(1000);
  t.SetInterval(-5);
  time.AdvanceBy(1000);
  EXPECT_EQ(ticks, 0);
}

TEST(VirtualTimerTest, DestroyedTimerIsDisarmed) {
  VirtualTimerService time;
  {
    Timer t(time, 10, true);
    EXPECT_EQ(time.ArmedCount(), 1u);
  }
  EXPECT_EQ(time.ArmedCount(), 0u);
  time.AdvanceBy(100);  // nothing left to call into
}

TEST(VirtualTimerTest, EnabledStateChangesAreReported) {
  VirtualTimerService time;
  Timer t(time, 20);
  int changes = 0;
  t.changed.Connect([&] { ++changes; });
  t.SetEnabled(true);
  t.SetEnabled(true);
  t.SetInterval(20);
  t.SetInterval(15000);
  EXPECT_EQ(changes, 2);
}

// Runs the event loop until done() or the deadline.
template <typename Done>
bool SpinUntil(Done done, int deadline_ms = 3000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < deadline_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

TEST(QtTimerTest, TicksOnTheEventLoopUntilDisabledFromItsOwnHandler) {
  QtTimerService service;
  Timer t(service, 5);
  int ticks = 0;
  t.OnTimer = [&] {
    if (++ticks == 3) t.SetEnabled(false);
  };
  t.SetEnabled(true);
  ASSERT_TRUE(SpinUntil([&] { return ticks >= 3; }));
  SpinUntil([] { return false; }, 50);
  EXPECT_EQ(ticks, 3);
}

TEST(QtTimerTest, DestroyingTheServiceWithArmedTimersIsClean) {
  auto service = std::make_unique<QtTimerService>();
  int ticks = 0;
  const int id = service->Arm(1, [&] { ++ticks; });
  EXPECT_GT(id, 0);
  service.reset();
  SpinUntil([] { return false; }, 20);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace vexo
