// The news window on screen (offscreen in the test run): opened from the main
// window's news button over mock portals, a row double-clicked, closed.
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include "news/news1_view.h"
#include "platform/connect_to.h"
#include "shell/news_button_view.h"
#include "tests/shell_view/view_fixture.h"
#include "tests/support/mock_portal.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

const Bytes kA = Gb("第一条新闻标题很长很长");

class NewsWindowView : public ViewTest {
 protected:
  void SetUp() override {
    SetConnectToMap(portal_.ConnectToEntry());
    for (int i = 1; i <= 6; ++i) {
      const Bytes link = "http://x.example.cn/" + IntToText(i) + ".htm";
      portal_.SetPage(DefaultNewsSources().At(1, i), testing::MockPortal::Anchor(link, kA));
    }
    MainServices s = ViewServices();
    s.chrome.show_news = NewsWindowOpener(link_, news_time_, s);
    main_ = std::make_unique<TMain>(s);
    main_->FormCreate();
    Show();
  }
  void TearDown() override { ::vexo::testing::GoOffline(); }

  static NewsView* OpenNewsWindow() {
    return dynamic_cast<NewsView*>(QApplication::activeModalWidget());
  }

  testing::MockPortal portal_;
  VirtualTimerService news_time_;
};

TEST_F(NewsWindowView, NewsButtonOpensItModallyAndADoubleClickOpensTheRow) {
  bool ran = false;
  // A failed check inside the modal window must not leave it open.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  watchdog.start(10000);
  QTimer::singleShot(0, [&] {
    NewsView* news = OpenNewsWindow();
    ASSERT_NE(news, nullptr);
    ran = true;
    EXPECT_EQ(Model().viewer.modalGuard, 120);
    EXPECT_EQ(news->windowTitle(), Q("Vexo新闻中心"));
    EXPECT_EQ(news->size(), QSize(536, 383));
    QTableView* grid = news->Grid();
    EXPECT_EQ(grid->size(), QSize(532, 323));
    EXPECT_EQ(grid->frameWidth(), 0);
    EXPECT_TRUE(news->rect().contains(grid->geometry()));
    ASSERT_TRUE(testing::RunUntil([&] { return grid->model()->rowCount() == 7; }));
    ASSERT_TRUE(testing::RunUntil([&] { return news->Part("Spt1")->isEnabled(); }));
    EXPECT_EQ(grid->columnWidth(0), 21);
    EXPECT_EQ(grid->columnWidth(1), 498);
    EXPECT_TRUE(grid->isColumnHidden(2));
    EXPECT_TRUE(news->Part("Spn3")->isHidden());

    const QRect cell = grid->visualRect(grid->model()->index(2, 1));
    const QPoint at = grid->viewport()->mapToGlobal(cell.center());
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                           QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
      SendMouse(grid->viewport(), t, at);
    ASSERT_EQ(browser_.opened.size(), 1u);
    const QString link = grid->model()->index(2, 2).data().toString();
    EXPECT_EQ(QString::fromStdString(browser_.opened[0]), link);
    EXPECT_EQ(grid->model()->index(2, 0).data().toString(), Q("☆"));

    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_EQ(browser_.opened.size(), 2u);
    EXPECT_EQ(grid->model()->index(3, 0).data().toString(), Q("☆"));
    news->close();
  });
  QTest::mouseClick(Part("Spb1"), Qt::LeftButton);
  EXPECT_TRUE(ran);
  EXPECT_EQ(OpenNewsWindow(), nullptr);
  EXPECT_EQ(Model().viewer.modalGuard, 0);
  // Closing destroyed the window, which saved what it listed.
  EXPECT_EQ(Lines(Home() + "Temp/news1").size(), 7u);
}

TEST_F(NewsWindowView, PagingButtonsFollowTheModel) {
  NewsServices s;
  s.timers = &news_time_;
  s.program_folder = Home();
  Tnews model(s);
  model.Stgd.SetRowCount(40);
  NewsView view(model, nullptr);
  view.show();
  EXPECT_TRUE(view.Part("Spn1")->isHidden());
  EXPECT_FALSE(view.Part("Spn3")->isHidden());
  QTest::mouseClick(view.Part("Spn3"), Qt::LeftButton);
  EXPECT_EQ(model.Stgd.TopRow(), 19);
  EXPECT_EQ(view.Grid()->verticalScrollBar()->value(), 19);
  EXPECT_FALSE(view.Part("Spn1")->isHidden());
  QTest::mouseClick(view.Part("Spn1"), Qt::LeftButton);
  EXPECT_EQ(model.Stgd.TopRow(), 0);
}

}  // namespace
}  // namespace vexo
