#pragma once
// Opening web addresses and local files in the user's web browser. The
// program is $BROWSER when set (its first ":"-separated entry, split at blanks,
// "%s" standing for the address), else xdg-open. It is started detached, with
// the address as one argument vector element and never through a shell, so no
// byte of an address can run anything.

#include <string>
#include <string_view>
#include <vector>

namespace vexo {

// The address as the browser gets it: only "http://" and "https://" addresses
// (any letter case); control bytes, blanks and non-ASCII bytes (GB2312 text)
// are percent-encoded. Empty when refused.
std::string BrowserAddress(std::string_view address);

// The command for a checked target: see the top of this file.
std::vector<std::string> BrowserCommand(std::string_view browser_env, const std::string& target);

// Starts argv[0] (looked up in $PATH unless it holds a "/") with these
// arguments in a new session, without waiting for it; the program is never a
// child of the caller afterwards. False when it could not be started.
bool StartDetached(const std::vector<std::string>& argv);

class BrowserLauncher {
 public:
  virtual ~BrowserLauncher() = default;
  // A web address (see BrowserAddress). False when refused or not started.
  bool OpenAddress(std::string_view address);
  // A local file by its absolute path.
  bool OpenFile(const std::string& path);

 protected:
  // Starts the browser on one checked argument that never begins with "-".
  virtual bool Start(const std::string& target) = 0;
};

// The user's browser.
class SystemBrowser : public BrowserLauncher {
 protected:
  bool Start(const std::string& target) override;
};

// A browser that only notes what it was asked to open.
class RecordingBrowser : public BrowserLauncher {
 public:
  std::vector<std::string> opened;
  bool fail = false;  // answer false, as a browser that cannot be started

 protected:
  bool Start(const std::string& target) override;
};

}  // namespace vexo
