// Test entry of the window tests: a widget application. Without a display
// (as when the test list is read at build time) the windows go offscreen.
#include <gtest/gtest.h>
#include <QApplication>

#include <cstdlib>

#include "tests/support/offline.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  vexo::testing::GoOffline();
  vexo::testing::ChooseClassicSources();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
