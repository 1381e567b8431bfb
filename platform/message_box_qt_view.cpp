#include "platform/message_box_qt_view.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/codepage.h"

namespace vexo {

QString MessageBoxText(const Bytes& gb) {
  QString text = QString::fromStdString(GbToUtf8(gb));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

MsgAnswer QtMessageBoxes::Show(const MessageBoxRequest& box) {
  if (answer_all_ok_) return MsgAnswer::Ok;
  const bool ask = box.buttons == MsgButtons::OkCancel;

  QMessageBox dialog(owner_.data());
  dialog.setWindowTitle(QString::fromStdString(GbToUtf8(box.caption)));
  // Texts such as "<关键词>" are words, never markup.
  dialog.setTextFormat(Qt::PlainText);
  dialog.setText(MessageBoxText(box.text));
  dialog.setIcon(ask ? QMessageBox::Question : QMessageBox::Information);
  QPushButton* ok = dialog.addButton(QMessageBox::Ok);
  if (ask) {
    dialog.addButton(QMessageBox::Cancel);
    dialog.setEscapeButton(QMessageBox::Cancel);
  } else {
    dialog.setEscapeButton(ok);
  }
  dialog.setDefaultButton(ok);

  open_box_ = &dialog;
  dialog.exec();
  open_box_ = nullptr;
  // A box with only OK has no other answer; a question closed by its window
  // button or Escape is Cancel.
  if (!ask) return MsgAnswer::Ok;
  return dialog.clickedButton() == ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

void QtMessageBoxes::AnswerEverythingOk() {
  answer_all_ok_ = true;
  if (open_box_) open_box_->reject();
}

}  // namespace vexo
