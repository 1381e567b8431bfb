#pragma once
// The rule for the program's handlers (events, timers, workers, the steps of
// start-up and shutdown): an error ends the step quietly, what it did so far
// stands, and nothing escapes into the event loop or a thread. Each such step
// runs through Quietly, so the rule is written once and has a name.
//
// Quietly is quiet to the user, not to the developer: what it swallows is
// logged, with where, under the category "vexo.quietly", which is silent
// unless switched on (QT_LOGGING_RULES="vexo.quietly.debug=true").

#include <QLoggingCategory>
#include <exception>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcQuietly)

namespace vexo {

// Logs one swallowed error; never raises.
void NoteSwallowed(const char* what, const char* file, unsigned line) noexcept;

// Runs `step`; false when it raised anything, which is dropped. The caller's
// place comes from the compiler's builtins, which every compiler the program
// builds with has (std::source_location is missing from some).
template <class Step>
bool Quietly(Step&& step, const char* file = __builtin_FILE(),
             unsigned line = __builtin_LINE()) noexcept {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const std::exception& e) {
    NoteSwallowed(e.what(), file, line);
  } catch (...) {
    NoteSwallowed("an exception of another kind", file, line);
  }
  return false;
}

}  // namespace vexo
