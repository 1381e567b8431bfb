// The program folder's lock: held only by a live holder, whatever a killed
// process or anything else left at the lock file's name.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/single_instance.h"
#include "tests/support/file_size_limit.h"

namespace vexo {
namespace {

namespace fs = std::filesystem;
using Outcome = FolderLock::Outcome;

class FolderLockTest : public ::testing::Test {
 public:
  std::string Folder() const { return dir_.path().toStdString() + "/"; }
  std::string LockFile() const { return Folder() + "vexo.lock"; }
  void Write(const std::string& bytes) const {
    std::ofstream(LockFile(), std::ios::binary | std::ios::trunc) << bytes;
  }

 protected:
  QTemporaryDir dir_;
};

TEST_F(FolderLockTest, WhatADeadHolderOrAnythingElseLeftIsTakenOver) {
  struct Case {
    const char* name;
    void (*lay)(const FolderLockTest&);
  };
  const Case cases[] = {
      {"nothing", [](const FolderLockTest&) {}},
      {"empty (killed before writing)", [](const FolderLockTest& t) { t.Write(""); }},
      {"garbage", [](const FolderLockTest& t) { t.Write("\x01\xff\xfe garbage\n\n\n"); }},
      {"truncated", [](const FolderLockTest& t) { t.Write("12"); }},
      {"huge", [](const FolderLockTest& t) { t.Write(std::string(5 << 20, '7')); }},
      // A live process of another program, as a reused process number shows.
      {"naming a live process",
       [](const FolderLockTest& t) { t.Write(std::to_string(::getppid()) + "\nvexo\nhost\n"); }},
      {"unreadable",
       [](const FolderLockTest& t) {
         t.Write("1\nvexo\n");
         ::chmod(t.LockFile().c_str(), 0);
       }},
      {"an empty folder", [](const FolderLockTest& t) { fs::create_directory(t.LockFile()); }},
      {"a link", [](const FolderLockTest& t) { fs::create_symlink("/etc/passwd", t.LockFile()); }},
  };
  for (const Case& c : cases) {
    fs::remove_all(LockFile());
    c.lay(*this);
    {
      FolderLock lock(Folder());
      ASSERT_EQ(lock.TryLock(), Outcome::kTaken) << c.name << ": " << lock.FailureText();
      EXPECT_EQ(lock.CurrentHolder().pid, ::getpid()) << c.name;
      FolderLock second(Folder());
      EXPECT_EQ(second.TryLock(), Outcome::kHeld) << c.name;
      EXPECT_EQ(second.CurrentHolder().pid, ::getpid()) << c.name;
    }
    EXPECT_FALSE(PathTaken(LockFile())) << c.name << ": the holder removes its file";
    FolderLock after(Folder());
    EXPECT_EQ(after.TryLock(), Outcome::kTaken) << c.name;
  }
}

TEST_F(FolderLockTest, AFailureSaysWhichFileAndWhyInsteadOfInUse) {
  fs::create_directory(LockFile());
  std::ofstream(LockFile() + "/keep") << "x";
  FolderLock blocked(Folder());
  EXPECT_EQ(blocked.TryLock(), Outcome::kFailed);
  EXPECT_NE(blocked.FailureText().find(LockFile()), std::string::npos) << blocked.FailureText();
  EXPECT_NE(blocked.FailureText().find("delete it"), std::string::npos) << blocked.FailureText();
  fs::remove_all(LockFile());

  // A full disk: the holder's record cannot be written.
  testing::FileSizeLimit full(0);
  FolderLock lock(Folder());
  EXPECT_EQ(lock.TryLock(), Outcome::kFailed);
  EXPECT_NE(lock.FailureText().find("could not be written"), std::string::npos)
      << lock.FailureText();
}

}  // namespace
}  // namespace vexo
