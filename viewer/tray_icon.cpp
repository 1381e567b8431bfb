#include "viewer/tray_icon.h"

#include "platform/codepage.h"

namespace vexo {

Bytes CutAtCharacter(const Bytes& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t keep = limit;
  if (keep > 0 && ByteRoleAt(text, static_cast<Pos>(keep)) == ByteRole::Lead) --keep;
  return text.substr(0, keep);
}

TTrayIcon::TTrayIcon(StatusIconService& shell, bool designing)
    : shell_(shell), designing_(designing) {
  shell_.on_mouse = [this](StatusIconMouse m) { HandleMouse(m); };
}

TTrayIcon::~TTrayIcon() {
  posted_.CancelAll();
  shell_.on_mouse = nullptr;
  if ((!designing_ && active_) || (designing_ && show_designing_)) RemoveIcon();
}

void TTrayIcon::SetActive(bool on) {
  if (on == active_) return;
  active_ = on;
  if (designing_) return;
  if (on)
    AddIcon();
  else
    RemoveIcon();
}

void TTrayIcon::SetShowDesigning(bool on) {
  if (!designing_ || on == show_designing_) return;
  show_designing_ = on;
  if (on)
    AddIcon();
  else
    RemoveIcon();
}

void TTrayIcon::SetIcon(const std::string& icon) {
  if (icon == icon_) return;
  icon_ = icon;
  ModifyIcon();
}

void TTrayIcon::SetToolTip(const Bytes& text) {
  tool_tip_ = CutAtCharacter(text, kMaxToolTip);
  ModifyIcon();
}

StatusIconData TTrayIcon::FillIconData() const {
  return {icon_, tool_tip_};
}

bool TTrayIcon::AddIcon() {
  const bool accepted = shell_.Add(FillIconData());
  // An icon put up before its tip was known gets tip and image once the
  // current event is over.
  if (tool_tip_.empty()) posted_.Post([this] { SetToolTip(ToolTip()); });
  return accepted;
}

bool TTrayIcon::ModifyIcon() {
  if (!active_) return true;
  return shell_.Modify(FillIconData());
}

bool TTrayIcon::RemoveIcon() {
  return shell_.Delete();
}

void TTrayIcon::RightClickPopup() {
  const ScreenPoint at = shell_.CursorPos();
  if (PopupMenu) PopupMenu->PopupAt(at);
  if (OnRightClick) OnRightClick(this, MouseButton::Right, 0, at.x, at.y);
}

void TTrayIcon::HandleMouse(StatusIconMouse m) {
  switch (m) {
    case StatusIconMouse::LeftUp:
      if (OnClick) OnClick(this);
      break;
    case StatusIconMouse::LeftDoubleClick:
      if (OnDblClick) OnDblClick(this);
      break;
    case StatusIconMouse::RightUp:
      RightClickPopup();
      break;
    case StatusIconMouse::Other:
      break;
  }
}

}  // namespace vexo
