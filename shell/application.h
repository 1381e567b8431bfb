#pragma once
// The application object of the form models: its title, the hint pause, its
// own task-bar button and the handler the view runs when the application is
// minimised.

#include <functional>

#include "platform/bytes.h"
#include "platform/components.h"

namespace vexo {

class Application {
 public:
  const Bytes& Title() const { return title_; }
  void SetTitle(const Bytes& t);
  int HintPauseMs() const { return hint_pause_ms_; }
  void SetHintPauseMs(int ms);
  bool TaskbarButtonVisible() const { return taskbar_button_visible_; }
  void SetTaskbarButtonVisible(bool v);

  // Run by the view when the user minimises the application.
  std::function<void()> OnMinimize;
  Signal changed;

 private:
  Bytes title_;
  int hint_pause_ms_ = 500;
  bool taskbar_button_visible_ = true;
};

// The program entry's set-up of the application: title "V鹊", hints at once.
void InitApplication(Application& app);

}  // namespace vexo
