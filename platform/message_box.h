#pragma once
// Modal message boxes as a service: the view shows real ones, tests answer
// them from a script and see every box that was shown.

#include <deque>
#include <functional>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

enum class MsgButtons { Ok, OkCancel };
enum class MsgAnswer { Ok, Cancel };

struct MessageBoxRequest {
  Bytes caption;  // GB2312
  Bytes text;     // GB2312; lines may be joined by a lone CR
  MsgButtons buttons = MsgButtons::Ok;
};

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Blocks until the user answers; closing the box without a button is Cancel
  // (Ok for a box with only an OK button).
  virtual MsgAnswer Show(const MessageBoxRequest& box) = 0;
};

class ScriptedMessageBoxes : public MessageBoxService {
 public:
  MsgAnswer Show(const MessageBoxRequest& box) override;

  // Answers given in order; when the script runs out every box gets Ok.
  std::deque<MsgAnswer> answers;
  // Every box shown, in order.
  std::vector<MessageBoxRequest> shown;
  // Runs while a box is "open", before it is answered: lets a test act during
  // the modal loop (a minimise, a timer tick).
  std::function<void(const MessageBoxRequest&)> while_open;
};

}  // namespace vexo
