// Where the files live, and the autostart entry.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/autorun.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "vexo_version.h"

namespace vexo {
namespace {

class FoldersTest : public ::testing::Test {
 protected:
  std::string Tmp(const std::string& sub = "") const { return dir_.path().toStdString() + sub; }
  QTemporaryDir dir_;
};

TEST_F(FoldersTest, VexoHomeWinsAndAlwaysEndsWithASlash) {
  FolderEnvironment env;
  env.vexo_home = Tmp("/home-a");
  env.executable = Tmp("/bin/vexo");
  env.home = Tmp("/h");
  EXPECT_EQ(ProgramFolder(env), Tmp("/home-a/"));
  EXPECT_TRUE(DirExists(Tmp("/home-a")));
  EXPECT_EQ(ConfigFilePath(env), Tmp("/home-a/vexo.ini"));
  env.vexo_home = Tmp("/home-b/");
  EXPECT_EQ(ProgramFolder(env), Tmp("/home-b/"));
}

TEST_F(FoldersTest, WritableExecutableFolderIsAPortableCopy) {
  ASSERT_TRUE(CreateDir(Tmp("/bin")));
  FolderEnvironment env;
  env.executable = Tmp("/bin/vexo");
  env.home = Tmp("/h");
  EXPECT_EQ(ProgramFolder(env), Tmp("/bin/"));
  EXPECT_EQ(ConfigFilePath(env), Tmp("/h/.config/vexo.ini"));
}

TEST_F(FoldersTest, OtherwiseTheXdgDataFolderIsCreated) {
  FolderEnvironment env;
  env.executable = Tmp("/no-such-folder/vexo");
  env.xdg_data_home = Tmp("/data");
  env.xdg_config_home = Tmp("/conf");
  env.home = Tmp("/h");
  EXPECT_EQ(ProgramFolder(env), Tmp("/data/vexo/"));
  EXPECT_TRUE(DirExists(Tmp("/data/vexo")));
  EXPECT_EQ(ConfigFilePath(env), Tmp("/conf/vexo.ini"));
  EXPECT_EQ(AutostartEntryPath(env), Tmp("/conf/autostart/vexo.desktop"));
}

TEST_F(FoldersTest, RelativeXdgFoldersAreIgnored) {
  FolderEnvironment env;
  env.xdg_data_home = "relative/data";
  env.xdg_config_home = "relative/conf";
  env.home = Tmp("/h");
  EXPECT_EQ(ProgramFolder(env), Tmp("/h/.local/share/vexo/"));
  EXPECT_EQ(ConfigFilePath(env), Tmp("/h/.config/vexo.ini"));
}

TEST_F(FoldersTest, ARelativeVexoHomeIsMadeAbsoluteOnceAtStart) {
  const std::string before = std::filesystem::current_path().string();
  std::filesystem::current_path(Tmp());
  const char* old = std::getenv("VEXO_HOME");
  const std::string saved = old ? old : "";
  ::setenv("VEXO_HOME", "rel/home", 1);
  const FolderEnvironment env = CurrentFolderEnvironment();
  std::filesystem::current_path(Tmp("/.."));  // the window moves on
  EXPECT_EQ(ProgramFolder(env), Tmp("/rel/home/"));
  EXPECT_EQ(ConfigFilePath(env), Tmp("/rel/home/vexo.ini"));
  old ? ::setenv("VEXO_HOME", saved.c_str(), 1) : ::unsetenv("VEXO_HOME");
  std::filesystem::current_path(before);
}

TEST(ExecutablePathTest, NamesThisTestProgram) {
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe[0], '/');
  EXPECT_TRUE(FileExists(exe));
}

// Data and modules are found from the executable's own folder, the same way
// installed and in the build; never from the working folder.
TEST(InstalledFoldersTest, DataAndModulesLieBesideTheExecutablesFolder) {
  struct Case {
    const char* executable;
    std::string data;
    std::string modules;
  };
  for (const Case& c : {
           Case{"/usr/bin/vexo", std::string("/usr/bin/") + kDataDirFromBinDir,
                std::string("/usr/bin/") + kModuleDirFromBinDir},
           Case{"/b/shell/vexo", std::string("/b/shell/") + kDataDirFromBinDir,
                std::string("/b/shell/") + kModuleDirFromBinDir},
           Case{"vexo", "", ""},
           Case{"", "", ""},
       }) {
    EXPECT_EQ(SharedDataFolder(c.executable), c.data) << c.executable;
    EXPECT_EQ(ModuleFolder(c.executable), c.modules) << c.executable;
  }
}

TEST(DesktopExecTest, PathsAreQuotedAndEscapedAsDesktopEntriesRequire) {
  struct Case {
    const char* path;
    const char* exec;
  };
  const Case cases[] = {
      {"/opt/vexo/vexo", "/opt/vexo/vexo"},
      {"/opt/my vexo/vexo", "\"/opt/my vexo/vexo\""},
      {"/opt/100%/vexo", "/opt/100%%/vexo"},
      {"/opt/a$b\"c/vexo", "\"/opt/a\\\\$b\\\\\"c/vexo\""},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
      {"/opt/new\nline", "\"/opt/new\\nline\""},
  };
  for (const auto& c : cases) EXPECT_EQ(DesktopExecValue(c.path), c.exec) << c.path;
}

TEST_F(FoldersTest, AutorunEntryExistsExactlyWhileSwitchedOn) {
  const std::string entry = Tmp("/conf/autostart/vexo.desktop");
  AutoRunEntry run(entry, "/opt/vexo/vexo");
  ASSERT_TRUE(CreateDir(Tmp("/conf/autostart")));
  ASSERT_TRUE(WriteFileAtomic(entry, DesktopEntryText("/opt/vexo/vexo")));
  run.Loaded();
  EXPECT_FALSE(FileExists(entry));
  EXPECT_FALSE(run.Active());

  ASSERT_TRUE(run.SetActive(true));
  Bytes text;
  ASSERT_TRUE(ReadFileBytes(entry, text));
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("\nExec=/opt/vexo/vexo\n"), std::string::npos);
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);

  ASSERT_TRUE(run.SetActive(false));
  EXPECT_FALSE(FileExists(entry));
}

