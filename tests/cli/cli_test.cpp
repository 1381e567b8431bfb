#include "cli/cli_commands.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <sstream>
#include <string>
#include <vector>

#include "parser/cvcode.h"
#include "parser/html_text.h"
#include "parser/keyword_expression.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "vexo_version.h"

namespace vexo {
namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

Outcome RunTool(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  Outcome o;
  o.code = RunCli(args, in, out, err);
  o.out = out.str();
  o.err = err.str();
  return o;
}

class CliTest : public ::testing::Test {
 protected:
  std::string WriteFile(const std::string& name, std::string_view bytes) {
    const std::string path = dir_.path().toStdString() + "/" + name;
    EXPECT_TRUE(WriteFileAtomic(path, bytes));
    return path;
  }
  QTemporaryDir dir_;
};

struct TextCase {
  std::vector<std::string> args;
  std::string out;
};

TEST_F(CliTest, KeywordCommandsSpeakUtf8AtTheTerminal) {
  const TextCase cases[] = {
      {{"normalize", "汽车 -二手"}, "汽车+|二手\n"},
      {{"normalize", "（a／b）"}, "(a/b)\n"},
      {{"split-mixed", "MP3播放器"}, "MP+3/播放器\n"},
      {{"split-mixed", "价格(手机)"}, "价格/(手机)\n"},
      {{"encode-query", "手机 -诺基亚"}, "手机%20-诺基亚\n"},
      {{"encode-query", "a--b//c"}, "a%20-b%20/c\n"},
      {{"normalize", "--", "--gb"}, NormalizeExpression("--gb") + "\n"},
      {{"normalize", "-a"}, "|a\n"},  // one dash is a keyword, not an option
  };
  for (const auto& c : cases) {
    const Outcome o = RunTool(c.args);
    EXPECT_EQ(o.code, kCliOk) << c.args[1];
    EXPECT_EQ(o.out, c.out) << c.args[1];
    EXPECT_EQ(o.err, "");
  }
}

TEST_F(CliTest, GbOptionPassesRawBytes) {
  Outcome o = RunTool({"--gb", "normalize", Gb("汽车 -二手")});
  EXPECT_EQ(o.code, kCliOk);
  EXPECT_EQ(o.out, Gb("汽车+|二手") + "\n");
  o = RunTool({"split-mixed", "--gb", Gb("诺基亚6600")});
  EXPECT_EQ(o.out, Gb("诺基亚/6600") + "\n");
  o = RunTool({"encode-query", Gb("手机＋电话"), "--gb"});
  EXPECT_EQ(o.out, Gb("手机%20电话") + "\n");
}

TEST_F(CliTest, TheSubcommandFollowsTheGlobalOptions) {
  EXPECT_EQ(CliSubcommand({"track", "k"}), "track");
  EXPECT_EQ(CliSubcommand({"--gb", "track", "k"}), "track");
  EXPECT_EQ(CliSubcommand({"--help", "--gb", "--", "analyse"}), "analyse");
  EXPECT_EQ(CliSubcommand({"--gb"}), "");
  EXPECT_EQ(RunTool({"--gb", "--help", "analyse"}).code, kCliOk) << "help before anything";
  EXPECT_EQ(RunTool({"--gb", "analyse", "--url", "u"}).err.rfind("usage: vexo-cli analyse", 0), 0u);
}

TEST_F(CliTest, MatchPrintsBothPositionsInGbBytes) {
  // "ab" then 诺基亚 (bytes 3-8) then 手机 (bytes 9-12).
  Outcome o = RunTool({"match", "手机+诺基亚"}, "ab诺基亚手机");
  EXPECT_EQ(o.code, kCliOk);
  EXPECT_EQ(o.out, "3 3\n");
  o = RunTool({"match", "手机+电话"}, "ab诺基亚手机");
  EXPECT_EQ(o.out, "9 0\n");
  o = RunTool({"match", "x"}, "x...");  // position 1 counts only for the match
  EXPECT_EQ(o.out, "0 1\n");
  o = RunTool({"match", "ABC"}, "XY ABC");  // the page is lower-cased
  EXPECT_EQ(o.out, "4 4\n");
  o = RunTool({"match", "x"}, "");
  EXPECT_EQ(o.out, "0 0\n");
}

TEST_F(CliTest, MatchReadsAFileAsUtf8OrWithGbAsRaw) {
  const std::string utf8 = WriteFile("page.txt", "ab诺基亚手机");
  Outcome o = RunTool({"match", "诺基亚", utf8});
  EXPECT_EQ(o.code, kCliOk);
  EXPECT_EQ(o.out, "3 3\n");
  const std::string gb = WriteFile("page.gb", Gb("<p>二手汽车</p>"));
  o = RunTool({"--gb", "match", Gb("汽车 -二手"), gb});
  EXPECT_EQ(o.out, "8 0\n");
  o = RunTool({"--gb", "match", Gb("汽车"), gb}, "ignored stdin");
  EXPECT_EQ(o.out, "8 8\n");
}

TEST_F(CliTest, ConversionsWriteRawGbBytes) {
  const std::string big5 = "\xA4\xA4\xA4\xE5 ok";  // 中文 in Big5
  Outcome o = RunTool({"big5-to-gb"}, big5);
  EXPECT_EQ(o.code, kCliOk);
  EXPECT_EQ(o.out, Big5ToGb(big5));
  EXPECT_EQ(o.out, Gb("中文 ok"));
  o = RunTool({"big5-to-gb", WriteFile("big5.txt", big5)});
  EXPECT_EQ(o.out, Gb("中文 ok"));
  o = RunTool({"utf8-to-gb"}, "中文abc");
  EXPECT_EQ(o.code, kCliOk);
  EXPECT_EQ(o.out, Utf8ToAnsi("中文abc"));
  EXPECT_EQ(o.out, Gb("中文abc"));
  o = RunTool({"--gb", "utf8-to-gb", WriteFile("utf8.txt", "中文")});
  EXPECT_EQ(o.out, Gb("中文"));
  const std::string nul("a\0b", 3);
  EXPECT_EQ(RunTool({"big5-to-gb"}, nul).out, Big5ToGb(nul));
}

TEST_F(CliTest, HelpListsEveryCommand) {
  const Outcome o = RunTool({"--help"});
  EXPECT_EQ(o.code, kCliOk);
  for (const char* verb :
       {"normalize", "split-mixed", "encode-query", "match", "big5-to-gb", "utf8-to-gb", "--gb"})
    EXPECT_NE(o.out.find(verb), std::string::npos) << verb;
  EXPECT_EQ(RunTool({"match", "-h"}).code, kCliOk);
}

TEST_F(CliTest, VersionIsTheProjectVersion) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, {"--gb", "--version"}, {"normalize", "--version"}}) {
    const Outcome o = RunTool(args);
    EXPECT_EQ(o.code, kCliOk);
    EXPECT_EQ(o.out, std::string("vexo-cli ") + kVersion + "\n");
    EXPECT_EQ(o.err, "");
  }
  EXPECT_NE(RunTool({"--help"}).out.find("--version"), std::string::npos);
}

