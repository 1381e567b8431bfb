#include "shell/application.h"

#include "texts/texts.h"

namespace vexo {

void Application::SetTitle(const Bytes& t) {
  if (t == title_) return;
  title_ = t;
  changed.Emit();
}

void Application::SetHintPauseMs(int ms) {
  if (ms == hint_pause_ms_) return;
  hint_pause_ms_ = ms;
  changed.Emit();
}

void Application::SetTaskbarButtonVisible(bool v) {
  if (v == taskbar_button_visible_) return;
  taskbar_button_visible_ = v;
  changed.Emit();
}

void InitApplication(Application& app) {
  app.SetTitle(Texts().app_title);
  app.SetHintPauseMs(0);
}

}  // namespace vexo
