#pragma once
// The private-profile (INI) functions over one file: "[section]" lines and
// "key=value" lines. Section and key names compare without regard to ASCII
// case; values are GB2312 bytes, kept byte for byte apart from the blanks
// around them. Reading never fails: a missing, unreadable, empty, garbage or
// oversized file reads as the defaults. Writing rewrites the whole file
// atomically and keeps every other line as it was, so a failed write loses
// nothing.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/bytes.h"

namespace vexo {

// A profile file held in memory: load once, read and change keys, save once.
class IniProfile {
 public:
  // Files above this size are not read (and, so as not to lose them, not
  // rewritten either).
  static constexpr std::size_t kMaxFileSize = 16u << 20;

  explicit IniProfile(std::string path);

  // False when the file exists but cannot be read whole; the profile is then
  // empty and Save refuses to overwrite the file.
  bool Load();
  bool Save() const;

  std::optional<Bytes> Get(std::string_view section, std::string_view key) const;
  Bytes ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // The leading decimal integer of the value (optional sign), 0 when the value
  // has none, def when the key is absent or its value empty or blank.
  long long ReadInt(std::string_view section, std::string_view key, long long def) const;
  // A value is one line: it ends at a zero byte, and CR and LF become blanks.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInt(std::string_view section, std::string_view key, long long value);

  const Bytes& Content() const { return content_; }

 private:
  void IndexKeys() const;

  std::string path_;
  Bytes content_;
  bool writable_ = true;
  // Where each key's line lies in content_ (offset, length), by section and
  // key; rebuilt after a change.
  mutable bool indexed_ = false;
  mutable std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> keys_;
};

// One-call forms, each opening and closing the file.
Bytes ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view def);
long long ReadProfileInt(const std::string& file, std::string_view section, std::string_view key,
                         long long def);
bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);
bool WriteProfileInt(const std::string& file, std::string_view section, std::string_view key,
                     long long value);

}  // namespace vexo
