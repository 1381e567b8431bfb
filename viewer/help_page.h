#pragma once
// The help page "help.htm": keyword syntax with examples and what the buttons
// do, in GB2312. The build makes it and the installation puts it in
// share/vexo; a page in the program folder takes its place.

#include <string>

#include "platform/browser.h"
#include "platform/bytes.h"

namespace vexo {

// The page's bytes (GB2312 HTML).
Bytes HelpPageHtml();

// The absolute path of the page to open: folder + "help.htm" when it exists,
// else the installed one beside the executable's bin folder
// (../share/vexo/help.htm, also the build folder's layout); empty when there
// is none.
std::string FindHelpPage(const std::string& folder, const std::string& executable);

// Opens that page in the browser; false when there is none or on failure.
bool OpenHelpPage(const std::string& folder, const std::string& executable,
                  BrowserLauncher& browser);

}  // namespace vexo
