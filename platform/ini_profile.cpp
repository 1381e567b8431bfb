#include "platform/ini_profile.h"

#include <limits>
#include <unordered_set>
#include <vector>

#include "platform/files.h"

namespace vexo {

namespace {

// One line of the file: its text [begin, end) and its line end [end, next).
struct LineSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// Calls visit(span) for every line in order until it answers false. Nothing
// is allocated per line: a file of millions of blank lines costs one pass.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
      visit(LineSpan{begin, text.size(), text.size()});
      return;
    }
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    if (!visit(LineSpan{begin, end, next})) return;
    begin = next;
  }
}

// The name of a "[name]" line, or nothing when the line is no section header.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view t = TrimView(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const auto close = t.find(']');
  return TrimView(t.substr(1, close == std::string_view::npos ? close : close - 1));
}

// Key of a "key=value" line, or nothing when the line has no "=".
std::optional<std::string_view> KeyName(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return TrimView(line.substr(0, eq));
}

// Where a key lives: its line, the section header's line and the last
// non-blank line of the section; found = false for the parts absent.
struct Place {
  bool has_key = false;
  bool has_section = false;
  LineSpan key;
  LineSpan last_filled;
};

Place Find(std::string_view text, std::string_view section, std::string_view key) {
  Place place;
  bool inside = false;
  ForEachLine(text, [&](const LineSpan& s) {
    const std::string_view line = text.substr(s.begin, s.end - s.begin);
    if (TrimView(line).empty()) return true;
    if (const auto name = SectionName(line)) {
      if (inside) return false;  // the first matching section is the one used
      if (EqualsNoCase(*name, section)) {
        inside = place.has_section = true;
        place.last_filled = s;
      }
      return true;
    }
    if (!inside) return true;
    place.last_filled = s;
    if (const auto k = KeyName(line); k && EqualsNoCase(*k, key)) {
      place.has_key = true;
      place.key = s;
      return false;
    }
    return true;
  });
  return place;
}

// "section\0key", lower-cased: the index's key.
std::string IndexKey(std::string_view section, std::string_view key) {
  return Lower(section) + '\0' + Lower(key);
}

Bytes OneLine(std::string_view value) {
  Bytes v(UpToZero(value));
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return v;
}

}  // namespace

IniProfile::IniProfile(std::string path) : path_(std::move(path)) {}

bool IniProfile::Load() {
  indexed_ = false;
  content_.clear();
  writable_ = true;
  if (DirExists(path_)) {
    writable_ = false;
    return false;
  }
  if (!FileExists(path_)) return true;
  if (!ReadFileBytes(path_, content_, kMaxFileSize)) {
    content_.clear();
    writable_ = false;
    return false;
  }
  return true;
}

bool IniProfile::Save() const {
  return writable_ && WriteFileAtomic(path_, content_);
}

// Every key of the file, by section and name, found in one pass. Reads are
// many (a window opening reads dozens of keys), so the file is not walked
// again for each.
void IniProfile::IndexKeys() const {
  if (indexed_) return;
  keys_.clear();
  std::unordered_set<std::string> sections;
  std::string section;
  bool first = false;  // inside the first section of its name
  const std::string_view text = content_;
  ForEachLine(text, [&](const LineSpan& s) {
    const std::string_view line = text.substr(s.begin, s.end - s.begin);
    if (TrimView(line).empty()) return true;
    if (const auto name = SectionName(line)) {
      section = Lower(*name);
      first = sections.insert(section).second;
      return true;
    }
    if (const auto k = KeyName(line); first && k)
      keys_.try_emplace(IndexKey(section, *k), s.begin, s.end - s.begin);
    return true;
  });
  indexed_ = true;
}

std::optional<Bytes> IniProfile::Get(std::string_view section, std::string_view key) const {
  IndexKeys();
  const auto found = keys_.find(IndexKey(section, key));
  if (found == keys_.end()) return std::nullopt;
  const std::string_view line =
      std::string_view(content_).substr(found->second.first, found->second.second);
  return Trim(line.substr(line.find('=') + 1));
}

Bytes IniProfile::ReadString(std::string_view section, std::string_view key,
                             std::string_view def) const {
  const auto v = Get(section, key);
  return v ? *v : Bytes(def);
}

long long IniProfile::ReadInt(std::string_view section, std::string_view key, long long def) const {
  const auto v = Get(section, key);
  // A present but empty (or blank) value counts as absent, as the Windows
  // profile functions read it; other non-numbers still give 0.
  if (!v || v->empty()) return def;
  std::size_t i = 0;
  bool negative = false;
  if (i < v->size() && ((*v)[i] == '-' || (*v)[i] == '+')) negative = (*v)[i++] == '-';
  long long n = 0;
  constexpr long long kMax = std::numeric_limits<long long>::max() / 10 - 1;
  for (; i < v->size() && (*v)[i] >= '0' && (*v)[i] <= '9'; ++i) {
    if (n > kMax) break;  // clamp absurd lengths instead of overflowing
    n = n * 10 + ((*v)[i] - '0');
  }
  return negative ? -n : n;
}

void IniProfile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
  const Bytes line = Bytes(key) + "=" + OneLine(value);
  const Place place = Find(content_, section, key);
  indexed_ = false;
  if (place.has_key) {
    const LineSpan& s = place.key;
    content_.replace(s.begin, s.end - s.begin, line);
    return;
  }
  if (place.has_section) {
    const LineSpan& s = place.last_filled;
    // A last line without its line end (a truncated file) gets one first.
    if (s.next == s.end) {
      content_.insert(s.end, "\r\n");
      content_.insert(s.end + 2, line + "\r\n");
    } else {
      content_.insert(s.next, line + "\r\n");
    }
    return;
  }
  if (!content_.empty() && content_.back() != '\n' && content_.back() != '\r') content_ += "\r\n";
  content_ += "[" + Bytes(section) + "]\r\n" + line + "\r\n";
}

void IniProfile::WriteInt(std::string_view section, std::string_view key, long long value) {
  WriteString(section, key, IntToText(value));
}

Bytes ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view def) {
  IniProfile ini(file);
  ini.Load();
  return ini.ReadString(section, key, def);
}

long long ReadProfileInt(const std::string& file, std::string_view section, std::string_view key,
                         long long def) {
  IniProfile ini(file);
  ini.Load();
  return ini.ReadInt(section, key, def);
}

bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
  IniProfile ini(file);
  if (!ini.Load()) return false;
  ini.WriteString(section, key, value);
  return ini.Save();
}

bool WriteProfileInt(const std::string& file, std::string_view section, std::string_view key,
                     long long value) {
  return WriteProfileString(file, section, key, IntToText(value));
}

}  // namespace vexo
