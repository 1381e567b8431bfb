#include "parser/markup_text.h"

#include <gtest/gtest.h>

#include "parser/address_decoding.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

struct Case {
  Bytes in;
  Bytes out;
};

TEST(MarkupToText, StripsTagsDecodesEntitiesCollapsesBlanks) {
  const Case cases[] = {
      {"  a <em>b</em>c\r\n\td  ", "a bc d"},
      {"one<br>two<p>three</p>", "one two three"},
      {"<font color=red>x</font><span>y</span>", "xy"},
      {"a<script>if (a<b) x='</p>';</script>b<style>p>i{}</style>c", "a b c"},
      {"a<!-- <b>c</b> -->d<!doctype html>e", "ade"},
      {"&lt;&gt;&amp;&quot;&#39;&apos;&nbsp;x", "<>&\"'' x"},
      {"&AMP; &copy &unknown; & ;", "& &copy &unknown; & ;"},
      {"&#26631;&#x9898;&#X9898", Gb("标题题")},
      {"&#0;&#x1F600;&#xD800;&#99999999999;",
       Bytes(kLackingMark) + Bytes(kLackingMark) + Bytes(kLackingMark) + Bytes(kLackingMark)},
      {"&#9;&#x7f;&#160;z", "z"},
      {"1 < 2 <3", "1 < 2 <3"},
      {"a<b title='>'>c", "ac"},
      {"a<div", "a"},
      {"<script>never closed", ""},
      {Gb("中文&ldquo;引号&rdquo;"), Gb("中文“引号”")},
  };
  for (const Case& c : cases) EXPECT_EQ(MarkupToText(c.in), c.out) << c.in;
}

TEST(DecodeEntities, KeepsMarkupAndBlanks) {
  const Case cases[] = {
      {"a?x=1&amp;y=2&z", "a?x=1&y=2&z"},
      {" <b>&lt;i&gt; </b>", " <b><i> </b>"},
      {"&#", "&#"},
      {"&", "&"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeEntities(c.in), c.out) << c.in;
}

TEST(WholeCharacterEnd, NeverSplitsAPair) {
  const Bytes text = "ab" + Gb("中文") + "c";
  const std::size_t ends[][2] = {{2, 2}, {3, 2}, {4, 4}, {5, 4}, {6, 6}, {7, 7}, {99, 7}};
  for (const auto& e : ends) EXPECT_EQ(WholeCharacterEnd(text, e[0]), e[1]) << e[0];
}

TEST(AddressDecoding, PercentAndBase64) {
  const Case percent[] = {
      {"%41%2f%2F+%zz%4", "A//+%zz%4"},
      {"%", "%"},
      {"", ""},
  };
  for (const Case& c : percent) EXPECT_EQ(PercentDecode(c.in), c.out) << c.in;
  EXPECT_EQ(Base64UrlDecode("aHR0cHM6Ly9hLmV4YW1wbGUvPz4-"), "https://a.example/?>>");
  EXPECT_EQ(Base64UrlDecode("aGk="), "hi");
  EXPECT_EQ(Base64UrlDecode(""), "");
  EXPECT_FALSE(Base64UrlDecode("aGk*"));
  EXPECT_FALSE(Base64UrlDecode("aGk=x"));
  EXPECT_FALSE(Base64UrlDecode("a"));
}

TEST(AddressDecoding, ParametersAndPlainAddresses) {
  EXPECT_EQ(QueryParameter("https://a/?x=1&URL=2&url=3#u=4", "url"), "2");
  EXPECT_EQ(QueryParameter("https://a/?x=1#u=4", "u"), std::nullopt);
  EXPECT_EQ(QueryParameter("https://a/u=4", "u"), std::nullopt);
  EXPECT_EQ(QueryParameter("https://a/?u", "u"), std::nullopt);
  EXPECT_EQ(QueryParameter("https://a/?u=", "u"), "");
  EXPECT_EQ(PlainAddress(" http://a/b c\r\n\x80 "), "http://a/b%20c%0D%0A%80");
  const Case http[] = {{"http://a", "1"}, {"HTTPS://a", "1"}, {"https://", ""},
                       {"http:///a", ""}, {"ftp://a", ""},    {"http:// a", ""}};
  for (const Case& c : http) EXPECT_EQ(IsHttpAddress(c.in), c.out == "1") << c.in;
}

}  // namespace
}  // namespace vexo
