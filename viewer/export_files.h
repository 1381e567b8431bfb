#pragma once
// The files of one export, written whole or not at all: each file goes to a
// hidden temporary file in the target folder first, and only when all of them
// are written are they renamed to their names.

#include <string>
#include <string_view>
#include <vector>

namespace vexo {

class StagedFiles {
 public:
  explicit StagedFiles(std::string folder);
  ~StagedFiles();  // removes what was staged and not committed
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Writes data (flushed to disk) under a temporary name, to become `name`
  // in the folder; false when it could not be written whole.
  bool Stage(const std::string& name, std::string_view data);
  // Renames every staged file to its name; false when one rename failed (the
  // files not yet renamed are then removed). The final paths in order.
  bool Commit();
  const std::vector<std::string>& Committed() const { return committed_; }
  // Removes every staged file not yet committed.
  void Abort();

 private:
  struct Entry {
    std::string temp;
    std::string final_path;
  };
  std::string folder_;
  std::vector<Entry> staged_;
  std::vector<std::string> committed_;
};

// The folder part of a path ("." when it has none), and its last element.
std::string FolderOfPath(const std::string& path);
std::string NameOfPath(const std::string& path);

}  // namespace vexo
