#pragma once
// The viewer's part of the main window `TMain`: the eight result rows, the
// page start `Sa`, the run's counters, the label-buttons over the rows, the
// title-bar controls, the two toggles, the tray icon and the export dialog,
// with their handlers (result_pages.cpp, marks.cpp, window_chrome.cpp,
// export_click.cpp). What they need of the rest of the window they ask
// through the virtual functions below; `TMain` in shell/ derives from this
// part and answers them, so the component names stay the window's own.

#include <array>
#include <cstdint>
#include <string>

#include "platform/browser.h"
#include "platform/components.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/status_icon.h"
#include "store/result_store.h"
#include "viewer/chrome_services.h"
#include "viewer/tray_icon.h"

namespace vexo {

class ViewerPart {
 public:
  // status_icon: the desktop's status area; none shows no icon.
  explicit ViewerPart(StatusIconService* status_icon);
  virtual ~ViewerPart();
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

  // ---- What the part asks of the window ----
  virtual ResultStore& Store() = 0;
  virtual std::string ProgramFolder() const = 0;  // `kl2`, ends with "/"
  virtual std::string Executable() const = 0;
  virtual Bytes Gjc2() const = 0;  // trimmed keywords of the last run
  virtual Bytes Gjc3() const = 0;  // the keyword expression
  virtual void SetKeywords(const Bytes& text) = 0;
  virtual MessageBoxService& Messages() = 0;
  virtual BrowserLauncher& Browser() = 0;
  // None answers every dialog with cancel.
  virtual SaveDialogService* SaveDialogs() = 0;
  virtual const ChromeServices& Chrome() const = 0;
  virtual void AppMinimize() = 0;
  // A run whose timers were stopped gets them back.
  virtual void ResumeRunTimers() = 0;
  virtual void SetAutorun(bool on) = 0;
  virtual void SaveFailed(const std::string& path) = 0;

  // The page start: number of the target in row 1.
  Bytes Sa() const { return SaEdit.Text(); }
  void SetSa(const Bytes& text) { SaEdit.SetText(text); }
  // Label `which` (1: link, 2: caption) of row r; empty outside 1-8.
  Bytes RowLabel(int row, int which) const;
  void SetRowLabel(int row, int which, const Bytes& text);
  void SetMarkCell(int row, const Bytes& text);

  // Row r (1-8): link label M<r>1, caption label M<r>2, mark cell x<r>, row
  // box z<r>. Null outside 1-8.
  Label* LinkLabel(int row);
  Label* CaptionLabel(int row);
  Label* MarkCell(int row);
  Label* RowBox(int row);

  // ---- Components ----
 private:
  ScriptedStatusIcon quiet_icon_;  // used when no status area is given

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

 protected:
  // Captions, hints and handlers of the rows, the chrome and the tray icon.
  void InitViewerComponents();

 private:
  std::array<Label*, 8> links_;
  std::array<Label*, 8> captions_;
  std::array<Label*, 8> marks_;
  std::array<Label*, 8> boxes_;
};

}  // namespace vexo
