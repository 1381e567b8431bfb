#include "shell/fvexo1.h"

#include <iostream>
#include <utility>

#include "fetch/http_client.h"
#include "platform/folders.h"
#include "shell/texts.h"

namespace vexo {

namespace {

MainServices WithFallbacks(MainServices s, Application& app, TimerService& timers,
                           MessageBoxService& boxes) {
  if (!s.app) s.app = &app;
  if (!s.timers) s.timers = &timers;
  if (!s.messages) s.messages = &boxes;
  return s;
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
      Timer2(*services_.timers, 20),
      Tsys(*services_.timers, 15000),
      ARun(services_.autostart_entry, services_.executable),
      store_(*this) {
  links_ = {&M11, &M21, &M31, &M41, &M51, &M61, &M71, &M81};
  captions_ = {&M12, &M22, &M32, &M42, &M52, &M62, &M72, &M82};
  marks_ = {&x1, &x2, &x3, &x4, &x5, &x6, &x7, &x8};
  boxes_ = {&z1, &z2, &z3, &z4, &z5, &z6, &z7, &z8};

  // The window description: what is hidden, the hints, the toggles' squares.
  const ShellTexts& t = Texts();
  for (Label* hidden : {&gjc2, &gjc3, &kl2, &sys}) hidden->SetVisible(false);
  SaEdit.SetVisible(false);
  for (Label* link : links_) link->SetVisible(false);
  for (Label* box : boxes_) box->SetVisible(false);
  sum1.SetVisible(false);
  ss.SetVisible(false);
  Spt2.SetVisible(false);
  Spt1.SetCaption(t.track);
  Spt1.SetHint(t.spt1_hint);
  gjc.SetHint(t.gjc_hint);
  sum1.SetHint(t.sum1_hint);
  ss.SetHint(t.ss_hint);
  La1.SetHint(t.la1_hint);
  Ru.SetHint(t.ru_hint);
  Ts.SetHint(t.ts_hint);
  sbar.SetHint(t.sbar_hint);

  Timer2.OnTimer = [this] { Timer2Timer(); };
  Tsys.OnTimer = [this] { TsysTimer(); };
  InitViewerComponents();
}

TMain::~TMain() {
  // Workers first: none may call back into a window that is half gone.
  StopParsers();
  Timer2.SetEnabled(false);
  Tsys.SetEnabled(false);
  // A client destroyed mid-request raises nothing more.
  ownedClients_.clear();
}

Label* TMain::LinkLabel(int row) {
  return row >= 1 && row <= 8 ? links_[static_cast<std::size_t>(row - 1)] : nullptr;
}
Label* TMain::CaptionLabel(int row) {
  return row >= 1 && row <= 8 ? captions_[static_cast<std::size_t>(row - 1)] : nullptr;
}
Label* TMain::MarkCell(int row) {
  return row >= 1 && row <= 8 ? marks_[static_cast<std::size_t>(row - 1)] : nullptr;
}
Label* TMain::RowBox(int row) {
  return row >= 1 && row <= 8 ? boxes_[static_cast<std::size_t>(row - 1)] : nullptr;
}

Bytes TMain::RowLabel(int row, int which) const {
  if (row < 1 || row > 8) return {};
  const auto i = static_cast<std::size_t>(row - 1);
  return which == 1 ? links_[i]->Caption() : captions_[i]->Caption();
}

void TMain::SetRowLabel(int row, int which, const Bytes& text) {
  Label* label = which == 1 ? LinkLabel(row) : CaptionLabel(row);
  if (label) label->SetCaption(text);
}

void TMain::SetMarkCell(int row, const Bytes& text) {
  if (Label* cell = MarkCell(row)) cell->SetCaption(text);
}

void TMain::TargetAppended(long long number, std::string_view link, std::string_view title) {
  if (services_.target_appended) services_.target_appended(number, link, title);
}

void TMain::BlockSaveFailed(const std::string& path) {
  sbar.SetCaption(Texts().sbar_save_failed);
  if (services_.save_failed)
    services_.save_failed(path);
  else
    std::cerr << "vexo: cannot save " << path << ": its targets are kept in memory only\n";
}

void TMain::CancelAllClients() {
  if (!runningClients) return;
  // A copy: cancelling may touch the list.
  const std::vector<HttpClient*> clients = *runningClients;
  for (HttpClient* c : clients) {
    if (services_.cancel_client) {
      services_.cancel_client(c);
    } else if (c) {
      c->Cancel();
    }
  }
}

MsgAnswer TMain::AskModal(const Bytes& text, MsgButtons buttons) {
  return services_.messages->Show({Texts().msg_caption, text, buttons});
}

}  // namespace vexo
