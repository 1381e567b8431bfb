#pragma once
// The small component types the form models are made of. Each holds GB2312
// text and the state a view needs (visible, enabled, hint, colours) and tells
// its observers about every change, so that a view can mirror the model and
// tests can run the handlers without a display.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

// A list of observers called on every change. Observers may connect or
// disconnect (also themselves) while being called.
class Signal {
 public:
  using Slot = std::function<void()>;
  int Connect(Slot slot);
  void Disconnect(int id);
  void Emit() const;
  std::size_t Size() const { return slots_.size(); }

 private:
  std::vector<std::pair<int, Slot>> slots_;
  int next_id_ = 1;
};

// RGB colour as 0xRRGGBB; kDefaultColour leaves the view's own colour.
using Colour = std::int32_t;
inline constexpr Colour kDefaultColour = -1;

// State shared by every visible component.
class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  const Bytes& Hint() const { return hint_; }
  void SetHint(const Bytes& h);
  Colour Color() const { return color_; }
  void SetColor(Colour c);
  Colour FontColor() const { return font_color_; }
  void SetFontColor(Colour c);

  // Observers of any change of this component.
  Signal changed;

 protected:
  template <typename T>
  bool Assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    changed.Emit();
    return true;
  }

 private:
  bool visible_ = true;
  bool enabled_ = true;
  Bytes hint_;
  Colour color_ = kDefaultColour;
  Colour font_color_ = kDefaultColour;
};

// A label: a caption. Hidden labels hold program state as text.
class Label : public Control {
 public:
  Label() = default;
  explicit Label(const Bytes& caption, const Bytes& hint = {});
  const Bytes& Caption() const { return caption_; }
  void SetCaption(const Bytes& c);

 private:
  Bytes caption_;
};

// Labels and flat buttons that act on a click: the view forwards the click to
// the form's handler; the model needs nothing beyond the label's state.
class SpeedButton : public Label {
 public:
  using Label::Label;
};
using LabelButton = SpeedButton;

// A one-line edit. OnChange runs after every change of the text, whether the
// user typed it or a handler assigned it; assigning the same text is no change.
class Edit : public Control {
 public:
  Edit() = default;
  const Bytes& Text() const { return text_; }
  void SetText(const Bytes& t);

  std::function<void()> OnChange;

 private:
  Bytes text_;
};

// A window's place and size on the screen and whether it is shown.
class FormWindow : public Control {
 public:
  FormWindow(int width, int height);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);

 private:
  int left_ = 0;
  int top_ = 0;
  int width_;
  int height_;
};

}  // namespace vexo