TEST_F(CliTest, BadUsageGivesOneUsageLineAndExitTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--gb"},
      {"frobnicate"},
      {"normalize"},
      {"normalize", "a", "b"},
      {"split-mixed"},
      {"encode-query", "a", "b"},
      {"match"},
      {"match", "a", "f", "g"},
      {"big5-to-gb", "f", "g"},
      {"utf8-to-gb", "f", "g"},
      {"--verbose", "normalize", "a"},
      {"--versions"},
      {"NORMALIZE", "a"},
  };
  for (const auto& args : bad) {
    const Outcome o = RunTool(args);
    EXPECT_EQ(o.code, kCliBadUsage) << testing::PrintToString(args);
    EXPECT_EQ(o.out, "");
    ASSERT_FALSE(o.err.empty());
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;  // exactly one line
    EXPECT_EQ(o.err.rfind("usage: vexo-cli", 0), 0u);
  }
}

TEST_F(CliTest, UnreadableFileFailsWithExitOne) {
  const std::string missing = dir_.path().toStdString() + "/missing.txt";
  for (const std::vector<std::string>& args : {std::vector<std::string>{"match", "a", missing},
                                               {"big5-to-gb", missing},
                                               {"utf8-to-gb", dir_.path().toStdString()}}) {
    const Outcome o = RunTool(args);
    EXPECT_EQ(o.code, kCliFailed);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("cannot read"), std::string::npos);
  }
}

TEST_F(CliTest, ArbitraryBytesNeverBreakTheCommands) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  for (const char* verb : {"normalize", "split-mixed", "encode-query"}) {
    EXPECT_EQ(RunTool({verb, junk}).code, kCliOk);
    EXPECT_EQ(RunTool({"--gb", verb, junk}).code, kCliOk);
  }
  EXPECT_EQ(RunTool({"match", junk}, junk).code, kCliOk);
  EXPECT_EQ(RunTool({"--gb", "match", junk}, junk).code, kCliOk);
  EXPECT_EQ(RunTool({"big5-to-gb"}, junk).code, kCliOk);
  EXPECT_EQ(RunTool({"utf8-to-gb"}, junk).code, kCliOk);
}

}  // namespace
}  // namespace vexo
