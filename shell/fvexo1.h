#pragma once
// The main window `TMain` as a model without a toolkit: its components (named
// as the window description names them), the state the handlers share, and
// the handlers themselves, spread over the files of the subsystems that own
// them. It holds its parts: the result store, and the viewer's part `viewer`
// (viewer/viewer_part.h) with the rows, pages, marks, chrome and tray icon.
// Each part asks the window through a small host that the window answers
// (part_links.cpp). A view mirrors the components and forwards the user's
// actions to the handlers; tests drive the handlers directly.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fetch/client_pool.h"
#include "fetch/cookie_jar.h"
#include "fetch/host_courtesy.h"
#include "fetch/revisit_validators.h"
#include "parser/parser_host.h"
#include "parser/source_set.h"
#include "platform/autorun.h"
#include "platform/browser.h"
#include "platform/components.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/status_icon.h"
#include "platform/timer.h"
#include "shell/application.h"
#include "store/result_store.h"
#include "store/store_host.h"
#include "viewer/chrome_services.h"
#include "viewer/viewer_host.h"
#include "viewer/viewer_part.h"

namespace vexo {

class IniProfile;

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

class TMain {
  // First, so that the components below can be built on the services.
  Application own_app_;
  VirtualTimerService idle_timers_;     // used when no timer service is given
  ScriptedMessageBoxes default_boxes_;  // used when no message boxes are given
  MainServices services_;

  // What the store, the page analysis and the viewer's part ask of the
  // window (part_links.cpp).
  class StoreLink final : public StoreHost {
   public:
    explicit StoreLink(TMain& m) : m_(m) {}
    bool Tracking() const override;
    const std::string& ProgramFolder() const override;
    void TargetAppended(long long number, std::string_view link, std::string_view title) override;
    void SaveFailed(const std::string& path) override;

   private:
    TMain& m_;
  };
  class ParserLink final : public ParserHost {
   public:
    explicit ParserLink(TMain& m) : m_(m) {}
    bool Tracking() const override;
    const Bytes& Gjc3() const override;
    void SetGjc3(const Bytes& text) override;
    ResultStore& Store() override;
    void NewTargetStored(const Pthrd* sender) override;
    int RunningParsers() const override;
    void SetRunningParsers(int count) override;

   private:
    TMain& m_;
  };
  class ViewerLink final : public ViewerHost {
   public:
    explicit ViewerLink(TMain& m) : m_(m) {}
    std::string ProgramFolder() const override;
    Bytes Gjc2() const override;
    Bytes Gjc3() const override;
    void SetKeywords(const Bytes& text) override;
    void AppMinimize() override;
    void ResumeRunTimers() override;
    void SetAutorun(bool on) override;
    void SaveFailed(const std::string& path) override;

   private:
    TMain& m_;
  };
  StoreLink storeLink_{*this};
  ParserLink parserLink_{*this};
  ViewerLink viewerLink_{*this};
  ResultStore store_{storeLink_};

 public:
  explicit TMain(MainServices services);
  ~TMain();
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

  // The handlers of the export, the result pages, the marks and the window
  // chrome are the viewer part's (viewer/).

  // ---- Handlers: scheduler and stall timer (scheduler.cpp) ----
  void Timer2Timer();
  void TsysTimer();
  // Events of the clients started by the scheduler.
  void HttpRequestDone(HttpClient& sender, RequestType rq_type, int error);
  void HttpDocData(HttpClient& sender, const char* buffer, int len);

  // A file of the program could not be written: the status line says so.
  void SaveFailed(const std::string& path);
  // A run whose timers were stopped gets them back.
  void ResumeRunTimers();

  ResultStore& Store() { return store_; }
  const ResultStore& Store() const { return store_; }
  const MainServices& Services() const { return services_; }
  // The window as the page analysis sees it.
  ParserHost& Parsers() { return parserLink_; }
  const SourceSet& Sources() const { return sources_; }
  const HostCourtesy& Courtesy() const { return courtesy_; }
  const RevisitValidators& Revisits() const { return revisits_; }
  // The cookies engines set, kept between runs: folder + "cookies.txt".
  std::string CookieFile() const { return kl2.Caption() + "cookies.txt"; }
  const CookieJar& Cookies() const { return cookies_; }
  // Beside the site queue: folder + "kix.etag".
  std::string RevisitFile() const { return store_.SiteQueueFile() + ".etag"; }
  // The shortest time from the start of one pass to the start of the next.
  long long PassMs() const { return passMs_; }
  Application& App() { return *services_.app; }

