#pragma once
// vexo-cli: the keyword functions and the page charset conversions from the
// command line, for checking keywords and pages by hand and in scripts.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexo {

// Exit codes of the tool.
inline constexpr int kCliOk = 0;
inline constexpr int kCliFailed = 1;      // a file could not be read or written
inline constexpr int kCliBadUsage = 2;    // one usage line on err
inline constexpr int kCliFolderBusy = 3;  // track: another Vexo holds the program folder

// Runs one command line (without the program name). `in` is the standard
// input, read only by the commands that take page text. The global options
// ("--gb", "--help", "--") stand before the subcommand; "analyse" and "track"
// take the rest of the line as their own ("track" needs a QCoreApplication).
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err);

// The subcommand of a command line: its first word after the global options,
// or empty.
std::string CliSubcommand(const std::vector<std::string>& args);

}  // namespace vexo
