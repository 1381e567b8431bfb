#pragma once
// What the main window's chrome handlers need from the view: the screen, the
// window's activation and raising, closing, and the modal windows it shows.
// Each member may be empty; the handler then leaves that step out.

#include <functional>

#include "platform/components.h"

namespace vexo {

// Label-buttons and title-bar controls are transparent (kDefaultColour) and
// opaque in this colour while the mouse button is down on them.
inline constexpr Colour kPressedColour = 0xFFFFFF;

class Tmake;

struct ScreenSize {
  int width = 0;
  int height = 0;
};

struct ChromeServices {
  std::function<ScreenSize()> screen_size;
  // The main window is the active window of the desktop.
  std::function<bool()> window_active;
  // Brings the application back from its minimised state.
  std::function<void()> restore_application;
  // Raises the main window to the top of the window order without keeping
  // it on top.
  std::function<void()> raise_window;
  // Closes the main window; the view runs the close query.
  std::function<void()> close_window;
  // Shows the about box modally; returns when it is closed.
  std::function<void(Tmake& box)> show_about;
  // Creates the news window, shows it modally and frees it when it closes;
  // false when it could not be created.
  std::function<bool()> show_news;
};

}  // namespace vexo
