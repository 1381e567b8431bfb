#pragma once
// The parser worker `Pthrd`: one per received page piece. Its thread does
// nothing but ask the main thread to run AnalysePage and wait for it, so every
// analysis runs on the main thread, one at a time, next to the window events,
// and the lists it feeds need no lock.
//
// Life of a worker: StartParser creates it (not yet running), counts it in
// the running-parser count and starts its thread at the lowest priority above
// idle. The thread posts the analysis to the main thread's event loop and
// blocks until it has run; then the thread ends and the object frees itself
// (deleteLater on the main thread). When the host goes away first,
// ParserHost::StopParsers releases the waiting threads without running their
// analyses, joins them and frees them, so no worker outlives its host and no
// thread is left blocked at exit.

#include <QSemaphore>
#include <QThread>
#include <string_view>

#include "parser/page_codes.h"
#include "parser/parser_host.h"
#include "parser/source_set.h"
#include "platform/bytes.h"

namespace vexo {

// The five fields a worker is created with. Only `text` changes later: the
// analysis replaces it by its GB2312 form.
struct ParserPage {
  int charset = kCharsetGb;  // parser/page_codes.h
  int tag = 0;               // the list it came from (parser/page_codes.h)
  Bytes text;                // one received piece of the page body
  Bytes address;             // the address that was requested
  Bytes expression;          // trimmed `gjc3` at the moment the piece arrived
};

class Pthrd : public QThread {
 public:
  Pthrd(ParserPage page, ParserHost& host);
  ~Pthrd() override;

  const ParserPage& Page() const { return page_; }

  // The analysis of this worker's piece; main thread only. Does nothing but
  // the count once the host has stopped its workers.
  void AnalysePage();

 protected:
  void run() override;

 private:
  friend class ParserHost;
  friend void StartParser(int, int, std::string_view, std::string_view, std::string_view,
                          ParserHost&);
  // The posted half of the synchronised call.
  void RunOnMainThread();

  ParserPage page_;
  ParserHost* host_;     // nullptr once the host has let the worker go
  QSemaphore analysed_;  // released when the main thread is done with us
  bool analysing_ = false;
};

// Creates and starts a worker for one page piece (main thread, with a running
// Qt event loop to carry the synchronised call).
void StartParser(int charset, int tag, std::string_view text, std::string_view address,
                 std::string_view expression, ParserHost& host);

// The same analysis run at once on the calling (main) thread, without a
// worker thread: counts itself in the running-parser count like StartParser
// and takes itself out again at the end.
void AnalysePageNow(int charset, int tag, std::string_view text, std::string_view address,
                    std::string_view expression, ParserHost& host);

// A page of a source that is read whole (today's result pages and feeds).
struct WholePage {
  int charset = 0;
  std::string_view text;     // the whole body, up to the download cap
  std::string_view address;  // where the page was found (after redirects)
  std::string_view expression;
  const Source& source;
  const StringList& engineLabels;  // the labels of every source in effect
};
// Reads it result by result at once on the calling (main) thread, counted in
// the running-parser count while it runs; answers how many results it held.
int AnalyseWholePage(const WholePage& page, ParserHost& host);

// The analysis itself: decode, content stage, refresh stage, listing stage,
// then one off the running-parser count. `sender` is what the pop-up reports.
void AnalysePage(ParserPage& page, ParserHost& host, const Pthrd* sender);
// The same on bytes the caller keeps alive until it returns.
void AnalyseBytes(int charset, int tag, std::string_view text, std::string_view address,
                  std::string_view expression, ParserHost& host, const Pthrd* sender);

}  // namespace vexo
