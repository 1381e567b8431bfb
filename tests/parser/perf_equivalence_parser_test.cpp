// The analysis' shortcuts against their literal forms: the remembered next
// keyword equals a fresh search of each tail, byte roles found by looking back
// equal the count from the start, and the learning and refresh stages find
// their tags as the position sums over the whole text did.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <random>

#include "parser/html_text.h"
#include "parser/keyword_expression.h"
#include "parser/thrd1_stages.h"
#include "platform/files.h"
#include "tests/parser/parser_fixture.h"
#include "tests/reference/parser_literal.h"

namespace vexo::parser_test {
namespace {

using namespace reference;

// --- random pages -----------------------------------------------------------------

const std::vector<Bytes>& Pieces() {
  static const std::vector<Bytes> pieces = {
      Gb("手机"), Gb("诺基亚"), Gb("机手"), Gb("新款"), "nokia", "NOKIA", "a", "<", ">", "</",
      "<font color=red>", "<font color=\"red\">", "<font color=#CC0033>", "<font color=d00001>",
      "<font color=", "</font>", "http-equiv=", "HTTP-EQUIV=refresh", "http-equiv='refresh'",
      "http-equiv=\"refresh\"", " url=", "URL=/n.htm", "url=http://www.n.com/x.htm", "\"", "'", " ",
      "\xA1", "\xB0\xA1", "\xFE", "\x80", "\x81\x40", "x", Bytes(1, '\0'),
      // Highlighted words, as the engines mark them.
      "<font color=red>" + Gb("手机") + "</font>",
      "<font color=#cc0033>" + Gb("诺基亚") + "</font>", "<font color=\"red\">nokia</font>",
      "<font color=d00001> " + Gb("新款") + " </font>"};
  return pieces;
}

Bytes RandomPage(std::mt19937& rng, std::size_t parts) {
  const auto& pieces = Pieces();
  Bytes page;
  for (std::size_t i = 0; i < parts; ++i) {
    const auto r = rng();
    if (r % 6 == 0)
      page += ChineseFiller(2 * ((r >> 8) % 90));  // long runs of double-byte text
    else if (r % 6 == 1)
      page += static_cast<char>(r >> 8);
    else
      page += pieces[(r >> 8) % pieces.size()];
  }
  return page;
}

const std::vector<Bytes>& Expressions() {
  static const std::vector<Bytes> exprs = {Gb("手机"),
                                           Gb("手机/诺基亚+新款"),
                                           Gb("手机+|诺基亚"),
                                           "nokia/" + Gb("新款"),
                                           "(a/" + Gb("机手") + ")+x",
                                           "|" + Gb("手机"),
                                           "a",
                                           ""};
  return exprs;
}

class FastParserTest : public ParserTest {};

TEST_F(FastParserTest, RememberedNextKeywordEqualsAFreshSearchOfEachTail) {
  std::mt19937 rng(31);
  const auto& exprs = Expressions();
  for (int round = 0; round < 1500; ++round) {
    const Bytes page = RandomPage(rng, 1 + rng() % 60);
    const Bytes& expr = exprs[rng() % exprs.size()];
    AnalysisRun run(host, nullptr, "http://www.site.com/a.htm", expr, page);
    // Mostly forward, as the content stage goes, with a step back now and then.
    Pos from = 1;
    for (int step = 0; step < 40; ++step) {
      const Pos expected = run.FirstTerm(ViewN(run.lower, from, Len(page) - from));
      ASSERT_EQ(run.FirstTermInTail(from), expected) << "from " << from << " of " << Len(page);
      from = rng() % 8 == 0 ? 1 + static_cast<Pos>(rng() % (page.size() + 2))
                            : from + static_cast<Pos>(rng() % 40);
    }
  }
}

TEST_F(FastParserTest, RolesByLookingBackEqualTheCountFromTheStart) {
  std::mt19937 rng(32);
  for (int round = 0; round < 1500; ++round) {
    const Bytes page = RandomPage(rng, 1 + rng() % 40);
    AnalysisRun run(host, nullptr, "http://www.site.com/a.htm", Gb("手机"), page);
    for (int step = 0; step < 60; ++step) {
      const Pos p = static_cast<Pos>(rng() % (page.size() + 3)) - 1;
      ASSERT_EQ(run.RoleAt(p), ByteRoleAt(page, p)) << p;
      ASSERT_EQ(RoleByLookback(page, p), ByteRoleAt(page, p)) << p;
    }
    // A forward walk over every byte, as the stages mostly ask.
    const std::vector<ByteRole> roles = ByteRoles(page);
    for (Pos p = 1; p <= Len(page); ++p)
      ASSERT_EQ(run.RoleAt(p), roles[static_cast<std::size_t>(p - 1)]) << p;
  }
}

TEST_F(FastParserTest, LearningFindsTheSameWordsAsThePositionSums) {
  std::mt19937 rng(33);
  int learned = 0;
  for (int round = 0; round < 3000; ++round) {
    const Bytes text = Lower(RandomPage(rng, rng() % 40));
    const Bytes start = Gb("新款手机诺基亚") + "nokia" + Gb("机手");
    host.gjc3 = start;
    Bytes expected = start;
    LiteralLearn(expected, text);
    LearnHighlightedWords(host, text);
    ASSERT_EQ(host.gjc3, expected) << testing::PrintToString(text);
    learned += expected != start;
  }
  EXPECT_GT(learned, 300);
}

TEST_F(FastParserTest, HighlightTagsAnswerAsASearchOfTheWindowInAnyOrder) {
  const std::array<std::string_view, HighlightTags::kCount> tags = {
      "<font color=red>", "<font color=\"red\">", "<font color=#cc0033>", "<font color=#e10900>",
      "<font color=d00001>"};
  std::mt19937 rng(35);
  int found = 0;
  for (int round = 0; round < 300; ++round) {
    const Bytes page = Lower(RandomPage(rng, 60));
    HighlightTags index(page);
    // Mostly rising, as the listing walk asks, with a step back now and then.
    Pos from = 1;
    for (int q = 0; q < 40; ++q) {
      from = rng() % 5 == 0 ? 1 + static_cast<Pos>(rng() % (page.size() + 1))
                            : from + static_cast<Pos>(rng() % 200);
      const Pos last = from + static_cast<Pos>(rng() % 400);
      const std::size_t k = rng() % tags.size();
      const Pos within = PosOf(tags[k], View(page, from, last));
      const Pos expected = within == 0 ? 0 : std::max<Pos>(from, 1) + within - 1;
      ASSERT_EQ(index.FirstWithin(k, from, last), expected) << round << " " << q;
      found += expected != 0;
    }
  }
  EXPECT_GT(found, 300);
}

TEST_F(FastParserTest, RefreshStageFollowsTheSameTargetAsTheFullSearches) {
  std::mt19937 rng(34);
  const std::vector<Bytes> addresses = {"http://www.site.com/d/p.htm", "http://www.site.com",
                                        "http://www.baidu.com/s"};
  int followed = 0;
  for (int round = 0; round < 4000; ++round) {
    const Bytes page = RandomPage(rng, rng() % 30);
    const Bytes& address = addresses[rng() % addresses.size()];
    StartRun();
    StringList expected;
    LiteralRefresh(page, address, expected);
    AnalysisRun run(host, nullptr, address, Gb("手机"), page);
    RefreshStage(run);
    ASSERT_EQ(FollowUp(), expected) << testing::PrintToString(page);
    followed += !expected.empty();
  }
  EXPECT_GT(followed, 200);
}

TEST_F(FastParserTest, ABlockSavedByThePopUpCountsForTheRestOfThePiece) {
  // The pop-up hands control to the window, which may save blocks of its own;
  // a title in such a block is a duplicate from then on, within the piece,
  // once the event loop has turned and brought the Temp folder's news.
  const Bytes second = Gb("第二条手机消息内容丁戊己");
  host.onPopUp = [&] {
    std::filesystem::create_directories(root_ + "/Temp");
    SaveLines(root_ + "/Temp/9.tmp",
              {"9", "http://www.other.com/x.htm", Gb("…") + second + Gb("…")});
    QCoreApplication::processEvents();
  };
  const Bytes html = "<a href=\"http://www.a.com/1.htm\">x</a>" + Gb("第一条手机新闻报道甲乙丙") +
                     "<a href=\"http://www.a.com/2.htm\">y</a>" + second + "<a href=\"/z\">z</a>";
  Analyse(2, html, "http://www.engine.com/s?q=1", Gb("手机"));
  const auto targets = Targets();
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0].link, "http://www.a.com/1.htm");
}

}  // namespace
}  // namespace vexo::parser_test
