// Atomic saves keep what they replace; renames that must not replace don't.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>

namespace vexo {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(Files, AnAtomicSaveKeepsThePermissionsOfTheFileItReplaces) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/kix";
  ASSERT_TRUE(WriteFileAtomic(path, "old"));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomic(path, "new"));
  EXPECT_EQ(ModeOf(path), 0600u);
  Bytes read;
  ASSERT_TRUE(ReadFileBytes(path, read));
  EXPECT_EQ(read, "new");
}

TEST(Files, ARenameThatMustNotReplaceLeavesBothFiles) {
  QTemporaryDir dir;
  const std::string a = dir.path().toStdString() + "/a";
  const std::string b = dir.path().toStdString() + "/b";
  ASSERT_TRUE(WriteFileAtomic(a, "A"));
  ASSERT_TRUE(WriteFileAtomic(b, "B"));
  EXPECT_FALSE(RenameFileNoReplace(a, b));
  Bytes read;
  ASSERT_TRUE(ReadFileBytes(b, read));
  EXPECT_EQ(read, "B");
  ASSERT_TRUE(DeleteFile(b));
  EXPECT_TRUE(RenameFileNoReplace(a, b));
  EXPECT_FALSE(FileExists(a));
}

}  // namespace
}  // namespace vexo
