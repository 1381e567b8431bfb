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
inline constexpr int kProgramFailed = 1;  // the folder's lock file could not be made or written
inline constexpr int kProgramBadUsage = 2;
inline constexpr int kProgramFolderBusy = 3;

// args: the arguments after the program name. Answers nothing when the
// program should go on and open its window; else the exit status, after the
// help or version on `out` or the error and usage on `err`.
std::optional<int> HandleProgramCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                            std::ostream& err);

std::string ProgramHelpText();

class FolderLock;
class MessageBoxService;

// A start on a program folder whose lock could not be taken: asks a running
// window to show itself (status 0), or says why not on `err` and in a message
// box, since a program started from the menu has no terminal: another program
// holds the folder (status 3) or the lock file could not be made or written
// (status 1). Needs a QCoreApplication.
int RefuseFolder(const FolderLock& lock, bool held, const std::string& folder, std::ostream& err,
                 MessageBoxService& boxes);

}  // namespace vexo
