#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "vexo_version.h"

namespace vexo {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// XDG base folders count only when absolute.
std::string XdgOr(const std::string& value, const std::string& home, const char* fallback) {
  if (!value.empty() && value[0] == '/') return WithSlash(value);
  return WithSlash(home) + fallback;
}

std::string ConfigHome(const FolderEnvironment& env) {
  return XdgOr(env.xdg_config_home, env.home, ".config/");
}

// A folder given relative to the executables' folder; never one relative to
// the working folder.
std::string BesideExecutable(const std::string& executable, const char* from_bin_dir) {
  const auto slash = executable.rfind('/');
  if (slash == std::string::npos) return {};
  return executable.substr(0, slash + 1) + from_bin_dir;
}

}  // namespace

std::string ExecutablePath() {
  std::error_code ec;
  const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

FolderEnvironment CurrentFolderEnvironment() {
  FolderEnvironment env;
  env.vexo_home = Env("VEXO_HOME");
  // Made absolute once: the window changes into the folder when it shows,
  // after which a relative name would lead somewhere else.
  if (!env.vexo_home.empty() && env.vexo_home[0] != '/') {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(env.vexo_home, ec);
    if (!ec) env.vexo_home = absolute.lexically_normal().string();
  }
  env.xdg_data_home = Env("XDG_DATA_HOME");
  env.xdg_config_home = Env("XDG_CONFIG_HOME");
  env.home = Env("HOME");
  if (env.home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
  }
  if (env.home.empty()) env.home = "/";
  env.executable = ExecutablePath();
  return env;
}

std::string ProgramFolder(const FolderEnvironment& env) {
  if (!env.vexo_home.empty()) {
    const std::string dir = WithSlash(env.vexo_home);
    CreateDir(dir);
    return dir;
  }
  const auto slash = env.executable.rfind('/');
  if (slash != std::string::npos) {
    const std::string dir = env.executable.substr(0, slash + 1);
    if (DirExists(dir) && ::access(dir.c_str(), W_OK) == 0) return dir;
  }
  const std::string dir = XdgOr(env.xdg_data_home, env.home, ".local/share/") + "vexo/";
  CreateDir(dir);
  return dir;
}

std::string ConfigFilePath(const FolderEnvironment& env) {
  if (!env.vexo_home.empty()) return WithSlash(env.vexo_home) + "vexo.ini";
  return ConfigHome(env) + "vexo.ini";
}

std::string AutostartEntryPath(const FolderEnvironment& env) {
  return ConfigHome(env) + "autostart/vexo.desktop";
}

std::string SharedDataFolder(const std::string& executable) {
  return BesideExecutable(executable, kDataDirFromBinDir);
}

std::string ModuleFolder(const std::string& executable) {
  return BesideExecutable(executable, kModuleDirFromBinDir);
}

}  // namespace vexo
