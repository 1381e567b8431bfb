#include "platform/autorun.h"

#include <utility>

#include "platform/files.h"

namespace vexo {

namespace {

bool NeedsQuotes(const std::string& s) {
  static constexpr std::string_view kReserved = " \t\n\r\"'\\><~|&;$*?#`()";
  return s.empty() || s.find_first_of(kReserved) != std::string::npos;
}

}  // namespace

std::string DesktopExecValue(const std::string& program) {
  // First the Exec quoting rules, then the escapes of a desktop-entry string
  // value, which apply underneath them.
  std::string quoted;
  const bool quote = NeedsQuotes(program);
  if (quote) quoted += '"';
  for (const char c : program) {
    if (c == '%') {
      quoted += "%%";
    } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      quoted += '\\';
      quoted += c;
    } else {
      quoted += c;
    }
  }
  if (quote) quoted += '"';

  std::string value;
  for (const char c : quoted) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\r':
        value += "\\r";
        break;
      case '\t':
        value += "\\t";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::string DesktopEntryText(const std::string& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Vexo\n"
         "Comment=Keyword tracker\n"
         "Exec=" +
         DesktopExecValue(program) +
         "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

AutoRunEntry::AutoRunEntry(std::string entry_path, std::string executable)
    : entry_path_(std::move(entry_path)), executable_(std::move(executable)) {}

void AutoRunEntry::Loaded() {
  SetActive(false);
}

bool AutoRunEntry::IsOwnEntry() const {
  Bytes text;
  if (executable_.empty() || !ReadFileBytes(entry_path_, text)) return false;
  return ("\n" + text).find("\nExec=" + DesktopExecValue(executable_) + "\n") != std::string::npos;
}

bool AutoRunEntry::SetActive(bool on) {
  active_ = on;
  if (held_) {
    kept_.push_back(on);
    return true;
  }
  return ChangeFile(on);
}

void AutoRunEntry::Release() {
  held_ = false;
  std::vector<bool> kept;
  kept.swap(kept_);
  for (const bool on : kept) ChangeFile(on);
}

bool AutoRunEntry::ChangeFile(bool on) {
  // Another copy's entry (the installed program's, seen from a build) or the
  // user's own stays.
  if (!on) {
    if (IsOwnEntry()) DeleteFile(entry_path_);
    return !IsOwnEntry();
  }
  if (executable_.empty() || entry_path_.empty()) return false;
  const auto slash = entry_path_.rfind('/');
  if (slash != std::string::npos) CreateDir(entry_path_.substr(0, slash));
  return WriteFileAtomic(entry_path_, DesktopEntryText(executable_));
}

}  // namespace vexo
