#include "viewer/help_page.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "texts/texts.h"
#include "vexo_version.h"

namespace vexo {

Bytes HelpPageHtml() {
  return ReplaceAll(ViewerText().help_page, "%HOME%", kPublisherHomePage);
}

std::string FindHelpPage(const std::string& folder, const std::string& executable) {
  std::error_code ec;
  std::vector<std::filesystem::path> candidates;
  if (!folder.empty()) candidates.push_back(std::filesystem::path(folder) / "help.htm");
  const auto slash = executable.rfind('/');
  if (slash != std::string::npos)
    candidates.push_back(std::filesystem::path(executable.substr(0, slash)) / kDataDirFromBinDir /
                         "help.htm");
  for (const auto& candidate : candidates) {
    // "bin/.." read lexically: the executable's link may name a folder that
    // the file system resolves elsewhere.
    const std::filesystem::path full = std::filesystem::absolute(candidate, ec).lexically_normal();
    if (!ec && FileExists(full.string())) return full.string();
  }
  return {};
}

bool OpenHelpPage(const std::string& folder, const std::string& executable,
                  BrowserLauncher& browser) {
  const std::string path = FindHelpPage(folder, executable);
  return !path.empty() && browser.OpenFile(path);
}

}  // namespace vexo
