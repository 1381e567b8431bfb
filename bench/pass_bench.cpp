// Time of a first tracking pass (the 72 engine result pages and the pages
// they lead to) against the mock web with every answer delayed by 50 ms, on
// real timers and sockets, beside the ideal of eight downloads always
// running: pages / 8 x 50 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>

#include "platform/codepage.h"
#include "platform/connect_to.h"
#include "platform/message_box.h"
#include "platform/timer_qt.h"
#include "shell/fvexo1.h"
#include "tests/support/mock_web.h"

namespace vexo {
namespace {

constexpr int kDelayMs = 50;
constexpr int kEnginePages = 72;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "vexo-bench";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

void BM_FirstPassAgainstDelayedMockWeb(benchmark::State& state) {
  App();
  double ratio = 0;
  double ideal = 0;
  int pages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dir;
    testing::MockWeb web(kDelayMs);
    SetConnectToMap(web.ConnectToMap());
    Application app;
    QtTimerService timers;
    ScriptedMessageBoxes boxes;
    MainServices s;
    s.app = &app;
    s.timers = &timers;
    s.messages = &boxes;
    s.program_folder = dir.path().toStdString() + "/";
    s.config_file = s.program_folder + "vexo.ini";
    s.autostart_entry = s.program_folder + "vexo.desktop";
    auto main = std::make_unique<TMain>(s);
    main->FormCreate();
    main->gjc.SetText(Gb(testing::kMockKeyword));
    state.ResumeTiming();

    QElapsedTimer clock;
    clock.start();
    main->Spt1Click();
    // The pass is over when the refill starts the next pass's news pages.
    while (web.EngineRequests() <= kEnginePages && clock.elapsed() < 30000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double ms = static_cast<double>(clock.elapsed());
    // The request that began the next pass is not part of this one.
    pages = web.Requests() - 1;

    state.PauseTiming();
    main->Spt1Click();
    main.reset();
    SetConnectToMap("");
    state.ResumeTiming();
    ideal = pages / 8.0 * kDelayMs;
    ratio = ms / ideal;
  }
  state.counters["pages"] = pages;
  state.counters["ideal_ms"] = ideal;
  state.counters["ratio_to_ideal"] = ratio;
}
BENCHMARK(BM_FirstPassAgainstDelayedMockWeb)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vexo
