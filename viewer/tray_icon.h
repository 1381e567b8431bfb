#pragma once
// TTrayIcon: one icon with a tooltip in the desktop's status area, and the
// icon's mouse events as the component's own events. The main window owns one,
// `TrayIcon1`, its way back after hiding; the tooltip shows the run's count.

#include <functional>
#include <string>

#include "platform/bytes.h"
#include "platform/event_loop.h"
#include "platform/status_icon.h"

namespace vexo {

// The program's icon among the view's resources.
inline constexpr const char* kProgramIcon = ":/vexo/vexo.png";

enum class MouseButton { Left, Right, Middle };

class TTrayIcon {
 public:
  // The longest tooltip kept, in bytes.
  static constexpr std::size_t kMaxToolTip = 62;

  using NotifyEvent = std::function<void(TTrayIcon* sender)>;
  using MouseEvent =
      std::function<void(TTrayIcon* sender, MouseButton button, int shift, int x, int y)>;

  // designing: the component lives in a form designer, where only
  // ShowDesigning puts the icon up.
  explicit TTrayIcon(StatusIconService& shell, bool designing = false);
  // Takes the icon down when it is up.
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  bool Active() const { return active_; }
  void SetActive(bool on);
  bool ShowDesigning() const { return show_designing_; }
  void SetShowDesigning(bool on);
  // The image, as a resource name.
  const std::string& Icon() const { return icon_; }
  void SetIcon(const std::string& icon);
  const Bytes& ToolTip() const { return tool_tip_; }
  // Keeps at most kMaxToolTip bytes, and never the first half of a
  // double-byte character at the cut.
  void SetToolTip(const Bytes& text);

  NotifyEvent OnClick;                  // left button released over the icon
  NotifyEvent OnDblClick;               // left button double-clicked
  MouseEvent OnRightClick;              // right button released; x, y: the cursor on the screen
  StatusIconMenu* PopupMenu = nullptr;  // not owned

  // What the desktop is given: the image and the tooltip.
  StatusIconData FillIconData() const;
  // Desktop requests; each answers whether the desktop accepted it.
  bool AddIcon();
  bool ModifyIcon();
  bool RemoveIcon();
  void RightClickPopup();

 private:
  void HandleMouse(StatusIconMouse m);

  StatusIconService& shell_;
  const bool designing_;
  bool active_ = false;
  bool show_designing_ = false;
  std::string icon_;
  Bytes tool_tip_;
  PostedCalls posted_;  // the deferred tip refresh
};

// The first `limit` bytes of a GB2312 text, one byte less when the cut would
// keep the first half of a double-byte character.
Bytes CutAtCharacter(const Bytes& text, std::size_t limit);

}  // namespace vexo