TEST_F(FoldersTest, AutorunRemovesOnlyItsOwnEntry) {
  const std::string entry = Tmp("/conf/autostart/vexo.desktop");
  ASSERT_TRUE(CreateDir(Tmp("/conf/autostart")));
  // The installed program's entry, seen from a copy in a build folder.
  ASSERT_TRUE(WriteFileAtomic(entry, DesktopEntryText("/usr/bin/vexo")));
  AutoRunEntry build(entry, "/home/me/vexo/build/shell/vexo");
  build.Loaded();
  EXPECT_TRUE(build.SetActive(false));
  Bytes text;
  ASSERT_TRUE(ReadFileBytes(entry, text));
  EXPECT_EQ(text, DesktopEntryText("/usr/bin/vexo"));
  EXPECT_FALSE(build.IsOwnEntry());

  ASSERT_TRUE(build.SetActive(true));
  EXPECT_TRUE(build.IsOwnEntry()) << "switching on writes its own path";
  ASSERT_TRUE(build.SetActive(false));
  EXPECT_FALSE(FileExists(entry));

  ASSERT_TRUE(WriteFileAtomic(entry, "[Desktop Entry]\nExec=my-own-script\n"));
  build.Loaded();
  EXPECT_TRUE(FileExists(entry)) << "the user's own file stays";
}

TEST_F(FoldersTest, AHeldAutorunEntryChangesItsFileOnlyOnReleaseAndInOrder) {
  const std::string entry = Tmp("/conf/autostart/vexo.desktop");
  ASSERT_TRUE(CreateDir(Tmp("/conf/autostart")));
  const Bytes earlier = DesktopEntryText("/opt/vexo/vexo") + "X-Earlier=1\n";
  ASSERT_TRUE(WriteFileAtomic(entry, earlier));
  AutoRunEntry run(entry, "/opt/vexo/vexo");
  run.Hold();
  run.Loaded();
  EXPECT_TRUE(run.SetActive(true));
  EXPECT_TRUE(run.Active());
  Bytes text;
  ASSERT_TRUE(ReadFileBytes(entry, text));
  EXPECT_EQ(text, earlier) << "untouched while held";

  run.Release();
  ASSERT_TRUE(ReadFileBytes(entry, text));
  EXPECT_EQ(text, DesktopEntryText("/opt/vexo/vexo")) << "removed, then written";

  run.Hold();
  run.SetActive(true);
  run.SetActive(false);
  EXPECT_TRUE(FileExists(entry));
  run.Release();
  EXPECT_FALSE(FileExists(entry)) << "the last switch wins";
  run.SetActive(true);
  EXPECT_TRUE(FileExists(entry)) << "released: at once again";
}

TEST_F(FoldersTest, AutorunCreatesTheAutostartFolder) {
  AutoRunEntry run(Tmp("/x/y/autostart/vexo.desktop"), "/opt/vexo/vexo");
  EXPECT_TRUE(run.SetActive(true));
  EXPECT_TRUE(FileExists(Tmp("/x/y/autostart/vexo.desktop")));
}

TEST_F(FoldersTest, AutorunThatCannotWriteReportsFailureAndDoesNotThrow) {
  ASSERT_TRUE(WriteFileAtomic(Tmp("/file"), "not a folder"));
  AutoRunEntry run(Tmp("/file/autostart/vexo.desktop"), "/opt/vexo/vexo");
  EXPECT_FALSE(run.SetActive(true));
  EXPECT_TRUE(run.SetActive(false));
}

}  // namespace
}  // namespace vexo
