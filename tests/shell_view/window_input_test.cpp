// The user's hand on the window: typing, the track button, the close
// question, the title-bar controls and dragging.
#include <QLineEdit>
#include <QToolButton>

#include "tests/shell_view/view_fixture.h"
#include "texts/texts.h"

namespace vexo {
namespace {

using WindowInputTest = ViewTest;

QLineEdit* EditOf(QWidget* w) {
  return qobject_cast<QLineEdit*>(w);
}

TEST_F(WindowInputTest, TypingReachesTheKeywordsOnceForEachChange) {
  Show();
  QLineEdit* edit = EditOf(Part("gjc"));
  ASSERT_NE(edit, nullptr);
  int changes = 0;
  const int id = Model().gjc.changed.Connect([&changes] { ++changes; });
  Type(edit, Q("ab奇瑞"));
  EXPECT_EQ(Model().gjc.Text(), "ab" + Gb("奇瑞"));
  EXPECT_EQ(changes, 4) << "one change per key, none echoed back";
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(Model().gjc.Text(), "ab" + Gb("奇"));
  EXPECT_EQ(edit->cursorPosition(), 3);
  Model().gjc.changed.Disconnect(id);
}

TEST_F(WindowInputTest, TheModelsTextReachesTheEditWithoutLoopingBack) {
  Show();
  QLineEdit* edit = EditOf(Part("gjc"));
  int changes = 0;
  const int id = Model().gjc.changed.Connect([&changes] { ++changes; });
  Model().gjc.SetText(Gb("奇瑞/别克/宝来"));
  EXPECT_EQ(edit->text(), Q("奇瑞/别克/宝来"));
  EXPECT_EQ(changes, 1);
  Model().gjc.SetText("");
  EXPECT_EQ(edit->text(), QString());
  Model().gjc.changed.Disconnect(id);
}

TEST_F(WindowInputTest, KeywordsFromTheConfigurationAreInTheEdit) {
  PutBytes(Ini(), "[vexo]\r\ngjc=" + Gb("汽车+价格") + "\r\n");
  Show();
  EXPECT_EQ(EditOf(Part("gjc"))->text(), Q("汽车+价格"));
}

TEST_F(WindowInputTest, TrackStartsAndStopsARun) {
  Show();
  Type(EditOf(Part("gjc")), Q("奇瑞"));
  auto* track = qobject_cast<QToolButton*>(Part("Spt1"));
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->text(), Q("跟踪"));

  QTest::mouseClick(track, Qt::LeftButton);
  EXPECT_EQ(Model().trackingRun, 1);
  EXPECT_TRUE(Model().Timer2.Enabled());
  EXPECT_EQ(track->text(), Q("停止"));
  EXPECT_FALSE(Part("gjc")->isEnabled()) << "keywords stay as they are during a run";
  EXPECT_TRUE(ShownPart("sum1"));
  EXPECT_EQ(TextOf("sum1"), QStringLiteral("0"));
  EXPECT_EQ(TextOf("sbar"), QGb(Texts().sbar_tracking));
  EXPECT_EQ(TextOf("M12"), QString()) << "the welcome rows go";

  QTest::mouseClick(track, Qt::LeftButton);
  EXPECT_EQ(Model().trackingRun, 0);
  EXPECT_FALSE(Model().Timer2.Enabled());
  EXPECT_EQ(track->text(), Q("跟踪"));
  EXPECT_TRUE(Part("gjc")->isEnabled());
  EXPECT_EQ(TextOf("sbar"), QGb(Texts().sbar_stopped));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(WindowInputTest, BlankKeywordsGiveTheMessageAndNoRun) {
  Show();
  Type(EditOf(Part("gjc")), Q("   "));
  QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("Vexo提示"));
  EXPECT_EQ(boxes_.shown[0].text, Texts().msg_no_keywords);
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(Model().trackingRun, 0);
  EXPECT_EQ(qobject_cast<QToolButton*>(Part("Spt1"))->text(), Q("跟踪"));
  EXPECT_EQ(Model().viewer.modalGuard, 0) << "restored after the message";
}

TEST_F(WindowInputTest, CancelledCloseQuestionKeepsTheWindowAndTheRun) {
  Show();
  Type(EditOf(Part("gjc")), Q("奇瑞"));
  QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
  boxes_.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(View().close());
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, Gb("   确认要退出V鹊(Vexo)吗？    "));
  EXPECT_EQ(boxes_.shown[0].buttons, MsgButtons::OkCancel);
  EXPECT_TRUE(View().isVisible());
  EXPECT_EQ(closed_, 0);
  EXPECT_EQ(Model().trackingRun, 1);
  EXPECT_EQ(Model().viewer.modalGuard, 0);
}

TEST_F(WindowInputTest, ConfirmedCloseStopsTheRunSavesAndEnds) {
  Show();
  Type(EditOf(Part("gjc")), Q("奇瑞"));
  QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
  boxes_.answers = {MsgAnswer::Ok};
  EXPECT_TRUE(View().close());
  EXPECT_FALSE(View().isVisible());
  EXPECT_EQ(closed_, 1);
  EXPECT_EQ(Model().trackingRun, 0);
  EXPECT_FALSE(Model().Timer2.Enabled());
  EXPECT_TRUE(FileExists(Kix())) << "the site queue was saved";
  Model().FormDestroy();
  EXPECT_NE(Content(Ini()).find("gjc=" + Gb("奇瑞")), std::string::npos);
}

