#pragma once
// Services of the double-byte code page CP936 (the GBK superset that stands for
// "GB2312"): byte roles counted from the start of a string, and conversions
// between Unicode and GB2312 text through glibc iconv.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

enum class ByteRole { Single, Lead, Trail };

// A byte that starts a double-byte character in CP936.
inline bool IsLeadByte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

// Role of the byte at 1-based position p, counting characters from the start
// of s. Positions outside the string are Single.
ByteRole ByteRoleAt(std::string_view s, Pos p);

// Roles of every byte of s; roles[i] is the role of position i + 1.
std::vector<ByteRole> ByteRoles(std::string_view s);

// True when s is whole CP936 text: every lead byte has its trail byte (40-7E
// or 80-FE) after it, and no byte stands where no character can start (80,
// FF). A text cut inside a character is not.
bool IsWholeGbText(std::string_view s);

// One UTF-16 code unit (as the system's wide character) in GB2312; "?" when the
// character has no GB form. U+0000 gives a single zero byte.
Bytes WideCharToGb(std::uint16_t code);
// Opens the converter behind WideCharToGb before its first use, which loads
// iconv's modules: a thread started early can bear that cost for the window.
void PrepareWideCharConversion();

// The customary mark for a character the font lacks (U+3013, A1 FE): page text
// shows it in place of every character outside GB2312.
inline constexpr std::string_view kLackingMark = "\xA1\xFE";

// A double-byte code of the GB2312 plane: lead A1-F7, trail A1-FE. Both bytes
// lie above 80, which the analysis relies on when it counts them to keep
// characters whole; GBK's other codes (trail 40-A0, lead 81-A0 or F8-FE) do not.
inline bool IsGb2312Pair(unsigned char lead, unsigned char trail) {
  return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// WideCharToGb narrowed to GB2312 for page text: ASCII and GB2312 pairs as
// they are, kLackingMark for every other character (GBK-only, none at all).
Bytes WideCharToGb2312(std::uint16_t code);

// Whole texts at the edges of the program (terminal, view): UTF-8 to GB2312
// with "?" for characters without a GB form, and back with U+FFFD for byte
// sequences that are not GB text.
Bytes Utf8ToGb(std::string_view utf8);
std::string GbToUtf8(std::string_view gb);

// The program's own fixed texts are written in UTF-8 source; this is the one
// place that turns them into GB2312.
inline Bytes Gb(std::string_view utf8_literal) {
  return Utf8ToGb(utf8_literal);
}

}  // namespace vexo
