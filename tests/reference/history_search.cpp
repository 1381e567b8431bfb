#include "tests/reference/history_search.h"

#include "platform/files.h"
#include "store/block_files.h"
#include "store/block_folder.h"

namespace vexo::reference {

bool WindowsHold(std::string_view file, std::string_view text) {
  if (text.empty() || text.size() > kWindowSize) return false;
  const std::size_t size = file.size();
  for (std::size_t offset = 0; offset < size; offset += kWindowStep) {
    const std::size_t start =
        size - offset < kWindowSize ? (size > kWindowSize ? size - kWindowSize : 0) : offset;
    if (file.substr(start, kWindowSize).find(text) != std::string_view::npos) return true;
  }
  return false;
}

bool WaitingHold(const std::vector<StringList>& waiting, std::string_view text) {
  for (const StringList& block : waiting) {
    for (const Bytes& line : block) {
      if (line.find(text) != Bytes::npos) return true;
    }
  }
  return false;
}

bool HistoryHolds(const std::string& tempFolder, const std::vector<StringList>& waiting,
                  std::string_view title) {
  for (const long long n : ListBlockFolder(tempFolder).files) {
    Bytes bytes;
    if (ReadFileBytes(tempFolder + "/" + std::to_string(n) + ".tmp", bytes) &&
        WindowsHold(bytes, title))
      return true;
  }
  return WaitingHold(waiting, title);
}

}  // namespace vexo::reference
