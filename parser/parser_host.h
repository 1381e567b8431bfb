#pragma once
// What a parser worker needs from the main window it serves: the tracking-run
// flag, popupOnNew, the keyword expression label `gjc3` (the worker learns
// word splits into it), the result store, the pop-up after a new target and
// the running-parser count. The main form implements it; tests use a small
// stand-in. Every call is made on the main thread.

#include <vector>

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
  // The byte popupOnNew; the pop-up happens only when it is 1.
  virtual int PopupOnNew() const = 0;

  // The caption of the hidden label `gjc3`.
  virtual Bytes Gjc3() const = 0;
  virtual void SetGjc3(const Bytes& text) = 0;

  virtual ResultStore& Store() = 0;

  // A new target was stored while popupOnNew is 1: the main form runs its
  // `TrayIcon1Click` with the worker as sender (nullptr for an analysis that
  // ran without a worker, AnalysePageNow).
  virtual void PopUpForNewTarget(const Pthrd* sender) = 0;

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

 private:
  friend class Pthrd;
  std::vector<Pthrd*> workers_;
};

}  // namespace vexo
