#pragma once
// The main window `TMain` as a model without a toolkit: its components (named
// as the window description names them), the state the handlers share, and
// the handlers themselves, spread over the files of the subsystems that own
// them. A view mirrors the components and forwards the user's actions to the
// handlers; tests drive the handlers directly.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/parser_host.h"
#include "analysis/result_store.h"
#include "analysis/store_host.h"
#include "platform/autorun.h"
#include "platform/browser.h"
#include "platform/components.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/status_icon.h"
#include "platform/timer.h"
#include "shell/application.h"
#include "shell/engine_queries.h"
#include "viewer/chrome_services.h"
#include "viewer/tray_icon.h"

namespace vexo {

class HttpClient;
enum class RequestType : unsigned char;

// What the main window needs from outside. Tests give temporary folders, a
// virtual clock and scripted message boxes.
struct MainServices {
  Application* app = nullptr;
  TimerService* timers = nullptr;
  MessageBoxService* messages = nullptr;
  std::string program_folder;   // ends with "/"
  std::string config_file;      // vexo.ini
  std::string autostart_entry;  // the .desktop file of ARun
  std::string executable;       // what ARun starts
  // Cancels one running client; empty calls the client's own Cancel. Tests
  // put stand-ins in the running-client list and record the calls here.
  std::function<void(HttpClient*)> cancel_client;
  // The save dialog of the export; none answers every dialog with cancel.
  SaveDialogService* save_dialogs = nullptr;
  // The web browser; none opens nothing.
  BrowserLauncher* browser = nullptr;
  // The desktop's status area for the tray icon; none shows no icon.
  StatusIconService* status_icon = nullptr;
  // The window side of the chrome handlers, given by the view.
  ChromeServices chrome;
  // Told of every target appended to the run (number, link, title), and of
  // every block file that could not be written (its path; without a handler
  // a line goes to standard error).
  std::function<void(long long, std::string_view, std::string_view)> target_appended;
  std::function<void(const std::string&)> save_failed;
};

// The services of the real program, with the folders of the folder rule.
MainServices ProgramServices(Application& app, TimerService& timers, MessageBoxService& messages);

class TMain : public StoreHost, public ParserHost {
  // First, so that the components below can be built on the services.
  Application own_app_;
  VirtualTimerService idle_timers_;     // used when no timer service is given
  ScriptedMessageBoxes default_boxes_;  // used when no message boxes are given
  RecordingBrowser quiet_browser_;      // used when no browser is given
  ScriptedStatusIcon quiet_icon_;       // used when no status area is given
  MainServices services_;

 public:
  explicit TMain(MainServices services);
  ~TMain() override;
  TMain(const TMain&) = delete;
  TMain& operator=(const TMain&) = delete;

  // ---- Handlers: life of the window (startup.cpp) ----
  void FormCreate();
  void FormShow();
  void AppMinimize();
  // The close query; answers CanClose.
  bool FormCloseQuery();
  // Run once by the owner when the application ends, before the model goes.
  void FormDestroy();

  // ---- Handlers: tracking run (tracking_control.cpp) ----
  void Spt1Click();

  // ---- Handlers: export (viewer/export_click.cpp) ----
  void Spt2Click();

  // ---- Handlers: result pages and marks (viewer/result_pages.cpp, viewer/marks.cpp) ----
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

  // ---- Handlers: window chrome (viewer/window_chrome.cpp) ----
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
  BrowserLauncher& Browser() { return services_.browser ? *services_.browser : quiet_browser_; }

  // ---- Handlers: scheduler and stall timer (scheduler.cpp) ----
  void Timer2Timer();
  void TsysTimer();
  // Events of the clients started by the scheduler.
  void HttpRequestDone(HttpClient& sender, RequestType rq_type, int error);
  void HttpDocData(HttpClient& sender, const char* buffer, int len);

  // ---- StoreHost ----
  bool Tracking() const override { return trackingRun == 1; }
  std::string ProgramFolder() const override { return kl2.Caption(); }
  Bytes Sum1() const override { return sum1.Caption(); }
  void SetSum1(const Bytes& text) override { sum1.SetCaption(text); }
  Bytes Sa() const override { return SaEdit.Text(); }
  void SetSa(const Bytes& text) override { SaEdit.SetText(text); }
  Bytes RowLabel(int row, int which) const override;
  void SetRowLabel(int row, int which, const Bytes& text) override;
  void SetMarkCell(int row, const Bytes& text) override;
  void TargetAppended(long long number, std::string_view link, std::string_view title) override;
  void BlockSaveFailed(const std::string& path) override;

