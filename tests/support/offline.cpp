#include "tests/support/offline.h"

#include <cstdlib>

#include "platform/connect_to.h"

namespace vexo::testing {

void GoOffline() {
  SetConnectToMap(kOfflineConnectTo);
}

void ChooseClassicSources() {
  setenv("VEXO_SOURCES", "classic", 1);
}

}  // namespace vexo::testing
