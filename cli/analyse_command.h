#pragma once
// vexo-cli analyse: what the page analysis makes of a page, for a person
// asking why a page gave (no) target.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexo {

// args: --url URL --tag N --expr EXPR [--charset 0|5|8] [--gb] [FILE]. Analyses the
// bytes of FILE (or `in`) cut into 8,192-byte pieces as a download of URL
// with source tag N, in a fresh store whose site queue holds only the pass
// marker. Prints "title<TAB>link" per target, "site<TAB>line" per site-queue
// line, "follow<TAB>line" per follow-up line and "expr<TAB>..." (UTF-8; with
// --gb the URL, the expression and the output are raw GB2312 bytes).
int RunAnalyseCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err);

}  // namespace vexo
