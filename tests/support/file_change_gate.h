#pragma once
// Counts the program's changes to the file system and fails one of them, or
// every one from the k-th on: the disk as a process killed at that step
// leaves it.

#include <string>
#include <vector>

#include "platform/files.h"

namespace vexo::testing {

class FileChangeStop {
 public:
  enum class Mode { kFailOne, kStopFrom };

  // step 0 lets every change through and only counts.
  explicit FileChangeStop(int step = 0, Mode mode = Mode::kStopFrom) : step_(step), mode_(mode) {
    SetFileChangeGate([this](FileChange, const std::string& path) {
      ++count_;
      seen_.push_back(path);
      if (step_ == 0) return true;
      return mode_ == Mode::kFailOne ? count_ != step_ : count_ < step_;
    });
  }
  ~FileChangeStop() { SetFileChangeGate({}); }
  FileChangeStop(const FileChangeStop&) = delete;
  FileChangeStop& operator=(const FileChangeStop&) = delete;

  int Count() const { return count_; }
  const std::vector<std::string>& Paths() const { return seen_; }

 private:
  int step_;
  Mode mode_;
  int count_ = 0;
  std::vector<std::string> seen_;
};

}  // namespace vexo::testing
