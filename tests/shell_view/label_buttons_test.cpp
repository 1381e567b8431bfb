// The labels that act as buttons click with the left button only; the other
// buttons still press them (pressed look, opening a target, dragging).
#include <functional>

#include "tests/shell_view/view_fixture.h"

namespace vexo {
namespace {

class LabelButtonsTest : public ViewTest {
 protected:
  // A stopped run with n targets on the first page.
  void RunWithTargets(int n) {
    Show();
    Model().gjc.SetText(Gb("中文"));
    QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
    for (int i = 1; i <= n; ++i) {
      const std::string link = "http://www.example.cn/" + std::to_string(i) + ".htm";
      ASSERT_EQ(Model().Store().AppendTarget(link, Gb("第") + IntToText(i) + Gb("条中文消息")), 1);
    }
    QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
  }
  // What a click on a label could change, all in one text.
  std::string State() {
    const TMain& m = Model();
    return std::string(View().isVisible() ? "shown" : "hidden") + "|" + m.viewer.x1.Caption() +
           "|" + m.viewer.M11.Caption() + "|" + m.viewer.SaEdit.Text() + "|" +
           m.viewer.sum1.Caption() + "|" + m.viewer.Ts.Caption() + "|" + m.viewer.Ru.Caption() +
           "|" + std::to_string(boxes_.shown.size()) + "|" +
           std::to_string(browser_.opened.size()) + "|" + std::to_string(closed_);
  }
};

TEST_F(LabelButtonsTest, OtherButtonsThanTheLeftClickNothing) {
  RunWithTargets(12);
  ASSERT_TRUE(status_area_.shown);
  for (const char* name :
       {"min1", "close1", "x1", "Spt3", "Spt4", "Spt6", "Spt7", "Spt2", "Ru", "Ts", "sbar"}) {
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
      SCOPED_TRACE(std::string(name) + (button == Qt::RightButton ? " right" : " middle"));
      const std::string before = State();
      QTest::mouseClick(Part(name), button);
      EXPECT_EQ(State(), before);
    }
  }
}

TEST_F(LabelButtonsTest, TheLeftButtonClicksEachOfThem) {
  RunWithTargets(12);
  struct Case {
    const char* name;
    std::function<bool()> done;
  };
  TMain& m = Model();
  const Case cases[] = {
      {"x1", [&] { return m.viewer.M11.Caption().rfind('*', 0) == 0; }},
      {"Spt6", [&] { return m.viewer.SaEdit.Text() == "5"; }},
      {"Spt4", [&] { return m.viewer.SaEdit.Text() == "1"; }},
      {"Ts", [&] { return m.viewer.Ts.Caption().empty(); }},
      {"sbar", [&] { return browser_.opened.size() == 1; }},
      {"min1", [&] { return !View().isVisible(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.done());
    QTest::mouseClick(Part(c.name), Qt::LeftButton);
    EXPECT_TRUE(c.done());
  }
}

TEST_F(LabelButtonsTest, ARightPressStillGivesThePressedLookAndOpensATarget) {
  RunWithTargets(12);
  QWidget* next = Part("Spt6");
  const QPoint inside = next->mapToGlobal(QPoint(4, 4));
  SendMouse(next, QEvent::MouseButtonPress, inside, Qt::RightButton);
  EXPECT_TRUE(next->autoFillBackground());
  SendMouse(next, QEvent::MouseButtonRelease, inside, Qt::RightButton);
  EXPECT_FALSE(next->autoFillBackground());
  EXPECT_EQ(Model().viewer.SaEdit.Text(), "1");

  QWidget* caption = Part("M12");
  SendMouse(caption, QEvent::MouseButtonPress, caption->mapToGlobal(QPoint(10, 5)),
            Qt::RightButton);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0], "http://www.example.cn/1.htm");
}

TEST_F(LabelButtonsTest, ALeftReleaseAfterARightPressIsNoClick) {
  RunWithTargets(12);
  QWidget* mark = Part("x1");
  const QPoint inside = mark->mapToGlobal(QPoint(3, 3));
  SendMouse(mark, QEvent::MouseButtonPress, inside, Qt::RightButton);
  SendMouse(mark, QEvent::MouseButtonRelease, inside, Qt::LeftButton);
  EXPECT_EQ(Model().viewer.x1.Caption(), "");
}

}  // namespace
}  // namespace vexo
