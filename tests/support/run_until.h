#pragma once
// Waiting in tests: run the Qt event loop until a condition holds or a
// deadline passes. Nothing sleeps; the loop blocks until the next event.

#include <functional>

namespace vexo::testing {

// Runs the calling thread's event loop until pred() is true or ms have
// passed; returns pred().
bool RunUntil(const std::function<bool()>& pred, int ms = 5000);

// Runs the event loop for ms milliseconds.
void RunFor(int ms);

}  // namespace vexo::testing
