#include "tests/support/run_until.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace vexo::testing {

bool RunUntil(const std::function<bool()>& pred, int ms) {
  bool expired = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&expired] { expired = true; });
  deadline.start(ms);
  while (!pred()) {
    if (expired) return pred();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

}  // namespace vexo::testing
