#include "tests/support/offline.h"

#include "platform/connect_to.h"

namespace vexo::testing {

void GoOffline() {
  SetConnectToMap(kOfflineConnectTo);
}

}  // namespace vexo::testing
