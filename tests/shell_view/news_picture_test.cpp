// The news window as a user sees it after a fetch: headlines from six mock
// portals, stars on those listed at the last visit and on an opened one. With
// VEXO_NEWS_PICTURE set, the window's picture is saved there.
#include <QPixmap>
#include <QTableView>

#include <cstdlib>

#include "news/news1_view.h"
#include "platform/connect_to.h"
#include "tests/shell_view/view_fixture.h"
#include "tests/support/mock_portal.h"
#include "tests/support/offline.h"
#include "tests/support/run_until.h"

namespace vexo {
namespace {

class NewsPicture : public ViewTest {
 protected:
  void SetUp() override { SetConnectToMap(portal_.ConnectToEntry()); }
  void TearDown() override { ::vexo::testing::GoOffline(); }
  testing::MockPortal portal_;
  VirtualTimerService time_;
};

TEST_F(NewsPicture, HeadlinesWithStarsAfterAFetch) {
  const char* titles[6][4] = {
      {"国务院常务会议部署今年经济工作", "全国春运首日铁路发送旅客创新高",
       "北京今冬首场降雪如期而至", "更多新闻"},
      {"上海浦东新区推出十项便民措施", "南方多地迎来大范围降温天气", "科学家发现新的古生物化石",
       "友情链接"},
      {"国家统计局发布最新经济数据", "多部门联合开展安全生产大检查", "今年粮食总产量再创历史新高",
       "网站地图与帮助"},
      {"教育部公布高校招生新政策", "全国人大常委会审议多部法律草案", "中国女排夺得世界杯冠军",
       "联系我们"},
      {"多地出台措施稳定房地产市场", "新一代高速列车完成测试运行", "国际油价连续三日下跌",
       "关于本站"},
      {"航天员顺利完成出舱活动任务", "长江流域生态保护取得新进展", "春节假期旅游市场持续升温",
       "版权声明"},
  };
  for (int i = 1; i <= 6; ++i) {
    std::string body = "<html><body><table>";
    for (int k = 0; k < 4; ++k)
      body += "<tr><td>" +
              testing::MockPortal::Anchor("/n/" + IntToText(i * 10 + k) + ".shtml",
                                          Gb(titles[i - 1][k])) +
              "</td></tr>";
    portal_.SetPage(DefaultNewsSources().At(1, i), body + "</table></body></html>");
  }
  CreateDir(Home() + "Temp");
  SaveLines(Home() + "Temp/news1", {Gb(titles[0][1]), Gb(titles[3][0]), Gb(titles[5][2]), ""});

  NewsServices s;
  s.timers = &time_;
  s.program_folder = Home();
  s.browser = &browser_;
  Tnews model(s);
  model.FormCreate();
  NewsView view(model, nullptr);
  view.show();
  ASSERT_TRUE(testing::RunUntil([&] { return !model.Fetching(); }));
  ASSERT_EQ(model.Stgd.RowCount(), 20);  // 19: furniture and short captions give no row
  model.Stgd.SetRow(4);
  model.StgdDblClick();

  int stars = 0;
  for (int r = 0; r < model.Stgd.RowCount(); ++r) stars += !model.Stgd.Cell(0, r).empty();
  EXPECT_EQ(stars, 4);
  testing::RunFor(100);
  const QPixmap picture = view.grab();
  EXPECT_EQ(picture.size(), QSize(536, 383));
  if (const char* path = std::getenv("VEXO_NEWS_PICTURE")) {
    EXPECT_TRUE(picture.save(path));
  }
}

}  // namespace
}  // namespace vexo
