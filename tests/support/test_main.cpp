// Test entry: a Qt core application gives every test the event loop that the
// program's timers, sockets and deferred calls run on.
#include <gtest/gtest.h>
#include <QCoreApplication>

#include "tests/support/offline.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  vexo::testing::GoOffline();
  vexo::testing::ChooseClassicSources();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
