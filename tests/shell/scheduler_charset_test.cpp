// The charset of arriving pieces: the decision table, the memo that carries
// a decision to the later pieces of a page, and its clean-up.
#include <gtest/gtest.h>

#include "fetch/charset_memo.h"

namespace vexo {
namespace {

struct Decision {
  const char* headers;
  const char* piece;
  int code;
};

TEST(CharsetDecision, FollowsTheHeaderFirstThenThePiece) {
  const Decision table[] = {
      {"content-type: text/html; charset=gb2312", "<meta charset=utf-8>", 0},
      {"content-type: text/html; charset=gb2312", "charset=big5", 0},
      {"content-type: text/html; charset=big5", "charset=utf-8", 5},
      {"content-type: text/html; charset=utf-8", "charset=big5", 8},
      {"x: charset=big5\r\ny: charset=utf-8", "", 0},
      {"content-type: text/html", "charset=utf-8 charset=big5", 8},
      {"content-type: text/html", "<meta content=\"text/html; charset=big5\">", 5},
      {"content-type: text/html", "<html>nothing</html>", 0},
      {"", "", 0},
      {"content-type: text/html; charset=utf-8", "", 8},
      {"content-type: text/html; charset=big5", "", 5},
  };
  for (const Decision& d : table) {
    SCOPED_TRACE(std::string(d.headers) + " | " + d.piece);
    EXPECT_EQ(DecideCharset(d.headers, d.piece), d.code);
  }
}

TEST(CharsetMemo, ADecisionFromTheFirstPieceHoldsForTheLaterOnes) {
  StringList memo;
  const StringList headers = {"HTTP/1.0 200 OK", "Content-Type: text/html"};
  EXPECT_EQ(CharsetOfPiece(memo, "http://u.cn/a", headers, "<META charset=UTF-8>"), 8);
  EXPECT_EQ(memo, (StringList{"", "8http://u.cn/a"}));
  EXPECT_EQ(CharsetOfPiece(memo, "http://u.cn/a", headers, "plain text"), 8);
  EXPECT_EQ(CharsetOfPiece(memo, "HTTP://U.CN/A", headers, "plain text"), 8)
      << "the memo compares without case";
  EXPECT_EQ(CharsetOfPiece(memo, "http://u.cn/b", headers, "plain text"), 0);
  EXPECT_EQ(memo.size(), 2u) << "GB2312 is not remembered";
  ForgetCharset(memo, "http://u.cn/a");
  EXPECT_EQ(memo, (StringList{""}));
}

TEST(CharsetMemo, ThePieceCountsOnlyUpToItsFirstZeroByte) {
  StringList memo;
  const std::string piece("text\0charset=big5", 17);
  EXPECT_EQ(CharsetOfPiece(memo, "http://u.cn/", {}, piece), 0);
  EXPECT_EQ(CharsetOfPiece(memo, "http://u.cn/", {"Content-Type: text/html; Charset=Big5"}, ""), 5);
  EXPECT_EQ(memo, (StringList{"", "5http://u.cn/"}));
}

TEST(CharsetMemo, HeaderLinesAreNotJoinedIntoAFalseDeclaration) {
  StringList memo;
  EXPECT_EQ(CharsetOfPiece(memo, "http://u.cn/", {"X: charset=", "big5"}, ""), 0);
}

TEST(CharsetMemo, AnEmptyMemoGetsItsDummyLineBack) {
  StringList memo;
  CharsetOfPiece(memo, "http://u.cn/", {}, "");
  EXPECT_EQ(memo, (StringList{""}));
}

TEST(CharsetMemo, StaysNearFiftyLinesWhenRequestsEndUnremembered) {
  StringList memo = {""};
  for (int i = 0; i < 60; ++i)
    CharsetOfPiece(memo, "http://u" + std::to_string(i) + ".cn/", {}, "charset=utf-8");
  EXPECT_EQ(memo.size(), 61u);
  for (int i = 0; i < 5; ++i) ForgetCharset(memo, "http://elsewhere.cn/");
  EXPECT_EQ(memo.size(), 56u) << "one first line dropped per ended request";
  ForgetCharset(memo, "http://u59.cn/");
  EXPECT_EQ(memo.back(), "8http://u58.cn/");
}

TEST(CharsetMemo, OnlyTheEndedRequestsLineGoes) {
  StringList memo = {"", "8http://a.cn/", "5http://b.cn/", "8http://c.cn/"};
  ForgetCharset(memo, "http://b.cn/");
  EXPECT_EQ(memo, (StringList{"", "8http://a.cn/", "8http://c.cn/"}));
  ForgetCharset(memo, "http://a.cn");
  EXPECT_EQ(memo.size(), 3u) << "whole lines only";
}

}  // namespace
}  // namespace vexo
