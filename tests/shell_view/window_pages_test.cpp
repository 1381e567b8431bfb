// A run's targets on the window: rows, paging, marks, clear, opening and
// hovering, and the picture of it all.
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <cstdlib>

#include "tests/shell_view/view_fixture.h"
#include "texts/texts.h"

namespace vexo {
namespace {

class WindowPagesTest : public ViewTest {
 protected:
  // A run with n targets, stopped so that export is offered.
  void RunWithTargets(int n) {
    Show();
    Type(Part("gjc"), Q("奇瑞/别克"));
    QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
    const char* titles[] = {"奇瑞新款轿车上市，售价公布",       "别克君越降价三万元，车主排队",
                            "奇瑞与别克的中型车对比试驾",       "别克凯越停产传闻，厂家回应",
                            "奇瑞出口量再创新高，海外市场扩大", "别克英朗换代，动力升级",
                            "奇瑞瑞虎车主一年用车报告",         "别克GL8商务车评测",
                            "奇瑞新能源车型规划曝光",           "别克全新君威谍照曝光"};
    for (int i = 0; i < n; ++i) {
      const std::string link = "http://auto.example.com/news/" + std::to_string(i + 1) + ".html";
      const Bytes title = Gb(titles[i % 10]) + (i >= 10 ? IntToText(i) : "");
      ASSERT_EQ(Model().Store().AppendTarget(link, title), 1) << i;
    }
    QTest::mouseClick(Part("Spt1"), Qt::LeftButton);
  }
  static QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
};

TEST_F(WindowPagesTest, TargetsFillTheRowsAndTheCounter) {
  RunWithTargets(5);
  EXPECT_EQ(TextOf("sum1"), QStringLiteral("5"));
  EXPECT_EQ(TextOf("M12"), Q("…奇瑞新款轿车上市，售价公布…"));
  EXPECT_EQ(TextOf("M52"), Q("…奇瑞出口量再创新高，海外市场扩大…"));
  EXPECT_EQ(TextOf("M62"), QString());
  for (int row = 1; row <= 8; ++row)
    EXPECT_EQ(ShownPart("z" + std::to_string(row)), row <= 5) << row;
  EXPECT_TRUE(ShownPart("Spt2")) << "export after the stop";
  EXPECT_TRUE(ShownPart("Spt3"));
  for (const char* paging : {"Spt4", "Spt5", "Spt6", "Spt7"}) EXPECT_FALSE(ShownPart(paging));
}

TEST_F(WindowPagesTest, NextAndPreviousPageThroughTheLabelButtons) {
  RunWithTargets(20);
  ASSERT_TRUE(ShownPart("Spt6"));
  QTest::mouseClick(Part("Spt6"), Qt::LeftButton);
  EXPECT_EQ(Model().viewer.SaEdit.Text(), "9");
  EXPECT_EQ(TextOf("M12"), Q("…奇瑞新能源车型规划曝光…"));
  QTest::mouseClick(Part("Spt6"), Qt::LeftButton);
  EXPECT_EQ(Model().viewer.SaEdit.Text(), "13") << "the last page ends with the last target";
  EXPECT_FALSE(ShownPart("Spt6"));
  EXPECT_TRUE(ShownPart("Spt5"));
  QTest::mouseClick(Part("Spt4"), Qt::LeftButton);
  EXPECT_EQ(Model().viewer.SaEdit.Text(), "1");
  EXPECT_EQ(TextOf("M12"), Q("…奇瑞新款轿车上市，售价公布…"));
}

TEST_F(WindowPagesTest, LabelButtonsLookPressedOnlyWhileHeld) {
  RunWithTargets(20);
  QWidget* next = Part("Spt6");
  EXPECT_FALSE(next->autoFillBackground());
  const QPoint inside = next->mapToGlobal(QPoint(4, 4));
  SendMouse(next, QEvent::MouseButtonPress, inside);
  EXPECT_TRUE(next->autoFillBackground());
  EXPECT_EQ(next->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFFFFFu);
  SendMouse(next, QEvent::MouseButtonRelease, inside + QPoint(0, 200));
  EXPECT_FALSE(next->autoFillBackground());
  EXPECT_EQ(Model().viewer.SaEdit.Text(), "1") << "released elsewhere: no page turned";
}

TEST_F(WindowPagesTest, MarkCellTogglesTheStoredMark) {
  RunWithTargets(5);
  QTest::mouseClick(Part("x3"), Qt::LeftButton);
  EXPECT_EQ(TextOf("x3"), Q("×"));
  EXPECT_EQ(Model().viewer.M31.Caption(), "*http://auto.example.com/news/3.html");
  QTest::mouseClick(Part("x3"), Qt::LeftButton);
  EXPECT_EQ(TextOf("x3"), QString());
  EXPECT_EQ(Model().viewer.M31.Caption(), "http://auto.example.com/news/3.html");
}

TEST_F(WindowPagesTest, PressingACaptionOpensItsTargetAndHoverShowsTheLink) {
  RunWithTargets(5);
  QTest::mouseClick(Part("x2"), Qt::LeftButton);
  QWidget* caption = Part("M22");
  SendMouse(caption, QEvent::MouseMove, caption->mapToGlobal(QPoint(10, 5)));
  EXPECT_EQ(caption->toolTip(), QStringLiteral("*http://auto.example.com/news/2.html"));
  SendMouse(caption, QEvent::MouseButtonPress, caption->mapToGlobal(QPoint(10, 5)),
            Qt::RightButton);
  SendMouse(caption, QEvent::MouseButtonRelease, caption->mapToGlobal(QPoint(10, 5)),
            Qt::RightButton);
  ASSERT_EQ(browser_.opened.size(), 1u) << "any button opens the target";
  EXPECT_EQ(browser_.opened[0], "http://auto.example.com/news/2.html") << "without the mark";
}

TEST_F(WindowPagesTest, ClearAsksAndOnlyOkEmptiesTheRows) {
  RunWithTargets(5);
  boxes_.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
  QTest::mouseClick(Part("Spt3"), Qt::LeftButton);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, Gb("  确认要清空已跟踪的结果吗？"));
  EXPECT_EQ(TextOf("M12"), Q("…奇瑞新款轿车上市，售价公布…"));
  QTest::mouseClick(Part("Spt3"), Qt::LeftButton);
  EXPECT_EQ(TextOf("M12"), QString());
  EXPECT_EQ(TextOf("sum1"), QStringLiteral("0"));
  EXPECT_FALSE(ShownPart("Spt3"));
}

TEST_F(WindowPagesTest, TogglesSwitchAtOnce) {
  Show();
  ASSERT_TRUE(FileExists(Autostart()));
  QTest::mouseClick(Part("Ru"), Qt::LeftButton);
  EXPECT_EQ(TextOf("Ru"), QString());
  EXPECT_FALSE(FileExists(Autostart())) << "the autostart entry goes at once";
  QTest::mouseClick(Part("Ru"), Qt::LeftButton);
  EXPECT_TRUE(FileExists(Autostart()));
  QTest::mouseClick(Part("Ts"), Qt::LeftButton);
  EXPECT_EQ(TextOf("Ts"), QString());
  EXPECT_EQ(Model().viewer.popupOnNew, 0);
  Model().FormDestroy();
  EXPECT_NE(Content(Ini()).find("ts=0"), std::string::npos);
}

TEST_F(WindowPagesTest, HelpExplainsAndFillsInTheExample) {
  Show();
  QTest::mouseClick(Part("help1"), Qt::LeftButton);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].caption, Gb("<关键词>填法"));
  EXPECT_EQ(boxes_.shown[1].caption, Gb("<关键词>例子"));
  EXPECT_EQ(qobject_cast<QLineEdit*>(Part("gjc"))->text(), Q("奇瑞/别克/宝来"));
  EXPECT_EQ(Model().viewer.modalGuard, 0);
}

