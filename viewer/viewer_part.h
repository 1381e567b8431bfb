#pragma once
// The viewer's part of the main window: the eight result rows with their mark
// cells, the page start `Sa`, the run's counters, the label-buttons over the
// rows, the title-bar controls, the two toggles, the tray icon and the export
// dialog, with their handlers (result_pages.cpp, new_targets.cpp, marks.cpp,
// window_chrome.cpp, export_click.cpp). It reads and writes its own rows, from
// the lines of the store it is given; what it needs of the rest of the window
// it asks through ViewerHost. `TMain` in shell/ holds it as `viewer`.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/browser.h"
#include "platform/components.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/status_icon.h"
#include "store/result_store.h"
#include "viewer/chrome_services.h"
#include "viewer/tray_icon.h"
#include "viewer/viewer_host.h"

namespace vexo {

// What the viewer's part is given once, at its creation.
struct ViewerServices {
  MessageBoxService* messages = nullptr;      // none answers every box with Ok
  BrowserLauncher* browser = nullptr;         // none opens nothing
  SaveDialogService* save_dialogs = nullptr;  // none answers every dialog with cancel
  StatusIconService* status_icon = nullptr;   // the desktop's status area; none shows no icon
  ChromeServices chrome;                      // the window side of the chrome handlers
  std::string executable;                     // the program, for the help page
};

class ViewerPart {
 public:
  ViewerPart(ViewerHost& host, ResultStore& store, ViewerServices services);
  ~ViewerPart();
  ViewerPart(const ViewerPart&) = delete;
  ViewerPart& operator=(const ViewerPart&) = delete;

  // ---- Handlers: export (export_click.cpp) ----
  void Spt2Click();

  // ---- Handlers: result pages and marks (result_pages.cpp, marks.cpp) ----
  void SaChange();
  void Spt3Click();  // clear
  void Spt4Click();  // first page
  void Spt5Click();  // previous page
  void Spt6Click();  // next page
  void Spt7Click();  // last page
  // The families of eight: row r is 1-8, other rows do nothing.
  void MarkClick(int row);         // x<r>Click
  void CaptionMouseDown(int row);  // M<r>2MouseDown: open the target
  void CaptionMouseMove(int row);  // M<r>2MouseMove: the hint shows the link
  void x1Click() { MarkClick(1); }
  void x2Click() { MarkClick(2); }
  void x3Click() { MarkClick(3); }
  void x4Click() { MarkClick(4); }
  void x5Click() { MarkClick(5); }
  void x6Click() { MarkClick(6); }
  void x7Click() { MarkClick(7); }
  void x8Click() { MarkClick(8); }
  // Pressed look of the label-buttons Spt2-Spt7: opaque white while down.
  void LabelButtonMouseDown(SpeedButton& button);
  void LabelButtonMouseUp(SpeedButton& button);

  // ---- Handlers: window chrome (window_chrome.cpp) ----
  // Screen coordinates of the cursor.
  void Image1MouseDown(int x, int y);
  void Image1MouseMove(int x, int y);
  void Image1MouseUp(int x, int y);
  void min1MouseDown();
  void min1MouseUp();
  void min1Click();
  void close1MouseDown();
  void close1MouseUp();
  void close1Click();
  void FormResize();
  void TrayIcon1Click();
  void RuClick();
  void TsClick();
  void help1Click();
  void about1Click();
  void Spb1Click();
  void sbarClick();

  ResultStore& Store() { return store_; }
  const ResultStore& Store() const { return store_; }

  // The page start: number of the target in row 1.
  Bytes Sa() const { return SaEdit.Text(); }
  void SetSa(const Bytes& text) { SaEdit.SetText(text); }
  // Label `which` (1: the link, any other: the caption) of row r; empty
  // outside 1-8, where setting does nothing.
  Bytes RowText(int row, int which) const;
  // Setting a link label also sets the row's mark cell ("×" for a "*" link).
  void SetRowText(int row, int which, const Bytes& text);
  void SetMarkCell(int row, const Bytes& text);

  // ---- New targets (new_targets.cpp) ----
  // The store appended target `number` of the run: the count shows it, and
  // so do the rows while the first page or the newest eight are on show.
  void ShowNewTarget(long long number, std::string_view link, std::string_view title);
  // The page analysis stored a new target: the window comes up when the
  // pop-up toggle is on.
  void NewTargetStored();

  // Row r (1-8): link label M<r>1, caption label M<r>2, mark cell x<r>, row
  // box z<r>. Null outside 1-8.
  Label* LinkLabel(int row);
  Label* CaptionLabel(int row);
  Label* MarkCell(int row);
  Label* RowBox(int row);

  // The rows as a window shows them before any run: the welcome rows, no
  // page start, no target.
  void ShowWelcomeRows();

  // ---- Components ----
 private:
  ViewerHost& host_;
  ResultStore& store_;
  ViewerServices services_;
  // Used when no status area, message boxes or browser are given.
  ScriptedStatusIcon quiet_icon_;
  ScriptedMessageBoxes quiet_boxes_;
  RecordingBrowser quiet_browser_;

 public:
  FormWindow window{540, 400};
  Label sum1;        // targets of the run
  Label ss;          // the cycle counter
  Edit SaEdit;       // hidden edit `Sa`: number of the target in row 1 (Sa() reads it)
  SpeedButton Spt2;  // export
  SpeedButton Spt3;  // clear
  SpeedButton Spt4;  // first page
  SpeedButton Spt5;  // previous page
  SpeedButton Spt6;  // next page
  SpeedButton Spt7;  // last page
  Label min1;        // hide, over the title image
  Label close1;      // close, over the title image
  SpeedButton help1;
  SpeedButton about1;
  SpeedButton Spb1;  // news
  Label M11, M12, M21, M22, M31, M32, M41, M42, M51, M52, M61, M62, M71, M72, M81, M82;
  Label x1, x2, x3, x4, x5, x6, x7, x8;
  Label z1, z2, z3, z4, z5, z6, z7, z8;
  Label Ts, Ru;    // the toggles: "√" when on
  Label Ts1, Ru1;  // their light-blue squares
  TTrayIcon TrayIcon1;
  SaveDialog Save1;  // the export's; set up on its first use

  // ---- State shared with the window's handlers ----
  std::uint8_t modalGuard = 0;
  int dragX = -1;
  int dragY = -1;
  std::uint8_t popupOnNew = 0;

 private:
  // Captions, hints and handlers of the rows, the chrome and the tray icon.
  void InitViewerComponents();
  MessageBoxService& Messages() { return services_.messages ? *services_.messages : quiet_boxes_; }
  BrowserLauncher& Browser() { return services_.browser ? *services_.browser : quiet_browser_; }
  const ChromeServices& Chrome() const { return services_.chrome; }

  std::array<Label*, 8> links_;
  std::array<Label*, 8> captions_;
  std::array<Label*, 8> marks_;
  std::array<Label*, 8> boxes_;
};

}  // namespace vexo
