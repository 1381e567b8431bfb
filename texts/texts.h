#pragma once
// Every fixed text of the program, by the part of the program that shows it:
// written once here in UTF-8 and converted to GB2312 once, on first use. The
// folders above read their texts from here and hold none of their own.

#include <array>

#include "platform/bytes.h"

namespace vexo {

// The publisher's home page, used wherever the program points to it.
inline constexpr const char* kPublisherHomePage = "http://www.vexo-soft.example/";

// ---- The main window: captions, hints, messages, the status-line texts and
// the publisher's welcome rows ----
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
  Bytes sbar_save_failed;
  // A host refused: before + host + between + time + after.
  Bytes sbar_host_paused_before, sbar_host_paused_between,
      sbar_host_paused_after;  // a block file could not be written
  Bytes publisher_line;
  // A proxy failed: before + the reason (+ the proxy's answer, a number, for
  // the refusals that carry one).
  Bytes sbar_proxy_failed_before;
  Bytes sbar_proxy_unreachable, sbar_proxy_refused, sbar_proxy_auth, sbar_proxy_method,
      sbar_proxy_connect, sbar_proxy_protocol;

  // The scheduler's activity squares and its status lines for a request
  // that could not connect or was given up.
  Bytes square;
  Bytes no_network;
  Bytes congested;

  // The window's own words: the prompt before the edit, the toggles' names
  // and the names of the counters.
  Bytes keyword_prompt;
  Bytes autorun_name;
  Bytes popup_name;
  Bytes count_name;
  Bytes cycle_name;

  // Tooltip of the tray icon: tray_before + count + tray_after.
  Bytes tray_before;
  Bytes tray_after;

  // Message boxes.
  Bytes msg_caption;
  Bytes msg_no_keywords;
  Bytes msg_confirm_exit;
  // A start refused: msg_folder_busy_before + folder + msg_folder_busy_by +
  // holder + msg_folder_busy_after, or msg_lock_failed + the reason.
  Bytes msg_folder_busy_before, msg_folder_busy_by, msg_folder_busy_after;
  Bytes msg_lock_failed;

  // Welcome rows 1 to 3 (the link and the three notices in "…" marks).
  Bytes welcome_link;
  Bytes welcome_notice[3];
};

const ShellTexts& Texts();

// "已跟踪到:" + count + "个目标".
Bytes TrayTooltip(const Bytes& count);

// ---- The result rows, the window chrome, the help messages and the about box ----
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

  // The help page "help.htm" (GB2312 HTML); "%HOME%" stands for the
  // publisher's home page.
  Bytes help_page;
};

const ViewerTexts& ViewerText();

// ---- The export: its dialog, notice and failures, and the pieces of an
// exported page ----
struct ExportTexts {
  Bytes dialog_title;
  Bytes dialog_filter;  // the HTML and text filters
  Bytes notice;         // eight lines joined by CR
  Bytes no_folder;
  Bytes write_failed;
  Bytes read_failed;

  Bytes page_head;
  Bytes head_end;
  Bytes page_end;
  Bytes row_colour;
  Bytes link_start;
  Bytes link_target;
  Bytes number_sign;
  Bytes link_end;
  Bytes short_link_end;
  Bytes row_link_end;
  Bytes piece_break;
  Bytes nav_first;
  Bytes nav_previous;
  Bytes nav_next;
  Bytes nav_last;
  Bytes footer_text;
};

const ExportTexts& ExportText();

// ---- The news window ----
struct NewsTexts {
  Bytes caption;  // the window's
  std::array<Bytes, 8> category_buttons;
  std::array<Bytes, 8> category_captions;  // `cap` for categories 1-8
  std::array<Bytes, 4> paging_captions;
  std::array<Bytes, 4> paging_hints;
  Bytes grid_hint;
  Bytes waiting;  // row 0 while no headline has arrived
  Bytes star;     // seen before, or opened

  // Words that make a link caption page furniture rather than a headline.
  std::array<Bytes, 6> furniture_words;
  Bytes icp;  // "icp证", the licence line at a page's foot
};

const NewsTexts& GetNewsTexts();

// ---- The analysis: the marks of the block lines and the full-width forms of
// the keyword operators ----
struct AnalysisTexts {
  Bytes ellipsis;  // "…" around a title line
  Bytes full_slash, full_plus, full_minus, full_space, full_open, full_close;
};

const AnalysisTexts& AnalysisText();

}  // namespace vexo
