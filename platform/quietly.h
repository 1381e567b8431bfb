#pragma once
// The rule for the program's handlers (events, timers, workers, the steps of
// start-up and shutdown): an error ends the step quietly, what it did so far
// stands, and nothing escapes into the event loop or a thread. Each such step
// runs through Quietly, so the rule is written once and has a name.

#include <utility>

namespace vexo {

// Runs `step`; false when it raised anything, which is dropped.
template <class Step>
bool Quietly(Step&& step) noexcept {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace vexo
