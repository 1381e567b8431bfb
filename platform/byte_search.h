#pragma once
// Substring search for the analysis hot paths. glibc's memmem pays a
// 256-byte table set-up on every call and then steps through the text one
// hash at a time; the parser asks for short needles thousands of times per
// page, so this looks at 16 positions per step for the needle's first and
// last bytes together and compares the rest only where both agree.

#include <cstddef>
#include <string_view>

namespace vexo {

// Offset of the first occurrence of `needle` in `hay`, or npos. An empty
// needle is found at offset 0, as std::string_view::find does.
std::size_t FindBytes(std::string_view hay, std::string_view needle);

// Offset of the first byte of `hay` that is one of `set` (at most eight
// bytes), or npos: the text-run scans stop at any of a few markup bytes.
std::size_t FindAnyOf(std::string_view hay, std::string_view set);

// Offset of the first byte of `hay` that is a blank or control byte (at or
// below 20 hex) or one of `set` (at most eight bytes), or npos: the walk over a
// link stops at every byte that some cleaning step acts on.
std::size_t FindControlOrAnyOf(std::string_view hay, std::string_view set);

// Offset of the last byte of `hay` that is one of `set` (at most eight
// bytes), or npos: the walks back from a match to the tag before it.
std::size_t FindLastAnyOf(std::string_view hay, std::string_view set);

// Number of bytes above 80 (hex): whether a stretch of text holds an odd
// number of them decides where double-byte characters were cut.
std::size_t CountBytesAbove80(std::string_view s);

// Lower-cases ASCII A-Z of the first n bytes at `in` into `out`, 16 bytes at
// a time, as far as whole blocks go; returns how many bytes it did.
std::size_t LowerWholeBlocks(const char* in, char* out, std::size_t n);

// True when `s` holds no CR and no LF.
bool HoldsNoLineBreak(std::string_view s);

// Offset of the last byte of `s` outside the range 81-FE (hex) that double-
// byte characters begin with, or npos. Deciding a byte's role looks back
// over such a run, which in Chinese text is most of the text.
std::size_t FindLastNonLeadByte(std::string_view s);

}  // namespace vexo
