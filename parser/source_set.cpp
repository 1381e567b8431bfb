#include "parser/source_set.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/ini_profile.h"

namespace vexo {

namespace {

// A sources file is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxSourcesFile = 1u << 20;
constexpr int kMostPages = 100;
constexpr int kMostGroups = 9;

bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool IsSourceName(std::string_view s) {
  return !s.empty() && s.size() <= 40 && std::all_of(s.begin(), s.end(), IsNameByte);
}

StringList Words(std::string_view value) {
  StringList words;
  std::size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && IsBlankOrControl(value[i])) ++i;
    const std::size_t start = i;
    while (i < value.size() && !IsBlankOrControl(value[i])) ++i;
    if (i > start) words.emplace_back(value.substr(start, i - start));
  }
  return words;
}

void AddWords(StringList& list, std::string_view value) {
  for (Bytes& w : Words(value)) list.push_back(Utf8ToGb(w));
}

bool ReadNumber(std::string_view value, long long low, long long high, long long& out) {
  long long v = 0;
  if (!TryTextToInt(value, v) || v < low || v > high) return false;
  out = v;
  return true;
}

bool ReadYesNo(std::string_view value, bool& out) {
  if (value == "yes") {
    out = true;
  } else if (value == "no") {
    out = false;
  } else {
    return false;
  }
  return true;
}

// A template must ask over http(s), hold {q} and no line break or blank.
bool IsUsableTemplate(std::string_view url) {
  const bool scheme = StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
  return scheme && Contains(url, "{q}") && url.size() <= 2000 &&
         std::none_of(url.begin(), url.end(), IsBlankOrControl);
}

// One "key = value" of a source; false for an unknown key or a bad value.
bool TakeKey(Source& s, std::string_view key, std::string_view value) {
  long long n = 0;
  if (key == "kind") {
    if (value != "html" && value != "feed") return false;
    s.kind = value == "html" ? SourceKind::kHtml : SourceKind::kFeed;
  } else if (key == "reading") {
    if (value != "listing" && value != "results") return false;
    s.reading = value == "listing" ? SourceReading::kListing : SourceReading::kResults;
  } else if (key == "url") {
    if (!IsUsableTemplate(value)) return false;
    s.url = Bytes(value);
  } else if (key == "first") {
    if (!ReadNumber(value, 0, 1000000, s.first)) return false;
  } else if (key == "step") {
    if (!ReadNumber(value, 0, 1000000, s.step)) return false;
  } else if (key == "pages") {
    if (!ReadNumber(value, 0, kMostPages, n)) return false;
    s.pages = static_cast<int>(n);
  } else if (key == "group") {
    if (!ReadNumber(value, 1, kMostGroups, n)) return false;
    s.group = static_cast<int>(n);
  } else if (key == "front") {
    return ReadYesNo(value, s.front);
  } else if (key == "block_when_empty") {
    return ReadYesNo(value, s.block_when_empty);
  } else if (key == "encoding") {
    if (value != "utf-8" && value != "gb2312") return false;
    s.encoding = value == "utf-8" ? QueryEncoding::kUtf8 : QueryEncoding::kGb2312;
  } else if (key == "host_key") {
    if (!IsSourceName(value)) return false;
    s.host_key = Bytes(value);
  } else if (key == "labels") {
    AddWords(s.labels, Lower(value));
  } else if (key == "results") {
    AddWords(s.results.markers, Lower(value));
  } else if (key == "address_attributes") {
    AddWords(s.results.address_attributes, Lower(value));
  } else if (key == "address_parameters") {
    AddWords(s.results.address_parameters, value);
  } else if (key == "redirects") {
    AddWords(s.results.redirect_marks, value);
  } else if (key == "block_locations") {
    AddWords(s.block_locations, Lower(value));
  } else if (key == "block_statuses") {
    for (const Bytes& w : Words(value)) {
      if (!ReadNumber(w, 100, 999, n)) return false;
      s.block_statuses.push_back(static_cast<int>(n));
    }
  } else if (key == "highlight") {
    if (value.empty()) return false;
    s.highlight.push_back(Utf8ToGb(Lower(value)));
  } else {
    return false;
  }
  return true;
}

// Defaults that hang on the template: {page} counts from 1 by 1.
void SettleDefaults(Source& s, bool firstGiven, bool stepGiven) {
  if (!Contains(s.url, "{page}")) return;
  if (!firstGiven) s.first = 1;
  if (!stepGiven) s.step = 1;
}

struct Section {
  Source source;
  bool ok = true;
  bool firstGiven = false;
  bool stepGiven = false;
};

void Finish(std::vector<Source>& out, Section& section, StringList* problems) {
  Source& s = section.source;
  if (s.name.empty()) return;
  if (s.url.empty()) section.ok = false;
  if (!section.ok) {
    if (problems) problems->push_back("source [" + s.name + "] left out");
    return;
  }
  SettleDefaults(s, section.firstGiven, section.stepGiven);
  out.push_back(std::move(s));
}

}  // namespace

