#pragma once
// The main window as the result store sees it when only the program folder
// matters: no rows, counters that stay put.

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
  std::string ProgramFolder() const override { return folder; }
  Bytes Sum1() const override { return "0"; }
  void SetSum1(const Bytes&) override {}
  Bytes Sa() const override { return {}; }
  void SetSa(const Bytes&) override {}
  Bytes RowLabel(int, int) const override { return {}; }
  void SetRowLabel(int, int, const Bytes&) override {}
  void SetMarkCell(int, const Bytes&) override {}
};

}  // namespace vexo::testing
