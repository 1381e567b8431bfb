// The yardsticks of the start-up benchmark: one empty frameless widget of the
// main window's size, with the same start-up hook as the program; with
// --text, the same window showing one line of Chinese in the program's window
// font, which costs what any window's first text costs (the font
// configuration read, a Chinese font opened, its glyphs drawn).
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "platform/shown_report_view.h"
#include "ui/window_font_view.h"

int main(int argc, char** argv) {
  const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
  QApplication app(argc, argv);
  QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
  window.setFixedSize(540, 400);
  if (text) {
    auto* line = new QLabel(QString::fromUtf8("跟踪关键词：新闻与网页的最新结果"), &window);
    line->setFont(vexo::WindowFont());
    line->move(10, 10);
  }
  vexo::ExitWhenShown(window);
  window.show();
  return app.exec();
}