  // ---- ParserHost ----
  int PopupOnNew() const override { return popupOnNew; }
  Bytes Gjc3() const override { return gjc3.Caption(); }
  void SetGjc3(const Bytes& text) override { gjc3.SetCaption(text); }
  void PopUpForNewTarget(const Pthrd*) override { TrayIcon1Click(); }
  int RunningParsers() const override { return runningParsers; }
  void SetRunningParsers(int count) override { runningParsers = count < 0 ? 0 : count; }

  ResultStore& Store() { return store_; }
  const ResultStore& Store() const { return store_; }
  const MainServices& Services() const { return services_; }
  const EngineHosts& Hosts() const { return hosts_; }
  Application& App() { return *services_.app; }

  // Row r (1-8): link label M<r>1, caption label M<r>2, mark cell x<r>, row
  // box z<r>. Null outside 1-8.
  Label* LinkLabel(int row);
  Label* CaptionLabel(int row);
  Label* MarkCell(int row);
  Label* RowBox(int row);

  // ---- Components ----
  FormWindow window{540, 400};
  Edit gjc;          // the keywords as typed
  Label gjc2;        // hidden: trimmed keywords of the last run
  Label gjc3;        // hidden: the keyword expression
  Label kl2;         // hidden: the program folder
  Label sys;         // hidden: the stall timer's in-flight memo
  Label sum1;        // targets of the run
  Label ss;          // the cycle counter
  Edit SaEdit;       // hidden edit `Sa`: number of the target in row 1 (Sa() reads it)
  Label La1;         // activity animation
  Label La2;         // light-blue band behind the counters
  Label sbar;        // the status line
  Label Line1;       // a rule across the window
  SpeedButton Spt1;  // track / stop
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
  TTrayIcon TrayIcon1{services_.status_icon ? *services_.status_icon : quiet_icon_};
  Timer Timer2;  // the scheduler, 20 ms
  Timer Tsys;    // the stall timer, 15 000 ms
  AutoRunEntry ARun;
  SaveDialog Save1;  // the export's; set up on its first use

  // ---- State shared by the handlers ----
  std::uint8_t trackingRun = 0;
  std::uint8_t modalGuard = 0;
  int dragX = -1;
  int dragY = -1;
  std::uint16_t queueCursor = 0;
  std::uint16_t statusCursor = 0;
  std::uint8_t animationCounter = 0;
  std::uint8_t stallTicks = 0;
  int runningParsers = 0;  // wider than a byte: a busy run can queue hundreds of pieces
  std::uint8_t popupOnNew = 0;
  // Created by FormCreate, destroyed by FormDestroy.
  std::unique_ptr<std::vector<HttpClient*>> runningClients;
  std::unique_ptr<StringList> charsetMemo;

 private:
  // Calls Cancel on every running client; false when one raised.
  void CancelAllClients();
  // Captions, hints and handlers of the rows, the chrome and the tray icon.
  void InitViewerComponents();
  MsgAnswer AskModal(const Bytes& text, MsgButtons buttons);
  void ReadConfiguration();
  // The whole configuration, or only the run's keywords and expression.
  bool WriteConfiguration(bool keywordsOnly = false);
  // Deletes the temporary files of saves that a killed process left.
  void SweepStaleFiles();
  void StartRun();
  void StopRun();
  void PrepareSiteQueue(StringList& queue);
  // The scheduler's steps (scheduler.cpp).
  void ShowActivity();
  void Schedule();
  void RefillPass(StringList& queue);
  void StartClient(const Bytes& url, int tag);
  void CancelClient(HttpClient* client);

  EngineHosts hosts_;
  ResultStore store_;
  std::array<Label*, 8> links_;
  std::array<Label*, 8> captions_;
  std::array<Label*, 8> marks_;
  std::array<Label*, 8> boxes_;
  // Every client the scheduler created and its request-done event has not
  // destroyed yet; whatever is left goes with the window.
  std::vector<std::unique_ptr<HttpClient>> ownedClients_;
};

}  // namespace vexo
