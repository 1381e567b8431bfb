#pragma once
// How the HTTP client reads an address, and where a Location line sends it.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

struct AddressParts {
  Bytes scheme;
  Bytes user;
  Bytes password;
  Bytes host;
  Bytes port;
  Bytes path;  // from the first "/" of the rest on, query included, unchanged
};

// Splits an address into its parts; missing parts stay empty. Any scheme is
// accepted; a word, "/" and a page name without a scheme reads as host and path.
AddressParts SplitAddress(std::string_view address);

// Whether a scheme is fetched over TLS ("https", in any case).
bool IsTlsScheme(std::string_view scheme);
// The port of a scheme when the address names none.
inline const char* DefaultPort(bool tls) {
  return tls ? "443" : "80";
}

// What a request is connected to and asks for.
struct RequestTarget {
  Bytes host;         // name to resolve and connect to
  Bytes port;         // decimal text
  Bytes target_host;  // sent as Host
  Bytes path;         // sent in the request line
  Bytes location;     // the address currently fetched
  bool tls = false;   // spoken over TLS (an https address)
};

// Moves t to where a Location value points, in every form servers use: an
// absolute path, a full address (with or without a port), a bare page name,
// "directory/page" and a scheme with a path only. User and password are ignored.
// A full address with another of http/https switches TLS, and the port to that
// scheme's default unless it names one.
void ApplyLocation(RequestTarget& t, std::string_view location);

}  // namespace vexo
