#include "ui/window_font_view.h"

#include <QStringList>

namespace vexo {

QFont WindowFont() {
  QFont f;
  f.setFamilies({QString::fromUtf8("宋体"), QStringLiteral("SimSun"),
                 QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                 QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                 QStringLiteral("WenQuanYi Zen Hei")});
  f.setPixelSize(12);
  return f;
}

}  // namespace vexo
