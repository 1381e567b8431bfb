#include "fetch/charset_memo.h"

#include "platform/files.h"

namespace vexo {

namespace {

constexpr std::string_view kGb2312 = "charset=gb2312";
constexpr std::string_view kBig5 = "charset=big5";
constexpr std::string_view kUtf8 = "charset=utf-8";
constexpr std::size_t kMemoLimit = 50;

Bytes Tagged(char code, std::string_view url) {
  Bytes line(1, code);
  line.append(url);
  return line;
}

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

int IndexOfMemoLine(const StringList& memo, std::string_view line) {
  for (std::size_t i = 0; i < memo.size(); ++i)
    if (EqualsNoCase(memo[i], line)) return static_cast<int>(i);
  return -1;
}

int CharsetOfPiece(StringList& memo, std::string_view url, const StringList& header_lines,
                   std::string_view piece) {
  if (memo.empty()) memo.emplace_back();
  // Line 0 is the dummy: a match there does not count.
  if (IndexOfMemoLine(memo, Tagged('8', url)) > 0) return kCharsetUtf8;
  if (IndexOfMemoLine(memo, Tagged('5', url)) > 0) return kCharsetBig5;
  const int code = DecideCharset(Lower(JoinLines(header_lines)), Lower(UpToZero(piece)));
  if (code == kCharsetUtf8) memo.push_back(Tagged('8', url));
  if (code == kCharsetBig5) memo.push_back(Tagged('5', url));
  return code;
}

void ForgetCharset(StringList& memo, std::string_view url) {
  int a = IndexOfMemoLine(memo, Tagged('8', url));
  if (a < 1) a = IndexOfMemoLine(memo, Tagged('5', url));
  if (a > 0) memo.erase(memo.begin() + a);
  if (memo.size() > kMemoLimit) memo.erase(memo.begin());
}

}  // namespace vexo
