// The export button of the main window model.
#include <gtest/gtest.h>

#include "platform/save_dialog.h"
#include "shell/fvexo1.h"
#include "tests/viewer/export_fixture.h"

namespace vexo::export_test {
namespace {

class MainExportTest : public ExportTest {
 protected:
  MainServices Services() {
    MainServices s;
    s.app = &app_;
    s.timers = &time_;
    s.messages = &boxes_;
    s.save_dialogs = &dialogs_;
    s.program_folder = program_;
    s.config_file = root_ + "/vexo.ini";
    s.autostart_entry = root_ + "/autostart/vexo.desktop";
    s.executable = "/opt/vexo/vexo";
    return s;
  }

  // A window after a stopped run of `count` targets.
  TMain& WindowAfterRun(int count) {
    main_ = std::make_unique<TMain>(Services());
    main_->FormCreate();
    LayOutRun(count);
    main_->Store().CreateRunLists();
    *main_->Store().EditOpenBlock() = open_block_;
    main_->viewer.sum1.SetCaption(IntToText(count));
    main_->gjc2.SetCaption(Gb("手机 报价"));
    main_->gjc3.SetCaption(Gb("手机+报价"));
    return *main_;
  }

  Application app_;
  VirtualTimerService time_;
  ScriptedMessageBoxes boxes_;
  ScriptedSaveDialogs dialogs_;
  std::unique_ptr<TMain> main_;
};

TEST_F(MainExportTest, ExportButtonWritesThePagesWithTheWindowsKeywords) {
  TMain& m = WindowAfterRun(25);
  dialogs_.answers.push_back({true, out_ + "/back.htm", 1});
  m.viewer.Spt2Click();
  ASSERT_EQ(OutNames(), (std::vector<std::string>{"back.htm", "back1.htm"}));
  EXPECT_NE(Read("back.htm").find(Gb("关键词：手机 报价</title>")), Bytes::npos);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].title, Gb("Vexo信息导出"));
  EXPECT_EQ(dialogs_.shown[0].initial_folder, program_ + "Save");
  EXPECT_EQ(m.viewer.Save1.file_name, "back.htm");
}

TEST_F(MainExportTest, WindowCannotBeHiddenWhileTheDialogIsOpen) {
  TMain& m = WindowAfterRun(3);
  const std::uint8_t before = m.viewer.modalGuard;
  bool visible_during = false;
  dialogs_.while_open = [&](const SaveDialogRequest&) {
    m.AppMinimize();
    visible_during = m.viewer.window.Visible();
  };
  m.viewer.Spt2Click();  // cancelled
  EXPECT_TRUE(visible_during);
  EXPECT_EQ(m.viewer.modalGuard, before);
  EXPECT_TRUE(OutNames().empty());
}

TEST_F(MainExportTest, WithoutADialogServiceTheExportIsCancelled) {
  MainServices s = Services();
  s.save_dialogs = nullptr;
  main_ = std::make_unique<TMain>(s);
  main_->FormCreate();
  main_->Store().CreateRunLists();
  main_->Store().EditOpenBlock()->push_back("1");
  main_->viewer.Spt2Click();
  EXPECT_TRUE(OutNames().empty());
  EXPECT_EQ(main_->viewer.modalGuard, 0);
}

}  // namespace
}  // namespace vexo::export_test
