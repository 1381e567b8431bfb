// The charset of arriving pieces: the decision table, and a declaration
// carried over to the later pieces of the page.
#include <gtest/gtest.h>

#include "fetch/page_charset.h"

namespace vexo {
namespace {

struct Decision {
  const char* headers;
  const char* piece;
  int code;
};

TEST(CharsetDecision, FollowsTheHeaderFirstThenThePiece) {
  const Decision table[] = {
      {"content-type: text/html; charset=gb2312", "<meta charset=utf-8>", kCharsetGb},
      {"content-type: text/html; charset=gb2312", "charset=big5", kCharsetGb},
      {"content-type: text/html; charset=big5", "charset=utf-8", kCharsetBig5},
      {"content-type: text/html; charset=utf-8", "charset=big5", kCharsetUtf8},
      {"x: charset=big5\r\ny: charset=utf-8", "", kCharsetGb},
      {"content-type: text/html", "charset=utf-8 charset=big5", kCharsetUtf8},
      {"content-type: text/html", "<meta content=\"text/html; charset=big5\">", kCharsetBig5},
      {"content-type: text/html", "<html>nothing</html>", kCharsetGb},
      {"", "", kCharsetGb},
      {"content-type: text/html; charset=utf-8", "", kCharsetUtf8},
      {"content-type: text/html; charset=big5", "", kCharsetBig5},
  };
  for (const Decision& d : table) {
    SCOPED_TRACE(std::string(d.headers) + " | " + d.piece);
    EXPECT_EQ(DecideCharset(d.headers, d.piece), d.code);
  }
}

TEST(PageCharset, ADecisionFromOnePieceHoldsForTheLaterOnes) {
  const StringList headers = {"HTTP/1.0 200 OK", "Content-Type: text/html"};
  int page = kCharsetGb;
  EXPECT_EQ(CharsetOfPiece(page, headers, "plain text"), kCharsetGb);
  EXPECT_EQ(page, kCharsetGb) << "GB2312 is not kept";
  EXPECT_EQ(CharsetOfPiece(page, headers, "<META charset=UTF-8>"), kCharsetUtf8);
  EXPECT_EQ(page, kCharsetUtf8);
  EXPECT_EQ(CharsetOfPiece(page, headers, "plain text"), kCharsetUtf8);
  EXPECT_EQ(CharsetOfPiece(page, headers, "charset=big5"), kCharsetUtf8);
  int other = kCharsetGb;
  EXPECT_EQ(CharsetOfPiece(other, headers, "plain text"), kCharsetGb) << "each page its own";
}

TEST(PageCharset, ThePieceCountsOnlyUpToItsFirstZeroByte) {
  int page = kCharsetGb;
  const std::string piece("text\0charset=big5", 17);
  EXPECT_EQ(CharsetOfPiece(page, {}, piece), kCharsetGb);
  EXPECT_EQ(CharsetOfPiece(page, {"Content-Type: text/html; Charset=Big5"}, ""), kCharsetBig5);
  EXPECT_EQ(page, kCharsetBig5);
}

TEST(PageCharset, HeaderLinesAreNotJoinedIntoAFalseDeclaration) {
  int page = kCharsetGb;
  EXPECT_EQ(CharsetOfPiece(page, {"X: charset=", "big5"}, ""), kCharsetGb);
}

}  // namespace
}  // namespace vexo
