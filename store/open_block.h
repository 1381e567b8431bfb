#pragma once
// The open block: the run's newest targets in memory (line 0 the block's
// number, then link and title lines), with an index of its title lines for
// the duplicate test. The index follows the lines the store appends; any
// other change goes through Edit(), after which the next test indexes the
// block afresh.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

// A block holds this many targets, each a link line and a title line.
inline constexpr int kBlockTargets = 200;
inline constexpr int kMaxBlockLines = 2 * kBlockTargets;

// Block file n of the Temp folder (given without its final "/").
std::string BlockFilePath(std::string_view tempFolder, long long n);

// A title line is the title between two of these (the ellipsis).
std::string_view TitleMark();

class OpenBlockLines {
 public:
  // nullptr while absent (before the first run).
  const StringList* Get() const { return lines_.get(); }
  // The lines for a change by anyone but the store; ask again for each
  // change, as the store indexes the block afresh at its next test.
  StringList* Edit();

  void Create();
  // Creates the block when it is missing, else empties it.
  void Clear();
  void Destroy();

  // A line equal, but for letter case, to TitleMark() + title + TitleMark().
  bool HoldsTitleLine(std::string_view title);
  // Appends a target's two lines; the index keeps up with them.
  void Append(const Bytes& link, const Bytes& titleLine);
  // Hands the full block out and starts block `next` in its place.
  StringList RollOver(long long next);

 private:
  // The block's lines chained by a key of their title part, newest first.
  // Lines appended since it was built are added at the next test; a block
  // shorter than the index, Edit(), and a new block drop it.
  struct LineIndex {
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    bool valid = false;
    std::array<std::uint32_t, 512> newest{};  // by key
    std::vector<std::uint32_t> older;         // per indexed line
  };

  std::unique_ptr<StringList> lines_;
  LineIndex index_;
};

}  // namespace vexo
