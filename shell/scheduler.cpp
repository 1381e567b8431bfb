// The scheduler and the stall timer of a tracking run: up to eight downloads
// at once, engine result pages first, then the follow-up list, pass after
// pass; every arriving piece goes to a parser worker with its charset.
#include <algorithm>
#include <ctime>
#include <limits>

#include "fetch/http_client.h"
#include "fetch/page_charset.h"
#include "parser/page_codes.h"
#include "parser/source_urls.h"
#include "parser/thrd1.h"
#include "platform/codepage.h"
#include "platform/quietly.h"
#include "shell/fvexo1.h"
#include "texts/texts.h"

namespace vexo {

namespace {

constexpr std::size_t kMaxClients = 8;
constexpr int kTallWindow = 150;
constexpr int kSquares = 22;      // ticks over which the squares grow
constexpr int kClearTick = 23;    // the tick that empties the animation
constexpr int kRotateAfter = 28;  // ticks between status-line rotations
constexpr int kCycleTicks = 7;    // stall ticks per cycle, minus one
constexpr std::string_view kMarkerLead = "[:";
constexpr std::uint16_t kCursorMax = std::numeric_limits<std::uint16_t>::max();

bool BeginsWithMarker(const Bytes& line) {
  return !line.empty() && line.front() == '[';
}

// A cursor past the end of the queue, without wrapping a 16-bit counter.
std::uint16_t PastTheEnd(std::size_t count) {
  return static_cast<std::uint16_t>(std::min<std::size_t>(count + 1000, kCursorMax));
}

}  // namespace

void TMain::Timer2Timer() {
  // The display waits for the next tick.
  Quietly([&] {
    if (trackingRun == 1 && viewer.window.Visible()) ShowActivity();
  });
  if (runningParsers != 0 || trackingRun != 1) return;
  if (!Quietly([&] { Schedule(); }) && trackingRun == 1 && !Timer2.Enabled())
    Timer2.SetEnabled(true);
}

void TMain::ShowActivity() {
  ++animationCounter;
  if (viewer.window.Height() > kTallWindow) {
    if (animationCounter < kSquares && animationCounter % 2 == 1) {
      La1.SetCaption(La1.Caption() + Texts().square);
    } else if (animationCounter == kClearTick) {
      La1.SetCaption("");
    }
  }
  if (animationCounter <= kRotateAfter) return;
  animationCounter = 0;
  const StringList* queue = store_.SiteQueue();
  if (!queue) return;
  const long long count = static_cast<long long>(queue->size());
  long long cursor = static_cast<long long>(statusCursor) + 1;
  for (int i = 0; i < 2; ++i) {
    if (count - 2 < cursor) cursor = ResultStore::IndexOfLine(*queue, kPassMarker) + 1;
    if (cursor < count && Contains((*queue)[static_cast<std::size_t>(cursor)], kMarkerLead))
      ++cursor;
  }
  statusCursor = static_cast<std::uint16_t>(std::clamp<long long>(cursor, 0, kCursorMax));
  if (cursor < count) {
    const Bytes& line = (*queue)[static_cast<std::size_t>(cursor)];
    if (!Contains(line, kMarkerLead)) sbar.SetCaption(" " + line);
  }
}

void TMain::Schedule() {
  const Bytes tip = TrayTooltip(viewer.sum1.Caption());
  if (viewer.TrayIcon1.ToolTip() != tip) viewer.TrayIcon1.SetToolTip(tip);

  StringList* queue = store_.SiteQueue();
  StringList* follow = store_.FollowUp();
  if (!queue || !follow || !open_) return;
  const long long now = services_.timers->NowMs();
  StartWaiting(now);

  if (follow->empty()) {
    // The engine pages of a pass are over once their last request started:
    // the remembered sites follow at once, and the next pass begins no sooner
    // than its time, so a pass of failures never turns into a storm.
    if (static_cast<long long>(queue->size()) - 1 < queueCursor && waiting_.empty()) {
      if (sitesDue_) {
        FetchRememberedSites(*queue, *follow);
        if (!follow->empty()) return;
      }
      if (now - passStartedAt_ >= passMs_) RefillPass(*queue);
    }
    for (int slot = 1; slot <= 8; ++slot) {
      if (queueCursor >= queue->size() || clients_.RunningCount() >= kMaxClients) continue;
      if (queueCursor == kCursorMax) break;  // a queue longer than the cursor can count
      ++queueCursor;
      const Bytes line = (*queue)[queueCursor - 1u];
      // The pass marker: the sites below it come through the follow-up list.
      if (BeginsWithMarker(line)) queueCursor = PastTheEnd(queue->size());
      if (queueCursor < queue->size() && (Contains(line, "http://") || Contains(line, "https://")))
        Offer(line, slot, now);
    }
  } else {
    for (int slot = 1; slot <= 8; ++slot) {
      if (follow->empty() || clients_.RunningCount() >= kMaxClients) break;
      // Marker lines are never fetched, however many stand together (a site
      // queue saved by older versions may hold several age markers); empty
      // lines (only a hand-edited site-queue file has them) neither.
      while (!follow->empty() && (follow->back().empty() || BeginsWithMarker(follow->back())))
        follow->pop_back();
      if (follow->empty()) break;
      const Bytes line = follow->back();
      follow->pop_back();
      // A page that refreshes to itself, or two that refresh to each other,
      // would otherwise be asked again and again within one pass.
      if (!followedThisPass_.insert(line).second) continue;
      Offer(line, kFollowUpTagBase + slot, now);
    }
  }

  if (trackingRun == 1 && !Tsys.Enabled()) Tsys.SetEnabled(true);
}

void TMain::Offer(const Bytes& url, int tag, long long now) {
  if (courtesy_.Paused(url, now)) return;
  if (courtesy_.Ready(url, now) && clients_.RunningCount() < kMaxClients) {
    StartClient(url, tag);
  } else {
    waiting_.push_back({url, tag});
  }
}

void TMain::StartWaiting(long long now) {
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    if (courtesy_.Paused(it->url, now)) {
      it = waiting_.erase(it);
    } else if (clients_.RunningCount() < kMaxClients && courtesy_.Ready(it->url, now)) {
      const Waiting next = std::move(*it);
      it = waiting_.erase(it);
      StartClient(next.url, next.tag);
    } else {
      ++it;
    }
  }
}

