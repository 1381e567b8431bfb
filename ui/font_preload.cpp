#include "ui/font_preload.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace vexo {

// The toolkit reads the same configuration through FcInit, which keeps the
// first one made.
FontPreload::FontPreload() {
  try {
    reader_ = std::thread([] { FcInit(); });
  } catch (const std::system_error&) {
    // No thread to spare: the toolkit reads it when it needs it.
  }
}

FontPreload::~FontPreload() {
  Wait();
}

void FontPreload::Wait() {
  if (reader_.joinable()) reader_.join();
}

}  // namespace vexo