  // ---- Components ----
  // The rows, pages, marks, counters, chrome and tray icon.
  ViewerPart viewer;
  Edit gjc;          // the keywords as typed
  Label gjc2;        // hidden: trimmed keywords of the last run
  Label gjc3;        // hidden: the keyword expression
  Label kl2;         // hidden: the program folder
  Label sys;         // hidden: the stall timer's in-flight memo
  Label La1;         // activity animation
  Label La2;         // light-blue band behind the counters
  Label sbar;        // the status line
  Label Line1;       // a rule across the window
  SpeedButton Spt1;  // track / stop
  Timer Timer2;      // the scheduler, 20 ms
  Timer Tsys;        // the stall timer, 15 000 ms
  AutoRunEntry ARun;

  // ---- State shared by the handlers ----
  std::uint8_t trackingRun = 0;
  std::uint16_t queueCursor = 0;
  std::uint16_t statusCursor = 0;
  std::uint8_t animationCounter = 0;
  std::uint8_t stallTicks = 0;
  int runningParsers = 0;  // wider than a byte: a busy run can queue hundreds of pieces

  // The requests of the run, one record each. Tests list stand-ins as
  // running here (ClientPool::Adopt); cancel_client then sees them.
  ClientPool& Clients() { return clients_; }
  const ClientPool& Clients() const { return clients_; }

 private:
  // Calls Cancel on every running client; false when one raised.
  void CancelAllClients();
  MsgAnswer AskModal(const Bytes& text, MsgButtons buttons);
  void ReadConfiguration();
  void ReadSources(const IniProfile& ini);
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
  void FetchRememberedSites(const StringList& queue, StringList& follow);
  void RefillPass(StringList& queue);
  // Starts the request when its host is ready for it, keeps it waiting when
  // the host is busy or was asked a moment ago, and drops it for this pass
  // when the host asked to be left alone.
  void Offer(const Bytes& url, int tag, long long now);
  void StartWaiting(long long now);
  void NoteRefusal(const Bytes& address, int status, const StringList& headers, long long now);
  // Says once on the status line which host is left alone and until when.
  void ShowPause(const Bytes& address, long long now);
  // A page of a source read whole: its results, and whether it showed that
  // the engine blocks us.
  void ReadWholePage(ClientPool::Request& request);
  bool ShowsBlock(const Source& source, const HttpClient& sender, int results) const;
  // The headers every request of the current sources carries.
  void DressRequest(HttpClient& client);
  // Written with the site queue; a failure is said like any other.
  void SaveCookies();
  void StartClient(const Bytes& url, int tag);
  void CancelClient(HttpClient* client);
  // A revisit's answer: a 200 leaves its validators, a 304 keeps the site's
  // place as a read page would.
  void NoteRevisit(const Bytes& address, const HttpClient& client);
  // Saved with the site queue, and only its sites.
  void SaveRevisits();

  SourceSet sources_;
  StringList engineLabels_;          // the host labels of every source in effect
  std::set<Bytes> answeredSources_;  // sources whose pages held results in this run
  Bytes userAgent_;
  // Today's engines turn away a client that never returns their cookie. The
  // classic sources go without, as they always did. Declared before the
  // clients, which point at it.
  CookieJar cookies_;
  bool cookiesLoaded_ = false;
  HostCourtesy courtesy_;
  // What the remembered sites answered last, to ask them "changed since?".
  RevisitValidators revisits_;
  // Requests taken from the lists whose host was not ready yet, oldest first.
  struct Waiting {
    Bytes url;
    int tag;
  };
  std::vector<Waiting> waiting_;
  // The running requests the courtesy counts as connections: a click of the
  // track button ends them all at once, whenever their own ends arrive.
  std::set<const HttpClient*> courtesyHeld_;
  long long passStartedAt_ = 0;
  bool sitesDue_ = true;              // the remembered sites are fetched once a pass
  std::set<Bytes> followedThisPass_;  // follow-up URLs asked in this pass
  long long passMs_ = 60000;
  // Between FormCreate and FormDestroy: requests start and their pieces are
  // read.
  bool open_ = false;
  // Every client the scheduler created and its request-done event has not
  // destroyed yet; whatever is left goes with the window.
  ClientPool clients_{[this](HttpClient& sender, RequestType type, int error) {
                        HttpRequestDone(sender, type, error);
                      },
                      [this](HttpClient& sender, const char* piece, int length) {
                        HttpDocData(sender, piece, length);
                      }};
};

}  // namespace vexo
