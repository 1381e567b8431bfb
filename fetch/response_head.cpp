#include "fetch/response_head.h"

namespace vexo {
namespace {

struct NamedField {
  std::string_view name;
  HeadField field;
};

constexpr NamedField kFields[] = {
    {"location", HeadField::Location},          {"content-length", HeadField::ContentLength},
    {"content-range", HeadField::ContentRange}, {"accept-ranges", HeadField::AcceptRanges},
    {"content-type", HeadField::ContentType},   {"www-authenticate", HeadField::WwwAuthenticate},
    {"set-cookie", HeadField::SetCookie},       {"content-encoding", HeadField::ContentEncoding},
};

HeadField FieldOf(std::string_view lowered_name) {
  for (const NamedField& f : kFields)
    if (f.name == lowered_name) return f.field;
  return HeadField::Other;
}

bool IsStatusLine(std::string_view line) {
  const std::string_view head = line.substr(0, 8);
  return head == "HTTP/1.0" || head == "HTTP/1.1";
}

}  // namespace

HeadLine ParseHeadLine(std::string_view line) {
  HeadLine out;
  if (Upper(Copy(line, 1, 6)) == "<HTML>") {
    out.kind = HeadLineKind::PageStart;
  } else if (line.empty()) {
    out.kind = HeadLineKind::End;
  } else if (IsStatusLine(line)) {
    out.kind = HeadLineKind::Status;
    long long code = 0;
    if (TryTextToInt(CopyRange(line, 10, 12), code) && code >= 0 && code <= 999)
      out.status_code = static_cast<int>(code);
  } else if (const Pos colon = PosOf(":", line); colon > 0) {
    out.kind = HeadLineKind::Field;
    out.name = Lower(Copy(line, 1, colon - 1));
    Pos v = colon + 1;
    while (ByteAt(line, v) == ' ' || ByteAt(line, v) == '\t') ++v;
    out.value = CopyFrom(line, v);
    out.field = FieldOf(out.name);
  }
  return out;
}

bool ParseContentLength(std::string_view value, long long& n) {
  return TryTextToInt(value, n);
}

ContentRangeText ParseContentRange(std::string_view value) {
  const Pos dash = PosOf("-", value);
  const Pos slash = PosOf("/", value);
  ContentRangeText out;
  out.begin = CopyRange(value, 7, dash - 1);
  if (dash) out.end = CopyRange(value, dash + 1, (slash ? slash : Len(value) + 1) - 1);
  return out;
}

ContentCoding AddContentCoding(ContentCoding so_far, std::string_view value) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    const Bytes name = Lower(TrimView(value.substr(0, comma)));
    value.remove_prefix(comma == std::string_view::npos ? value.size() : comma + 1);
    if (name.empty() || name == "identity") continue;
    ContentCoding one = ContentCoding::Other;
    if (name == "gzip" || name == "x-gzip") one = ContentCoding::Gzip;
    if (name == "deflate") one = ContentCoding::Deflate;
    so_far = so_far == ContentCoding::Identity ? one : ContentCoding::Other;
  }
  return so_far;
}

}  // namespace vexo
