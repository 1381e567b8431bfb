// The window's shape, its painted frame and the mirror of the model's
// components.
#include <QLineEdit>
#include <QToolButton>

#include "tests/shell_view/view_fixture.h"
#include "texts/texts.h"

namespace vexo {
namespace {

using WindowBuildTest = ViewTest;

TEST_F(WindowBuildTest, IsABorderless540By400WindowWithoutTaskbarEntry) {
  MainView& v = Show();
  EXPECT_EQ(v.size(), QSize(540, 400));
  EXPECT_TRUE(v.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(v.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_FALSE(v.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(v.font().pixelSize(), 12);
  ASSERT_FALSE(v.font().families().isEmpty());
  EXPECT_EQ(v.font().families().front(), Q("宋体"));
  EXPECT_TRUE(v.font().families().contains(QStringLiteral("AR PL UMing CN")));
  EXPECT_FALSE(v.windowIcon().isNull());
  EXPECT_FALSE(Model().App().TaskbarButtonVisible()) << "showing ran FormShow";
}

TEST_F(WindowBuildTest, FrameImagesSitOnTheEdges) {
  Show();
  struct Case {
    const char* name;
    QRect place;
  };
  for (const Case& c : {Case{"Image1", {0, 0, 540, 27}}, Case{"Image2", {0, 27, 2, 371}},
                        Case{"Image3", {538, 27, 2, 371}}, Case{"Image4", {0, 398, 540, 2}}}) {
    QWidget* w = Part(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), c.place) << c.name;
    const auto* l = qobject_cast<QLabel*>(w);
    ASSERT_NE(l, nullptr);
    EXPECT_FALSE(l->pixmap().isNull()) << c.name << " has its picture from the resources";
  }
  EXPECT_EQ(qobject_cast<QLabel*>(Part("Image1"))->pixmap().size(), QSize(540, 27));
}

TEST_F(WindowBuildTest, RowsHaveTheirSizesCursorsAndWrapping) {
  Show();
  for (int row = 1; row <= 8; ++row) {
    const std::string r = std::to_string(row);
    auto* caption = qobject_cast<QLabel*>(Part("M" + r + "2"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->size(), QSize(500, 24));
    EXPECT_TRUE(caption->wordWrap());
    EXPECT_EQ(caption->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(caption->textFormat(), Qt::PlainText) << "page titles are never markup";
    QWidget* mark = Part("x" + r);
    QWidget* box = Part("z" + r);
    EXPECT_EQ(mark->size(), QSize(10, 10));
    EXPECT_EQ(box->size(), QSize(12, 12));
    EXPECT_TRUE(box->geometry().contains(mark->geometry())) << "the box frames the cell";
    EXPECT_EQ(mark->cursor().shape(), Qt::PointingHandCursor);
    if (row > 1) {
      EXPECT_GE(caption->y(), Part("M" + std::to_string(row - 1) + "2")->geometry().bottom())
          << "rows do not overlap";
    }
  }
  EXPECT_LT(Part("M82")->geometry().bottom(), Part("sbar")->y());
  EXPECT_EQ(Part("sbar")->size(), QSize(538, 14));
}

TEST_F(WindowBuildTest, WelcomeRowsAndStatusLineAreMirrored) {
  Show();
  const ShellTexts& t = Texts();
  for (int row = 1; row <= 3; ++row)
    EXPECT_EQ(TextOf("M" + std::to_string(row) + "2"), QGb(t.welcome_notice[row - 1]));
  EXPECT_EQ(TextOf("M42"), QString());
  EXPECT_EQ(TextOf("sbar"), QGb(t.publisher_line));
  EXPECT_TRUE(TextOf("M12").contains(Q("欢迎"))) << "GB2312 is shown as Chinese";
  EXPECT_EQ(Part("sbar")->toolTip(), Q("点击此处，有更多免费软件下载"));
  EXPECT_FALSE(ShownPart("sum1")) << "the counters show during a run";
}

TEST_F(WindowBuildTest, EveryLaterChangeOfAComponentReachesItsWidget) {
  Show();
  TMain& m = Model();
  m.sbar.SetCaption(Gb(" 测试中"));
  EXPECT_EQ(TextOf("sbar"), Q(" 测试中"));
  m.viewer.M52.SetCaption(Gb("…新目标…"));
  EXPECT_EQ(TextOf("M52"), Q("…新目标…"));
  m.viewer.M52.SetHint("http://a.example/x");
  EXPECT_EQ(Part("M52")->toolTip(), QStringLiteral("http://a.example/x"));
  m.viewer.x5.SetCaption(Gb("×"));
  EXPECT_EQ(TextOf("x5"), Q("×"));
  m.sbar.SetVisible(false);
  EXPECT_FALSE(ShownPart("sbar"));
  m.sbar.SetVisible(true);
  EXPECT_TRUE(ShownPart("sbar"));
  m.Spt1.SetEnabled(false);
  EXPECT_FALSE(Part("Spt1")->isEnabled());
  m.Spt1.SetCaption(Gb("停止"));
  EXPECT_EQ(qobject_cast<QToolButton*>(Part("Spt1"))->text(), Q("停止"));
}

TEST_F(WindowBuildTest, ColoursFollowTheModel) {
  Show();
  struct Case {
    const char* name;
    QRgb background;
  };
  // Set by FormCreate: the skin blue squares and the pale bands.
  for (const Case& c : {Case{"z1", 0x88C4FF}, Case{"Ru1", 0x88C4FF}, Case{"Ts1", 0x88C4FF},
                        Case{"Line1", 0x88C4FF}, Case{"La2", 0xDFF0FF}, Case{"sbar", 0xDFF0FF}}) {
    QWidget* w = Part(c.name);
    EXPECT_TRUE(w->autoFillBackground()) << c.name;
    EXPECT_EQ(w->palette().color(QPalette::Window).rgb() & 0xFFFFFF, c.background) << c.name;
  }
  EXPECT_EQ(Part("La1")->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, 0x44A2FFu);
  // Marks and ticks are red on white.
  for (const char* name : {"x1", "Ru", "Ts"}) {
    EXPECT_EQ(Part(name)->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, 0xFF0000u)
        << name;
    EXPECT_EQ(Part(name)->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFFFFFu) << name;
  }
  Model().sbar.SetColor(0x123456);
  EXPECT_EQ(Part("sbar")->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0x123456u);
  Model().sbar.SetColor(kDefaultColour);
  EXPECT_FALSE(Part("sbar")->autoFillBackground()) << "no colour of its own: transparent";
}

TEST_F(WindowBuildTest, TogglesShowTheConfiguredState) {
  PutBytes(Ini(), "[vexo]\r\nts=0\r\nru=1\r\n");
  Show();
  EXPECT_EQ(TextOf("Ru"), Q("√"));
  EXPECT_EQ(TextOf("Ts"), QString());
  EXPECT_EQ(Part("Ru")->size(), QSize(10, 10));
  EXPECT_TRUE(Part("Ru1")->geometry().contains(Part("Ru")->geometry()));
  EXPECT_EQ(Part("Ts")->toolTip(), Q("发现新目标，及时弹出提示"));
}

TEST_F(WindowBuildTest, HostileTextsShowAsTextAndNeverBreakTheView) {
  Show();
  TMain& m = Model();
  // Markup, lone lead bytes, control bytes and a very long title.
  const Bytes hostile[] = {"<b>bold</b><img src=x>", Bytes("\xB0", 1), Bytes("a\0b", 3),
                           Bytes("\xFF\xFF\x81", 3), Bytes(100000, '\xB0')};
  for (const Bytes& text : hostile) {
    m.viewer.M12.SetCaption(text);
    m.sbar.SetCaption(text);
    m.gjc.SetText(text);
    QApplication::processEvents();
  }
  m.viewer.M12.SetCaption("<b>bold</b>");
  EXPECT_EQ(TextOf("M12"), QStringLiteral("<b>bold</b>"));
}

TEST_F(WindowBuildTest, ViewGoneFirstLeavesTheModelWithItsOwnObserversOnly) {
  main_ = std::make_unique<TMain>(Services());
  main_->FormCreate();
  const std::size_t sbar_before = Model().sbar.changed.Size();
  const std::size_t gjc_before = Model().gjc.changed.Size();
  Show();
  EXPECT_GT(Model().sbar.changed.Size(), sbar_before);
  view_.reset();
  EXPECT_EQ(Model().sbar.changed.Size(), sbar_before);
  EXPECT_EQ(Model().gjc.changed.Size(), gjc_before);
  Model().sbar.SetCaption("after");  // reaches no widget that is gone
}

}  // namespace
}  // namespace vexo
