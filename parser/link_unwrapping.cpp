// The real address behind an engine's link to itself, and whether a link
// still is one.
#include <algorithm>

#include "parser/address_decoding.h"
#include "parser/html_text.h"
#include "parser/markup_text.h"
#include "parser/result_reading.h"

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

// The address a parameter value holds, or empty.
Bytes CarriedAddress(std::string_view value) {
  const Bytes decoded = PercentDecode(value);
  if (IsHttpAddress(TrimView(decoded))) return PlainAddress(decoded);
  // Bing's "u" values: "a1" and the address in base64url.
  if (decoded.size() > 2 && decoded.compare(0, 2, "a1") == 0) {
    const auto address = Base64UrlDecode(std::string_view(decoded).substr(2));
    if (address && IsHttpAddress(TrimView(*address))) return PlainAddress(*address);
  }
  return {};
}

// Path, query and fragment of a link: what follows its host.
std::string_view PathPart(std::string_view link) {
  const std::size_t scheme = link.find("://");
  if (scheme == kNpos) return link;
  const std::size_t path = link.find_first_of("/?#", scheme + 3);
  return path == kNpos ? std::string_view() : link.substr(path);
}

// The link names its scheme ("mailto:", "javascript:"), which MakeAbsolute
// would take for a file name in the page's directory.
bool HasScheme(std::string_view link) {
  const std::size_t colon = link.find(':');
  if (colon == kNpos || colon == 0) return false;
  return std::all_of(link.begin(), link.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  });
}

}  // namespace

Bytes UnwrapLink(std::string_view link, const ResultReading& reading) {
  link = TrimView(link);
  for (const Bytes& name : reading.address_parameters) {
    const auto value = QueryParameter(link, name);
    if (!value) continue;
    Bytes address = CarriedAddress(*value);
    if (!address.empty()) return address;
  }
  return IsHttpAddress(link) ? PlainAddress(link) : Bytes();
}

bool IsEngineRedirect(std::string_view link, const ResultReading& reading) {
  const std::string_view path = PathPart(TrimView(link));
  for (const Bytes& mark : reading.redirect_marks)
    if (PosOfFolded(Lower(mark), path) > 0) return true;
  return false;
}

Bytes ResolveResultLink(std::string_view rawLink, std::string_view pageAddress,
                        const ResultReading& reading) {
  const Bytes link = Trim(DecodeEntities(rawLink));
  if (link.empty()) return {};
  if (link.compare(0, 2, "//") == 0) {
    // MakeAbsolute would join it to the page's host as a path.
    const bool secure = StartsWithNoCase(pageAddress, "https:");
    return UnwrapLink((secure ? "https:" : "http:") + link, reading);
  }
  if (HasScheme(link)) return UnwrapLink(link, reading);
  return UnwrapLink(MakeAbsolute(pageAddress, link), reading);
}

}  // namespace vexo