TEST_F(WindowPagesTest, AboutBoxOpensModallyAndItsAddressOpensTheHomePage) {
  Show();
  QString title;
  QSize size;
  std::uint8_t guard_while_open = 0;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    title = box->windowTitle();
    size = box->size();
    guard_while_open = Model().viewer.modalGuard;
    for (QLabel* l : box->findChildren<QLabel*>()) {
      if (l->text() == QString::fromLatin1(kPublisherHomePage)) {
        EXPECT_TRUE(l->font().underline());
        SendMouse(l, QEvent::MouseButtonPress, l->mapToGlobal(QPoint(2, 2)));
        SendMouse(l, QEvent::MouseButtonRelease, l->mapToGlobal(QPoint(2, 2)));
      }
    }
    box->close();
  });
  QTest::mouseClick(Part("about1"), Qt::LeftButton);
  EXPECT_EQ(title, Q("关于Vexo"));
  EXPECT_EQ(size, QSize(300, 190));
  EXPECT_EQ(guard_while_open, 120);
  EXPECT_EQ(Model().viewer.modalGuard, 0);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0], kPublisherHomePage);
}

TEST_F(WindowPagesTest, StatusLineOpensThePublishersPage) {
  Show();
  QTest::mouseClick(Part("sbar"), Qt::LeftButton);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0], kPublisherHomePage);
}

// The window as a person sees it; with VEXO_SCREENSHOT set the picture is
// also written there.
TEST_F(WindowPagesTest, PictureOfARunShowsFrameRowsAndStatusLine) {
  RunWithTargets(12);
  QTest::mouseClick(Part("x2"), Qt::LeftButton);
  EXPECT_TRUE(ShownPart("Spt6")) << "more than a page";
  QApplication::processEvents();
  const QImage img = View().grab().toImage();
  ASSERT_EQ(img.size(), QSize(540, 400));
  EXPECT_EQ(At(img, 535, 392), 0xDFF0FFu) << "status line";
  EXPECT_EQ(At(img, 530, 70), 0xDFF0FFu) << "counter band";
  EXPECT_EQ(At(img, 8, 92), 0x88C4FFu) << "row box frame";
  EXPECT_NE(At(img, 270, 3), 0xFFFFFFu) << "title picture";
  EXPECT_NE(At(img, 0, 200), 0xFFFFFFu) << "left edge";
  // Some ink in the first row's caption.
  int ink = 0;
  for (int x = 26; x < 300; ++x)
    for (int y = 86; y < 98; ++y) ink += qGray(img.pixel(x, y)) < 128;
  EXPECT_GT(ink, 50);
  if (const char* out = std::getenv("VEXO_SCREENSHOT")) {
    EXPECT_TRUE(img.save(QString(out)));
  }
}

}  // namespace
}  // namespace vexo
