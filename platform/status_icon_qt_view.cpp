#include "platform/status_icon_qt_view.h"

#include <QCursor>
#include <QIcon>
#include <QSystemTrayIcon>

#include "platform/codepage.h"
#include "platform/picture_view.h"

namespace vexo {

QtStatusIcon::~QtStatusIcon() {
  delete tray_.data();
}

// Made once; should the application delete it, it stays gone.
QSystemTrayIcon* QtStatusIcon::MadeTray() {
  if (!made_) {
    made_ = true;
    tray_ = new QSystemTrayIcon;
    QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
                     [this](QSystemTrayIcon::ActivationReason why) { Activated(why); });
  }
  return tray_;
}

void QtStatusIcon::Apply(const StatusIconData& data) {
  tray_->setIcon(data.icon.empty() ? QIcon() : LoadIcon(QString::fromStdString(data.icon)));
  tray_->setToolTip(QString::fromStdString(GbToUtf8(data.tooltip)));
}

bool QtStatusIcon::Add(const StatusIconData& data) {
  if (added_) return false;
  if (held_) {
    waiting_ = data;
    added_ = true;
    return true;
  }
  if (!MadeTray() || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  Apply(data);
  tray_->show();
  added_ = true;
  return true;
}

bool QtStatusIcon::Modify(const StatusIconData& data) {
  if (!added_) return false;
  if (held_) {
    waiting_ = data;
    return true;
  }
  if (!tray_) return false;
  Apply(data);
  return true;
}

bool QtStatusIcon::Delete() {
  if (!added_) return false;
  added_ = false;
  if (held_) return true;
  if (!tray_) return false;
  tray_->hide();
  return true;
}

void QtStatusIcon::Release() {
  if (!held_) return;
  held_ = false;
  if (!added_) return;
  // Now for real: where the desktop has no status area it stays off.
  added_ = false;
  Add(waiting_);
}

ScreenPoint QtStatusIcon::CursorPos() const {
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

void QtStatusIcon::Activated(int reason) {
  // A copy: a handler may replace on_mouse while it runs.
  const auto handler = on_mouse;
  if (!handler) return;
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      handler(StatusIconMouse::LeftUp);
      break;
    case QSystemTrayIcon::DoubleClick:
      // Qt reports the first click as a Trigger before this: the rest of the
      // desktop's sequence.
      handler(StatusIconMouse::LeftDoubleClick);
      handler(StatusIconMouse::LeftUp);
      break;
    case QSystemTrayIcon::Context:
      handler(StatusIconMouse::RightUp);
      break;
    default:
      handler(StatusIconMouse::Other);
      break;
  }
}

}  // namespace vexo
