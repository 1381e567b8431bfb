// The shown link of a row and the cutting of captions into pieces.
#include <gtest/gtest.h>

#include <random>

#include "platform/codepage.h"
#include "viewer/export_html.h"

namespace vexo {
namespace {

Bytes LinkOfLength(std::size_t n) {
  Bytes link = "http://www.example.com/";
  while (link.size() < n) link += 'p';
  return link.substr(0, n);
}

TEST(ShownLink, LongLinkIsCutAtSeventyFourMinusTheDigitsOfTheRow) {
  struct Case {
    std::size_t length;
    long long row;
    Pos shown;  // bytes shown; the length itself when not shortened
    bool shortened;
  } cases[] = {
      {80, 5, 73, true},                        // 80 - 1 > 74
      {75, 5, 75, false},                       // 75 - 1 = 74
      {76, 5, 73, true},  {76, 10, 76, false},  // 76 - 2 = 74
      {77, 10, 72, true}, {200, 1000, 70, true}, {10, 1, 10, false},
  };
  for (const Case& c : cases) {
    bool shortened = !c.shortened;
    const Bytes link = LinkOfLength(c.length);
    const Bytes shown = ShownLink(link, c.row, &shortened);
    EXPECT_EQ(Len(shown), c.shown) << c.length << " " << c.row;
    EXPECT_EQ(shortened, c.shortened) << c.length << " " << c.row;
    EXPECT_EQ(link.substr(0, shown.size()), shown);
  }
}

TEST(ShownLink, CutNeverEndsOnTheFirstHalfOfACharacter) {
  // Row 5 keeps 73 bytes; with a character at bytes 73-74 only 72 remain.
  Bytes link = LinkOfLength(72) + Gb("中") + "tail-tail";
  bool shortened = false;
  EXPECT_EQ(ShownLink(link, 5, &shortened), LinkOfLength(72));
  EXPECT_TRUE(shortened);
  link = LinkOfLength(71) + Gb("中") + "tail-tail";
  EXPECT_EQ(ShownLink(link, 5, &shortened), LinkOfLength(71) + Gb("中"));
}

TEST(HtmlRowHead, EightyByteLinkInRowFiveShowsSeventyThreeBytesAndTheEllipsis) {
  const Bytes link = LinkOfLength(80);
  const Bytes row = HtmlRowHead(link, 5);
  EXPECT_EQ(row, "<p><font color=\"#009900\"><a href=\"" + link + "\" target=\"_blank\">5" +
                     Gb("、") + link.substr(0, 73) + Gb("…</a>") + "</font><br>");
  // The GB2312 bytes themselves: number sign A1 A2, ellipsis A1 AD.
  EXPECT_NE(row.find("5\xA1\xA2http"), Bytes::npos);
  EXPECT_NE(row.find("\xA1\xAD</a>"), Bytes::npos);
}

TEST(HtmlRowHead, HrefIsEscapedAndOnlyWebAddressesAreLinked) {
  const Bytes row = HtmlRowHead("http://a.com/x\"onmouseover=\"alert(1)", 1);
  EXPECT_NE(row.find("href=\"http://a.com/x&quot;onmouseover=&quot;alert(1)\""), Bytes::npos);
  EXPECT_EQ(row.find("x\"on"), Bytes::npos);
  EXPECT_NE(HtmlRowHead("javascript:alert(1)//http://a.com/", 1).find("href=\"#\""), Bytes::npos);
  EXPECT_NE(HtmlRowHead("HTTPS://a.com/x", 1).find("href=\"HTTPS://a.com/x\""), Bytes::npos);
}

// Joins pieces back; checks each is a non-empty run of whole characters of
// at most 80 bytes.
void ExpectSoundPieces(const Bytes& caption, const StringList& pieces) {
  Bytes joined;
  for (const Bytes& p : pieces) {
    ASSERT_FALSE(p.empty());
    ASSERT_LE(p.size(), 80u);
    // The piece ends on a character boundary of the caption.
    const Pos end = Len(joined) + Len(p);
    if (end < Len(caption)) {
      EXPECT_NE(ByteRoleAt(caption, end), ByteRole::Lead) << "piece ends inside a character";
    }
    joined += p;
  }
  EXPECT_EQ(joined, caption);
}

TEST(CaptionPieces, ShortCaptionIsOnePiece) {
  const Bytes caption = Gb("…短标题…");
  EXPECT_EQ(CaptionPieces(caption, "x"), StringList{caption});
  const Bytes eighty(80, 'a');
  EXPECT_EQ(CaptionPieces(eighty, "x"), StringList{eighty});
}

TEST(CaptionPieces, CutAtEightyOrSeventyNineBeforeACharacter) {
  const Bytes ascii(100, 'a');
  EXPECT_EQ(CaptionPieces(ascii, "x"), (StringList{Bytes(80, 'a'), Bytes(20, 'a')}));
  // Byte 80 starts a character: the piece is 79 bytes.
  const Bytes mixed = Bytes(79, 'a') + Gb("中文") + Bytes(10, 'b');
  const StringList pieces = CaptionPieces(mixed, "x");
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], Bytes(79, 'a'));
  ExpectSoundPieces(mixed, pieces);
}

