#pragma once
// The texts of the result rows, the window chrome, the help messages and the
// about box, in GB2312. Written once in UTF-8 and converted once.

#include "platform/bytes.h"

namespace vexo {

struct ViewerTexts {
  // Label-buttons over the rows: captions and hints.
  Bytes spt2, spt2_hint;  // export
  Bytes spt3, spt3_hint;  // clear
  Bytes spt4, spt4_hint;  // first page
  Bytes spt5, spt5_hint;  // previous page
  Bytes spt6, spt6_hint;  // next page
  Bytes spt7, spt7_hint;  // last page
  Bytes mark;             // "×" in a marked row's cell
  Bytes mark_hint;
  Bytes confirm_clear;

  // Title-bar controls, pressed captions and hints.
  Bytes min1_down, min1_hint;
  Bytes close1_down, close1_hint;
  Bytes help1, about1, news;

  // The two help messages: captions and texts (lines joined by CR).
  Bytes help_caption, help_text;
  Bytes example_caption, example_text;
  Bytes example_keywords;

  // The about box and the tray icon's first tooltip.
  Bytes about_caption, about_version, about_publisher, about_site;
  Bytes tray_tooltip;
};

const ViewerTexts& ViewerText();

}  // namespace vexo
