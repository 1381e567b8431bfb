#include "platform/quietly.h"

Q_LOGGING_CATEGORY(lcQuietly, "vexo.quietly", QtInfoMsg)

namespace vexo {

void NoteSwallowed(const char* what, const char* file, unsigned line) noexcept {
  try {
    qCDebug(lcQuietly, "%s:%u: %s", file, line, what);
  } catch (...) {
    // Nowhere left to say it.
  }
}

}  // namespace vexo
