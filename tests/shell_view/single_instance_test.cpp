// One Vexo per program folder, with the real programs offscreen on temporary
// folders: a second window start shows the first and ends, a command-line run
// refuses a folder a window holds, and a killed holder's lock is taken over.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <csignal>
#include <filesystem>
#include <map>

#include "platform/files.h"
#include "tests/shell_view/view_fixture.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

namespace fs = std::filesystem;

// Waits for a file that another process writes without telling this one.
bool WaitForFile(const std::string& path, int ms = 20000) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (FileExists(path)) return true;
    testing::RunFor(20);
  }
  return FileExists(path);
}

struct Finished {
  int code = -1;
  std::string err;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  std::string Root() const { return dir_.path().toStdString(); }
  std::string Home() const { return Root() + "/home/"; }
  std::string Conf() const { return Root() + "/conf"; }
  std::string Autostart() const { return Conf() + "/autostart/vexo.desktop"; }
  std::string Lock() const { return Home() + "vexo.lock"; }

  SingleInstanceTest() {
    CreateDir(Home());
    CreateDir(Conf());
  }

  ~SingleInstanceTest() override {
    for (QProcess* p : {&window_, &cli_}) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
    }
  }

  QProcessEnvironment Env() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VEXO_HOME", QString::fromStdString(Home()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(Conf()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(Root() + "/data"));
    env.insert("HOME", QString::fromStdString(Root()));
    env.insert("VEXO_CONNECT_TO", "*=127.0.0.1:9");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(Root()));
    return env;
  }

  // Starts the window program and waits until its window model exists (the
  // autostart entry is written then).
  bool StartWindow() {
    DeleteFile(Autostart());
    window_.setProcessEnvironment(Env());
    window_.start(QStringLiteral(VEXO_PROGRAM), {});
    if (!window_.waitForStarted(10000)) return false;
    return WaitForFile(Autostart());
  }

  Finished Launch(const char* program, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(Env());
    p.start(QString::fromUtf8(program), args);
    Finished f;
    if (!p.waitForFinished(30000)) return f;
    f.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    f.err = p.readAllStandardError().toStdString();
    return f;
  }

  // Every file under the temporary root with its size and time.
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Snapshot() const {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(Root())) {
      if (e.is_regular_file())
        files[e.path().string()] = {e.file_size(), e.last_write_time()};
      else
        files[e.path().string()] = {0, {}};
    }
    return files;
  }

  QTemporaryDir dir_;
  QProcess window_;
  QProcess cli_;
};

TEST_F(SingleInstanceTest, SecondWindowStartShowsTheFirstAndEndsWithZero) {
  ASSERT_TRUE(StartWindow()) << window_.readAllStandardError().toStdString();
  const Finished second = Launch(VEXO_PROGRAM, {});
  EXPECT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(window_.state(), QProcess::Running) << "the first keeps running";
  Bytes lock;
  ASSERT_TRUE(ReadFileBytes(Lock(), lock));
  EXPECT_EQ(lock.rfind(std::to_string(window_.processId()) + "\n", 0), 0u) << lock;
}

TEST_F(SingleInstanceTest, TrackRefusesAFolderThatAWindowHoldsAndWritesNothing) {
  ASSERT_TRUE(StartWindow());
  const auto before = Snapshot();
  const Finished track = Launch(VEXO_CLI_PROGRAM, {"track", "x", "--seconds", "0"});
  EXPECT_EQ(track.code, 3);
  EXPECT_NE(track.err.find("in use by vexo (process " + std::to_string(window_.processId())),
            std::string::npos)
      << track.err;
  EXPECT_TRUE(before == Snapshot()) << "nothing written";
}

TEST_F(SingleInstanceTest, WindowStartRefusesAFolderThatATrackingRunHoldsWithAMessageBox) {
  cli_.setProcessEnvironment(Env());
  cli_.start(QStringLiteral(VEXO_CLI_PROGRAM), {"track", "x", "--seconds", "60"});
  ASSERT_TRUE(cli_.waitForStarted(10000));
  ASSERT_TRUE(WaitForFile(Lock()));
  window_.setProcessEnvironment(Env());
  window_.start(QStringLiteral(VEXO_PROGRAM), {});
  std::string err;
  for (int waited = 0; waited < 20000 && err.find("in use") == std::string::npos; waited += 20) {
    testing::RunFor(20);
    err += window_.readAllStandardError().toStdString();
  }
  EXPECT_NE(err.find("in use by vexo-cli"), std::string::npos) << err;
  testing::RunFor(300);
  EXPECT_EQ(window_.state(), QProcess::Running) << "the reason waits in a box for the user";
  window_.terminate();  // the desktop session ends: the box closes
  ASSERT_TRUE(window_.waitForFinished(10000));
  EXPECT_EQ(window_.exitCode(), 3);
  EXPECT_FALSE(FileExists(Autostart())) << "the refused window created no model";
}

TEST_F(SingleInstanceTest, AnEmptyLockFileLeftByAKillDoesNotKeepTheFolder) {
  ASSERT_TRUE(WriteFileAtomic(Lock(), ""));
  const Finished track = Launch(VEXO_CLI_PROGRAM, {"track", "x", "--seconds", "0"});
  EXPECT_EQ(track.code, 0) << track.err;
}

TEST_F(SingleInstanceTest, LockOfAKilledWindowIsTakenOver) {
  ASSERT_TRUE(StartWindow());
  window_.kill();
  ASSERT_TRUE(window_.waitForFinished(10000));
  ASSERT_TRUE(FileExists(Lock())) << "a killed process leaves its lock";

  const Finished track = Launch(VEXO_CLI_PROGRAM, {"track", "x", "--seconds", "0"});
  EXPECT_EQ(track.code, 0) << track.err;

  ASSERT_TRUE(StartWindow()) << window_.readAllStandardError().toStdString();
  window_.kill();
  ASSERT_TRUE(window_.waitForFinished(10000));
  ASSERT_TRUE(StartWindow()) << "taken over again after a second kill";
  EXPECT_EQ(Launch(VEXO_PROGRAM, {}).code, 0) << "and the new holder is shown";
}

}  // namespace
}  // namespace vexo
