#pragma once
// Starting the program with the user's desktop session: an XDG autostart entry
// (a .desktop file) whose Exec is the executable's full path: the installed
// program's, or the build's when run from the build. Switching on writes it
// over whatever was there; switching off removes it only when it is this
// program's own.

#include <string>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

class AutoRunEntry {
 public:
  // entry_path: the .desktop file (see AutostartEntryPath); executable: the
  // program's full path.
  AutoRunEntry(std::string entry_path, std::string executable);

  // The owning window has been loaded: the entry starts switched off, so it
  // exists only while its toggle is on.
  void Loaded();
  // False when the entry could not be written or removed.
  bool SetActive(bool on);
  bool Active() const { return active_; }

  // While held, switching changes Active at once and keeps its file change
  // (a write with a flush to disk) for Release, which makes the kept changes
  // in their order. The window holds the entry until it is first on screen.
  void Hold() { held_ = true; }
  void Release();

  const std::string& EntryPath() const { return entry_path_; }
  // The entry file exists and starts this executable.
  bool IsOwnEntry() const;

 private:
  bool ChangeFile(bool on);

  std::string entry_path_;
  std::string executable_;
  bool active_ = false;
  bool held_ = false;
  std::vector<bool> kept_;
};

// The Exec value for a program path, quoted and escaped as desktop entries
// require (reserved characters, "%", backslashes, line ends).
std::string DesktopExecValue(const std::string& program);
// The whole entry file.
std::string DesktopEntryText(const std::string& program);

}  // namespace vexo
