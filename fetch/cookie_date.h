#pragma once
// The date of a cookie's Expires attribute, read the lenient way browsers
// read it (RFC 6265, 5.1.1): the IMF-fixdate "Sun, 06 Nov 1994 08:49:37 GMT",
// the RFC 850 form "Sunday, 06-Nov-94 08:49:37 GMT", asctime's
// "Sun Nov  6 08:49:37 1994" and the mixtures servers send all read alike.

#include <cstdint>
#include <string_view>

namespace vexo {

// UTC seconds of the date; false (and `seconds` unchanged) for a text that
// names no valid date from 1601 to 9999.
bool ParseCookieDate(std::string_view text, std::int64_t& seconds);

}  // namespace vexo
