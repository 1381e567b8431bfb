// The save dialog component and its scripted service.
#include "platform/save_dialog.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

TEST(SplitFilter, PairsOfDescriptionAndPattern) {
  EXPECT_EQ(SplitFilter("Web (*.htm)|*.htm|Data (*.txt)|*.txt"),
            (std::vector<SaveFilter>{{"Web (*.htm)", "*.htm"}, {"Data (*.txt)", "*.txt"}}));
  EXPECT_EQ(SplitFilter("A|*.a|B"), (std::vector<SaveFilter>{{"A", "*.a"}}));
  EXPECT_TRUE(SplitFilter("").empty());
  EXPECT_EQ(SplitFilter("|"), (std::vector<SaveFilter>{{"", ""}}));
}

TEST(SaveDialog, ChoiceIsKeptAndOfferedNextTime) {
  ScriptedSaveDialogs dialogs;
  dialogs.answers.push_back({true, "/tmp/x/result.dat", 2});
  SaveDialog d;
  d.title = "T";
  d.file_name = "back";
  d.filter = "A|*.a|B|*.b";
  d.initial_folder = "/prog/Save";
  ASSERT_TRUE(d.Execute(dialogs));
  EXPECT_EQ(d.file_name, "/tmp/x/result.dat");
  EXPECT_EQ(d.filter_index, 2);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].file_name, "back");
  EXPECT_EQ(dialogs.shown[0].initial_folder, "/prog/Save");
  EXPECT_EQ(dialogs.shown[0].filter_index, 1);

  // The script has run out: cancelled, nothing changes.
  EXPECT_FALSE(d.Execute(dialogs));
  EXPECT_EQ(d.file_name, "/tmp/x/result.dat");
  EXPECT_EQ(dialogs.shown[1].file_name, "/tmp/x/result.dat");
  EXPECT_EQ(dialogs.shown[1].filter_index, 2);
}

}  // namespace
}  // namespace vexo
