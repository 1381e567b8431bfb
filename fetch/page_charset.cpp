#include "fetch/page_charset.h"

#include "platform/files.h"

namespace vexo {

namespace {

constexpr std::string_view kGb2312 = "charset=gb2312";
constexpr std::string_view kBig5 = "charset=big5";
constexpr std::string_view kUtf8 = "charset=utf-8";

}  // namespace

int DecideCharset(std::string_view headers, std::string_view piece) {
  int code = kCharsetGb;
  if (!Contains(headers, kGb2312) && !Contains(headers, kBig5) &&
      (Contains(headers, kUtf8) || Contains(piece, kUtf8)))
    code = kCharsetUtf8;
  if (code == kCharsetGb && !Contains(headers, kGb2312) && !Contains(headers, kUtf8) &&
      (Contains(headers, kBig5) || Contains(piece, kBig5)))
    code = kCharsetBig5;
  return code;
}

int CharsetOfPiece(int& page, const StringList& header_lines, std::string_view piece) {
  if (page == kCharsetUtf8 || page == kCharsetBig5) return page;
  const int code = DecideCharset(Lower(JoinLines(header_lines)), Lower(UpToZero(piece)));
  if (code == kCharsetUtf8 || code == kCharsetBig5) page = code;
  return code;
}

}  // namespace vexo
