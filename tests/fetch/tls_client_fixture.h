#pragma once
// Client tests with https servers: a test certificate authority, trusted
// through the configuration for the test's length, and no kept sessions.

#include <cstdlib>
#include <string>

#include "platform/tls_session.h"
#include "tests/fetch/client_fixture.h"
#include "tests/support/tls_test_server.h"

namespace vexo::testing {

// A whole HTML answer with this body.
inline std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

class TlsClientTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    unsetenv("VEXO_CA_FILE");
    ReadTlsCaFileEnvironment();
    SetTlsCaFile(ca_.PemFile());
    ClearTlsSessionCache();
  }
  void TearDown() override {
    SetTlsCaFile("");
    unsetenv("VEXO_CA_FILE");
    ReadTlsCaFileEnvironment();
    ClientTest::TearDown();
  }

  TestCa ca_;
};

}  // namespace vexo::testing
