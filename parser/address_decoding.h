#pragma once
// Addresses carried inside other addresses: engines hand out links to
// themselves that hold the real address in a query parameter, percent-encoded
// or (Bing) base64url-encoded. Nothing else in the program decodes either.

#include <optional>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The address begins "http://" or "https://" (any case) and has a host.
bool IsHttpAddress(std::string_view address);

// PercentDecode (platform/bytes.h) decodes the query parameters; "+" stays
// as it is there: addresses keep a literal "+".

// Base64url (also the "+" "/" alphabet), padding optional. Nullopt on a byte
// outside the alphabet or a length no encoding has.
std::optional<Bytes> Base64UrlDecode(std::string_view s);

// The value of the first query parameter of `link` named `name` (any case),
// as written; nullopt when there is none. The query ends at "#".
std::optional<std::string_view> QueryParameter(std::string_view link, std::string_view name);

// An address fit to keep and to request: trimmed, with blanks, control bytes
// and bytes above 7E percent-escaped (decoded addresses may hold UTF-8 or
// line breaks).
Bytes PlainAddress(std::string_view address);

}  // namespace vexo
