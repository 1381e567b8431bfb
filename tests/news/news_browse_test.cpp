// Paging through the headline grid, opening headlines, and the portal
// addresses with their configuration. No network here.
#include "platform/ini_profile.h"
#include "tests/news/news_fixture.h"

namespace vexo {
namespace {

using NewsBrowse = NewsFixture;

// A window that never fetched, with `headlines` rows and the empty last row.
Tnews& Filled(std::unique_ptr<Tnews>& w, NewsServices s, int headlines) {
  w = std::make_unique<Tnews>(std::move(s));
  w->Stgd.SetRowCount(headlines + 1);
  for (int r = 0; r < headlines; ++r) {
    w->Stgd.SetCell(1, r, "headline " + IntToText(r));
    w->Stgd.SetCell(2, r, "http://x.example.cn/" + IntToText(r) + ".htm");
  }
  return *w;
}

struct Visible {
  bool first, prev, next, last;
};

void ExpectVisible(Tnews& w, Visible v) {
  EXPECT_EQ(w.Spn1.Visible(), v.first);
  EXPECT_EQ(w.Spn2.Visible(), v.prev);
  EXPECT_EQ(w.Spn3.Visible(), v.next);
  EXPECT_EQ(w.Spn4.Visible(), v.last);
}

TEST_F(NewsBrowse, NextPageButtonsShowFrom19Headlines) {
  ExpectVisible(Filled(window_, Services(), 18), {false, false, false, false});
  ExpectVisible(Filled(window_, Services(), 19), {false, false, true, true});
  ExpectVisible(Filled(window_, Services(), 0), {false, false, false, false});
}

TEST_F(NewsBrowse, PagesOverlapByOneRow) {
  Tnews& w = Filled(window_, Services(), 59);  // RowCount 60, 20 rows a page
  EXPECT_EQ(w.Stgd.VisibleRows(), 20);
  struct Step {
    void (Tnews::*click)();
    int top;
    Visible v;
  };
  const Step steps[] = {
      {&Tnews::Spn3Click, 19, {true, true, true, true}},
      {&Tnews::Spn3Click, 38, {true, true, true, true}},
      {&Tnews::Spn3Click, 41, {true, true, false, false}},
      {&Tnews::Spn3Click, 41, {true, true, false, false}},
      {&Tnews::Spn2Click, 22, {true, true, true, true}},
      {&Tnews::Spn2Click, 3, {true, true, true, true}},
      {&Tnews::Spn2Click, 0, {false, false, true, true}},
      {&Tnews::Spn4Click, 41, {true, true, false, false}},
      {&Tnews::Spn1Click, 0, {false, false, true, true}},
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    (w.*s.click)();
    EXPECT_EQ(w.Stgd.TopRow(), s.top);
    EXPECT_EQ(w.Stgd.Row(), s.top);
    ExpectVisible(w, s.v);
  }
}

TEST_F(NewsBrowse, PagingAShortListStaysOnTop) {
  Tnews& w = Filled(window_, Services(), 5);
  w.Spn4Click();
  EXPECT_EQ(w.Stgd.TopRow(), 0);
  w.Spn3Click();
  EXPECT_EQ(w.Stgd.TopRow(), 0);
  ExpectVisible(w, {false, false, false, false});
}

TEST_F(NewsBrowse, DoubleClickOpensTheLinkAsOneArgumentAndStarsTheRow) {
  Tnews& w = Filled(window_, Services(), 3);
  w.Stgd.SetRow(1);
  w.StgdDblClick();
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{"http://x.example.cn/1.htm"}));
  EXPECT_EQ(w.Stgd.Cell(0, 1), Star());
  EXPECT_TRUE(w.Stgd.Cell(0, 0).empty());
}

TEST_F(NewsBrowse, EnterOpensOtherKeysDoNot) {
  Tnews& w = Filled(window_, Services(), 3);
  w.Stgd.SetRow(2);
  w.StgdKeyPress('a');
  w.StgdKeyPress('\n');
  EXPECT_TRUE(browser_.opened.empty());
  w.StgdKeyPress('\r');
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{"http://x.example.cn/2.htm"}));
  EXPECT_EQ(w.Stgd.Cell(0, 2), Star());
}

