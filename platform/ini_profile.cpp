#include "platform/ini_profile.h"

#include <limits>
#include <vector>

#include "platform/files.h"

namespace vexo {

namespace {

// One line of the file: its text [begin, end) and its line end [end, next).
struct LineSpan {
  std::size_t begin;
  std::size_t end;
  std::size_t next;
};

std::vector<LineSpan> SplitSpans(std::string_view text) {
  std::vector<LineSpan> spans;
  std::size_t begin = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      std::size_t next = i + 1;
      if (c == '\r' && next < text.size() && text[next] == '\n') ++next;
      spans.push_back({begin, i, next});
      begin = i = next;
      continue;
    }
    ++i;
  }
  if (begin < text.size()) spans.push_back({begin, text.size(), text.size()});
  return spans;
}

bool SameName(std::string_view a, std::string_view b) {
  return Lower(a) == Lower(b);
}

// The name of a "[name]" line, or nothing when the line is no section header.
std::optional<Bytes> SectionName(std::string_view line) {
  const Bytes t = TrimLeft(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const auto close = t.find(']');
  return Trim(std::string_view(t).substr(1, close == Bytes::npos ? Bytes::npos : close - 1));
}

// Key of a "key=value" line, or nothing when the line has no "=".
std::optional<Bytes> KeyName(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, eq));
}

// Where a key lives: the line index of the key (or -1), of the section header
// (or -1) and of the last non-blank line of the section.
struct Place {
  long key = -1;
  long section = -1;
  long last_filled = -1;
};

Place Find(std::string_view text, const std::vector<LineSpan>& spans, std::string_view section,
           std::string_view key) {
  Place place;
  bool inside = false;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const std::string_view line = text.substr(spans[i].begin, spans[i].end - spans[i].begin);
    if (const auto name = SectionName(line)) {
      if (inside) break;  // the first matching section is the one used
      if (SameName(*name, section)) {
        inside = true;
        place.section = place.last_filled = static_cast<long>(i);
      }
      continue;
    }
    if (!inside) continue;
    if (!Trim(line).empty()) place.last_filled = static_cast<long>(i);
    if (const auto k = KeyName(line); k && SameName(*k, key)) {
      place.key = static_cast<long>(i);
      break;
    }
  }
  return place;
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

std::optional<Bytes> IniProfile::Get(std::string_view section, std::string_view key) const {
  const auto spans = SplitSpans(content_);
  const Place place = Find(content_, spans, section, key);
  if (place.key < 0) return std::nullopt;
  const LineSpan& s = spans[static_cast<std::size_t>(place.key)];
  const std::string_view line = std::string_view(content_).substr(s.begin, s.end - s.begin);
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
  const auto spans = SplitSpans(content_);
  const Place place = Find(content_, spans, section, key);
  if (place.key >= 0) {
    const LineSpan& s = spans[static_cast<std::size_t>(place.key)];
    content_.replace(s.begin, s.end - s.begin, line);
    return;
  }
  if (place.section >= 0) {
    const LineSpan& s = spans[static_cast<std::size_t>(place.last_filled)];
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
