#pragma once
// One icon with a tooltip in the desktop's status area (the notification
// area), and the mouse events that happen on it. The view backs it with the
// toolkit's tray icon; tests use ScriptedStatusIcon and click it by hand.

#include <functional>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

// What happened over the icon. A double click arrives as LeftUp,
// LeftDoubleClick, LeftUp, as the desktop reports it.
enum class StatusIconMouse { LeftUp, LeftDoubleClick, RightUp, Other };

// What the desktop shows: the image and the tooltip.
struct StatusIconData {
  std::string icon;  // image resource of the icon; empty shows none
  Bytes tooltip;     // GB2312, at most 63 bytes
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

class StatusIconService {
 public:
  virtual ~StatusIconService() = default;
  // The desktop's add, modify and delete requests; each answers whether the
  // desktop accepted it.
  virtual bool Add(const StatusIconData& data) = 0;
  virtual bool Modify(const StatusIconData& data) = 0;
  virtual bool Delete() = 0;
  // The mouse cursor in screen coordinates.
  virtual ScreenPoint CursorPos() const = 0;

  // Mouse events over the icon, run on the main thread. Set by the icon's
  // owner; empty drops them.
  std::function<void(StatusIconMouse)> on_mouse;
};

// A menu that pops up at a screen position (the tray icon's right-click menu).
class StatusIconMenu {
 public:
  virtual ~StatusIconMenu() = default;
  // Brings the program's own window to the foreground first, so that the
  // menu closes when the user clicks elsewhere.
  virtual void PopupAt(ScreenPoint at) = 0;
};

// A status area without a desktop: it records every request, can refuse them,
// and lets a test play mouse events.
class ScriptedStatusIcon : public StatusIconService {
 public:
  enum class Request { Add, Modify, Delete };
  struct Call {
    Request request;
    StatusIconData data;  // empty for Delete
  };

  bool Add(const StatusIconData& data) override;
  bool Modify(const StatusIconData& data) override;
  bool Delete() override;
  ScreenPoint CursorPos() const override { return cursor; }

  // Plays one mouse event as the desktop would deliver it.
  void Mouse(StatusIconMouse m);

  // Whether an icon is on show, and what it shows.
  bool shown = false;
  StatusIconData showing;
  std::vector<Call> calls;
  bool refuse = false;  // the desktop refuses every request
  ScreenPoint cursor;
};

}  // namespace vexo
