#include "tests/support/offline.h"

#include <cstdlib>

#include "platform/connect_to.h"

namespace vexo::testing {

void GoOffline() {
  SetConnectToMap(kOfflineConnectTo);
  // A proxy of the machine's environment would take the tests' requests away.
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    unsetenv(name);
}

void ChooseClassicSources() {
  setenv("VEXO_SOURCES", "classic", 1);
}

}  // namespace vexo::testing
