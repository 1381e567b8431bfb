#pragma once
// The window program's command line: only --help and --version; anything
// else is a usage error.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vexo {

// Exit statuses of the window program.
inline constexpr int kProgramOk = 0;
inline constexpr int kProgramBadUsage = 2;
inline constexpr int kProgramFolderBusy = 3;

// args: the arguments after the program name. Answers nothing when the
// program should go on and open its window; else the exit status, after the
// help or version on `out` or the error and usage on `err`.
std::optional<int> HandleProgramCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                            std::ostream& err);

std::string ProgramHelpText();

class FolderLock;

// A second start on a program folder whose lock another process holds: asks a
// running window to show itself (status 0), or explains on `err` why not
// (status 3). Needs a QCoreApplication.
int ShowRunningWindow(const FolderLock& lock, const std::string& folder, std::ostream& err);

}  // namespace vexo
