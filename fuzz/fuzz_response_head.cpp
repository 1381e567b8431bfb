// The header lines of a response, cut at line feeds as the client cuts them
// (one CR before the line feed dropped), each read by the header-line unit.
#include <cctype>

#include "fetch/response_head.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace vexo;

bool StartsWithNoCase(std::string_view s, std::string_view lower_prefix) {
  if (s.size() < lower_prefix.size()) return false;
  for (std::size_t i = 0; i < lower_prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != lower_prefix[i]) return false;
  return true;
}

void CheckLine(std::string_view line) {
  const HeadLine head = ParseHeadLine(line);
  // Kinds in the client's order of tests: page start, end, status, field.
  const bool page = StartsWithNoCase(line, "<html>");
  const bool status = line.substr(0, 8) == "HTTP/1.0" || line.substr(0, 8) == "HTTP/1.1";
  VEXO_FUZZ_CHECK((head.kind == HeadLineKind::PageStart) == page);
  VEXO_FUZZ_CHECK((head.kind == HeadLineKind::End) == line.empty());
  VEXO_FUZZ_CHECK((head.kind == HeadLineKind::Status) == (!page && status));
  const auto colon = line.find(':');
  VEXO_FUZZ_CHECK((head.kind == HeadLineKind::Field) ==
                  (!page && !status && colon != std::string_view::npos));
  VEXO_FUZZ_CHECK(head.status_code >= -1 && head.status_code <= 999);
  if (head.kind != HeadLineKind::Status) VEXO_FUZZ_CHECK(head.status_code == -1);
  if (head.kind != HeadLineKind::Field) {
    VEXO_FUZZ_CHECK(head.name.empty() && head.value.empty() && head.field == HeadField::Other);
    return;
  }
  // The name is the bytes before the first colon, lower-cased; the value
  // the line's end after the colon and its blanks.
  VEXO_FUZZ_CHECK(head.name.size() == colon);
  for (std::size_t i = 0; i < colon; ++i)
    VEXO_FUZZ_CHECK(head.name[i] ==
                    static_cast<char>(std::tolower(static_cast<unsigned char>(line[i]))));
  VEXO_FUZZ_CHECK(head.value.size() < line.size() - colon);
  VEXO_FUZZ_CHECK(line.substr(line.size() - head.value.size()) == head.value);
  for (const char c : line.substr(colon + 1, line.size() - colon - 1 - head.value.size()))
    VEXO_FUZZ_CHECK(c == ' ' || c == '\t');
  VEXO_FUZZ_CHECK(head.value.empty() || (head.value[0] != ' ' && head.value[0] != '\t'));
  VEXO_FUZZ_CHECK((head.field == HeadField::Location) == (head.name == "location"));
  VEXO_FUZZ_CHECK((head.field == HeadField::ContentLength) == (head.name == "content-length"));
  VEXO_FUZZ_CHECK((head.field == HeadField::ContentEncoding) == (head.name == "content-encoding"));
  // Several fields read as one list: the value twice is never one coding.
  const ContentCoding once = AddContentCoding(ContentCoding::Identity, head.value);
  const ContentCoding twice = AddContentCoding(once, head.value);
  VEXO_FUZZ_CHECK(twice == (once == ContentCoding::Identity ? once : ContentCoding::Other));

  long long n = -7;
  if (ParseContentLength(head.value, n)) {
    // Only digits read as a number, after the blanks and an optional "+"
    // and "-".
    const Bytes trimmed = Trim(head.value);
    std::string_view t = trimmed;
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    if (!t.empty() && t[0] == '-') t.remove_prefix(1);
    VEXO_FUZZ_CHECK(!t.empty());
    for (const char c : t) VEXO_FUZZ_CHECK(std::isdigit(static_cast<unsigned char>(c)));
  } else {
    VEXO_FUZZ_CHECK(n == -7);
  }
  // The bounds are pieces of the value around its first "-".
  const ContentRangeText range = ParseContentRange(head.value);
  const auto dash = head.value.find('-');
  VEXO_FUZZ_CHECK(range.begin.find('-') == Bytes::npos);
  VEXO_FUZZ_CHECK(range.end.find('/') == Bytes::npos);
  if (dash == Bytes::npos) {
    VEXO_FUZZ_CHECK(range.begin.empty() && range.end.empty());
  } else {
    VEXO_FUZZ_CHECK(range.begin.empty() || head.value.substr(6, range.begin.size()) == range.begin);
    VEXO_FUZZ_CHECK(head.value.substr(dash + 1, range.end.size()) == range.end);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  std::string_view rest = in.Rest();
  while (!rest.empty()) {
    const auto lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    CheckLine(line);
  }
  return 0;
}
