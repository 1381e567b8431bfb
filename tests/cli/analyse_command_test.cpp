// vexo-cli analyse: targets, sites, follow-ups and the expression of a page.
#include "cli/analyse_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_commands.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

struct Outcome {
  int code;
  std::string out, err;
};

Outcome Analyse(const std::vector<std::string>& args, const std::string& page) {
  std::istringstream in(page);
  std::ostringstream out, err;
  const int code = RunAnalyseCommand(args, in, out, err);
  return {code, out.str(), err.str()};
}

TEST(AnalyseCommand, AListingPageGivesItsTargetAndCandidateSite) {
  const std::string page =
      Gb("<html><body><a href=\"http://www.a.cn/1.htm\">甲</a> 这里有关于中文信息处理的新闻报道 "
         "<br><a href=\"http://www.b.cn/2.htm\">乙</a> 没有关键词 <br></body></html>");
  const Outcome r =
      Analyse({"--url", "http://www.google.com/search?q=x", "--tag", "1", "--expr", "中文"}, page);
  ASSERT_EQ(r.code, kCliOk) << r.err;
  EXPECT_NE(r.out.find("\thttp://www.a.cn/1.htm\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("www.b.cn/2.htm"), std::string::npos) << "no keyword, no target";
  EXPECT_NE(r.out.find("site\t[:\\\\:]\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("site\thttp://www.a.cn\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("expr\t中文\n"), std::string::npos);
}

TEST(AnalyseCommand, ARefreshOnAContentPageGoesToTheFollowUpList) {
  const Outcome r = Analyse({"--url", "http://www.r.cn/a/b.htm", "--tag", "51", "--expr", "中文"},
                            "<meta http-equiv=refresh content=\"0;url=/next.htm\">moved");
  ASSERT_EQ(r.code, kCliOk);
  EXPECT_NE(r.out.find("follow\thttp://www.r.cn/next.htm\n"), std::string::npos) << r.out;
}

TEST(AnalyseCommand, ABig5PageIsDecodedFirst) {
  const std::string page = "<p><a href=\"/b/1.htm\">Big5 page \xA4\xA4\xA4\xE5 news</a></p>";
  const Outcome r = Analyse(
      {"--url", "http://www.t.cn/", "--tag", "52", "--expr", "中文", "--charset", "5"}, page);
  ASSERT_EQ(r.code, kCliOk);
  EXPECT_NE(r.out.find("Big5 page 中文 news"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\thttp://www.t.cn/b/1.htm\n"), std::string::npos);
}

TEST(AnalyseCommand, GbOptionBeforeOrAfterTheSubcommandGivesRawBytes) {
  const std::string page = Gb("<p><a href=\"/n/1.htm\">这是中文新闻的标题</a></p>");
  const std::vector<std::string> analyse = {
      "analyse", "--url", Gb("http://www.t.cn/中文/"), "--tag", "52", "--expr", Gb("中文")};
  std::vector<std::string> before = analyse;
  before.insert(before.begin(), "--gb");
  std::vector<std::string> after = analyse;
  after.push_back("--gb");
  for (const auto& args : {before, after}) {
    std::istringstream in(page);
    std::ostringstream out, err;
    ASSERT_EQ(RunCli(args, in, out, err), kCliOk) << err.str();
    EXPECT_NE(out.str().find(Gb("…这是中文新闻的标题…\thttp://www.t.cn/n/1.htm\n")),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find(Gb("expr\t中文\n")), std::string::npos) << out.str();
  }
}

TEST(AnalyseCommand, RefusesABadCommandLineOrAMissingFile) {
  EXPECT_EQ(Analyse({}, "").code, kCliBadUsage);
  EXPECT_EQ(Analyse({"--url", "u", "--tag", "1"}, "").code, kCliBadUsage);
  EXPECT_EQ(Analyse({"--url", "u", "--tag", "x", "--expr", "e"}, "").code, kCliBadUsage);
  EXPECT_EQ(Analyse({"--url", "u", "--tag", "1", "--expr", "e", "--charset", "7"}, "").code,
            kCliBadUsage);
  EXPECT_EQ(Analyse({"--url", "u", "--tag", "1", "--expr", "e", "/nonexistent/page"}, "").code,
            kCliFailed);
  EXPECT_EQ(Analyse({"--url", "u", "--tag", "1", "--expr", "e"}, std::string(20000, '\0')).code,
            kCliOk);
}

}  // namespace
}  // namespace vexo
