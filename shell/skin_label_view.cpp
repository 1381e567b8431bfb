#include "shell/skin_label_view.h"

#include <QMouseEvent>

namespace vexo {

SkinLabel::SkinLabel(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
}

void SkinLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = true;
  event->accept();
  if (onPress) onPress(event->globalPosition().toPoint());
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool clicked = pressed_ && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (onRelease) onRelease(event->globalPosition().toPoint());
  if (clicked && onClick) onClick();
}

void SkinLabel::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (onMove) onMove(event->globalPosition().toPoint());
}

}  // namespace vexo
