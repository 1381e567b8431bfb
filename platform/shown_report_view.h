#pragma once
// The start-up measurement hook. With VEXO_EXIT_WHEN_SHOWN=1 a window program
// prints, once its window's first expose has been handled, one line with the
// monotonic clock, the time since the process started and its memory, then
// quits. The start-up benchmark reads that line for the program and for a
// bare window alike; without the variable nothing is installed.

#include <functional>
#include <iosfwd>

class QWidget;

namespace vexo {

inline constexpr const char* kExitWhenShownVariable = "VEXO_EXIT_WHEN_SHOWN";

// Call before the work left for the first expose (AfterFirstExpose), which
// the line then does not count. Returns whether the hook was armed.
bool ExitWhenShown(QWidget& window);
// The same with the line's stream and the ending given (for tests).
bool ExitWhenShown(QWidget& window, std::ostream& out, std::function<void()> quit);

}  // namespace vexo
