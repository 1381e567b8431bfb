#include "shell/fvexo1.h"

#include <iostream>
#include <utility>

#include "fetch/http_client.h"
#include "fetch/proxy_notice.h"
#include "platform/folders.h"
#include "texts/texts.h"

namespace vexo {

namespace {

MainServices WithFallbacks(MainServices s, Application& app, TimerService& timers,
                           MessageBoxService& boxes) {
  if (!s.app) s.app = &app;
  if (!s.timers) s.timers = &timers;
  if (!s.messages) s.messages = &boxes;
  return s;
}

ViewerServices ViewerServicesOf(const MainServices& s) {
  ViewerServices v;
  v.messages = s.messages;
  v.browser = s.browser;
  v.save_dialogs = s.save_dialogs;
  v.status_icon = s.status_icon;
  v.chrome = s.chrome;
  v.executable = s.executable;
  return v;
}

}  // namespace

MainServices ProgramServices(Application& app, TimerService& timers, MessageBoxService& messages) {
  const FolderEnvironment env = CurrentFolderEnvironment();
  MainServices s;
  s.app = &app;
  s.timers = &timers;
  s.messages = &messages;
  s.program_folder = ProgramFolder(env);
  s.config_file = ConfigFilePath(env);
  s.autostart_entry = AutostartEntryPath(env);
  s.executable = env.executable;
  static SystemBrowser browser;
  s.browser = &browser;
  return s;
}

TMain::TMain(MainServices services)
    : services_(WithFallbacks(std::move(services), own_app_, idle_timers_, default_boxes_)),
      viewer(viewerLink_, store_, ViewerServicesOf(services_)),
      Timer2(*services_.timers, 20),
      Tsys(*services_.timers, 15000),
      ARun(services_.autostart_entry, services_.executable) {
  // The window description: what is hidden, the hints.
  const ShellTexts& t = Texts();
  for (Label* hidden : {&gjc2, &gjc3, &kl2, &sys}) hidden->SetVisible(false);
  Spt1.SetCaption(t.track);
  Spt1.SetHint(t.spt1_hint);
  gjc.SetHint(t.gjc_hint);
  La1.SetHint(t.la1_hint);
  sbar.SetHint(t.sbar_hint);

  Timer2.OnTimer = [this] { Timer2Timer(); };
  Tsys.OnTimer = [this] { TsysTimer(); };
}

TMain::~TMain() {
  // Workers first: none may call back into a window that is half gone.
  parserLink_.StopParsers();
  Timer2.SetEnabled(false);
  Tsys.SetEnabled(false);
  // A client destroyed mid-request raises nothing more.
  clients_.ReleaseAll();
  SetProxyFailureHook(nullptr);
}

void TMain::SaveFailed(const std::string& path) {
  sbar.SetCaption(Texts().sbar_save_failed);
  if (services_.save_failed)
    services_.save_failed(path);
  else
    std::cerr << "vexo: cannot save " << path << "\n";
}

void TMain::CancelAllClients() {
  // A cancel may report at once and change the list: the list as it is now.
  for (HttpClient* client : clients_.Running()) CancelClient(client);
}

void TMain::ResumeRunTimers() {
  if (trackingRun != 0 && !Timer2.Enabled()) Timer2.SetEnabled(true);
  if (trackingRun != 0 && !Tsys.Enabled()) Tsys.SetEnabled(true);
}

MsgAnswer TMain::AskModal(const Bytes& text, MsgButtons buttons) {
  return services_.messages->Show({Texts().msg_caption, text, buttons});
}

}  // namespace vexo
