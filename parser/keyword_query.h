#pragma once
// The two rewritings of the keywords as typed: the keyword part of an engine
// query URL, and the first keyword expression of a run.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The keywords for an engine query URL: every separator becomes one "%20",
// a "-" (exclusion) and a "/" keep one "%20" before them and none after, and
// none stands just inside a parenthesis. Other GB2312 bytes go in as they are;
// control bytes are percent-escaped so that they cannot reach the request line.
Bytes EncodeQueryKeywords(std::string_view text);

// The initial keyword expression: "/" (or) between double-byte and single-byte
// runs and around parentheses, "+" (and) between digits and other bytes,
// unless a separator already stands there.
Bytes SplitMixedKeywords(std::string_view text);

}  // namespace vexo
