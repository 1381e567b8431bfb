#pragma once
// vexo-cli track: a tracking run of the main window model without a window,
// on real timers and sockets, as a person would run it: type the keywords,
// press Track, press it again after the given time (or at Ctrl-C), close the
// program with OK.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexo {

// args: KEYWORDS [--seconds N] [--gb]. Needs a QCoreApplication. Prints every
// new target as "number<TAB>title<TAB>link" (UTF-8, or with --gb raw GB2312 as
// the keywords then are), then "sum1<TAB>n" and "ss<TAB>n". Answers an exit
// code of cli_commands.h.
int RunTrackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Asks a running track command to stop as if its time were up; safe from a
// signal handler.
void RequestTrackStop();

}  // namespace vexo
