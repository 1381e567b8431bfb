#include "ui/skin_label_view.h"

#include <QMouseEvent>

namespace vexo {

SkinLabel::SkinLabel(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
}

void SkinLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) left_pressed_ = true;
  event->accept();
  if (onPress) onPress(event->globalPosition().toPoint());
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool left = event->button() == Qt::LeftButton;
  const bool clicked = left && left_pressed_ && rect().contains(event->position().toPoint());
  if (left) left_pressed_ = false;
  event->accept();
  if (onRelease) onRelease(event->globalPosition().toPoint());
  if (clicked && onClick) onClick();
}

void SkinLabel::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (onMove) onMove(event->globalPosition().toPoint());
}

}  // namespace vexo
