// The main window's life: creation with the configuration, showing,
// minimising, the close question with the saving of a run, and destruction
// with the configuration write and the history compaction.
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "fetch/browser_agent.h"
#include "fetch/program_proxy.h"
#include "fetch/proxy_notice.h"
#include "platform/codepage.h"
#include "platform/connect_to.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/ini_profile.h"
#include "platform/quietly.h"
#include "platform/tls_session.h"
#include "shell/fvexo1.h"
#include "texts/texts.h"
#include "viewer/modal_scope.h"

namespace vexo {

namespace {

constexpr std::string_view kSection = "vexo";
constexpr Colour kSkinBlue = 0x88C4FF;
constexpr Colour kAnimationBlue = 0x44A2FF;
constexpr Colour kPaleBlue = 0xDFF0FF;
constexpr long long kPassSeconds = 60;
constexpr long long kMinPassSeconds = 10;

}  // namespace

void TMain::FormCreate() {
  // The autostart entry starts switched off once the window is loaded; the
  // configuration below switches it on again.
  ARun.Loaded();
  // Creation ends quietly; what was set stays.
  Quietly([&] {
    viewer.dragX = -1;
    viewer.dragY = -1;
    viewer.modalGuard = 0;

    La1.SetFontColor(kAnimationBlue);
    for (Label* l : {&viewer.Ru1, &viewer.Ts1, &viewer.z1, &viewer.z2, &viewer.z3, &viewer.z4,
                     &viewer.z5, &viewer.z6, &viewer.z7, &viewer.z8, &Line1})
      l->SetColor(kSkinBlue);
    La2.SetColor(kPaleBlue);
    sbar.SetColor(kPaleBlue);

    kl2.SetCaption(services_.program_folder);
    App().OnMinimize = [this] { AppMinimize(); };

    viewer.ShowWelcomeRows();
    sbar.SetCaption(Texts().publisher_line);

    store_.DestroyLists();
    open_ = true;

    ReadConfiguration();
    // What a killed run left half-written.
    SweepStaleFiles();
  });
}

void TMain::ReadConfiguration() {
  IniProfile ini(services_.config_file);
  ini.Load();
  gjc.SetText(ini.ReadString(kSection, "gjc", ""));
  // An expression cut inside a character (a file cut short) would miss the
  // keyword on most pages: the run works it out again from the keywords.
  const Bytes expression = ini.ReadString(kSection, "gjc3", "");
  gjc3.SetCaption(IsWholeGbText(expression) ? expression : Bytes());
  // A byte, as the window keeps it.
  viewer.popupOnNew = static_cast<std::uint8_t>(ini.ReadInt(kSection, "ts", 1));
  if (ini.ReadInt(kSection, "ru", 1) == 1) {
    ARun.SetActive(true);
    viewer.Ru.SetCaption(Texts().toggle_on);
  }
  ReadSources(ini);
  // A pass that ends at once (every source failing) must not start the next
  // at once: passes are at least this far apart, and never closer than 10 s.
  passMs_ =
      std::max<long long>(ini.ReadInt(kSection, "pass_seconds", kPassSeconds), kMinPassSeconds) *
      1000;
  courtesy_.SetSpacing(ini.ReadInt(kSection, "host_spacing_ms", HostCourtesy::kDefaultSpacingMs));
  if (const auto map = ini.Get(kSection, "connect_to")) SetConnectToMap(*map);
  if (const auto caFile = ini.Get(kSection, "ca_file")) SetTlsCaFile(*caFile);
  SetProgramProxy(ini.Get(kSection, "proxy"));
  SetProxyFailureHook([this](const Bytes& text) { sbar.SetCaption(text); });
  gjc2.SetCaption(gjc.Text());
  if (viewer.popupOnNew == 1) viewer.Ts.SetCaption(Texts().toggle_on);
}

void TMain::ReadSources(const IniProfile& ini) {
  StringList problems;
  sources_ = LoadSourceSet(ini, services_.program_folder, SharedDataFolder(services_.executable),
                           &problems);
  // Said where a user who edited the file looks; the run goes on with what
  // could be read.
  for (const Bytes& p : problems) std::fprintf(stderr, "vexo: %s\n", p.c_str());
  engineLabels_.clear();
  for (const Source& s : sources_.sources)
    engineLabels_.insert(engineLabels_.end(), s.labels.begin(), s.labels.end());
  userAgent_ = ConfiguredUserAgent(ini);
}

void TMain::FormShow() {
  Quietly([&] {
    App().SetTaskbarButtonVisible(false);
    if (!kl2.Caption().empty()) (void)::chdir(kl2.Caption().c_str());
  });
}

void TMain::AppMinimize() {
  if (viewer.modalGuard >= kModalThreshold) return;
  viewer.window.SetVisible(false);
  App().SetTaskbarButtonVisible(false);
}

bool TMain::FormCloseQuery() {
  bool can_close = false;
  ModalScope modal(viewer.modalGuard);
  MsgAnswer answer = MsgAnswer::Cancel;
  Quietly([&] { answer = AskModal(Texts().msg_confirm_exit, MsgButtons::OkCancel); });
  if (answer != MsgAnswer::Ok) return false;
  // The guard stays up: nothing may hide or pop up the window from here on.
  modal.Keep();
  Quietly([&] {
    trackingRun = 0;
    Timer2.SetEnabled(false);
    Tsys.SetEnabled(false);
    CancelAllClients();
    // A failed save skips the rest of the saving; the shutdown goes on.
    Quietly([&] {
      if (const StringList* block = store_.OpenBlock(); block && block->size() > 1)
        store_.SaveOpenBlock();
      if (const StringList* queue = store_.SiteQueue(); queue && queue->size() > 1) {
        if (!store_.AgeSiteQueue()) SaveFailed(store_.SiteQueueFile());
        SaveRevisits();
      }
      SaveCookies();
    });
    can_close = true;
  });
  Quietly([&] {
    trackingRun = 0;
    Timer2.SetEnabled(false);
    Tsys.SetEnabled(false);
    CancelAllClients();
  });
  return can_close;
}

bool TMain::WriteConfiguration(bool keywordsOnly) {
  IniProfile ini(services_.config_file);
  ini.Load();
  ini.WriteString(kSection, "gjc", Trim(gjc.Text()));
  ini.WriteString(kSection, "gjc3", Trim(gjc3.Caption()));
  if (!keywordsOnly) {
    ini.WriteInt(kSection, "ts", viewer.Ts.Caption().empty() ? 0 : 1);
    ini.WriteInt(kSection, "ru", viewer.Ru.Caption().empty() ? 0 : 1);
  }
  const auto slash = services_.config_file.rfind('/');
  if (slash != std::string::npos && slash > 0) CreateDir(services_.config_file.substr(0, slash));
  if (ini.Save()) return true;
  if (!services_.config_file.empty()) SaveFailed(services_.config_file);
  return false;
}

void TMain::SweepStaleFiles() {
  const auto any = [](std::string_view) { return true; };
  const auto named = [](std::string_view name) {
    return [name](std::string_view target) { return target == name; };
  };
  SweepStaleTempFiles(store_.TempFolder(), any);
  const std::string folder = kl2.Caption();
  if (!folder.empty()) {
    SweepStaleTempFiles(folder.substr(0, folder.size() - 1), named("kix"));
    SweepStaleTempFiles(folder.substr(0, folder.size() - 1), named("kix.etag"));
  }
  const std::string& config = services_.config_file;
  const auto slash = config.rfind('/');
  if (slash != std::string::npos && slash > 0)
    SweepStaleTempFiles(config.substr(0, slash), named(config.substr(slash + 1)));
}

void TMain::FormDestroy() {
  Quietly([&] {
    WriteConfiguration();
    viewer.window.SetVisible(false);
    App().SetTaskbarButtonVisible(false);
    store_.ClearLists();
    store_.CompactHistory();
    // The requests still under way end unread.
    clients_.StopAllRunning();
    open_ = false;
    store_.DestroyLists();
  });
}

}  // namespace vexo