void TMain::FetchRememberedSites(const StringList& queue, StringList& follow) {
  sitesDue_ = false;
  const int marker = ResultStore::IndexOfLine(queue, kPassMarker);
  follow.assign(queue.begin() + (marker + 1), queue.end());
}

void TMain::RefillPass(StringList& queue) {
  while (ResultStore::IndexOfLine(queue, kPassMarker) >= 0) queue.erase(queue.begin());
  queue.insert(queue.begin(), Bytes(kPassMarker));
  const StringList news = FrontUrls(sources_, gjc.Text());
  queue.insert(queue.begin(), news.begin(), news.end());
  queueCursor = 0;
  passStartedAt_ = services_.timers->NowMs();
  sitesDue_ = true;
  followedThisPass_.clear();
  courtesy_.Prune(passStartedAt_);
}

void TMain::StartClient(const Bytes& url, int tag) {
  ClientPool::Request& request = clients_.Make(url, tag);
  HttpClient& client = *request.client;
  // Revisits of sites may come compressed; the engine requests keep their
  // exact headers.
  client.AcceptCompressed = IsFollowUpTag(tag);
  if (IsFollowUpTag(tag)) client.ExtraHeaders = revisits_.HeadersFor(url);
  if (sources_.name != "classic") DressRequest(client);
  request.source = IsEnginePageTag(tag) ? SourceOfUrl(sources_, url) : nullptr;
  // Today's result pages and feeds are read whole: a result is often cut by
  // the boundary of two pieces.
  request.gathersWhole = request.source && request.source->reading == SourceReading::kResults;
  courtesy_.Started(url, services_.timers->NowMs());
  courtesyHeld_.insert(&client);
  // A request that cannot start stays in the list until the stall timer
  // cancels it.
  Quietly([&] { client.StartGet(); });
}

