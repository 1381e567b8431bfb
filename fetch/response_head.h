#pragma once
// The lines of a response's header as the client reads them: what kind of
// line each is, the status code of a status line, and a field's name and
// value. Bytes in, values out: cutting the stream into lines, the header's
// size bound and what each line sets in motion stay with the client.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

enum class HeadLineKind {
  End,        // the empty line that ends the header
  PageStart,  // "<html>" in any case: a response without a header starts here
  Status,     // "HTTP/1.0 ..." or "HTTP/1.1 ..."
  Field,      // a line with a colon: name and value
  Other,      // kept with the header lines, read for nothing
};

// The fields the client acts on.
enum class HeadField {
  Other,
  Location,
  ContentLength,
  ContentRange,
  AcceptRanges,
  ContentType,
  WwwAuthenticate,
  SetCookie,
  ContentEncoding,
};

struct HeadLine {
  HeadLineKind kind = HeadLineKind::Other;
  // Status: the three bytes after "HTTP/1.x " as a number 0..999, or -1 when
  // they are not one (the client then keeps the code it had).
  int status_code = -1;
  // Field: the name before the first colon in lower case, blanks kept as sent,
  // and the value after the colon and the blanks and tabs that follow it, up
  // to the end of the line (trailing blanks kept).
  HeadField field = HeadField::Other;
  Bytes name;
  Bytes value;
};

// Reads one header line, given without its line feed and without the CR
// before it. Zero bytes are ordinary bytes.
HeadLine ParseHeadLine(std::string_view line);

// The number of a Content-Length value (blanks around it and a sign
// allowed); false leaves n as it was.
bool ParseContentLength(std::string_view value, long long& n);

// "bytes 100-199/1000" -> "100" and "199": the text from the seventh byte to
// before the first "-", and from after it to before the first "/" (or the
// end). Without a "-" both are empty.
struct ContentRangeText {
  Bytes begin;
  Bytes end;
};
ContentRangeText ParseContentRange(std::string_view value);

// What the Content-Encoding fields of a response say of its body. Other is a
// coding the client does not undo, or more than one stacked: such a body is
// handed on as it came, like one mislabelled with a charset ("UTF-8") as
// some servers do.
enum class ContentCoding { Identity, Gzip, Deflate, Other };

// Adds one Content-Encoding value (a comma-separated list; several fields
// read as one list) to the coding of the fields before it. Names count in
// any case with blanks around them; "x-gzip" is gzip; "identity" and empty
// entries add nothing.
ContentCoding AddContentCoding(ContentCoding so_far, std::string_view value);

}  // namespace vexo
