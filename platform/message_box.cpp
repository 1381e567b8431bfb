#include "platform/message_box.h"

namespace vexo {

MsgAnswer ScriptedMessageBoxes::Show(const MessageBoxRequest& box) {
  shown.push_back(box);
  if (while_open) while_open(box);
  if (answers.empty()) return MsgAnswer::Ok;
  const MsgAnswer a = answers.front();
  answers.pop_front();
  return box.buttons == MsgButtons::Ok ? MsgAnswer::Ok : a;
}

}  // namespace vexo
