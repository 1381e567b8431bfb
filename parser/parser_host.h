#pragma once
// What a parser worker must ask of the program it serves: the tracking-run
// flag, the keyword expression `gjc3` (the worker learns word splits into
// it), the result store, the running-parser count, and where to tell of a new
// target stored. The main form answers it; tests use a small stand-in. Every
// call is made on the main thread.

#include <vector>

#include "parser/analysis_caches.h"
#include "platform/bytes.h"
#include "store/result_store.h"

namespace vexo {

class Pthrd;

class ParserHost {
 public:
  ParserHost() = default;
  ParserHost(const ParserHost&) = delete;
  ParserHost& operator=(const ParserHost&) = delete;
  // Stops this host's pending workers (see StopParsers).
  virtual ~ParserHost();

  virtual bool Tracking() const = 0;

  // The caption of the hidden label `gjc3`.
  virtual const Bytes& Gjc3() const = 0;
  virtual void SetGjc3(const Bytes& text) = 0;

  virtual ResultStore& Store() = 0;

  // The store took a new target of the analysis; `sender` is the worker
  // (nullptr for an analysis that ran without one, AnalysePageNow). The
  // window may pop up and run handlers of its own before the analysis goes
  // on.
  virtual void NewTargetStored(const Pthrd* sender) = 0;

  // The running-parser count: workers started and not yet analysed. The
  // scheduler starts downloads only while it is 0.
  virtual int RunningParsers() const = 0;
  virtual void SetRunningParsers(int count) = 0;

  // Number of workers of this host that have not been freed yet.
  int PendingWorkers() const { return static_cast<int>(workers_.size()); }

  // Releases every pending worker of this host without running its analysis,
  // waits for its thread to end and frees it. Afterwards no worker calls this
  // host again. The implementing class calls it first thing in its destructor
  // (the base destructor calls it too, but by then the derived part is gone,
  // so nothing may run the event loop in between). Safe to call repeatedly.
  void StopParsers();

  // What this host's analyses keep from one to the next.
  AnalysisCaches& Caches() { return caches_; }

 private:
  friend class Pthrd;
  std::vector<Pthrd*> workers_;
  AnalysisCaches caches_;
};

}  // namespace vexo
