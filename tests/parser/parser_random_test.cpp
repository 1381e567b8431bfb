// Random pages and random expressions: whatever a server sends and whatever
// the user typed, the analysis ends, stays inside the page, brings the count
// back down and stores only well-formed targets.

#include <gtest/gtest.h>

#include <random>

#include "tests/parser/parser_fixture.h"

namespace vexo::parser_test {
namespace {

// Pieces that steer the stages into their corners.
const std::vector<Bytes>& Fragments() {
  static const std::vector<Bytes> kFragments = {"<a href=",
                                                "<A HREF=\"",
                                                "href=",
                                                "</a>",
                                                "</A>",
                                                "<a href=\"http://www.x.com/a.htm\">",
                                                "<a href='/r/b.htm'>",
                                                "<a href=https://s.com/c.htm>",
                                                "http://",
                                                "://",
                                                "</s",
                                                "</span>",
                                                "<script>",
                                                "</script>",
                                                "<p>",
                                                "</p>",
                                                "<br>",
                                                ">",
                                                "<",
                                                "</",
                                                "&",
                                                "&nbsp;",
                                                "&amp;",
                                                "%",
                                                "%20",
                                                "...",
                                                " ",
                                                "\r\n",
                                                "\"",
                                                "'",
                                                ";",
                                                "=",
                                                "<font color=red>",
                                                "<font color=#cc0033>",
                                                "</font>",
                                                "http-equiv=refresh",
                                                "http-equiv=\"refresh\"",
                                                "url=",
                                                "URL=/n.htm",
                                                "javascript:go(",
                                                ")",
                                                "mailto:",
                                                ".baidu.",
                                                ".jpg",
                                                "/#",
                                                "\xA1\xA1",
                                                "\xA1",
                                                "\xFE",
                                                "\x80",
                                                "\x81\x40",
                                                Bytes(1, '\0'),
                                                Gb("手机"),
                                                Gb("诺基亚"),
                                                Gb("新款评测文章"),
                                                "nokia",
                                                "NOKIA",
                                                "\xE6\x89\x8B",
                                                "\xB7\x73"};
  return kFragments;
}

const std::vector<Bytes>& Expressions() {
  static const std::vector<Bytes> kExpressions = {Gb("手机"),
                                                  Gb("手机+诺基亚"),
                                                  Gb("手机/诺基亚"),
                                                  Gb("手机+|诺基亚"),
                                                  "|" + Gb("手机"),
                                                  "(" + Gb("手机") + "/nokia)+" + Gb("新款"),
                                                  "nokia",
                                                  "a",
                                                  "<",
                                                  ">",
                                                  "&",
                                                  "...",
                                                  "href=",
                                                  "</",
                                                  "\xA1",
                                                  "\xCA",
                                                  "+",
                                                  "/",
                                                  "|",
                                                  "((((",
                                                  "))))",
                                                  "",
                                                  " ",
                                                  Gb("手机") + "<",
                                                  ">" + Gb("手机")};
  return kExpressions;
}

const std::vector<std::string>& Addresses() {
  static const std::vector<std::string> kAddresses = {"http://www.site.com/news/p.htm",
                                                      "http://www.baidu.com/s?wd=x",
                                                      "http://www.zhongsou.com/x",
                                                      "http://x",
                                                      "",
                                                      "http://www.google.com",
                                                      "ftp://a.b/c",
                                                      "http://a.com/d/e/f/"};
  return kAddresses;
}

Bytes RandomPage(std::mt19937& rng, std::size_t maxLength) {
  const auto& fragments = Fragments();
  std::uniform_int_distribution<std::size_t> pick(0, fragments.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  const std::size_t target = length(rng);
  Bytes page;
  while (page.size() < target) {
    const int k = kind(rng);
    if (k == 0) {
      // An anchor with a keyword snippet, on its own site, so that targets
      // and sites keep coming.
      const Bytes n = IntToText(byte(rng) * 256 + byte(rng));
      page += "<a href=\"http://www.s" + n + ".com/" + n + ".htm\">" + Gb("新款手机") + n + "</a>" +
              Gb("今日手机报道") + n + ChineseFiller(2 * static_cast<std::size_t>(k));
    } else if (k < 6) {
      page += fragments[pick(rng)];
    } else if (k < 8) {
      page += ChineseFiller(2 * static_cast<std::size_t>(byte(rng) % 40));
    } else {
      page += static_cast<char>(byte(rng));
    }
  }
  return page;
}

class RandomPageTest : public ParserTest {};

TEST_F(RandomPageTest, AnyPageAndExpressionIsAnalysedSafely) {
  std::mt19937 rng(20240611);
  const auto& expressions = Expressions();
  const auto& addresses = Addresses();
  std::uniform_int_distribution<std::size_t> pickExpr(0, expressions.size() - 1);
  std::uniform_int_distribution<std::size_t> pickAddress(0, addresses.size() - 1);
  std::uniform_int_distribution<int> pickTag(0, 3);
  std::uniform_int_distribution<int> pickCharset(0, 2);
  std::uniform_int_distribution<int> pickQueue(0, 3);
  const int kTags[] = {1, 3, 51, 58};
  const int kCharsets[] = {0, 5, 8};
  const Bytes mark = Gb("…");

  for (int round = 0; round < 3000; ++round) {
    if (round % 200 == 0) StartRun();
    switch (pickQueue(rng)) {
      case 0:
        Queue().push_back(Bytes(kAgeMarker1));
        break;
      case 1:
        host.gjc3 = expressions[pickExpr(rng)];
        break;
      default:
        break;
    }
    const Bytes page = RandomPage(rng, round % 10 == 0 ? 8192 : 600);
    const Bytes& expr = expressions[pickExpr(rng)];
    const std::string& address = addresses[pickAddress(rng)];
    Analyse(kTags[pickTag(rng)], page, address, expr, kCharsets[pickCharset(rng)]);
    ASSERT_EQ(host.runningParsers, 0);
  }
  // The soup is rich enough to reach the store now and then.
  EXPECT_GT(host.popups.size(), 100u);
  EXPECT_GT(host.trackingChecks, 3000);

  const StringList& block = *host.store.OpenBlock();
  for (std::size_t i = 1; i + 1 < block.size(); i += 2) {
    const Bytes link = Lower(block[i]);
    EXPECT_TRUE(link.find("http://") != Bytes::npos || link.find("https://") != Bytes::npos)
        << block[i];
    EXPECT_LE(block[i + 1].size(), 156 + 2 * mark.size());
  }
  for (const Bytes& line : FollowUp()) {
    EXPECT_GT(line.size(), 8u);
    EXPECT_EQ(line.find("/#"), Bytes::npos);
  }
}

TEST_F(RandomPageTest, EveryCutOfARealisticPageIsSafe) {
  // One page with every feature, analysed as every prefix and suffix: a piece
  // may end or begin anywhere, inside a tag or a character.
  const Bytes html =
      "<html><head><meta http-equiv=\"refresh\" content=\"0;url=/n.htm\"></head><body>"
      "<p>" +
      Gb("相关") + "<font color=red>" + Gb("手机") + "</font>" + Gb("结果") +
      "</p>"
      "<a href=\"http://www.a.com/1.htm\">" +
      Gb("新款手机评测文章") + "</a>" + Gb("最新手机...新款上市") +
      "<a href=\"/2.htm\">x</a><span>" + Gb("手机") + "</span><p class=x>" + ChineseFiller(300) +
      Gb("手机") + ChineseFiller(100) + "</p>";
  for (int tag : {2, 51}) {
    for (std::size_t cut = 0; cut <= html.size(); ++cut) {
      Analyse(tag, html.substr(0, cut), "http://www.baidu.com/s?wd=1", Gb("手机"));
      Analyse(tag, html.substr(cut), "http://www.site.com/a/b.htm", Gb("手机"));
    }
  }
  EXPECT_EQ(host.runningParsers, 0);
  EXPECT_FALSE(Targets().empty());
}

}  // namespace
}  // namespace vexo::parser_test
