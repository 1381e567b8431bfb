// The real vexo-cli killed with SIGKILL at each deletion of its compaction at
// shutdown: every title that was in a block file before is in one after, also
// once the next run has saved its own targets.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <set>

#include "platform/codepage.h"
#include "platform/files.h"
#include "tests/support/mock_web.h"
#include "tests/support/sample_targets.h"

namespace vexo {
namespace {

using testing::Link;
using testing::TitleLine;

constexpr int kBlocks = 8;
constexpr int kTitles = kBlocks * 200;

class KilledCompactionTest : public ::testing::Test {
 protected:
  std::string Home() const { return dir_.path().toStdString() + "/home"; }
  std::string Temp() const { return Home() + "/Temp"; }

  void LayOut() {
    std::filesystem::remove_all(Home());
    CreateDir(Temp());
    ASSERT_TRUE(SaveLines(Home() + "/vexo.ini", {"[vexo]", "gjc=" + Gb(testing::kMockKeyword)}));
    for (int b = 1; b <= kBlocks; ++b) {
      StringList lines{std::to_string(b)};
      for (int i = (b - 1) * 200 + 1; i <= b * 200; ++i) {
        lines.push_back(Link(i));
        lines.push_back(TitleLine(i));
      }
      ASSERT_TRUE(SaveLines(Temp() + "/" + std::to_string(b) + ".tmp", lines));
    }
  }

  struct Run {
    QProcess::ExitStatus status = QProcess::CrashExit;
    std::string out;
  };
  // A tracking run on the same keywords, killed at the k-th block file
  // deletion (0: never). With `findAll` it runs until the mock web's targets
  // are printed and then ends as at Ctrl-C; else it stops at once.
  Run Track(int k, bool findAll) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VEXO_HOME", QString::fromStdString(Home()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(Home()));
    env.insert("VEXO_CONNECT_TO", QString::fromStdString(web_.ConnectToMap()));
    env.insert("LD_PRELOAD", VEXO_KILL_PRELOAD);
    env.insert("VEXO_KILL_AT_BLOCK_DELETE", QString::number(k));
    // The preloaded library comes before the sanitizer's runtime.
    env.insert("ASAN_OPTIONS",
               env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0:detect_leaks=0");
    QProcess cli;
    cli.setProcessEnvironment(env);
    Run run;
    QEventLoop loop;  // the mock web answers on this thread's loop
    QObject::connect(&cli, &QProcess::readyReadStandardOutput, [&] {
      run.out += cli.readAllStandardOutput().toStdString();
      if (findAll && run.out.find("\n11\t") != std::string::npos) cli.terminate();
    });
    QObject::connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, [&] { cli.kill(); });
    cli.start(VEXO_CLI_PROGRAM,
              {"track", testing::kMockKeyword, "--seconds", findAll ? "60" : "0"});
    if (cli.waitForStarted()) loop.exec();
    run.status = cli.exitStatus();
    run.out += cli.readAllStandardOutput().toStdString();
    return run;
  }

  std::set<Bytes> LinesOnDisk() const {
    std::set<Bytes> lines;
    for (const auto& entry : std::filesystem::directory_iterator(Temp())) {
      StringList part;
      LoadLines(entry.path().string(), part);
      lines.insert(part.begin(), part.end());
    }
    return lines;
  }

  QTemporaryDir dir_;
  testing::MockWeb web_;
};

TEST_F(KilledCompactionTest, NoSavedTitleIsLostWhereverTheKillLands) {
  for (const int k : {1, 3, 6}) {
    LayOut();
    EXPECT_EQ(Track(k, false).status, QProcess::CrashExit) << "killed at deletion " << k;
    // The next run saves its own targets among what the kill left.
    const Run next = Track(0, true);
    EXPECT_EQ(next.status, QProcess::NormalExit);
    EXPECT_NE(next.out.find("\nsum1\t11\n"), std::string::npos) << next.out;
    const std::set<Bytes> lines = LinesOnDisk();
    for (int i = 1; i <= kTitles; ++i) ASSERT_EQ(lines.count(TitleLine(i)), 1u) << k << ": " << i;
  }
}

}  // namespace
}  // namespace vexo
