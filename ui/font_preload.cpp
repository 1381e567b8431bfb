#include "ui/font_preload.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

#include "platform/codepage.h"

namespace vexo {

// The toolkit reads the same configuration through FcInit, which keeps the
// first one made. The code-page converter goes first: the window's texts
// need it before any font.
FontPreload::FontPreload() {
  try {
    reader_ = std::thread([] {
      PrepareWideCharConversion();
      FcInit();
    });
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