std::vector<Source> ParseSources(std::string_view text, StringList* problems) {
  std::vector<Source> out;
  if (text.size() > kMaxSourcesFile) {
    if (problems) problems->push_back("the sources file is too large");
    return out;
  }
  Section section;
  bool inSection = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimView(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      Finish(out, section, problems);
      section = Section{};
      const std::string_view name =
          line.back() == ']' ? TrimView(line.substr(1, line.size() - 2)) : std::string_view();
      inSection = IsSourceName(name);
      if (inSection) section.source.name = Bytes(name);
      if (!inSection && problems) problems->push_back("not a source name: " + Bytes(line));
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    const std::string_view key = eq == std::string_view::npos ? line : TrimView(line.substr(0, eq));
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : TrimView(line.substr(eq + 1));
    if (key == "first") section.firstGiven = true;
    if (key == "step") section.stepGiven = true;
    if (eq == std::string_view::npos || !TakeKey(section.source, key, value)) {
      section.ok = false;
      if (problems)
        problems->push_back("[" + section.source.name + "] " + Bytes(key) + ": not understood");
    }
  }
  Finish(out, section, problems);
  return out;
}

void OverlaySources(std::vector<Source>& base, std::vector<Source> own) {
  for (Source& s : own) {
    const auto it =
        std::find_if(base.begin(), base.end(), [&](const Source& b) { return b.name == s.name; });
    if (it != base.end()) {
      *it = std::move(s);
    } else {
      base.push_back(std::move(s));
    }
  }
}

SourceSet ShippedSourceSet(std::string_view name, const std::string& shippedFolder) {
  SourceSet set;
  set.name = Bytes(name);
  const std::string_view builtIn = ShippedSourcesText(name);
  if (builtIn.empty()) return set;
  Bytes text;
  const std::string file =
      shippedFolder.empty()
          ? std::string()
          : (std::filesystem::path(shippedFolder) / ("sources-" + std::string(name) + ".conf"))
                .string();
  // An installed copy that cannot be read, or reads as no source at all,
  // does not leave the program without sources.
  if (!file.empty() && FileExists(file) && ReadFileBytes(file, text, kMaxSourcesFile)) {
    set.sources = ParseSources(text);
  }
  if (set.sources.empty()) set.sources = ParseSources(builtIn);
  return set;
}

Bytes ChosenSourceSetName(const IniProfile& ini, Bytes* unknown) {
  Bytes chosen = "current";
  if (const char* env = std::getenv("VEXO_SOURCES"); env && *env) {
    chosen = Lower(Trim(env));
  } else if (const auto key = ini.Get("vexo", "sources"); key && !Trim(*key).empty()) {
    chosen = Lower(Trim(*key));
  }
  if (chosen == "classic" || chosen == "current") return chosen;
  if (unknown) *unknown = chosen;
  return "current";
}

namespace {

// The length of a leading "http://" or "https://" (any case), else 0.
std::size_t SchemeLength(std::string_view value) {
  if (StartsWithNoCase(value, "http://")) return 7;
  if (StartsWithNoCase(value, "https://")) return 8;
  return 0;
}

// Scheme and host of a template: everything before the first "/" after "://".
std::size_t AuthorityEnd(std::string_view url) {
  const std::size_t slash = url.find('/', SchemeLength(url));
  return slash == std::string_view::npos ? url.size() : slash;
}

}  // namespace

bool IsUsableSourceHost(const Source& source, std::string_view value) {
  const std::string_view host = value.substr(SchemeLength(value));
  if (host.empty() || host.size() > 253) return false;
  for (const char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == ':';
    if (!ok) return false;
  }
  const Bytes lowered = Lower(host);
  return std::any_of(source.labels.begin(), source.labels.end(),
                     [&](const Bytes& label) { return Contains(lowered, label); });
}

void ApplyHostKeys(SourceSet& set, const IniProfile& ini) {
  for (Source& s : set.sources) {
    if (s.host_key.empty()) continue;
    const auto v = ini.Get("vexo", s.host_key);
    if (!v || !IsUsableSourceHost(s, *v)) continue;
    // Lower-cased: pages are recognised by the labels in the address as it
    // stands, and host names are case-blind anyway.
    const Bytes host = Lower(*v);
    const Bytes authority = SchemeLength(host) > 0 ? host : "http://" + host;
    s.url = authority + s.url.substr(AuthorityEnd(s.url));
  }
}

SourceSet LoadSourceSet(const IniProfile& ini, const std::string& programFolder,
                        const std::string& shippedFolder, StringList* problems) {
  Bytes unknown;
  SourceSet set = ShippedSourceSet(ChosenSourceSetName(ini, &unknown), shippedFolder);
  if (!unknown.empty() && problems)
    problems->push_back("unknown source set " + unknown + ", current taken");
  const std::string own = (std::filesystem::path(programFolder) / kOwnSourcesFile).string();
  Bytes text;
  if (!programFolder.empty() && FileExists(own)) {
    if (ReadFileBytes(own, text, kMaxSourcesFile)) {
      OverlaySources(set.sources, ParseSources(text, problems));
    } else if (problems) {
      problems->push_back(own + " could not be read");
    }
  }
  ApplyHostKeys(set, ini);
  return set;
}

}  // namespace vexo
