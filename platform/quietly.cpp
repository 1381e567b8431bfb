#include "platform/quietly.h"

Q_LOGGING_CATEGORY(lcQuietly, "vexo.quietly", QtInfoMsg)

namespace vexo {

void NoteSwallowed(const char* what, const std::source_location& where) noexcept {
  try {
    qCDebug(lcQuietly, "%s:%u: %s", where.file_name(), static_cast<unsigned>(where.line()), what);
  } catch (...) {
    // Nowhere left to say it.
  }
}

}  // namespace vexo
