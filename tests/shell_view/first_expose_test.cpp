// The work a window leaves until it is first on screen, and the start-up
// measurement hook built on it.
#include <QWidget>
#include <QWindow>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/first_expose_view.h"
#include "platform/shown_report_view.h"
#include "tests/shell_view/view_fixture.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

TEST(FirstExposeTest, RunsInOrderOnceTheWindowIsOnScreenAndLaterAtOnce) {
  QWidget window;
  std::vector<std::string> ran;
  bool exposed_first = true;
  const auto note = [&](const char* name) {
    return [&, name] {
      exposed_first = exposed_first && window.windowHandle() && window.windowHandle()->isExposed();
      ran.emplace_back(name);
    };
  };
  AfterFirstExpose(window, note("server"));
  AfterFirstExpose(window, note("autorun"));
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran.empty()) << "not before the window shows";

  window.show();
  ASSERT_TRUE(testing::RunUntil([&] { return ran.size() == 2; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"server", "autorun"}));
  EXPECT_TRUE(exposed_first);

  AfterFirstExpose(window, note("late"));
  ASSERT_TRUE(testing::RunUntil([&] { return ran.size() == 3; }));
  EXPECT_EQ(ran.back(), "late");
}

TEST(FirstExposeTest, AWindowShownBeforehandStillRunsItsWork) {
  QWidget window;
  window.show();
  ASSERT_TRUE(testing::RunUntil([&] { return window.windowHandle()->isExposed(); }));
  bool ran = false;
  AfterFirstExpose(window, [&] { ran = true; });
  EXPECT_TRUE(testing::RunUntil([&] { return ran; }));
}

TEST(ShownReportTest, IsInertUnlessItsVariableSaysOne) {
  for (const char* value : {static_cast<const char*>(nullptr), "", "0", "yes"}) {
    std::optional<ScopedEnv> env;
    if (value)
      env.emplace(kExitWhenShownVariable, value);
    else
      unsetenv(kExitWhenShownVariable);
    QWidget window;
    std::ostringstream out;
    int quits = 0;
    EXPECT_FALSE(ExitWhenShown(window, out, [&] { ++quits; })) << (value ? value : "unset");
    // Its own work after the expose runs; the report would have come first.
    bool after = false;
    AfterFirstExpose(window, [&] { after = true; });
    window.show();
    ASSERT_TRUE(testing::RunUntil([&] { return after; }));
    EXPECT_EQ(out.str(), "") << (value ? value : "unset");
    EXPECT_EQ(quits, 0) << (value ? value : "unset");
  }
}

TEST(ShownReportTest, ReportsTimeAndMemoryOnceShownThenEnds) {
  ScopedEnv env(kExitWhenShownVariable, "1");
  QWidget window;
  std::ostringstream out;
  int quits = 0;
  ASSERT_TRUE(ExitWhenShown(window, out, [&] { ++quits; }));
  window.show();
  ASSERT_TRUE(testing::RunUntil([&] { return quits > 0; }));
  EXPECT_EQ(quits, 1);
  const std::string line = out.str();
  EXPECT_EQ(line.rfind("shown monotonic_ms=", 0), 0u) << line;
  for (const char* field : {" since_start_ms=", " vmhwm_kb=", " vmrss_kb="}) {
    const auto at = line.find(field);
    ASSERT_NE(at, std::string::npos) << field << " in " << line;
    EXPECT_GT(std::stod(line.substr(at + std::string(field).size())), 0) << field;
  }
  EXPECT_EQ(line.back(), '\n');
}

}  // namespace
}  // namespace vexo
