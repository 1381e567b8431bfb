#include "platform/status_icon.h"

namespace vexo {

bool ScriptedStatusIcon::Add(const StatusIconData& data) {
  calls.push_back({Request::Add, data});
  if (refuse || shown) return false;
  shown = true;
  showing = data;
  return true;
}

bool ScriptedStatusIcon::Modify(const StatusIconData& data) {
  calls.push_back({Request::Modify, data});
  if (refuse || !shown) return false;
  showing = data;
  return true;
}

bool ScriptedStatusIcon::Delete() {
  calls.push_back({Request::Delete, {}});
  if (refuse || !shown) return false;
  shown = false;
  showing = {};
  return true;
}

void ScriptedStatusIcon::Mouse(StatusIconMouse m) {
  // A copy: the handler may replace itself.
  const auto handler = on_mouse;
  if (handler) handler(m);
}

}  // namespace vexo
