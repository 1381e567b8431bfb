#pragma once
// The desktop's status area through Qt's tray icon. Where the desktop has no
// status area every request is refused, as a shell would refuse it.

#include <QPointer>
#include <QSystemTrayIcon>

#include "platform/status_icon.h"

namespace vexo {

class QtStatusIcon : public StatusIconService {
 public:
  QtStatusIcon();
  ~QtStatusIcon() override;
  QtStatusIcon(const QtStatusIcon&) = delete;
  QtStatusIcon& operator=(const QtStatusIcon&) = delete;

  bool Add(const StatusIconData& data) override;
  bool Modify(const StatusIconData& data) override;
  bool Delete() override;
  ScreenPoint CursorPos() const override;

  // For tests: the toolkit's icon.
  QSystemTrayIcon* Tray() const { return tray_; }
  // Plays what the toolkit reports for the icon (QSystemTrayIcon's reason).
  void Activated(int reason);

 private:
  void Apply(const StatusIconData& data);

  QPointer<QSystemTrayIcon> tray_;
  bool added_ = false;
};

}  // namespace vexo
