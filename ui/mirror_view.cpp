#include "ui/mirror_view.h"

#include <QToolButton>

#include "platform/codepage.h"
#include "ui/skin_label_view.h"

namespace vexo {

QString ToQ(const Bytes& gb) {
  return QString::fromStdString(GbToUtf8(gb));
}

Bytes FromQ(const QString& text) {
  return Utf8ToGb(text.toStdString());
}

QColor ToColour(Colour c) {
  if (c < 0) return {};
  return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

void Paint(QWidget* w, QColor background, QColor text) {
  QPalette p = w->palette();
  if (text.isValid()) {
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
  }
  if (background.isValid()) p.setColor(QPalette::Window, background);
  w->setPalette(p);
  w->setAutoFillBackground(background.isValid());
}

ModelMirror::~ModelMirror() {
  for (auto& [signal, id] : followed_) signal->Disconnect(id);
}

void ModelMirror::Follow(Signal& signal, std::function<void()> apply) {
  apply();
  FollowChanges(signal, std::move(apply));
}

void ModelMirror::FollowChanges(Signal& signal, std::function<void()> apply) {
  followed_.emplace_back(&signal, signal.Connect(std::move(apply)));
}

SkinLabel* ModelMirror::Label(vexo::Label& label, QWidget* parent, QRect place, QColor background,
                              QColor text) {
  auto* w = new SkinLabel(parent);
  w->setGeometry(place);
  w->setTextFormat(Qt::PlainText);
  Follow(label.changed, [w, &label, background, text] {
    w->setText(ToQ(label.Caption()));
    w->setVisible(label.Visible());
    w->setEnabled(label.Enabled());
    w->setToolTip(ToQ(label.Hint()));
    const QColor back = ToColour(label.Color());
    const QColor fore = ToColour(label.FontColor());
    Paint(w, back.isValid() ? back : background, fore.isValid() ? fore : text);
  });
  return w;
}

QToolButton* ModelMirror::Button(vexo::Label& label, QWidget* parent, QRect place) {
  auto* b = new QToolButton(parent);
  b->setGeometry(place);
  b->setCursor(Qt::PointingHandCursor);
  Follow(label.changed, [b, &label] {
    b->setText(ToQ(label.Caption()));
    b->setVisible(label.Visible());
    b->setEnabled(label.Enabled());
    b->setToolTip(ToQ(label.Hint()));
  });
  return b;
}

}  // namespace vexo
