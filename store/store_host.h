#pragma once
// What the result store must ask of the program it serves: the program
// folder, the tracking-run flag, and where to tell of a target appended and
// of a file it could not write. The main form answers it; tests use a small
// stand-in.

#include <string>
#include <string_view>

namespace vexo {

class StoreHost {
 public:
  virtual ~StoreHost() = default;

  virtual bool Tracking() const = 0;
  // Ends with "/". Asked at every duplicate test: an answer held, not made.
  virtual const std::string& ProgramFolder() const = 0;

  // Told once for every target appended to the open block; `number` is its
  // place in the run (the store's new target count). Runs before the block
  // may roll over.
  virtual void TargetAppended(long long /*number*/, std::string_view /*link*/,
                              std::string_view /*title*/) {}
  // Told when a file of the program could not be written. For a block file
  // its targets stay in memory and the store tries again at the next block
  // boundary and at the stop; for a history file the blocks it would merge
  // stay as they are.
  virtual void SaveFailed(const std::string& /*path*/) {}
};

}  // namespace vexo
