#include "news/news_sources.h"

#include "news/news_feeds.h"
#include "parser/source_set.h"
#include "platform/ini_profile.h"
#include "platform/quietly.h"

namespace vexo {

Bytes NewsSources::At(int category, int source) const {
  if (category < 1 || category > 8 || source < 1 || source > 6) return {};
  return address[static_cast<std::size_t>(category - 1)][static_cast<std::size_t>(source - 1)];
}

bool NewsSources::IsFeed(int category, int source) const {
  if (category < 1 || category > 8 || source < 1 || source > 6) return false;
  return feed[static_cast<std::size_t>(category - 1)][static_cast<std::size_t>(source - 1)];
}

namespace {

NewsSources PortalPages() {
  NewsSources s;
  s.address = {{
      {"http://www.people.com.cn/GB/24hour/", "http://www.eastday.com/eastday/news/news/index.html",
       "http://news.sohu.com/news_scrollnews.shtml", "http://news.tom.com/everyday.html",
       "http://news.21cn.com/gundong/", "http://news.sina.com.cn/news1000/"},
      {"http://news.china.com/zh_cn/finance/", "http://www.people.com.cn/GB/jingji/",
       "http://business.sohu.com/", "http://finance.qianlong.com/", "http://finance.sina.com.cn/",
       "http://finance.21cn.com/"},
      {"http://sports.sina.com.cn/", "http://sports.21cn.com/", "http://sports.sohu.com/",
       "http://sports.tom.com/", "http://www.sportscn.com/", "http://www.cctv.com/news/sports/"},
      {"http://tech.enorth.com.cn/", "http://news.china.com/zh_cn/tech/",
       "http://it.sohu.com/science/", "http://tech.tom.com/", "http://tech.qianlong.com/",
       "http://tech.sina.com.cn/"},
      {"http://news.china.com/zh_cn/entertainment/", "http://ent.tom.com/",
       "http://ent.qianlong.com/", "http://ent.sohu.com/", "http://news.chinamp3.com/",
       "http://ent.sina.com.cn/"},
      {"http://www.2118.com.cn/", "http://game.tom.com/", "http://game.163.com/",
       "http://game.sohu.com/", "http://games.sina.com.cn/", "http://game.21cn.com/"},
      {"http://news.chinabyte.com/", "http://www.pconline.com.cn/news/", "http://news.ccidnet.com/",
       "http://www.enet.com.cn/enews/", "http://news.onlinedown.net/", "http://it.sohu.com/"},
      {"http://www.chinamil.com.cn/", "http://military.people.com.cn/",
       "http://mil.news.sina.com.cn/", "http://mil.xilu.com/", "http://mil.qianlong.com/",
       "http://military.china.com/zh_cn/"},
  }};
  return s;
}

NewsSources Feeds() {
  NewsSources s;
  s.address = CurrentNewsFeeds();
  for (std::size_t n = 0; n < s.address.size(); ++n)
    for (std::size_t i = 0; i < s.address[n].size(); ++i) s.feed[n][i] = !s.address[n][i].empty();
  return s;
}

}  // namespace

NewsSources NewsSourcesOfSet(std::string_view set_name) {
  return set_name == "classic" ? PortalPages() : Feeds();
}

NewsSources DefaultNewsSources() {
  // No file: the environment alone chooses.
  return NewsSourcesOfSet(ChosenSourceSetName(IniProfile(std::string())));
}

Bytes NewsSourceKey(int category, int source) {
  return "news" + IntToText(category) + "_" + IntToText(source);
}

namespace {

// Both schemes are matched as written, in lower case.
bool PlainWebAddress(const Bytes& v) {
  const std::size_t scheme = v.starts_with("https://") ? 8 : 7;
  if (v.size() <= scheme || (scheme == 7 && v.compare(0, 7, "http://") != 0)) return false;
  for (const unsigned char c : v)
    if (c <= 0x20 || c == 0x7F) return false;
  return true;
}

}  // namespace

NewsSources ReadNewsSources(const std::string& config_file) {
  NewsSources s = DefaultNewsSources();
  Quietly([&] {
    IniProfile ini(config_file);
    ini.Load();
    const Bytes set = ChosenSourceSetName(ini);
    s = NewsSourcesOfSet(set);
    for (int n = 1; n <= 8; ++n) {
      for (int i = 1; i <= 6; ++i) {
        const auto v = ini.Get("vexo", NewsSourceKey(n, i));
        if (!v || !PlainWebAddress(*v)) continue;
        const auto row = static_cast<std::size_t>(n - 1);
        const auto place = static_cast<std::size_t>(i - 1);
        s.address[row][place] = *v;
        s.feed[row][place] = set != "classic" && LooksLikeFeedAddress(*v);
      }
    }
  });
  return s;
}

}  // namespace vexo
