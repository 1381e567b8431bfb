#include "platform/components.h"

#include <algorithm>

namespace vexo {

int Signal::Connect(Slot slot) {
  const int id = next_id_++;
  slots_.emplace_back(id, std::move(slot));
  return id;
}

void Signal::Disconnect(int id) {
  std::erase_if(slots_, [id](const auto& s) { return s.first == id; });
}

void Signal::Emit() const {
  // Walk a snapshot of the ids and look each up again, so that a slot may
  // connect or disconnect any slot (itself included) while the signal runs.
  std::vector<int> ids;
  ids.reserve(slots_.size());
  for (const auto& s : slots_) ids.push_back(s.first);
  for (const int id : ids) {
    const auto it =
        std::find_if(slots_.begin(), slots_.end(), [id](const auto& s) { return s.first == id; });
    if (it == slots_.end() || !it->second) continue;
    const Slot slot = it->second;
    slot();
  }
}

void Control::SetVisible(bool v) {
  Assign(visible_, v);
}
void Control::SetEnabled(bool e) {
  Assign(enabled_, e);
}
void Control::SetHint(const Bytes& h) {
  Assign(hint_, h);
}
void Control::SetColor(Colour c) {
  Assign(color_, c);
}
void Control::SetFontColor(Colour c) {
  Assign(font_color_, c);
}

Label::Label(const Bytes& caption, const Bytes& hint) : caption_(caption) {
  SetHint(hint);
}

void Label::SetCaption(const Bytes& c) {
  Assign(caption_, c);
}

void Edit::SetText(const Bytes& t) {
  if (!Assign(text_, t)) return;
  if (OnChange) OnChange();
}

FormWindow::FormWindow(int width, int height) : width_(width), height_(height) {}

void FormWindow::SetBounds(int left, int top, int width, int height) {
  if (left_ == left && top_ == top && width_ == width && height_ == height) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed.Emit();
}

}  // namespace vexo
