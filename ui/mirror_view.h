#pragma once
// Widgets that mirror components of a form model: every change of a component
// reaches its widget, for as long as the mirror lives. GB2312 becomes Qt text
// here and nowhere else in the views.

#include <QColor>
#include <QRect>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

#include "platform/components.h"

class QToolButton;
class QWidget;

namespace vexo {

class SkinLabel;

QString ToQ(const Bytes& gb);
Bytes FromQ(const QString& text);
// A model colour; invalid for kDefaultColour.
QColor ToColour(Colour c);
// Background and text colour of a widget; an invalid background leaves it
// transparent over what lies below, an invalid text colour keeps its own.
void Paint(QWidget* w, QColor background, QColor text);

class ModelMirror {
 public:
  ModelMirror() = default;
  ~ModelMirror();
  ModelMirror(const ModelMirror&) = delete;
  ModelMirror& operator=(const ModelMirror&) = delete;

  // Runs apply now and after every change of the signal's component.
  void Follow(Signal& signal, std::function<void()> apply);
  // Runs apply after every later change only.
  void FollowChanges(Signal& signal, std::function<void()> apply);

  // A label: caption (plain text), visibility, enabled state, hint, colours.
  // background/text are the widget's own colours where the model has none.
  SkinLabel* Label(vexo::Label& label, QWidget* parent, QRect place, QColor background = {},
                   QColor text = {});
  // A button: caption, visibility, enabled state, hint.
  QToolButton* Button(vexo::Label& label, QWidget* parent, QRect place);

 private:
  std::vector<std::pair<Signal*, int>> followed_;
};

}  // namespace vexo
