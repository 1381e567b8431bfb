#pragma once
// The program's message boxes: real modal Qt boxes with the caption, text and
// buttons asked for. GB2312 is turned into Qt text here, at the edge.

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/message_box.h"

namespace vexo {

class QtMessageBoxes : public MessageBoxService {
 public:
  QtMessageBoxes() = default;
  QtMessageBoxes(const QtMessageBoxes&) = delete;
  QtMessageBoxes& operator=(const QtMessageBoxes&) = delete;

  // The window the boxes belong to (centred over it); may be null.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  MsgAnswer Show(const MessageBoxRequest& box) override;

  // The desktop session is ending: the open box is closed as if its window
  // button were used, and every later box answers Ok without being shown, so
  // that the close question lets the program save and end.
  void AnswerEverythingOk();
  bool AnsweringEverythingOk() const { return answer_all_ok_; }

  // The box on screen now, if any (tests press its buttons).
  QMessageBox* OpenBox() const { return open_box_; }

 private:
  QPointer<QWidget> owner_;
  QPointer<QMessageBox> open_box_;
  bool answer_all_ok_ = false;
};

// GB2312 box text as Qt shows it: lines joined by a lone CR (or CR LF) become
// line breaks; undecodable bytes show as U+FFFD.
QString MessageBoxText(const Bytes& gb);

}  // namespace vexo
