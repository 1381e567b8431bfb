// The jar's file: a comment line, then one cookie a line, its fields
// separated by tabs: domain, host-only (0 or 1), path, secure (0 or 1),
// expiry (UTC seconds), name, value. No field can hold a tab or a line end:
// the jar refuses control bytes in all of them.
#include <algorithm>
#include <array>

#include "fetch/cookie_jar.h"
#include "fetch/cookie_scope.h"
#include "platform/files.h"

namespace vexo {
namespace {

constexpr char kComment[] = "# cookies: domain, host-only, path, secure, expiry, name, value";
constexpr std::size_t kFields = 7;

bool ReadFlag(std::string_view field, bool& flag) {
  if (field != "0" && field != "1") return false;
  flag = field == "1";
  return true;
}

bool ReadSeconds(std::string_view field, std::int64_t& seconds) {
  if (field.empty() || field.size() > 18 ||
      !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  seconds = 0;
  for (const char c : field) seconds = seconds * 10 + (c - '0');
  return true;
}

// The tab-separated fields of a line; false unless there are exactly kFields.
bool SplitFields(std::string_view line, std::array<std::string_view, kFields>& fields) {
  if (std::count(line.begin(), line.end(), '\t') != kFields - 1) return false;
  for (std::string_view& field : fields) {
    const std::size_t tab = std::min(line.find('\t'), line.size());
    field = line.substr(0, tab);
    line.remove_prefix(std::min(tab + 1, line.size()));
  }
  return true;
}

}  // namespace

bool CookieJar::ReadLine(std::string_view line, Cookie& c) {
  std::array<std::string_view, kFields> f;
  if (!SplitFields(line, f) || std::any_of(f.begin(), f.end(), HasCookieControlByte) ||
      !ReadFlag(f[1], c.host_only) || !ReadFlag(f[3], c.secure) || !ReadSeconds(f[4], c.expiry))
    return false;
  c.domain = Lower(f[0]);
  c.path = Bytes(f[2]);
  c.name = Bytes(f[5]);
  c.value = Bytes(f[6]);
  c.persistent = true;
  // The same limits as a cookie a server sets: a hand-edited file gets no
  // cookie a server could not have set.
  return !c.domain.empty() && c.domain.size() <= kMaxDomainBytes &&
         c.domain.find(' ') == Bytes::npos && (c.host_only || IsWidenableDomain(c.domain)) &&
         !c.path.empty() && c.path[0] == '/' && c.path.size() <= kMaxCookieAttributeBytes &&
         !c.name.empty() && c.name.find('=') == Bytes::npos &&
         c.name.size() + c.value.size() <= kMaxCookieBytes;
}

bool CookieJar::Save(const std::string& file, std::int64_t nowSeconds) const {
  std::vector<const Cookie*> kept;
  for (const auto& [domain, cookies] : by_domain_)
    for (const Cookie& c : cookies)
      if (c.persistent && !Expired(c, nowSeconds)) kept.push_back(&c);
  if (kept.empty() && !FileExists(file)) return true;
  std::sort(kept.begin(), kept.end(),
            [](const Cookie* a, const Cookie* b) { return a->order < b->order; });
  Bytes text = Bytes(kComment) + "\n";
  for (const Cookie* c : kept) {
    text += c->domain + "\t" + (c->host_only ? "1" : "0") + "\t" + c->path + "\t" +
            (c->secure ? "1" : "0") + "\t" + std::to_string(c->expiry) + "\t" + c->name + "\t" +
            c->value + "\n";
  }
  return WriteFileAtomic(file, text);
}

void CookieJar::Load(const std::string& file, std::int64_t nowSeconds) {
  Clear();
  Bytes data;
  if (!ReadFileBytes(file, data, kMaxFileBytes)) return;
  // Line by line in place: a file of line ends costs nothing per line.
  std::string_view rest = data;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    Cookie c;
    if (line.empty() || line[0] == '#' || !ReadLine(line, c)) continue;
    Store(std::move(c), true, nowSeconds);
  }
}

}  // namespace vexo
