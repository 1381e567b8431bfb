#include "shell/about_box_view.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/skin_label_view.h"
#include "ui/window_font_view.h"
#include "viewer/make1.h"

namespace vexo {

AboutBoxView::AboutBoxView(Tmake& box, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setFixedSize(box.window.Width(), box.window.Height());
  setFont(WindowFont());
  Paint(this, Qt::white, QColor(0x00, 0x00, 0x80));
  setWindowTitle(ToQ(box.caption));

  SkinLabel* text = mirror_.Label(box.Label9, this, {20, 24, 260, 72});
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignCenter);
  parts_["Label9"] = text;
  parts_["Label1"] = mirror_.Label(box.Label1, this, {20, 120, 64, 16});
  SkinLabel* address = mirror_.Label(box.Label10, this, {84, 120, 200, 16}, {}, Qt::blue);
  QFont underlined = font();
  underlined.setUnderline(true);
  address->setFont(underlined);
  address->setCursor(Qt::PointingHandCursor);
  address->onClick = [&box] { box.Label10Click(); };
  parts_["Label10"] = address;

  if (const QScreen* s =
          owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen()) {
    const QRect g = s->geometry();
    move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
  }
}

QWidget* AboutBoxView::Part(const std::string& name) const {
  const auto it = parts_.find(name);
  return it == parts_.end() ? nullptr : it->second;
}

}  // namespace vexo
