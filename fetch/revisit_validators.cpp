#include "fetch/revisit_validators.h"

#include <algorithm>
#include <set>

#include "platform/files.h"

namespace vexo {

namespace {

// A value that can stand in a request line and a line of the file: no
// control byte (tab, CR, LF among them), not too long.
bool Storable(std::string_view value) {
  if (value.size() > RevisitValidators::kMaxValueBytes) return false;
  return std::none_of(value.begin(), value.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7f;
  });
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The value of the last field of that name (lower case, with its colon),
// or false when there is none.
bool FieldValue(const StringList& lines, std::string_view name, std::string_view& value) {
  bool found = false;
  for (const Bytes& line : lines) {
    if (line.size() < name.size() || Lower(line.substr(0, name.size())) != name) continue;
    value = TrimBlanks(std::string_view(line).substr(name.size()));
    found = true;
  }
  return found;
}

}  // namespace

void RevisitValidators::Put(const Bytes& url, Entry entry) {
  if (url.empty() || !Storable(url)) return;
  if (entry.etag.empty() && entry.lastModified.empty()) {
    entries_.erase(url);
    return;
  }
  if (entries_.size() >= kMaxEntries && !Knows(url)) return;
  entries_[url] = std::move(entry);
}

void RevisitValidators::Remember(const Bytes& url, const StringList& headerLines) {
  Entry entry;
  std::string_view value;
  if (FieldValue(headerLines, "etag:", value) && Storable(value)) entry.etag = Bytes(value);
  if (FieldValue(headerLines, "last-modified:", value) && Storable(value))
    entry.lastModified = Bytes(value);
  Put(url, std::move(entry));
}

StringList RevisitValidators::HeadersFor(const Bytes& url) const {
  StringList lines;
  const auto it = entries_.find(url);
  if (it == entries_.end()) return lines;
  if (!it->second.etag.empty()) lines.push_back("If-None-Match: " + it->second.etag);
  if (!it->second.lastModified.empty())
    lines.push_back("If-Modified-Since: " + it->second.lastModified);
  return lines;
}

void RevisitValidators::Load(const std::string& file) {
  entries_.clear();
  StringList lines;
  if (!FileExists(file) || !LoadLines(file, lines)) return;
  for (const Bytes& line : lines) {
    const auto first = line.find('\t');
    if (first == Bytes::npos) continue;
    const auto second = line.find('\t', first + 1);
    if (second == Bytes::npos || line.find('\t', second + 1) != Bytes::npos) continue;
    Entry entry{line.substr(first + 1, second - first - 1), line.substr(second + 1)};
    if (!Storable(entry.etag) || !Storable(entry.lastModified)) continue;
    Put(line.substr(0, first), std::move(entry));
  }
}

bool RevisitValidators::Save(const std::string& file, const StringList& siteQueue) {
  const std::set<std::string_view> sites(siteQueue.begin(), siteQueue.end());
  StringList lines;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (sites.count(it->first) == 0) {
      it = entries_.erase(it);
      continue;
    }
    lines.push_back(it->first + "\t" + it->second.etag + "\t" + it->second.lastModified);
    ++it;
  }
  // A program folder whose servers never sent a validator gets no file.
  if (lines.empty() && !FileExists(file)) return true;
  return SaveLines(file, lines);
}

}  // namespace vexo
