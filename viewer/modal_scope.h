#pragma once
// While a dialog of the main window is open its modalGuard holds kModal: at
// kModalThreshold or more nothing hides the window or pops it up under the
// dialog. The scope gives the guard its value back whichever way the dialog's
// handler ends, unless the handler keeps it up (a window that is closing).

#include <cstdint>

namespace vexo {

inline constexpr std::uint8_t kModal = 120;
inline constexpr std::uint8_t kModalThreshold = 100;

class ModalScope {
 public:
  explicit ModalScope(std::uint8_t& guard) : guard_(guard), noted_(guard) { guard_ = kModal; }
  ~ModalScope() {
    if (!kept_) guard_ = noted_;
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  // The guard stays up when the scope ends.
  void Keep() { kept_ = true; }

 private:
  std::uint8_t& guard_;
  std::uint8_t noted_;
  bool kept_ = false;
};

}  // namespace vexo
