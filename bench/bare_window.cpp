// The yardstick of the start-up benchmark: one empty frameless widget of the
// main window's size, with the same start-up hook as the program.
#include <QApplication>
#include <QWidget>

#include "platform/shown_report_view.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
  window.setFixedSize(540, 400);
  vexo::ExitWhenShown(window);
  window.show();
  return app.exec();
}
