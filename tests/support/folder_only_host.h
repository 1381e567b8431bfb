#pragma once
// The main window as the result store sees it when only the program folder
// matters: nothing is shown of the targets appended.

#include <string>

#include "store/store_host.h"

namespace vexo::testing {

class FolderOnlyHost : public StoreHost {
 public:
  explicit FolderOnlyHost(std::string programFolder = {}, bool isTracking = false)
      : folder(std::move(programFolder)), tracking(isTracking) {}

  std::string folder;
  bool tracking;

  bool Tracking() const override { return tracking; }
  const std::string& ProgramFolder() const override { return folder; }
};

}  // namespace vexo::testing
