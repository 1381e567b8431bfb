#pragma once
// What the result store needs from the main window it serves: the tracking-run
// flag, the program folder, the target counter `sum1`, the page start `Sa` and
// the labels of the eight display rows. The main form implements it; tests use
// a small stand-in.

#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

class StoreHost {
 public:
  virtual ~StoreHost() = default;

  virtual bool Tracking() const = 0;
  // Ends with "/".
  virtual std::string ProgramFolder() const = 0;

  virtual Bytes Sum1() const = 0;
  virtual void SetSum1(const Bytes& text) = 0;
  virtual Bytes Sa() const = 0;
  // Runs the edit's change handler, as every change of `Sa` does.
  virtual void SetSa(const Bytes& text) = 0;

  // Row 1-8; which 1 = the hidden link label M<row>1, else the caption M<row>2.
  virtual Bytes RowLabel(int row, int which) const = 0;
  virtual void SetRowLabel(int row, int which, const Bytes& text) = 0;
  // The mark cell x<row>.
  virtual void SetMarkCell(int row, const Bytes& text) = 0;

  // Told once for every target appended to the open block; `number` is its
  // place in the run (the new `sum1`). Runs before the block may roll over.
  virtual void TargetAppended(long long /*number*/, std::string_view /*link*/,
                              std::string_view /*title*/) {}
  // Told when a file of the program could not be written. For a block file
  // its targets stay in memory and the store tries again at the next block
  // boundary and at the stop; for a history file the blocks it would merge
  // stay as they are.
  virtual void SaveFailed(const std::string& /*path*/) {}
};

}  // namespace vexo
