// Escaping of page text and the keyword highlighting of caption pieces.
#include "viewer/highlight.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace vexo {
namespace {

const std::string kOn = "<font style=\"color:#FF0000;background-color:#FFFFFF\">";
const std::string kOff = "</font>";
Bytes Hi(const Bytes& s) {
  return kOn + s + kOff;
}

TEST(EscapeHtml, MarkupBytesBecomeEntitiesAndCharactersStay) {
  struct Case {
    Bytes in, out;
  } cases[] = {
      {"plain", "plain"},
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"a\" onerror=\"x", "a&quot; onerror=&quot;x"},
      {"&amp; & 'q'", "&amp;amp; &amp; 'q'"},
      {Gb("中文<b>"), Gb("中文&lt;b&gt;")},
      // A lead byte without its second half cannot swallow the quote after it.
      {"\xB0\"", "?&quot;"},
      {"x\xB0", "x?"},
      {"\xB0\x7F", "?\x7F"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeHtml(c.in), c.out) << c.in;
}

TEST(HighlightTermList, PositiveTermsLowerCasedWithoutOperatorsOrParentheses) {
  EXPECT_EQ(HighlightTermList(Gb("手机+MP3")), (StringList{Gb("手机"), "mp3"}));
  EXPECT_EQ(HighlightTermList(" (a/B)+c -d "), (StringList{"a", "b", "c"}));
  EXPECT_EQ(HighlightTermList("x -(y/z)"), (StringList{"x"}));
  EXPECT_EQ(HighlightTermList(Gb("奇瑞／别克　宝来")),
            (StringList{Gb("奇瑞"), Gb("别克"), Gb("宝来")}));
  EXPECT_EQ(HighlightTermList("a/a+a"), (StringList{"a"}));
  EXPECT_TRUE(HighlightTermList("").empty());
  EXPECT_TRUE(HighlightTermList("-a").empty());
}

TEST(HighlightTerms, ChineseTermsAreWrappedUpperCaseLatinStaysPlain) {
  const Bytes expr = Gb("手机+mp3");
  EXPECT_EQ(HighlightTerms(expr, Gb("…新款MP3手机…")), Gb("…新款MP3") + Hi(Gb("手机")) + Gb("…"));
  EXPECT_EQ(HighlightTerms(expr, Gb("…新款mp3手机…")),
            Gb("…新款") + Hi("mp3") + Hi(Gb("手机")) + Gb("…"));
  // The user's upper-case term is lower-cased, so it too wraps only lower case.
  EXPECT_EQ(HighlightTerms("MP3", "mp3 MP3"), Hi("mp3") + " MP3");
}

TEST(HighlightTerms, EveryOccurrenceIsWrapped) {
  EXPECT_EQ(HighlightTerms("ab", "ab-ab-xab"), Hi("ab") + "-" + Hi("ab") + "-x" + Hi("ab"));
}

TEST(HighlightTerms, OccurrenceInsideADoubleByteCharacterIsNotWrapped) {
  // "啊" is B0 A1; "“" is A1 B0: the term "“" would match across the two
  // characters of "啊啊" (B0 [A1 B0] A1) but starts on a trail byte there.
  const Bytes term = Gb("“");
  const Bytes text = Gb("啊啊");
  ASSERT_NE(text.find(term), Bytes::npos);
  EXPECT_EQ(HighlightTerms(term, text), text);
  EXPECT_EQ(HighlightTerms(term, Gb("啊“")), Gb("啊") + Hi(term));
  // A term that ends on a lead byte (a full-width operator rewritten across
  // two characters leaves one) wraps no half of the character after it.
  EXPECT_EQ(HighlightTerms("\xD6\xD0\xCE", "\xD6\xD0\xCE\xC4|"), "\xD6\xD0\xCE\xC4|");
}

TEST(HighlightTerms, LaterTermsSearchTheTextNotTheMarkup) {
  // A term that is part of the highlight tag must not match inside it.
  EXPECT_EQ(HighlightTerms("ab+font+ff0000+style", "ab"), Hi("ab"));
  // A later term inside an earlier highlight is wrapped there, well nested.
  EXPECT_EQ(HighlightTerms(Gb("手机+机"), Gb("手机")), Hi(Gb("手") + Hi(Gb("机"))));
  // Nor across the edge of an earlier highlight.
  EXPECT_EQ(HighlightTerms("bc+ab", "abc"), "a" + Hi("bc"));
}

TEST(HighlightTerms, EscapesBeforeWrappingAndNeverMatchesInsideEntities) {
  EXPECT_EQ(HighlightTerms("amp+lt", "a&b<lt"), "a&amp;b&lt;" + Hi("lt"));
  EXPECT_EQ(HighlightTerms("a<b", "x a<b"), "x " + Hi("a&lt;b"));
  EXPECT_EQ(HighlightTerms("script", "<script>"), "&lt;" + Hi("script") + "&gt;");
}

TEST(HighlightTerms, NegatedAndEmptyExpressionsWrapNothing) {
  EXPECT_EQ(HighlightTerms("-ab", "ab"), "ab");
  EXPECT_EQ(HighlightTerms("", "a<b"), "a&lt;b");
  EXPECT_EQ(HighlightTerms("ab", ""), "");
}

}  // namespace
}  // namespace vexo
