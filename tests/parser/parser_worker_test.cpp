// The worker's life: the running-parser count, the tracking-run flag, the
// synchronised call onto the main thread's event loop, and shutdown with
// workers still waiting.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>

#include "tests/parser/parser_fixture.h"

namespace vexo::parser_test {
namespace {

const Bytes kKeyword = Gb("手机");
const std::string kPage = "http://www.site.com/news/p.htm";

// A content page with n matching anchors, each a distinct target.
Bytes PageWithTargets(int n, int first = 1) {
  Bytes html = "<ul>";
  for (int i = first; i < first + n; ++i) {
    const Bytes num = IntToText(i);
    html += "<li><a href=\"/" + num + ".htm\">" + Gb("新款") + kKeyword + Gb("评测第") + num +
            Gb("篇") + "</a></li>";
  }
  return html + "</ul>";
}

// Runs the main thread's event loop (posted calls and deferred deletes)
// until `done` holds or the deadline passes.
bool SpinUntil(const std::function<bool()>& done, int deadlineMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < deadlineMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::yieldCurrentThread();
  }
  return done();
}

class WorkerTest : public ParserTest {};

TEST_F(WorkerTest, CountGoesUpAndBackDownAroundEveryAnalysis) {
  host.runningParsers = 3;  // three other workers still pending
  Analyse(51, PageWithTargets(2), kPage, kKeyword);
  EXPECT_EQ(host.runningParsers, 3);
  EXPECT_EQ(Targets().size(), 2u);

  host.tracking = false;  // a worker that starts after a stop does nothing else
  Analyse(51, PageWithTargets(2, 10), kPage, kKeyword);
  EXPECT_EQ(host.runningParsers, 3);
  EXPECT_EQ(Targets().size(), 2u);
}

TEST_F(WorkerTest, StopDuringTheAnalysisEndsItAtTheNextCheck) {
  // The pop-up of the first target stops the run.
  host.onPopUp = [this] { host.tracking = false; };
  Analyse(51, PageWithTargets(3), kPage, kKeyword);
  EXPECT_EQ(Targets().size(), 1u);
  EXPECT_EQ(host.runningParsers, 0);

  StartRun();
  host.tracking = true;
  Analyse(3,
          "<a href=\"http://a.com/1.htm\">t</a>" + Gb("今日手机降价促销活动") +
              "<a href=\"http://b.com/2.htm\">t</a>" + Gb("明日手机涨价新闻报道") +
              "<a href=\"/end.htm\">",
          "http://search.example.com/s?q=1", kKeyword);
  EXPECT_EQ(Targets().size(), 1u);
  EXPECT_EQ(host.runningParsers, 0);
}

TEST_F(WorkerTest, AStopAtAnyCheckLeavesAPrefixOfTheTargets) {
  const Bytes content = PageWithTargets(4);
  const Bytes listing = "<a href=\"http://a.com/1.htm\">t</a>" + Gb("今日手机降价促销活动") +
                        "<a href=\"http://b.com/2.htm\">t</a>" + Gb("明日手机涨价新闻报道") +
                        "<a href=\"http://c.com/3.htm\">t</a>" + Gb("后天手机停产消息传来") +
                        "<a href=\"/end.htm\">";
  for (auto [tag, html] : {std::pair{51, content}, std::pair{3, listing}}) {
    StartRun();
    host.stopAfterChecks = -1;
    Analyse(tag, html, kPage, kKeyword);
    const auto all = Targets();
    ASSERT_EQ(all.size(), tag == 51 ? 4u : 3u);
    const long checks = host.trackingChecks;
    for (long n = 0; n <= checks; ++n) {
      StartRun();
      host.tracking = true;
      host.trackingChecks = 0;
      host.stopAfterChecks = n;
      Analyse(tag, html, kPage, kKeyword);
      const auto some = Targets();
      ASSERT_LE(some.size(), all.size());
      EXPECT_TRUE(std::equal(some.begin(), some.end(), all.begin())) << "stop at check " << n;
      EXPECT_EQ(host.runningParsers, 0);
    }
    host.stopAfterChecks = -1;
    host.tracking = true;
    host.trackingChecks = 0;
  }
}

// --- the threaded path ------------------------------------------------------

TEST_F(WorkerTest, WorkerThreadHandsTheAnalysisToTheMainThreadAndFreesItself) {
  bool onMainThread = false;
  host.onPopUp = [&] { onMainThread = QThread::currentThread() == qApp->thread(); };
  StartParser(0, 51, PageWithTargets(1), kPage, kKeyword, host);
  EXPECT_EQ(host.runningParsers, 1);
  EXPECT_EQ(host.PendingWorkers(), 1);
  EXPECT_TRUE(Targets().empty());  // nothing happens before the event loop runs

  ASSERT_TRUE(SpinUntil([&] { return host.runningParsers == 0; }));
  EXPECT_EQ(Targets().size(), 1u);
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_NE(host.popups[0], nullptr);
  EXPECT_TRUE(onMainThread);
  EXPECT_TRUE(SpinUntil([&] { return host.PendingWorkers() == 0; }));
}

TEST_F(WorkerTest, ManyWorkersAreAnalysedOneAtATime) {
  int depth = 0;
  int deepest = 0;
  host.onPopUp = [&] {
    ++depth;
    deepest = std::max(deepest, depth);
    --depth;
  };
  for (int i = 0; i < 24; ++i) {
    StartParser(0, 51, PageWithTargets(1, i * 10), kPage, kKeyword, host);
  }
  EXPECT_EQ(host.runningParsers, 24);
  ASSERT_TRUE(SpinUntil([&] { return host.runningParsers == 0; }));
  EXPECT_EQ(Targets().size(), 24u);
  EXPECT_EQ(deepest, 1);
  EXPECT_TRUE(SpinUntil([&] { return host.PendingWorkers() == 0; }));
}

TEST_F(WorkerTest, WorkersPendingAtAStopOnlyBringTheCountDown) {
  for (int i = 0; i < 4; ++i) StartParser(0, 51, PageWithTargets(1, i), kPage, kKeyword, host);
  host.tracking = false;
  ASSERT_TRUE(SpinUntil([&] { return host.runningParsers == 0; }));
  EXPECT_TRUE(Targets().empty());
  EXPECT_TRUE(SpinUntil([&] { return host.PendingWorkers() == 0; }));
}

TEST_F(WorkerTest, HostGoingAwayReleasesItsWaitingWorkers) {
  for (int analysedFirst : {0, 2}) {
    SCOPED_TRACE(analysedFirst);
    auto other = std::make_unique<FakeMainWindow>();
    other->folder = root_ + "/";
    other->store.CreateRunLists();
    other->store.SiteQueue()->push_back(Bytes(kPassMarker));
    other->store.EditOpenBlock()->push_back("1");
    for (int i = 0; i < analysedFirst; ++i) {
      StartParser(0, 51, PageWithTargets(1, i), kPage, kKeyword, *other);
    }
    ASSERT_TRUE(SpinUntil([&] { return other->runningParsers == 0; }));
    // Analysed but perhaps not yet freed, plus six never analysed.
    for (int i = 0; i < 6; ++i) {
      StartParser(0, 51, PageWithTargets(1, 100 + i), kPage, kKeyword, *other);
    }
    EXPECT_EQ(other->runningParsers, 6);
    QElapsedTimer clock;
    clock.start();
    other.reset();  // joins the six threads without running their analyses
    EXPECT_LT(clock.elapsed(), 5000);
    // Nothing posted by the released workers may reach the freed host.
    SpinUntil([] { return false; }, 100);
  }
}

}  // namespace
}  // namespace vexo::parser_test
