#pragma once
// The desktop's status area through Qt's tray icon. Where the desktop has no
// status area every request is refused, as a shell would refuse it.

#include <QPointer>
#include <QSystemTrayIcon>

#include "platform/status_icon.h"

namespace vexo {

// The toolkit's icon is made at the first request: making it asks the
// desktop's session bus, which can take milliseconds. While held (from the
// program's start until its window is first on screen), requests are only
// noted and accepted, and Release() carries out the last state asked for.
class QtStatusIcon : public StatusIconService {
 public:
  QtStatusIcon() = default;
  ~QtStatusIcon() override;
  QtStatusIcon(const QtStatusIcon&) = delete;
  QtStatusIcon& operator=(const QtStatusIcon&) = delete;

  bool Add(const StatusIconData& data) override;
  bool Modify(const StatusIconData& data) override;
  bool Delete() override;
  ScreenPoint CursorPos() const override;

  void Hold() { held_ = true; }
  void Release();

  // For tests: the toolkit's icon, once a request has made it.
  QSystemTrayIcon* Tray() const { return tray_; }
  // Plays what the toolkit reports for the icon (QSystemTrayIcon's reason).
  void Activated(int reason);

 private:
  QSystemTrayIcon* MadeTray();
  void Apply(const StatusIconData& data);

  QPointer<QSystemTrayIcon> tray_;
  bool made_ = false;
  bool added_ = false;
  bool held_ = false;
  StatusIconData waiting_;  // while held: the icon's last data asked for
};

}  // namespace vexo
