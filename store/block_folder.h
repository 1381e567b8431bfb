#pragma once
// What stands in the Temp folder under block file names ("<n>.tmp"): the
// files the store may read as blocks or history, and every number whose name
// is taken by anything at all, which a new block must never be saved over.

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace vexo {

// Far beyond any run (200 targets a block), low enough that n + 1 is safe.
inline constexpr long long kMaxBlockNumber = 1'000'000'000;

// The store writes blocks of 401 lines and history files of some 1,400 title
// lines, a few hundred kilobytes at most. A file far larger is not one of
// them: it is never read, moved or deleted.
inline constexpr long long kMaxBlockFileBytes = static_cast<long long>(kMaxListFileBytes);

struct BlockFolder {
  std::vector<long long> files;  // readable block files, ascending
  std::vector<long long> taken;  // numbers whose name anything holds, ascending
  bool listed = false;           // false: the folder exists but could not be read

  long long HighestTaken() const { return taken.empty() ? 0 : taken.back(); }
  bool Taken(long long n) const;
};

// The number in a name spelt exactly as block file n writes it, else 0.
long long BlockNumberOfName(std::string_view name);

// A regular file of at most kMaxBlockFileBytes (no link) stands at path, of
// text without NUL bytes whose first line is a block number or a title (or
// empty): one the listing counts among the files. Anything else holds its
// name and is never read, moved or deleted.
bool StandsAsBlockFile(const std::string& path);
// The same test for the bytes of a regular file about to be written.
bool BytesStandAsBlockFile(std::string_view bytes);

// Lists the folder. A missing folder is listed and empty. When the folder
// cannot be read, the names 1 to 100 are tried one by one instead.
BlockFolder ListBlockFolder(const std::string& tempFolder);

}  // namespace vexo
