#pragma once
// The font configuration, read on a thread of its own while the program sets
// up its window (and the code-page converter opened there first). Reading it (dozens of
// configuration files) is most of what the first text of a window costs; the window's own work goes
// on beside it.

#include <thread>

namespace vexo {

class FontPreload {
 public:
  FontPreload();
  // Waits for the reading.
  ~FontPreload();
  FontPreload(const FontPreload&) = delete;
  FontPreload& operator=(const FontPreload&) = delete;

  // Call before the first text is measured or drawn: the toolkit's own first
  // reading would not wait for this one but do it all again.
  void Wait();

 private:
  std::thread reader_;
};

}  // namespace vexo
