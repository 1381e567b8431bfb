#pragma once
// Work a window program leaves until its window is first on screen: run once
// the window's first expose event, with the painting it brings, has been
// handled.

#include <functional>

class QWidget;

namespace vexo {

// Runs `then` on the event loop after `window`'s first expose; callbacks given
// for one window run in the order given. A window that is already exposed
// runs them at the next turn of the loop; one never exposed (a platform that
// says nothing) after kFirstExposeFallbackMs.
void AfterFirstExpose(QWidget& window, std::function<void()> then);

inline constexpr int kFirstExposeFallbackMs = 1000;

}  // namespace vexo
