#pragma once
// File-system services. Paths use "/". Every function is total: errors give
// false / empty results and never throw.

#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// Creates the folder (and missing parents); true when it exists afterwards.
bool CreateDir(const std::string& path);
bool DeleteFile(const std::string& path);
// Renames over an existing target.
bool RenameFile(const std::string& from, const std::string& to);

// Whole file as bytes; false when it cannot be read or is larger than limit.
bool ReadFileBytes(const std::string& path, Bytes& out, std::size_t limit = 64u << 20);
// Writes to a temporary file beside the target, flushes it to disk and renames
// it over the target, so that a failure leaves the old file intact.
bool WriteFileAtomic(const std::string& path, std::string_view data);

// Text lists: lines split at CR LF, LF or a lone CR; a final line end adds no
// empty line. Saving writes every line followed by CR LF.
StringList SplitLines(std::string_view text);
Bytes JoinLines(const StringList& lines);
bool LoadLines(const std::string& path, StringList& out);
bool SaveLines(const std::string& path, const StringList& lines);

}  // namespace vexo
