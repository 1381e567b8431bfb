// The export button: guard, notice, dialog, and the export it starts.
#include "viewer/export_click.h"

#include <gtest/gtest.h>

#include "export_fixture.h"
#include "tests/support/folder_only_host.h"

namespace vexo::export_test {
namespace {

class ClickTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    host_.folder = program_;
  }

  // Puts the laid-out run into the store's open block.
  void StartStore(int count) {
    LayOutRun(count);
    store_.CreateRunLists();
    *store_.EditOpenBlock() = open_block_;
  }

  ExportClickContext Context() {
    return ExportClickContext{guard_, store_,   program_, IntToText(sum1_), Gb("手机"), expression_,
                              boxes_, dialogs_, save1_};
  }

  testing::FolderOnlyHost host_;
  ResultStore store_{host_};
  std::uint8_t guard_ = 7;
  ScriptedMessageBoxes boxes_;
  ScriptedSaveDialogs dialogs_;
  SaveDialog save1_ = MakeExportDialog();
};

TEST_F(ClickTest, WithoutARunNothingIsShown) {
  ExportClickContext c = Context();
  Spt2Click(c);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(guard_, 7);
}

TEST_F(ClickTest, NoticeThenDialogWithItsPropertiesWhileTheGuardIsUp) {
  StartStore(3);
  std::vector<int> guards;
  boxes_.while_open = [&](const MessageBoxRequest&) { guards.push_back(guard_); };
  dialogs_.while_open = [&](const SaveDialogRequest&) { guards.push_back(guard_); };
  ExportClickContext c = Context();
  Spt2Click(c);  // cancelled: the script is empty

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("Vexo提示"));
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::Ok);
  const Bytes& notice = boxes_.shown[0].text;
  EXPECT_EQ(notice.find('\n'), Bytes::npos);
  EXPECT_EQ(std::count(notice.begin(), notice.end(), '\r'), 7);
  EXPECT_EQ(notice.substr(0, notice.find('\r')), Gb("  导出方式：1、网页文件，2、数据文件  "));
  EXPECT_EQ(notice.substr(notice.rfind('\r') + 1), Gb("  {注}：字段分隔符[,]、文本识别符[\"]  "));

  ASSERT_EQ(dialogs_.shown.size(), 1u);
  const SaveDialogRequest& d = dialogs_.shown[0];
  EXPECT_EQ(d.title, Gb("Vexo信息导出"));
  EXPECT_EQ(d.file_name, "back");
  EXPECT_EQ(d.filter, Gb("网页文件(*.htm)|*.htm|数据文件(*.txt)|*.txt"));
  EXPECT_EQ(d.initial_folder, program_ + "Save");
  EXPECT_FALSE(DirExists(program_ + "Save"));  // offered, never created

  EXPECT_EQ(guards, (std::vector<int>{120, 120}));
  EXPECT_EQ(guard_, 7);
  EXPECT_TRUE(OutNames().empty());
}

TEST_F(ClickTest, ChosenNameBecomesTheBareOutputNameAndTheFilesAreWritten) {
  StartStore(45);
  dialogs_.answers.push_back({true, out_ + "/result.dat", 1});
  ExportClickContext c = Context();
  Spt2Click(c);
  EXPECT_EQ(save1_.file_name, "result.htm");
  EXPECT_THAT(OutNames(), ::testing::ElementsAre("result.htm", "result1.htm", "result2.htm"));
  EXPECT_EQ(boxes_.shown.size(), 1u);  // the notice only: success says nothing
  EXPECT_NE(Read("result.htm").find(Gb("关键词：手机</title>")), Bytes::npos);

  dialogs_.answers.push_back({true, out_ + "/result.dat", 2});
  Spt2Click(c);
  EXPECT_EQ(dialogs_.shown[1].file_name, "result.htm");
  EXPECT_EQ(save1_.file_name, "result.txt");
  EXPECT_EQ(TextRows(Read("result.txt")).size(), 45u);
}

TEST_F(ClickTest, OpenBlockIsSavedFirstAndExportedFromMemory) {
  StartStore(210);
  dialogs_.answers.push_back({true, out_ + "/back", 2});
  ExportClickContext c = Context();
  Spt2Click(c);
  StringList saved;
  ASSERT_TRUE(LoadLines(BlockPath(2), saved));
  EXPECT_EQ(saved, open_block_);
  EXPECT_EQ(TextRows(Read("back.txt")).size(), 210u);
}

TEST_F(ClickTest, MissingFolderGivesAMessageAndNoFiles) {
  StartStore(5);
  dialogs_.answers.push_back({true, out_ + "/gone/back.htm", 1});
  ExportClickContext c = Context();
  Spt2Click(c);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[1].caption, Gb("Vexo提示"));
  EXPECT_NE(boxes_.shown[1].text.find(Gb("所选文件夹不存在")), Bytes::npos);
  EXPECT_NE(boxes_.shown[1].text.find(out_ + "/gone"), Bytes::npos);
  EXPECT_TRUE(OutNames().empty());
  EXPECT_EQ(guard_, 7);
}

TEST_F(ClickTest, WriteFailureGivesAMessageAndNoFiles) {
  titles_[3] = Bytes(50000, 'x');
  StartStore(5);
  dialogs_.answers.push_back({true, out_ + "/back.htm", 1});
  ExportClickContext c = Context();
  {
    FileSizeLimit limit(20000);
    Spt2Click(c);
  }
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_NE(boxes_.shown[1].text.find(Gb("无法在所选文件夹中写入文件")), Bytes::npos);
  EXPECT_TRUE(OutNames().empty());
}

TEST_F(ClickTest, DamagedCountEndsQuietly) {
  StartStore(5);
  dialogs_.answers.push_back({true, out_ + "/back.htm", 1});
  ExportClickContext c = Context();
  c.sum1 = "many";
  Spt2Click(c);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_TRUE(OutNames().empty());
  EXPECT_EQ(guard_, 7);
}

}  // namespace
}  // namespace vexo::export_test
