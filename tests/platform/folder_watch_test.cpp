// The folder watch tells each change of the folder's entries by name, and a
// change of the folder itself (made, removed, moved, its permissions) as a
// whole, also for a folder that does not exist yet.
#include "platform/folder_watch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace vexo {
namespace {

namespace fs = std::filesystem;

class FolderWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vexo-watch-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Folder() const { return root_ + "/Temp"; }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }
  std::string root_;
};

TEST_F(FolderWatchTest, TellsEachChangeByNameAndTheFolderAsAWhole) {
  struct Case {
    const char* what;
    std::function<void(const std::string& folder, const std::string& root)> change;
    bool whole;
    const char* name;  // a name told, or nullptr
  };
  const Case cases[] = {
      {"nothing", [](const std::string&, const std::string&) {}, false, nullptr},
      {"a new file",
       [](const std::string& folder, const std::string&) { Write(folder + "/1.tmp", "a"); }, false,
       "1.tmp"},
      {"a file rewritten in place",
       [](const std::string& folder, const std::string&) { Write(folder + "/2.tmp", "b"); }, false,
       "2.tmp"},
      {"a rename",
       [](const std::string& folder, const std::string&) {
         fs::rename(folder + "/2.tmp", folder + "/3.tmp");
       },
       false, "3.tmp"},
      {"a deletion",
       [](const std::string& folder, const std::string&) { fs::remove(folder + "/2.tmp"); }, false,
       "2.tmp"},
      {"a permission",
       [](const std::string& folder, const std::string&) {
         fs::permissions(folder + "/2.tmp", fs::perms::owner_read, fs::perm_options::remove);
       },
       false, "2.tmp"},
      {"the folder's permission",
       [](const std::string& folder, const std::string&) {
         fs::permissions(folder, fs::perms::others_read, fs::perm_options::remove);
       },
       true, nullptr},
      {"the folder moved away",
       [](const std::string& folder, const std::string& root) { fs::rename(folder, root + "/x"); },
       true, nullptr},
      {"the folder removed",
       [](const std::string& folder, const std::string&) { fs::remove_all(folder); }, true,
       nullptr},
      {"another entry of the parent",
       [](const std::string&, const std::string& root) { Write(root + "/kix", "k"); }, false,
       nullptr},
  };
  for (const Case& c : cases) {
    fs::create_directories(Folder());
    Write(Folder() + "/2.tmp", "x");
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(Folder())) << c.what;
    c.change(Folder(), root_);
    bool whole = false;
    std::vector<std::string> names;
    watch.Poll(whole, names);
    EXPECT_EQ(whole, c.whole) << c.what;
    if (c.name) {
      EXPECT_NE(std::find(names.begin(), names.end(), c.name), names.end()) << c.what;
    } else if (!c.whole) {
      EXPECT_TRUE(names.empty()) << c.what;
    }
    // Told once.
    whole = false;
    names.clear();
    watch.Poll(whole, names);
    EXPECT_FALSE(whole) << c.what;
    EXPECT_TRUE(names.empty()) << c.what;
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    fs::remove_all(root_ + "/x", ec);
  }
}

TEST_F(FolderWatchTest, AFolderThatIsMadeLaterIsTold) {
  FolderWatch watch;
  ASSERT_TRUE(watch.Start(Folder()));
  bool whole = false;
  std::vector<std::string> names;
  watch.Poll(whole, names);
  EXPECT_FALSE(whole);
  fs::create_directories(Folder());
  watch.Poll(whole, names);
  EXPECT_TRUE(whole);
}

TEST_F(FolderWatchTest, NoWatchWithoutAParentFolder) {
  FolderWatch watch;
  EXPECT_FALSE(watch.Start(root_ + "/missing/Temp"));
  EXPECT_FALSE(watch.Watching());
  bool whole = false;
  std::vector<std::string> names;
  watch.Poll(whole, names);
  EXPECT_TRUE(whole);
}

}  // namespace
}  // namespace vexo
