// Reading header lines without a connection: the table of what the client
// takes from each line.
#include "fetch/response_head.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexo {
namespace {

using std::string_literals::operator""s;

struct LineCase {
  std::string line;
  HeadLineKind kind;
  int status_code;
  HeadField field;
  std::string name;
  std::string value;
};

constexpr auto kEnd = HeadLineKind::End;
constexpr auto kPage = HeadLineKind::PageStart;
constexpr auto kStatus = HeadLineKind::Status;
constexpr auto kField = HeadLineKind::Field;
constexpr auto kOther = HeadLineKind::Other;
constexpr auto kNone = HeadField::Other;

TEST(ParseHeadLine, ReadsEachLineAsTheClientActsOnIt) {
  const LineCase cases[] = {
      {"", kEnd, -1, kNone, "", ""},
      {"<html>", kPage, -1, kNone, "", ""},
      {"<HtMl><body>x: y", kPage, -1, kNone, "", ""},
      {"<htm", kOther, -1, kNone, "", ""},
      // Status lines: the three bytes after "HTTP/1.x ", nothing else.
      {"HTTP/1.1 200 OK", kStatus, 200, kNone, "", ""},
      {"HTTP/1.0 404", kStatus, 404, kNone, "", ""},  // no reason phrase
      {"HTTP/1.0 301 Moved: here", kStatus, 301, kNone, "", ""},
      {"HTTP/1.1 2000 OK", kStatus, 200, kNone, "", ""},
      {"HTTP/1.1 20 OK", kStatus, 20, kNone, "", ""},  // blanks around the number are cut
      {"HTTP/1.1  20 OK", kStatus, 20, kNone, "", ""},
      {"HTTP/1.1 2 0 OK", kStatus, -1, kNone, "", ""},
      {"HTTP/1.1 +99", kStatus, 99, kNone, "", ""},
      {"HTTP/1.1 -42 Odd", kStatus, -1, kNone, "", ""},
      {"HTTP/1.1 abc", kStatus, -1, kNone, "", ""},
      {"HTTP/1.0", kStatus, -1, kNone, "", ""},
      {"HTTP/1.0\t200 OK", kStatus, 200, kNone, "", ""},
      {"HTTP/1.12000", kStatus, 0, kNone, "", ""},
      {"HTTP/1.1 0\0\0"s, kStatus, 0, kNone, "", ""},
      {"http/1.1 200 OK", kOther, -1, kNone, "", ""},  // the version is case-sensitive
      {"HTTP/2 200", kOther, -1, kNone, "", ""},
      {"HTTP/1.2 200 OK", kOther, -1, kNone, "", ""},
      // Fields: the name in lower case up to the first colon, the value
      // after the blanks that follow it.
      {"Location: /a", kField, -1, HeadField::Location, "location", "/a"},
      {"LOCATION:/a:b", kField, -1, HeadField::Location, "location", "/a:b"},
      {"content-length: \t 12 ", kField, -1, HeadField::ContentLength, "content-length", "12 "},
      {"Content-Range: bytes 1-2/3", kField, -1, HeadField::ContentRange, "content-range",
       "bytes 1-2/3"},
      {"Accept-Ranges: bytes", kField, -1, HeadField::AcceptRanges, "accept-ranges", "bytes"},
      {"Content-Type: Text/HTML; Charset=GB2312", kField, -1, HeadField::ContentType,
       "content-type", "Text/HTML; Charset=GB2312"},
      {"WWW-Authenticate: Basic realm=\"x\"", kField, -1, HeadField::WwwAuthenticate,
       "www-authenticate", "Basic realm=\"x\""},
      {"Set-Cookie: a=b", kField, -1, HeadField::SetCookie, "set-cookie", "a=b"},
      {"Content-Encoding: gzip", kField, -1, HeadField::ContentEncoding, "content-encoding",
       "gzip"},
      {"X-Other: 1", kField, -1, kNone, "x-other", "1"},
      {"Content-Type :text/plain", kField, -1, kNone, "content-type ", "text/plain"},
      {" location: /folded", kField, -1, kNone, " location", "/folded"},
      {"\tcontinued: line", kField, -1, kNone, "\tcontinued", "line"},
      {"Location:", kField, -1, HeadField::Location, "location", ""},
      {":", kField, -1, kNone, "", ""},
      {"Location: a\rb", kField, -1, HeadField::Location, "location", "a\rb"},
      {"Location: a\0b"s, kField, -1, HeadField::Location, "location", "a\0b"s},
      {"Loca\0tion: x"s, kField, -1, kNone, "loca\0tion"s, "x"},
      {"folded continuation without a colon", kOther, -1, kNone, "", ""},
      {"\r", kOther, -1, kNone, "", ""},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    const HeadLine got = ParseHeadLine(c.line);
    EXPECT_EQ(got.kind, c.kind);
    EXPECT_EQ(got.status_code, c.status_code);
    EXPECT_EQ(got.field, c.field);
    EXPECT_EQ(got.name, c.name);
    EXPECT_EQ(got.value, c.value);
  }
}

TEST(ParseHeadLine, OverlongLinesAreReadWhole) {
  const std::string value(100000, 'v');
  const HeadLine got = ParseHeadLine("Location:   " + value);
  EXPECT_EQ(got.field, HeadField::Location);
  EXPECT_EQ(got.value, value);
  EXPECT_EQ(ParseHeadLine("HTTP/1.1 200 " + value).status_code, 200);
}

TEST(ParseContentLength, TakesADecimalNumberOrLeavesTheOldOne) {
  const struct {
    const char* value;
    bool ok;
    long long n;
  } cases[] = {
      {"0", true, 0},
      {"1234 ", true, 1234},
      {" +7", true, 7},
      {"-5", true, -5},
      {"9223372036854775807", true, 9223372036854775807LL},
      {"9223372036854775808", false, -1},
      {"12abc", false, -1},
      {"0x10", false, -1},
      {"1 2", false, -1},
      {"", false, -1},
      {"++1", false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    long long n = -1;
    EXPECT_EQ(ParseContentLength(c.value, n), c.ok);
    EXPECT_EQ(n, c.n);
  }
}

TEST(ParseContentRange, CutsTheBoundsAtTheFirstDashAndSlash) {
  const struct {
    const char* value;
    const char* begin;
    const char* end;
  } cases[] = {
      {"bytes 100-199/1000", "100", "199"},
      {"bytes 100-199", "100", "199"},
      {"bytes 100-/*", "100", ""},
      {"bytes */1000", "", ""},
      {"bytes=5-9/10", "5", "9"},
      {"b 1-2/3", "", "2"},  // the first six bytes are skipped whatever they are
      {"bytes 1/2-3", "1/2", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const ContentRangeText got = ParseContentRange(c.value);
    EXPECT_EQ(got.begin, c.begin);
    EXPECT_EQ(got.end, c.end);
  }
}

TEST(AddContentCoding, ReadsTheFieldsAsOneList) {
  using C = ContentCoding;
  const struct {
    std::vector<const char*> values;
    C coding;
  } cases[] = {
      {{}, C::Identity},
      {{"gzip"}, C::Gzip},
      {{" X-GZIP\t"}, C::Gzip},
      {{"Deflate"}, C::Deflate},
      {{"identity"}, C::Identity},
      {{"identity, gzip, "}, C::Gzip},
      {{"", ","}, C::Identity},
      {{"identity", "deflate"}, C::Deflate},
      {{"br"}, C::Other},
      {{"utf-8"}, C::Other},
      {{"gzip, gzip"}, C::Other},  // stacked: not undone
      {{"gzip", "deflate"}, C::Other},
      {{"br", "identity"}, C::Other},
  };
  for (const auto& c : cases) {
    C got = C::Identity;
    for (const char* v : c.values) got = AddContentCoding(got, v);
    EXPECT_EQ(got, c.coding) << (c.values.empty() ? "" : c.values.front());
  }
}

}  // namespace
}  // namespace vexo
