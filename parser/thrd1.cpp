#include "parser/thrd1.h"

#include <QMetaObject>
#include <algorithm>
#include <exception>
#include <utility>

#include "parser/cvcode.h"
#include "parser/gb18030_text.h"
#include "parser/html_text.h"
#include "parser/page_codes.h"
#include "parser/thrd1_stages.h"
#include "platform/quietly.h"

namespace vexo {

// --- the worker ---------------------------------------------------------------

Pthrd::Pthrd(ParserPage page, ParserHost& host) : page_(std::move(page)), host_(&host) {
  host.workers_.push_back(this);
}

Pthrd::~Pthrd() {
  // Normally the thread has ended already (we are freed from its finished
  // signal or by StopParsers); never destroy a running thread.
  wait();
  if (host_) {
    auto& list = host_->workers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void Pthrd::run() {
  // The synchronised call: the analysis runs on the main thread (where this
  // object lives) and this thread waits until it is done or released.
  QMetaObject::invokeMethod(
      this, [this] { RunOnMainThread(); }, Qt::QueuedConnection);
  analysed_.acquire();
}

void Pthrd::RunOnMainThread() {
  if (host_ && !analysing_) {
    analysing_ = true;
    AnalysePage();
    analysing_ = false;
  }
  analysed_.release();
}

void Pthrd::AnalysePage() {
  if (host_) vexo::AnalysePage(page_, *host_, this);
}

ParserHost::~ParserHost() {
  StopParsers();
}

void ParserHost::StopParsers() {
  std::vector<Pthrd*> workers;
  workers.swap(workers_);
  for (Pthrd* w : workers) {
    w->host_ = nullptr;
    // A posted analysis that has not run yet now finds no host; the thread
    // need not wait for it.
    w->analysed_.release();
  }
  for (Pthrd* w : workers) {
    w->wait();
    // A worker whose analysis is on the stack right now (the host is being
    // torn down from inside it) is freed by its finished signal instead.
    if (!w->analysing_) delete w;
  }
}

void StartParser(int charset, int tag, std::string_view text, std::string_view address,
                 std::string_view expression, ParserHost& host) {
  // Without a worker there is nothing to count and nothing to analyse.
  Quietly([&] {
    auto* worker =
        new Pthrd(ParserPage{charset, tag, Bytes(text), Bytes(address), Bytes(expression)}, host);
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    host.SetRunningParsers(host.RunningParsers() + 1);
    worker->start(QThread::LowestPriority);
    if (!worker->isRunning()) {
      // No thread could be created: analyse at once rather than leave the
      // count up forever, which would stop the scheduler for good.
      worker->RunOnMainThread();
      delete worker;
    }
  });
}

void AnalysePageNow(int charset, int tag, std::string_view text, std::string_view address,
                    std::string_view expression, ParserHost& host) {
  host.SetRunningParsers(host.RunningParsers() + 1);
  // The caller's bytes outlive this call, so they are analysed where they are.
  AnalyseBytes(charset, tag, text, address, expression, host, nullptr);
}

// --- the analysis -------------------------------------------------------------

namespace {

// The page in GB2312, the form every stage reads.
std::string_view DecodeToGb(int charset, std::string_view text, Bytes& decoded) {
  if (charset == kCharsetUtf8) {
    decoded = Utf8ToAnsi(text);  // GB2312 through and through
    return decoded;
  }
  // Big5 bytes that form no convertible pair are copied as they are.
  if (charset == kCharsetBig5) {
    decoded = Big5ToGb(text);
    text = decoded;
  }
  // A page that is GB2312 already, the common case, is analysed where it is.
  if (Gb2312PrefixLength(text) < text.size()) {
    decoded = Gb18030ToGb2312(text);
    text = decoded;
  }
  return text;
}

void RunStages(int charset, int tag, std::string_view text, std::string_view address,
               std::string_view expression, ParserHost& host, const Pthrd* sender) {
  Bytes decoded;
  AnalysisRun run(host, sender, address, expression, DecodeToGb(charset, text, decoded));
  if (host.Tracking() && IsFollowUpTag(tag) && !ContainsEngineLabel(Lower(address))) {
    ContentStage(run);
  }
  if (host.Tracking()) RefreshStage(run);
  if (host.Tracking() && IsEnginePageTag(tag) && host.Store().FollowUp() != nullptr) {
    ListingStage(run);
  }
}

}  // namespace

void AnalyseBytes(int charset, int tag, std::string_view text, std::string_view address,
                  std::string_view expression, ParserHost& host, const Pthrd* sender) {
  // An error ends the analysis of this piece; what was stored stays.
  Quietly([&] { RunStages(charset, tag, text, address, expression, host, sender); });
  Quietly([&] {
    const int count = host.RunningParsers();
    if (count > 0) host.SetRunningParsers(count - 1);
  });
}

int AnalyseWholePage(const WholePage& page, ParserHost& host) {
  int results = 0;
  host.SetRunningParsers(host.RunningParsers() + 1);
  Quietly([&] {
    Bytes decoded;
    AnalysisRun run(host, nullptr, page.address, page.expression,
                    DecodeToGb(page.charset, page.text, decoded));
    if (host.Tracking() && host.Store().FollowUp() != nullptr) {
      results = ResultsStage(run, page.source, page.engineLabels);
    }
    // A result page may still send the reader on with a meta refresh.
    if (host.Tracking()) RefreshStage(run);
  });
  Quietly([&] {
    const int count = host.RunningParsers();
    if (count > 0) host.SetRunningParsers(count - 1);
  });
  return results;
}

void AnalysePage(ParserPage& page, ParserHost& host, const Pthrd* sender) {
  AnalyseBytes(page.charset, page.tag, page.text, page.address, page.expression, host, sender);
}

// --- shared by the stages -----------------------------------------------------

void DropCutCharacters(Bytes& title) {
  if (!title.empty() && ByteRoleAt(title, 1) == ByteRole::Trail) title.erase(0, 1);
  if (!title.empty() && RoleByLookback(title, Len(title)) == ByteRole::Lead) title.pop_back();
}

namespace {

std::string_view LoweredInto(std::string_view text, Bytes& buffer) {
  LowerInto(text, buffer);
  return buffer;
}

}  // namespace

AnalysisRun::AnalysisRun(ParserHost& h, const Pthrd* s, std::string_view a, std::string_view e,
                         std::string_view p)
    : lowerBuffer_(h.Caches().TakeBuffer()),
      host(h),
      sender(s),
      address(a),
      page(p),
      lower(LoweredInto(p, lowerBuffer_)),
      expression_(h.Caches().Expression(e)),
      links_(a) {}

std::string_view AnalysisRun::LowerSnippet(std::string_view snippet) {
  LowerInto(snippet, snippetBuffer_);
  return snippetBuffer_;
}

std::string_view AnalysisRun::StrippedSnippet(std::string_view html) {
  StripTagsInto(html, strippedBuffer_);
  return strippedBuffer_;
}

std::string_view AnalysisRun::ResolvedLink(std::string_view link) {
  ResolveLinkInto(link, linkBuffer_);
  return linkBuffer_;
}

AnalysisRun::~AnalysisRun() {
  Quietly([&] { host.Caches().GiveBack(std::move(lowerBuffer_)); });
}

Pos AnalysisRun::FirstTerm(std::string_view loweredText) const {
  return FirstTermPosition(*expression_, loweredText);
}

Pos AnalysisRun::Match(std::string_view loweredText) const {
  return MatchExpression(*expression_, loweredText);
}

Pos AnalysisRun::FirstTermInTail(Pos start) {
  start = std::max<Pos>(start, 1);
  const Pos end = Len(lower) - 1;  // the last byte of the tail
  const PreparedExpression& px = *expression_;
  if (nextWord_.size() != px.words.size()) nextWord_.assign(px.words.size(), NextWord{});
  Pos best = 0;
  for (const PreparedExpression::Term& term : px.terms) {
    if (term.negated) continue;
    const std::string_view word = px.words[term.word];
    NextWord& next = nextWord_[term.word];
    // Every tail ends at the same byte, so an earlier search still holds when
    // it began at or before `start` and found nothing or something at or
    // after it.
    const bool known =
        next.searchedFrom >= 1 && next.searchedFrom <= start && (next.at == 0 || next.at >= start);
    if (!known) {
      next.searchedFrom = start;
      next.at = 0;
      if (!word.empty() && start <= end) {
        const std::string_view tail = View(lower, start, end);
        const std::size_t hit = FindBytes(tail, word);
        if (hit != std::string_view::npos) next.at = start + static_cast<Pos>(hit);
      }
    }
    const Pos p = next.at == 0 ? 0 : next.at - start + 1;
    if (p >= 2 && (best == 0 || p < best)) best = p;
  }
  return best;
}

namespace {

// Role at p, given that `floor` (<= p) begins a character: a byte that cannot
// lead a character always ends one, so counting the lead-range bytes back
// from p to the nearest such byte (or to the floor) decides. `start` gets the
// character start at or just before p.
ByteRole RoleAbove(std::string_view s, Pos p, Pos floor, Pos& start) {
  const std::size_t last = FindLastNonLeadByte(View(s, floor, p - 1));
  const Pos from = last == std::string_view::npos ? floor : floor + static_cast<Pos>(last) + 1;
  if ((p - from) % 2 != 0) {
    start = p - 1;
    return ByteRole::Trail;
  }
  start = p;
  return IsLeadByte(ByteAt(s, p)) ? ByteRole::Lead : ByteRole::Single;
}

}  // namespace

ByteRole RoleByLookback(std::string_view s, Pos p) {
  if (p < 1 || p > Len(s)) return ByteRole::Single;
  Pos start = 0;
  return RoleAbove(s, p, 1, start);
}

ByteRole AnalysisRun::RoleAt(Pos p) {
  if (p < 1 || p > Len(page)) return ByteRole::Single;
  // The stages ask for positions further and further into the page, so the
  // look back stops at the character start found by the last question.
  const Pos floor = charStart_ <= p ? charStart_ : 1;
  return RoleAbove(page, p, floor, charStart_);
}

void AnalysisRun::Store(std::string_view link, std::string_view title) {
  if (host.Store().AppendTarget(link, title) == 1) host.NewTargetStored(sender);
}

}  // namespace vexo
