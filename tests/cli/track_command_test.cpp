// vexo-cli track against the mock web, on real timers, for a short while.
#include "cli/track_command.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>

#include "cli/cli_commands.h"
#include "platform/codepage.h"
#include "platform/connect_to.h"
#include "platform/files.h"
#include "platform/ini_profile.h"
#include "store/result_store.h"
#include "tests/support/mock_web.h"
#include "tests/support/offline.h"

namespace vexo {
namespace {

class TrackCommandTest : public ::testing::Test {
 protected:
  TrackCommandTest() {
    home_ = dir_.path().toStdString() + "/home";
    conf_ = dir_.path().toStdString() + "/conf";
    CreateDir(home_);
    CreateDir(conf_);
    // These runs take real seconds: a host's requests a few milliseconds
    // apart instead of a second.
    WriteFileAtomic(home_ + "/vexo.ini", "[vexo]\r\nhost_spacing_ms=5\r\n");
    ::setenv("VEXO_HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", conf_.c_str(), 1);
    ::unsetenv("VEXO_CONNECT_TO");
    ReadConnectToEnvironment();
    SetConnectToMap(web_.ConnectToMap());
  }
  ~TrackCommandTest() override {
    ::vexo::testing::GoOffline();
    ::unsetenv("VEXO_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
  }

  int Track(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunTrackCommand(args, out, err);
    out_ = out.str();
    err_ = err.str();
    return code;
  }

  // A run stopped as soon as its output so far satisfies done (else when its
  // time is up): the track command's own arguments, or a whole command line.
  using Done = std::function<bool(const std::string&)>;
  int TrackUntil(const std::vector<std::string>& args, const Done& done) {
    return Watch(done, [&](std::ostream& out, std::ostream& err) {
      return RunTrackCommand(args, out, err);
    });
  }
  int CliUntil(const std::vector<std::string>& args, const Done& done) {
    return Watch(done, [&](std::ostream& out, std::ostream& err) {
      std::istringstream in;
      return RunCli(args, in, out, err);
    });
  }
  int Watch(const Done& done, const std::function<int(std::ostream&, std::ostream&)>& run) {
    std::ostringstream out, err;
    QTimer watch;
    QTimer::connect(&watch, &QTimer::timeout, [&] {
      if (done(out.str())) RequestTrackStop();
    });
    watch.start(10);
    const int code = run(out, err);
    out_ = out.str();
    err_ = err.str();
    return code;
  }

  QTemporaryDir dir_;
  std::string home_, conf_;
  testing::MockWeb web_;
  std::string out_, err_;
};

TEST_F(TrackCommandTest, PrintsEachNewTargetAndEndsLikeAStopAndAClose) {
  ASSERT_EQ(Track({testing::kMockKeyword, "--seconds", "2"}), kCliOk) << err_;
  EXPECT_NE(out_.find("\t…中文新闻摘要…\thttp://www.gbsite.cn/index.htm\n"), std::string::npos)
      << out_;
  EXPECT_NE(out_.find("\t…本站提供中文分词服务…\thttp://www.gbsite.cn/news/2.htm\n"),
            std::string::npos);
  EXPECT_EQ(out_.rfind("1\t", 0), 0u) << "numbered from 1";
  EXPECT_NE(out_.find("\nsum1\t11\nss\t0\n"), std::string::npos) << out_;

  // What the window leaves: configuration, history and the aged site queue.
  IniProfile ini(home_ + "/vexo.ini");
  ini.Load();
  EXPECT_EQ(ini.ReadString("vexo", "gjc", ""), Gb(testing::kMockKeyword));
  StringList kix;
  ASSERT_TRUE(LoadLines(home_ + "/kix", kix));
  EXPECT_GE(ResultStore::IndexOfLine(kix, "http://www.gbsite.cn"), 0);
  EXPECT_EQ(ResultStore::IndexOfLine(kix, kPassMarker), -1);
  EXPECT_TRUE(FileExists(home_ + "/Temp/1.tmp"));

  // A second run reports nothing twice.
  ASSERT_EQ(Track({testing::kMockKeyword, "--seconds", "1"}), kCliOk);
  EXPECT_NE(out_.find("sum1\t0\n"), std::string::npos) << out_;
}

TEST_F(TrackCommandTest, RefusesABadCommandLine) {
  EXPECT_EQ(Track({}), kCliBadUsage);
  EXPECT_EQ(Track({"k", "--seconds"}), kCliBadUsage);
  EXPECT_EQ(Track({"k", "--seconds", "-1"}), kCliBadUsage);
  EXPECT_EQ(Track({"k", "--seconds", "x"}), kCliBadUsage);
  EXPECT_EQ(Track({"k", "extra"}), kCliBadUsage);
  EXPECT_EQ(Track({"   ", "--seconds", "0"}), kCliBadUsage) << "no keywords, no run";
}

TEST_F(TrackCommandTest, AStopRequestLeftFromBeforeTheRunIsForgotten) {
  RequestTrackStop();
  ASSERT_EQ(Track({testing::kMockKeyword, "--seconds", "1"}), kCliOk);
  EXPECT_NE(out_.find("\nsum1\t11\n"), std::string::npos) << out_;
}

TEST_F(TrackCommandTest, EveryTargetIsPrintedAlsoWhenTheBlockRollsOver) {
  ASSERT_EQ(TrackUntil({testing::kMockBlockKeyword, "--seconds", "20"},
                       [](const std::string& out) { return out.find("\n210\t") != out.npos; }),
            kCliOk)
      << err_;
  std::istringstream lines(out_);
  std::string line;
  long long expected = 1;
  std::set<std::string> titles;
  while (std::getline(lines, line) && line.rfind("sum1\t", 0) != 0) {
    ASSERT_EQ(line.substr(0, line.find('\t')), std::to_string(expected)) << line;
    titles.insert(line.substr(line.find('\t') + 1));
    ++expected;
  }
  EXPECT_EQ(line, "sum1\t" + std::to_string(expected - 1)) << "numbered 1 to sum1";
  EXPECT_GT(expected - 1, 200) << "the first block rolled over";
  EXPECT_EQ(titles.size(), static_cast<std::size_t>(expected - 1)) << "each target once";
  EXPECT_TRUE(FileExists(home_ + "/Temp/1.tmp"));
}

TEST_F(TrackCommandTest, ARunWhoseTargetsCannotBeSavedSaysSoAndFails) {
  ASSERT_TRUE(WriteFileAtomic(home_ + "/Temp", "a file where the folder should be"));
  EXPECT_EQ(TrackUntil({testing::kMockKeyword, "--seconds", "20"},
                       [](const std::string& out) { return out.find("\n11\t") != out.npos; }),
            kCliFailed);
  EXPECT_NE(err_.find("cannot save " + home_ + "/Temp/1.tmp"), std::string::npos) << err_;
  EXPECT_NE(out_.find("\nsum1\t11\n"), std::string::npos) << out_;
}

TEST_F(TrackCommandTest, GlobalGbOptionGivesRawBytesInAndOut) {
  const std::string first = Gb("\t…中文新闻摘要…\thttp://www.gbsite.cn/index.htm\n");
  const auto found = [&first](const std::string& out) { return out.find(first) != out.npos; };
  ASSERT_EQ(CliUntil({"--gb", "track", Gb(testing::kMockKeyword), "--seconds", "30"}, found),
            kCliOk)
      << err_;
  EXPECT_TRUE(found(out_)) << out_;
  // The option also goes after the subcommand, as with the other commands.
  ASSERT_EQ(CliUntil({"track", "--gb", Gb("中文新闻"), "--seconds", "0"}, found), kCliOk);
  IniProfile ini(home_ + "/vexo.ini");
  ini.Load();
  EXPECT_EQ(ini.ReadString("vexo", "gjc", ""), Gb("中文新闻")) << "the keywords taken as they are";
}

}  // namespace
}  // namespace vexo
