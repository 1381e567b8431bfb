#pragma once
// The pieces of an exported HTML page: rows of targets with their captions
// cut into highlighted pieces, the navigation bar, the page frame. Everything
// taken from pages or typed by the user is escaped here.

#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Target positions per exported page (two block lines each).
inline constexpr int kTargetsPerPage = 20;
// Caption pieces are at most this many bytes.
inline constexpr Pos kCaptionPieceBytes = 80;

// The part of the link shown in row N: the whole link when its length minus
// the length of the decimal N is at most 74, else its first 74 - length(N)
// bytes without a trailing half character; `shortened` tells which.
Bytes ShownLink(std::string_view link, long long n, bool* shortened);

// The caption's pieces: at most 80 bytes each, never ending inside a
// double-byte character, moved back so that a keyword of the expression's text
// is not split across two pieces when it fits into one. Together they are the
// whole caption, and none is empty.
StringList CaptionPieces(std::string_view caption, std::string_view expression);

// The caption as written into a row: escaped whole when the expression is
// empty, else each piece highlighted and followed by "<br>".
Bytes CaptionPart(std::string_view caption, std::string_view expression);

// A row up to and including its link: the paragraph, the number N and the
// shown link, the href holding the whole link.
Bytes HtmlRowHead(std::string_view link, long long n);

// The bar of page k of pages 0..last: first and previous when k > 0, next and
// last when k < last, each linking to that page's file.
Bytes NavigationBar(long long k, long long last, const std::string& bareName);

// A whole page around its rows.
Bytes HtmlPage(std::string_view keywords, std::string_view navigation, std::string_view rows);

// The name of output file k: the bare name itself for 0, else with the
// decimal k before the bare name's first ".".
std::string ExportFileName(const std::string& bareName, long long k);

}  // namespace vexo
