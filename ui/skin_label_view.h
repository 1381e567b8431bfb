#pragma once
// A label of the painted window that reports the mouse: press, release, click
// and moves, with screen positions, so the form's handlers get what they need.

#include <QLabel>
#include <QPoint>

#include <functional>

namespace vexo {

class SkinLabel : public QLabel {
 public:
  explicit SkinLabel(QWidget* parent);

  std::function<void(QPoint screen)> onPress;
  std::function<void(QPoint screen)> onRelease;
  // A release of the left button over the label after it was pressed there;
  // the other buttons press and release but never click, as on the desktop
  // the window was made for.
  std::function<void()> onClick;
  // Every move over the label, with or without a button held.
  std::function<void(QPoint screen)> onMove;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  bool left_pressed_ = false;
};

}  // namespace vexo
