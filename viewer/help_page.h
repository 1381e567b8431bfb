#pragma once
// The help page "help.htm" in the program folder: keyword syntax with
// examples and what the buttons do, in GB2312. The program writes it there
// when it is missing, so that every copy of the program has one.

#include <string>

#include "platform/browser.h"
#include "platform/bytes.h"

namespace vexo {

// The page's bytes (GB2312 HTML).
Bytes HelpPageHtml();

// Writes folder + "help.htm" when it does not exist; answers its absolute path,
// or empty when it is missing and could not be written.
std::string EnsureHelpPage(const std::string& folder);

// Opens the help page in the browser; false on any failure.
bool OpenHelpPage(const std::string& folder, BrowserLauncher& browser);

}  // namespace vexo
