// The real program, started offscreen on temporary folders and ended the way
// a desktop session ends it.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <csignal>

#include "platform/files.h"
#include "tests/shell_view/view_fixture.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

class ProgramTest : public ::testing::Test {
 protected:
  std::string Root() const { return dir_.path().toStdString(); }
  std::string Home() const { return Root() + "/home/"; }
  std::string Conf() const { return Root() + "/conf"; }
  std::string Autostart() const { return Conf() + "/autostart/vexo.desktop"; }

  // Starts the program and waits until its window model has been created
  // (the autostart entry, on by default, is written then).
  bool Start() {
    CreateDir(Home());
    CreateDir(Conf());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VEXO_HOME", QString::fromStdString(Home()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(Conf()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(Root() + "/data"));
    env.insert("HOME", QString::fromStdString(Root()));
    env.insert("VEXO_CONNECT_TO", "*=127.0.0.1:9");
    program_.setProcessEnvironment(env);
    program_.setProgram(QStringLiteral(VEXO_PROGRAM));
    program_.start();
    if (!program_.waitForStarted(10000)) return false;
    return testing::RunUntil([this] { return FileExists(Autostart()); }, 20000);
  }

  void Signal(int sig) { ::kill(static_cast<pid_t>(program_.processId()), sig); }

  ~ProgramTest() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished(5000);
    }
  }

  QTemporaryDir dir_;
  QProcess program_;
};

TEST_F(ProgramTest, StartsOffscreenAndEndsInOrderOnTerminate) {
  ASSERT_TRUE(Start()) << program_.readAllStandardError().toStdString();
  EXPECT_EQ(program_.state(), QProcess::Running);
  Signal(SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(20000));
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0);
  // The orderly end wrote the configuration.
  Bytes ini;
  ASSERT_TRUE(ReadFileBytes(Home() + "vexo.ini", ini));
  EXPECT_NE(ini.find("ts=1"), std::string::npos);
  EXPECT_NE(ini.find("ru=1"), std::string::npos);
}

TEST_F(ProgramTest, KeepsTheKeywordsOfTheConfigurationAcrossARunOfTheProgram) {
  CreateDir(Home());
  ASSERT_TRUE(WriteFileAtomic(Home() + "vexo.ini", "[vexo]\r\ngjc=" + Gb("  奇瑞 ") + "\r\n"));
  ASSERT_TRUE(Start());
  Signal(SIGINT);
  ASSERT_TRUE(program_.waitForFinished(20000));
  EXPECT_EQ(program_.exitCode(), 0);
  Bytes ini;
  ASSERT_TRUE(ReadFileBytes(Home() + "vexo.ini", ini));
  EXPECT_NE(ini.find("gjc=" + Gb("奇瑞") + "\r\n"), std::string::npos) << "written trimmed";
}

}  // namespace
}  // namespace vexo
