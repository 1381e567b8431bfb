// The track button: starting a run (counters, rows, the working lists, the
// engine query URLs on top of the remembered sites) and stopping it (saving
// the open block and the site queue).
#include <ctime>

#include "parser/keyword_query.h"
#include "parser/source_urls.h"
#include "platform/files.h"
#include "platform/quietly.h"
#include "shell/fvexo1.h"
#include "texts/texts.h"
#include "viewer/modal_scope.h"

namespace vexo {

namespace {

// A site queue this long (pass marker included) gets only the news-front set.
constexpr std::size_t kFullPassLimit = 100;

}  // namespace

void TMain::Spt1Click() {
  // What was done stays done; no message.
  Quietly([&] {
    trackingRun = 0;
    Timer2.SetEnabled(false);
    Tsys.SetEnabled(false);
    // Cancelled clients are destroyed by their own request-done handler.
    CancelAllClients();
    clients_.StopAllRunning();
    waiting_.clear();
    for (const HttpClient* client : courtesyHeld_) {
      if (const Bytes* address = clients_.StartAddress(*client)) courtesy_.Ended(*address);
    }
    courtesyHeld_.clear();
    Tsys.SetInterval(15000);
    animationCounter = 0;
    stallTicks = 0;
    La1.SetCaption("");

    const ShellTexts& t = Texts();
    if (Spt1.Caption() == t.stop) {
      StopRun();
    } else if (Spt1.Caption() == t.track) {
      StartRun();
    }
  });
}

void TMain::StartRun() {
  const ShellTexts& t = Texts();
  const Bytes keywords = Trim(gjc.Text());
  if (keywords.empty()) {
    ModalScope modal(viewer.modalGuard);
    AskModal(t.msg_no_keywords, MsgButtons::Ok);
    return;
  }

  Spt1.SetCaption(t.stop);
  queueCursor = 0;
  runningParsers = 0;
  trackingRun = 1;

  for (int row = 1; row <= 8; ++row) viewer.SetRowText(row, 1, "");
  for (int row = 1; row <= 8; ++row) viewer.SetRowText(row, 2, "");

  viewer.SetSa("0");
  viewer.ss.SetCaption("0");
  viewer.ss.SetVisible(true);
  viewer.sum1.SetCaption("0");
  viewer.sum1.SetVisible(true);
  sbar.SetCaption(t.sbar_tracking);
  viewer.Spt2.SetVisible(false);
  viewer.SetSa("");

  store_.CreateRunLists();

  // History and remembered sites belong to one set of keywords. When the
  // last run's keywords are unknown (no configuration could be read) the
  // history stays: it is not ours to throw away on a guess.
  if (gjc2.Caption() != keywords) {
    gjc3.SetCaption("");
    if (!gjc2.Caption().empty()) {
      store_.DeleteHistory();
      // An unchanged page was never read for these keywords.
      if (FileExists(RevisitFile())) DeleteFile(RevisitFile());
    }
  }

  PrepareSiteQueue(*store_.SiteQueue());

  sys.SetCaption("");
  if (gjc3.Caption().empty()) gjc3.SetCaption(SplitMixedKeywords(gjc.Text()));
  gjc2.SetCaption(keywords);
  // Written now, not only at a clean close: the next start must know whose
  // history lies in Temp even after a kill.
  WriteConfiguration(true);
  gjc.SetEnabled(false);
  statusCursor =
      static_cast<std::uint16_t>(ResultStore::IndexOfLine(*store_.SiteQueue(), kPassMarker) + 1);
  store_.EditOpenBlock()->push_back(IntToText(store_.NextBlockNumber()));
  passStartedAt_ = services_.timers->NowMs();
  sitesDue_ = true;
  followedThisPass_.clear();
  answeredSources_.clear();

  if (trackingRun == 1 && !Timer2.Enabled()) Timer2.SetEnabled(true);
}

void TMain::PrepareSiteQueue(StringList& queue) {
  if (FileExists(store_.SiteQueueFile())) LoadLines(store_.SiteQueueFile(), queue);
  revisits_.Load(RevisitFile());
  if (!cookiesLoaded_ && sources_.name != "classic") {
    cookies_.Load(CookieFile(), std::time(nullptr));
    cookiesLoaded_ = true;
  }
  queue.insert(queue.begin(), Bytes(kPassMarker));

  const bool worn = ResultStore::IndexOfLine(queue, kAgeMarker3) >= 0;
  const StringList urls = (!worn && queue.size() < kFullPassLimit)
                              ? FullPassUrls(sources_, gjc.Text())
                              : FrontUrls(sources_, gjc.Text());
  queue.insert(queue.begin(), urls.begin(), urls.end());

  // Forget the candidate sites: nothing stays below the oldest age marker.
  const int i = ResultStore::IndexOfLine(queue, kAgeMarker3);
  if (i > 0 && static_cast<std::size_t>(i) < queue.size() - 1)
    queue.resize(static_cast<std::size_t>(i) + 1);
}

void TMain::StopRun() {
  const ShellTexts& t = Texts();
  Spt1.SetCaption(t.track);
  gjc.SetEnabled(true);
  viewer.Spt2.SetVisible(!viewer.RowText(1, 1).empty());
  sbar.SetCaption(t.sbar_stopped);
  viewer.TrayIcon1.SetToolTip(TrayTooltip(viewer.sum1.Caption()));
  store_.SaveOpenBlock();
  if (const StringList* queue = store_.SiteQueue(); queue && queue->size() > 1) {
    if (!store_.SaveSiteQueueAtStop()) SaveFailed(store_.SiteQueueFile());
    SaveRevisits();
  }
  SaveCookies();
}

}  // namespace vexo
