#pragma once
// Shared set-up of the client tests: a clean connect-to map and helpers that
// run the event loop until a request has ended.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/connect_to.h"
#include "tests/fetch/client_recorder.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"
#include "tests/support/test_http_server.h"

namespace vexo::testing {

class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("VEXO_CONNECT_TO");
    ReadConnectToEnvironment();
    ::vexo::testing::GoOffline();
  }
  void TearDown() override { ::vexo::testing::GoOffline(); }

  // Runs the loop until the request has ended, then a little longer so that a
  // second OnRequestDone would be seen.
  static bool Finish(const ClientRecorder& r, int ms = 5000) {
    const bool ok = RunUntil([&] { return r.done > 0; }, ms);
    RunFor(20);
    return ok;
  }

  // A client set up the way the program uses it.
  static void Prepare(HttpClient& c, ClientRecorder& r, const std::string& url) {
    c.NoCache = true;
    c.MultiThreaded = true;
    c.URL = url;
    r.Attach(c);
  }

  // Prepares c, starts a GET of url and runs the loop until it has ended.
  static bool GetFrom(HttpClient& c, ClientRecorder& r, const std::string& url) {
    Prepare(c, r, url);
    c.StartGet();
    return Finish(r);
  }
};

}  // namespace vexo::testing