TEST_F(NewsBrowse, TheEmptyLastRowIsStarredButOpensNothing) {
  Tnews& w = Filled(window_, Services(), 2);
  w.Stgd.SetRow(2);
  w.StgdDblClick();
  EXPECT_TRUE(browser_.opened.empty());
  EXPECT_EQ(w.Stgd.Cell(0, 2), Star());
}

TEST_F(NewsBrowse, ABrowserThatCannotStartStillStarsTheRow) {
  browser_.fail = true;
  Tnews& w = Filled(window_, Services(), 2);
  w.StgdDblClick();
  EXPECT_EQ(w.Stgd.Cell(0, 0), Star());
}

TEST_F(NewsBrowse, TheWindowDescription) {
  Tnews w(Services());
  EXPECT_EQ(w.caption.Caption(), Gb("Vexo新闻中心"));
  EXPECT_EQ(w.window.Width(), 536);
  EXPECT_EQ(w.window.Height(), 383);
  EXPECT_EQ(w.Spt7.Caption(), Gb("[ IT ]"));
  EXPECT_EQ(w.Spn4.Caption(), ">|");
  EXPECT_EQ(w.Spn2.Hint(), Gb("上页"));
  EXPECT_EQ(w.Tsys.Interval(), 16000);
  EXPECT_FALSE(w.Tsys.Enabled());
  w.Stgd.SetColWidth(1, 5);
  w.FormCreate();  // nothing answers: the default hosts are sent to the mock
  EXPECT_EQ(w.Stgd.ColWidth(0), 21);
  EXPECT_EQ(w.Stgd.ColWidth(1), 498);
  EXPECT_EQ(w.Stgd.ColWidth(2), 0);
  EXPECT_TRUE(w.Tsys.Enabled());
}

TEST(NewsSourceTable, DefaultsArePlainHttpOnThePortalsWithTheListedPaths) {
  const NewsSources s = DefaultNewsSources();
  for (int n = 1; n <= 8; ++n)
    for (int i = 1; i <= 6; ++i) {
      const Bytes a = s.At(n, i);
      EXPECT_EQ(a.rfind("http://", 0), 0u) << n << "/" << i;
      EXPECT_NE(a.find('/', 7), Bytes::npos) << a;
    }
  EXPECT_EQ(s.At(1, 1), "http://www.people.com.cn/GB/24hour/");
  EXPECT_EQ(s.At(1, 6), "http://news.sina.com.cn/news1000/");
  EXPECT_EQ(s.At(2, 1), "http://news.china.com/zh_cn/finance/");
  EXPECT_EQ(s.At(3, 6), "http://www.cctv.com/news/sports/");
  EXPECT_EQ(s.At(7, 4), "http://www.enet.com.cn/enews/");
  EXPECT_TRUE(s.At(0, 1).empty());
  EXPECT_TRUE(s.At(9, 1).empty());
  EXPECT_TRUE(s.At(1, 7).empty());
}

TEST_F(NewsBrowse, ConfiguredAddressesReplaceTheDefaultsWhenPlainHttp) {
  const std::string ini = folder_ + "vexo.ini";
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news1_6", "http://news.sina.example/roll/"));
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news1_5", "https://news.21cn.example/"));
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news2_1", "https://"));
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news2_2", "https://a b/"));
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news8_1", "ftp://mil.example/"));
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news8_2", "http://a b/"));
  ASSERT_TRUE(WriteProfileString(ini, "vexo", "news9_1", "http://nine.example/"));
  const NewsSources s = ReadNewsSources(ini);
  EXPECT_EQ(s.At(1, 6), "http://news.sina.example/roll/");
  EXPECT_EQ(s.At(1, 5), "https://news.21cn.example/");
  EXPECT_EQ(s.At(2, 1), DefaultNewsSources().At(2, 1));
  EXPECT_EQ(s.At(2, 2), DefaultNewsSources().At(2, 2));
  EXPECT_EQ(s.At(8, 1), DefaultNewsSources().At(8, 1));
  EXPECT_EQ(s.At(8, 2), DefaultNewsSources().At(8, 2));
  EXPECT_EQ(ReadNewsSources(folder_ + "missing.ini").address, DefaultNewsSources().address);
}

}  // namespace
}  // namespace vexo
