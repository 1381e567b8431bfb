#pragma once
// Where the program keeps its files. The program folder: $VEXO_HOME when set;
// else the executable's folder when it is writable (a portable copy); else
// $XDG_DATA_HOME/vexo (~/.local/share/vexo), created on first use. It always
// ends with "/". The configuration file vexo.ini lives in $VEXO_HOME when that
// is set, else in $XDG_CONFIG_HOME (~/.config).

#include <string>

namespace vexo {

// The inputs of the rules, so that tests can give their own.
struct FolderEnvironment {
  std::string vexo_home;        // $VEXO_HOME
  std::string xdg_data_home;    // $XDG_DATA_HOME
  std::string xdg_config_home;  // $XDG_CONFIG_HOME
  std::string home;             // $HOME, or the user's home from the password file
  std::string executable;       // full path of the running executable
};

FolderEnvironment CurrentFolderEnvironment();

// Full path of the running executable (empty when unknown).
std::string ExecutablePath();

// Ends with "/"; creates the folder when the rule picks one that is missing.
std::string ProgramFolder(const FolderEnvironment& env);
std::string ConfigFilePath(const FolderEnvironment& env);
// The installed data of the program (share/vexo, also the build folder's
// layout) seen from an executable's path; empty for a path without a folder.
std::string SharedDataFolder(const std::string& executable);
// The program's loadable modules (lib/vexo, likewise), seen the same way.
std::string ModuleFolder(const std::string& executable);
// The per-user autostart entry: $XDG_CONFIG_HOME/autostart/vexo.desktop.
std::string AutostartEntryPath(const FolderEnvironment& env);

}  // namespace vexo