void TMain::DressRequest(HttpClient& client) {
  client.Cookies = &cookies_;
  client.Agent = userAgent_;
  client.Accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
  client.AcceptCompressed = true;
  client.ExtraHeaders.push_back("Accept-Language: zh-CN,zh;q=0.9");
}

void TMain::CancelClient(HttpClient* client) {
  if (services_.cancel_client) {
    services_.cancel_client(client);
  } else if (client) {
    client->Cancel();
  }
}

void TMain::TsysTimer() {
  Quietly([&] {
    const std::vector<HttpClient*> running = clients_.Running();
    if (trackingRun == 1 && !running.empty()) {
      Bytes memo = "|";
      const Bytes seen = sys.Caption();
      for (HttpClient* client : running) {
        Quietly([&] {
          // A substring test: a site root is caught by a deeper page of it.
          if (Contains(seen, client->URL)) {
            CancelClient(client);
          } else {
            memo += "|" + client->URL;
          }
        });
      }
      sys.SetCaption(memo);
    }
  });
  Quietly([&] {
    if (trackingRun == 1) {
      if (++stallTicks > kCycleTicks) {
        stallTicks = 0;
        viewer.ss.SetCaption(IntToText(TextToInt(viewer.ss.Caption()) + 1));
      }
      if (!Timer2.Enabled()) Timer2.SetEnabled(true);
    }
  });
  Quietly([&] {
    if (trackingRun != 1) Tsys.SetEnabled(false);
  });
}

void TMain::HttpRequestDone(HttpClient& sender, RequestType, int) {
  int status = 0;
  bool noted = true;
  Quietly([&] {
    ClientPool::Request* r = clients_.RequestOf(sender);
    if (r && r->gathersWhole) ReadWholePage(*r);
  });
  noted &= Quietly([&] { clients_.StopRunning(&sender); });
  Quietly([&] {
    if (const ClientPool::Request* r = clients_.RequestOf(sender)) {
      if (courtesyHeld_.erase(&sender) != 0) courtesy_.Ended(r->address);
      NoteRefusal(r->address, sender.StatusCode(), sender.ReceivedHeaderLines(),
                  services_.timers->NowMs());
      if (IsFollowUpTag(r->tag)) NoteRevisit(r->address, sender);
    }
  });
  noted &= Quietly([&] {
    status = sender.StatusCode();
    // The client's own event is on the stack; it touches nothing of the
    // client once this handler returns.
    clients_.Release(sender);
  });
  Quietly([&] {
    if (noted && sys.Caption().empty() && trackingRun == 1) {
      if (status == kStatusConnectFailed) sbar.SetCaption(Texts().no_network);
      if (status == kStatusCancelled) sbar.SetCaption(Texts().congested);
    }
  });
  Quietly([&] {
    if (trackingRun == 1) {
      if (!Timer2.Enabled()) Timer2.SetEnabled(true);
      if (!Tsys.Enabled()) Tsys.SetEnabled(true);
    }
  });
}

void TMain::NoteRevisit(const Bytes& address, const HttpClient& client) {
  if (client.StatusCode() == 200) {
    revisits_.Remember(address, client.ReceivedHeaderLines());
  } else if (client.StatusCode() == 304 && revisits_.Knows(address) && trackingRun == 1) {
    // Unchanged since it was last read: nothing to analyse, but it was
    // visited all the same.
    store_.PromotePageSite(address);
  }
}

void TMain::SaveCookies() {
  if (cookiesLoaded_ && !cookies_.Save(CookieFile(), std::time(nullptr))) SaveFailed(CookieFile());
}

