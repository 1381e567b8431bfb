#pragma once
// File-system services. Paths use "/". Every function is total: errors give
// false / empty results and never throw.

#include <functional>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Every change these functions make to the file system passes the gate first;
// a refused change is not made and the function fails. Tests install a gate
// that fails the k-th change, or every change from the k-th on: the disk as a
// process killed at that step leaves it. An empty gate allows everything.
enum class FileChange { kCreateDir, kWrite, kSync, kRename, kDelete };
using FileChangeGate = std::function<bool(FileChange, const std::string& path)>;
void SetFileChangeGate(FileChangeGate gate);

bool FileExists(const std::string& path);
// Anything at all at the path: a file, a folder, a dangling link.
bool PathTaken(const std::string& path);
bool DirExists(const std::string& path);
// Creates the folder (and missing parents); true when it exists afterwards.
bool CreateDir(const std::string& path);
bool DeleteFile(const std::string& path);
// Renames over an existing target.
bool RenameFile(const std::string& from, const std::string& to);
// Renames only when nothing stands at the target; never replaces anything.
bool RenameFileNoReplace(const std::string& from, const std::string& to);

// Whole file as bytes; false when it cannot be read or is larger than limit.
bool ReadFileBytes(const std::string& path, Bytes& out, std::size_t limit = 64u << 20);
// Writes to a temporary file beside the target (named target + ".tmp-" + pid
// + "-" + n), flushes it to disk, renames it over the target and flushes the
// folder, so that neither a failure nor a power loss leaves anything but the
// old file or the new one. A replaced file keeps its permission bits.
bool WriteFileAtomic(const std::string& path, std::string_view data);
// Deletes the temporary files of atomic writes in the folder that a process
// no longer alive left behind; only those whose target name passes `ours`.
// Answers how many went.
int SweepStaleTempFiles(const std::string& folder,
                        const std::function<bool(std::string_view target)>& ours);

// Text lists: lines split at CR LF, LF or a lone CR; a final line end adds no
// empty line. Saving writes every line followed by CR LF. The program's own
// lists are a few hundred kilobytes at most; a list file above
// kMaxListFileBytes is someone else's and is not loaded: a list costs some 32
// bytes a line, so a file of line feeds would cost 32 times its size.
inline constexpr std::size_t kMaxListFileBytes = 4u << 20;
StringList SplitLines(std::string_view text);
Bytes JoinLines(const StringList& lines);
bool LoadLines(const std::string& path, StringList& out);
bool SaveLines(const std::string& path, const StringList& lines);

}  // namespace vexo
