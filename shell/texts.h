#pragma once
// The main window's own texts, in GB2312: captions, hints, messages, the
// status-line texts and the publisher's welcome rows. Written once here in
// UTF-8 and converted once.

#include "platform/bytes.h"

namespace vexo {

// The publisher's home page, used wherever the program points to it.
inline constexpr const char* kPublisherHomePage = "http://www.vexo-soft.example/";

struct ShellTexts {
  Bytes app_title;

  // Track button and its neighbours.
  Bytes track;  // idle caption of Spt1
  Bytes stop;   // running caption of Spt1
  Bytes spt1_hint;
  Bytes gjc_hint;
  Bytes sum1_hint;
  Bytes ss_hint;
  Bytes la1_hint;
  Bytes ru_hint;
  Bytes ts_hint;
  Bytes sbar_hint;
  Bytes toggle_on;  // "√"

  // Status line.
  Bytes sbar_tracking;
  Bytes sbar_stopped;
  Bytes sbar_save_failed;  // a block file could not be written
  Bytes publisher_line;

  // Tooltip of the tray icon: tray_before + count + tray_after.
  Bytes tray_before;
  Bytes tray_after;

  // Message boxes.
  Bytes msg_caption;
  Bytes msg_no_keywords;
  Bytes msg_confirm_exit;

  // Welcome rows 1 to 3 (the link and the three notices in "…" marks).
  Bytes welcome_link;
  Bytes welcome_notice[3];
};

const ShellTexts& Texts();

// "已跟踪到:" + count + "个目标".
Bytes TrayTooltip(const Bytes& count);

}  // namespace vexo
