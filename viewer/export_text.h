#pragma once
// Rows of the exported text files: quoted fields for a database import.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Rows per exported text file.
inline constexpr long long kRowsPerTextFile = 800;

// The field between double quotes, each double quote inside it doubled, so
// that an importer reads it back whole. A field without quotes is unchanged.
Bytes QuoteField(std::string_view field);

// The link's field and the comma that follows it.
Bytes TextRowLink(std::string_view link);
// The title line's field and the row's CR LF.
Bytes TextRowTitle(std::string_view titleLine);

}  // namespace vexo