void TMain::SaveRevisits() {
  if (const StringList* queue = store_.SiteQueue())
    if (!revisits_.Save(RevisitFile(), *queue)) SaveFailed(RevisitFile());
}

// A host that refuses (403, 429, 503) is left alone for a while, longer at
// each refusal in a row, and at least as long as its Retry-After asks; the
// status line says so once per pause.
void TMain::NoteRefusal(const Bytes& address, int status, const StringList& headers,
                        long long now) {
  const std::time_t wall = std::time(nullptr);
  if (courtesy_.Refused(address, status, RetryAfterMs(headers, wall), now)) ShowPause(address, now);
}

void TMain::ShowPause(const Bytes& address, long long now) {
  if (trackingRun != 1) return;
  const std::time_t wall = std::time(nullptr);
  const std::time_t until = wall + (courtesy_.PausedUntil(address) - now + 999) / 1000;
  char clock[16] = {};
  std::tm local{};
  if (::localtime_r(&until, &local) != nullptr) std::strftime(clock, sizeof clock, "%H:%M", &local);
  sbar.SetCaption(Texts().sbar_host_paused_before + HostCourtesy::HostOf(address) +
                  Texts().sbar_host_paused_between + clock + Texts().sbar_host_paused_after);
}

void TMain::ReadWholePage(ClientPool::Request& request) {
  const Source* source = request.source;
  if (!source || !open_) return;
  const HttpClient& sender = *request.client;
  const std::string_view body = request.body;
  int results = 0;
  if (sender.StatusCode() == 200 && !body.empty() && trackingRun == 1) {
    const int code = CharsetOfPiece(request.charset, sender.ReceivedHeaderLines(), body);
    const Bytes expression = Trim(gjc3.Caption());
    results = AnalyseWholePage(
        WholePage{code, body, sender.URL, expression, *source, engineLabels_}, parserLink_);
  }
  if (results > 0) answeredSources_.insert(source->name);
  const long long now = services_.timers->NowMs();
  if (ShowsBlock(*source, sender, results) && courtesy_.Blocked(request.address, now))
    ShowPause(request.address, now);
}

// How the source shows that it no longer answers us: a status it names, a
// redirect to its captcha page, or a page without results where its pages
// had results before in this run.
bool TMain::ShowsBlock(const Source& source, const HttpClient& sender, int results) const {
  const int status = sender.StatusCode();
  if (std::find(source.block_statuses.begin(), source.block_statuses.end(), status) !=
      source.block_statuses.end())
    return true;
  const Bytes landed = Lower(sender.URL) + " " + Lower(sender.Location());
  for (const Bytes& mark : source.block_locations)
    if (Contains(landed, mark)) return true;
  return status == 200 && results == 0 && source.block_when_empty &&
         answeredSources_.count(source.name) != 0;
}

void TMain::HttpDocData(HttpClient& sender, const char* buffer, int len) {
  Quietly([&] {
    const std::string_view piece = buffer && len > 0
                                       ? std::string_view(buffer, static_cast<std::size_t>(len))
                                       : std::string_view();
    ClientPool::Request* r = clients_.RequestOf(sender);
    if (!r || !open_) return;
    if (r->gathersWhole) {
      // The client caps the body, so the gathered page stays bounded.
      if (sender.StatusCode() == 200) r->body.append(piece);
      return;
    }
    const int code = CharsetOfPiece(r->charset, sender.ReceivedHeaderLines(), piece);
    // A page reached through a redirect (an engine's link to a result) is
    // read at the address it came from, so its links resolve to its site.
    const Bytes& address = sender.Location().empty() ? sender.URL : sender.Location();
    if (len > 10 && sender.StatusCode() == 200 && trackingRun == 1)
      StartParser(code, r->tag, UpToZero(piece), address, Trim(gjc3.Caption()), parserLink_);
  });
}

}  // namespace vexo