TEST(CaptionPieces, AsciiKeywordAcrossTheCutIsKeptWhole) {
  // "mp3" at bytes 79-81 would be split after byte 80.
  const Bytes caption = Bytes(78, 'x') + "mp3" + Bytes(30, 'y');
  const StringList pieces = CaptionPieces(caption, Gb("手机+mp3"));
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], Bytes(78, 'x'));
  EXPECT_EQ(pieces[1].substr(0, 3), "mp3");
}

TEST(CaptionPieces, ChineseKeywordAcrossTheCutIsKeptWhole) {
  // "手机" at bytes 80-83; byte 80 starts it, so the plain cut is 79 anyway.
  // With "新款手机" at 78-85 the cut after 79 splits it: moved back by two.
  const Bytes caption = Bytes(77, 'x') + Gb("新款手机") + Bytes(30, 'y');
  const StringList pieces = CaptionPieces(caption, Gb("新款手机"));
  ASSERT_GE(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], Bytes(77, 'x'));
  EXPECT_EQ(pieces[1].substr(0, 8), Gb("新款手机"));
  ExpectSoundPieces(caption, pieces);
}

TEST(CaptionPieces, KeywordFillingTheWholePieceIsCutWhereThePieceEnds) {
  const Bytes caption(200, 'a');
  const StringList pieces = CaptionPieces(caption, "aa");
  EXPECT_EQ(pieces, (StringList{Bytes(80, 'a'), Bytes(80, 'a'), Bytes(40, 'a')}));
  const Bytes chinese = [] {
    Bytes s;
    for (int i = 0; i < 60; ++i) s += Gb("啊");
    return s;
  }();
  const StringList cpieces = CaptionPieces(chinese, Gb("啊啊"));
  ExpectSoundPieces(chinese, cpieces);
  EXPECT_EQ(cpieces[0].size(), 80u);
}

TEST(CaptionPieces, AnyBytesGiveSoundPieces) {
  std::mt19937 rng(7);
  const Bytes alphabet = "ab+/|()\"<&" + Gb("中文手机") + "\xB0\x81\xFE\x40";
  for (int round = 0; round < 400; ++round) {
    Bytes caption, expr;
    const int n = static_cast<int>(rng() % 400);
    for (int i = 0; i < n; ++i) caption += alphabet[rng() % alphabet.size()];
    const int m = static_cast<int>(rng() % 12);
    for (int i = 0; i < m; ++i) expr += alphabet[rng() % alphabet.size()];
    ExpectSoundPieces(caption, CaptionPieces(caption, expr));
    // Random captions with themselves as keywords reach every cut rule.
    ExpectSoundPieces(caption, CaptionPieces(caption, caption));
    // Without the markup the part writes itself, no byte of the caption
    // can be markup.
    Bytes text = CaptionPart(caption, expr);
    for (const char* markup :
         {"<font style=\"color:#FF0000;background-color:#FFFFFF\">", "</font>", "<br>"}) {
      text = ReplaceAll(text, markup, "");
    }
    EXPECT_EQ(text.find_first_of("<>\""), Bytes::npos) << text;
  }
}

TEST(CaptionPart, EmptyExpressionWritesTheCaptionWithoutPieceBreaks) {
  const Bytes caption = Gb("…") + Bytes(100, 'a') + "<i>" + Gb("…");
  EXPECT_EQ(CaptionPart(caption, ""), Gb("…") + Bytes(100, 'a') + "&lt;i&gt;" + Gb("…"));
}

TEST(CaptionPart, EachPieceIsHighlightedAndEndsWithABreak) {
  const Bytes caption = Bytes(78, 'x') + "mp3" + Bytes(30, 'y');
  EXPECT_EQ(CaptionPart(caption, "mp3"),
            Bytes(78, 'x') + "<br>" +
                "<font style=\"color:#FF0000;background-color:#FFFFFF\">mp3</font>" +
                Bytes(30, 'y') + "<br>");
}

TEST(NavigationBar, LinksInTheOrderFirstPreviousNextLast) {
  EXPECT_EQ(NavigationBar(0, 0, "back.htm"), "<p></p>");
  EXPECT_EQ(NavigationBar(1, 3, "back.htm"),
            Gb("<p><a href=\"back.htm\">|&lt;最前</a>　<a href=\"back.htm\">&lt;&lt;上页</a>　"
               "<a href=\"back2.htm\">下页&gt;&gt;</a>　<a href=\"back3.htm\">最后&gt;|</a></p>"));
  // Full-width spaces (A1 A1) after all but the last link.
  EXPECT_NE(NavigationBar(1, 3, "b.htm").find("</a>\xA1\xA1<a href=\"b2.htm\">"), Bytes::npos);
  EXPECT_EQ(NavigationBar(1, 3, "b.htm").substr(NavigationBar(1, 3, "b.htm").size() - 8),
            "</a></p>");
}

}  // namespace
}  // namespace vexo
