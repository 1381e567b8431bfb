// The real message boxes: caption, text, buttons and the answers.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "platform/message_box_qt_view.h"
#include "tests/shell_view/view_fixture.h"

namespace vexo {
namespace {

struct Seen {
  QString title;
  QString text;
  int buttons = 0;
};

// Shows the box and acts on it once it is open.
MsgAnswer ShowAndAct(QtMessageBoxes& boxes, const MessageBoxRequest& request, Seen& seen,
                     const std::function<void(QMessageBox&)>& act) {
  QTimer::singleShot(0, [&boxes, &seen, act] {
    QMessageBox* box = boxes.OpenBox();
    if (!box) return;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.buttons = static_cast<int>(box->buttons().size());
    act(*box);
  });
  return boxes.Show(request);
}

TEST(QtMessageBoxTest, QuestionShowsCaptionTextAndBothButtons) {
  QtMessageBoxes boxes;
  Seen seen;
  const MsgAnswer answer =
      ShowAndAct(boxes, {Gb("Vexo提示"), Gb("  确认要清空已跟踪的结果吗？"), MsgButtons::OkCancel},
                 seen, [](QMessageBox& b) { b.button(QMessageBox::Ok)->click(); });
  EXPECT_EQ(answer, MsgAnswer::Ok);
  EXPECT_EQ(seen.title, Q("Vexo提示"));
  EXPECT_EQ(seen.text, Q("  确认要清空已跟踪的结果吗？")) << "leading blanks kept";
  EXPECT_EQ(seen.buttons, 2);
  EXPECT_EQ(boxes.OpenBox(), nullptr);
}

TEST(QtMessageBoxTest, CancelEscapeAndTheWindowButtonAnswerCancel) {
  const std::function<void(QMessageBox&)> acts[] = {
      [](QMessageBox& b) { b.button(QMessageBox::Cancel)->click(); },
      [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); },
      [](QMessageBox& b) { b.close(); },
  };
  for (const auto& act : acts) {
    QtMessageBoxes boxes;
    Seen seen;
    EXPECT_EQ(ShowAndAct(boxes, {Gb("Vexo提示"), "?", MsgButtons::OkCancel}, seen, act),
              MsgAnswer::Cancel);
    EXPECT_EQ(seen.buttons, 2);
  }
}

TEST(QtMessageBoxTest, NoticeHasOnlyOkAndAnyEndIsOk) {
  QtMessageBoxes boxes;
  Seen seen;
  EXPECT_EQ(ShowAndAct(boxes, {Gb("<关键词>填法"), Gb("<b>一</b>"), MsgButtons::Ok}, seen,
                       [](QMessageBox& b) { b.close(); }),
            MsgAnswer::Ok);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_EQ(seen.title, Q("<关键词>填法"));
  EXPECT_EQ(seen.text, Q("<b>一</b>"));
}

TEST(QtMessageBoxTest, LinesJoinedByCarriageReturnsBecomeLines) {
  struct Case {
    Bytes gb;
    QString shown;
  };
  const Case cases[] = {
      {"a\rb\rc", QStringLiteral("a\nb\nc")},
      {"a\r\nb", QStringLiteral("a\nb")},
      {"a\nb", QStringLiteral("a\nb")},
      {"\r\r", QStringLiteral("\n\n")},
      {Gb("例子") + "\r  " + Gb("系统"), Q("例子\n  系统")},
      {"", QString()},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageBoxText(c.gb), c.shown);
  // Bytes that are no GB text still give some text and never fail.
  EXPECT_FALSE(MessageBoxText(Bytes("\xFF\x81", 2)).isEmpty());
}

TEST(QtMessageBoxTest, AtSessionEndTheOpenQuestionIsCancelledAndLaterBoxesAnswerOk) {
  QtMessageBoxes boxes;
  Seen seen;
  EXPECT_EQ(ShowAndAct(boxes, {"c", "open", MsgButtons::OkCancel}, seen,
                       [&boxes](QMessageBox&) { boxes.AnswerEverythingOk(); }),
            MsgAnswer::Cancel);
  EXPECT_TRUE(boxes.AnsweringEverythingOk());
  EXPECT_EQ(boxes.Show({"c", "later", MsgButtons::OkCancel}), MsgAnswer::Ok);
  EXPECT_EQ(boxes.OpenBox(), nullptr) << "not shown";
}

TEST(QtMessageBoxTest, BoxBelongsToItsOwnerWindow) {
  QWidget owner;
  owner.resize(200, 100);
  owner.show();
  QtMessageBoxes boxes;
  boxes.SetOwner(&owner);
  QWidget* parent = nullptr;
  QTimer::singleShot(0, [&] {
    if (QMessageBox* b = boxes.OpenBox()) {
      parent = b->parentWidget();
      b->button(QMessageBox::Ok)->click();
    }
  });
  EXPECT_EQ(boxes.Show({"c", "t", MsgButtons::Ok}), MsgAnswer::Ok);
  EXPECT_EQ(parent, &owner);
}

}  // namespace
}  // namespace vexo
