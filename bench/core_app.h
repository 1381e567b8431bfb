#pragma once
// The Qt application the benchmarks' clients and timers need, made once.

#include <QCoreApplication>

namespace vexo::bench {

inline void EnsureCoreApplication() {
  static int argc = 1;
  static char name[] = "vexo-bench";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

}  // namespace vexo::bench
