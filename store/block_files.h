#pragma once
// Reading block and history files for the duplicate test, and the rules that
// tell their lines apart.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// The duplicate test reads a file through windows of this size, each starting
// kWindowStep bytes after the one before, so consecutive windows overlap by
// 168 bytes: a text of up to 168 bytes is found even across a window edge.
inline constexpr std::size_t kWindowSize = 2048;
inline constexpr std::size_t kWindowStep = 1880;

// True when the regular file at path holds text (case-sensitive bytes) within
// one window. Reads through a fixed buffer on the stack (a window, or sixteen
// windows' worth for a text that no window edge can cut), with one open per
// call; never loads a larger file whole. False for an empty text, a text
// longer than a window, and on any error.
bool FileHasText(std::string_view text, const std::string& path);

// The bytes FileHasText searches in the block file at path (one the listing
// counts among the files): false, with nothing in out, when it searches none.
bool ReadBlockFile(const std::string& path, Bytes& out);

// The first line of a block file: its number in plain decimal. A history file
// starts with a title, which never looks like this.
bool IsBlockNumberLine(std::string_view line);

// A line kept in history: one whose first 9 bytes hold no "://" (link lines
// have it right after the scheme).
bool IsHistoryLine(std::string_view line);

// Stored lists are CR LF text: a line holding CR or LF would come back as
// several lines, breaking the link/title pairs of a block.
bool FitsOnOneLine(std::string_view text);

}  // namespace vexo
