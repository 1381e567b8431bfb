#include "viewer/export_text.h"

namespace vexo {

Bytes QuoteField(std::string_view field) {
  Bytes out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

Bytes TextRowLink(std::string_view link) {
  return QuoteField(link) + ",";
}

Bytes TextRowTitle(std::string_view titleLine) {
  return QuoteField(titleLine) + "\r\n";
}

}  // namespace vexo