TEST_F(WindowInputTest, TheCloseLabelAsksTheQuestion) {
  Show();
  boxes_.answers = {MsgAnswer::Cancel};
  QTest::mouseClick(Part("close1"), Qt::LeftButton);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_TRUE(View().isVisible());
}

TEST_F(WindowInputTest, MinimisingDuringTheCloseQuestionDoesNotHide) {
  Show();
  boxes_.answers = {MsgAnswer::Cancel};
  boxes_.while_open = [this](const MessageBoxRequest&) {
    QTest::mouseClick(Part("min1"), Qt::LeftButton);
  };
  View().close();
  EXPECT_TRUE(View().isVisible());
  EXPECT_TRUE(Model().viewer.window.Visible());
  boxes_.while_open = nullptr;
  QTest::mouseClick(Part("min1"), Qt::LeftButton);
  EXPECT_FALSE(View().isVisible()) << "hidden to the tray";
  EXPECT_FALSE(Model().viewer.window.Visible());
}

TEST_F(WindowInputTest, TrayClickBringsTheHiddenWindowBackCentred) {
  MainView& v = Show();
  ASSERT_TRUE(status_area_.shown) << "the tray icon stands for the program";
  v.move(3, 5);
  QTest::mouseClick(Part("min1"), Qt::LeftButton);
  EXPECT_FALSE(v.isVisible());
  status_area_.Mouse(StatusIconMouse::LeftUp);
  EXPECT_TRUE(v.isVisible());
  EXPECT_TRUE(Model().viewer.window.Visible());
  const ScreenSize screen = v.Screen();
  EXPECT_EQ(v.pos(), QPoint((screen.width - 540) / 2, (screen.height - 400) / 2));
  EXPECT_FALSE(v.windowFlags() & Qt::WindowStaysOnTopHint) << "raised, not kept on top";
}

TEST_F(WindowInputTest, WithoutAStatusAreaTheWindowIsNotHiddenForGood) {
  status_area_.refuse = true;
  MainView& v = Show();
  ASSERT_FALSE(status_area_.shown);
  QTest::mouseClick(Part("min1"), Qt::LeftButton);
  EXPECT_TRUE(v.isVisible()) << "nothing could bring it back";
  EXPECT_TRUE(Model().viewer.window.Visible()) << "the model knows it is on show";
}

TEST_F(WindowInputTest, HintsAppearAfterTheApplicationsHintPause) {
  Show();
  HintPauseStyle style(Model().App());
  InitApplication(Model().App());
  EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, nullptr, nullptr), 0);
  Model().App().SetHintPauseMs(350);
  EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, nullptr, nullptr), 350);
  EXPECT_EQ(View().windowTitle(), Q("V鹊"));
}

TEST_F(WindowInputTest, ThePopUpStaysAwayWhileADialogIsOpen) {
  MainView& v = Show();
  QTest::mouseClick(Part("min1"), Qt::LeftButton);
  boxes_.answers = {MsgAnswer::Cancel};
  boxes_.while_open = [this](const MessageBoxRequest&) {
    status_area_.Mouse(StatusIconMouse::LeftUp);
  };
  Model().viewer.close1Click();
  EXPECT_FALSE(v.isVisible());
}

TEST_F(WindowInputTest, TitleControlsShowTheirPressedLookOnlyWhileHeld) {
  Show();
  struct Case {
    const char* name;
    const char* pressed;
  };
  for (const Case& c : {Case{"min1", "_"}, Case{"close1", "☆"}}) {
    QWidget* w = Part(c.name);
    EXPECT_EQ(TextOf(c.name), QString());
    EXPECT_FALSE(w->autoFillBackground()) << "transparent at rest";
    const QPoint inside = w->mapToGlobal(QPoint(3, 3));
    SendMouse(w, QEvent::MouseButtonPress, inside);
    EXPECT_EQ(TextOf(c.name), Q(c.pressed));
    EXPECT_TRUE(w->autoFillBackground()) << "opaque while down";
    EXPECT_EQ(w->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFFFFFu);
    // Released outside: no click, the look goes.
    SendMouse(w, QEvent::MouseButtonRelease, inside + QPoint(100, 100));
    EXPECT_EQ(TextOf(c.name), QString());
    EXPECT_FALSE(w->autoFillBackground());
  }
  EXPECT_TRUE(boxes_.shown.empty()) << "a release outside is no click";
  EXPECT_TRUE(View().isVisible());
}

TEST_F(WindowInputTest, DraggingTheTitleMovesTheWindowByTheCursorsWay) {
  MainView& v = Show();
  v.move(100, 80);
  QWidget* title = Part("Image1");
  const QPoint start = title->mapToGlobal(QPoint(200, 10));
  // A move without a press first does nothing.
  SendMouse(title, QEvent::MouseMove, start + QPoint(50, 50));
  EXPECT_EQ(v.pos(), QPoint(100, 80));
  SendMouse(title, QEvent::MouseButtonPress, start);
  SendMouse(title, QEvent::MouseMove, start + QPoint(20, 4));
  SendMouse(title, QEvent::MouseButtonRelease, start + QPoint(30, 10));
  EXPECT_EQ(v.pos(), QPoint(130, 90));
  EXPECT_EQ(Model().viewer.window.Left(), 130);
  EXPECT_EQ(Model().viewer.window.Top(), 90);
  // After the release the drag is over.
  SendMouse(title, QEvent::MouseMove, start + QPoint(90, 90));
  EXPECT_EQ(v.pos(), QPoint(130, 90));
}

}  // namespace
}  // namespace vexo
