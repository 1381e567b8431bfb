// The sources as data: the shipped sets, the file format, the choice of set,
// the configured hosts and the query addresses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "parser/source_set.h"
#include "parser/source_urls.h"
#include "platform/codepage.h"
#include "platform/ini_profile.h"

namespace vexo {
namespace {

Bytes HostOf(const Bytes& url) {
  const std::size_t from = url.find("://") + 3;
  return url.substr(from, url.find('/', from) - from);
}

SourceSet Classic() {
  return ShippedSourceSet("classic");
}

struct UrlCase {
  int index;
  const char* url;
};

TEST(SourceSetTest, ClassicAsksTheDesignsSeventyTwoPagesInItsOrder) {
  const UrlCase cases[] = {
      {0, "http://www.google.com/news?hl=zh-CN&ie=GB2312&scoring=d&start=0&q=k"},
      {1, "http://news.zhongsou.com/zsnews.cgi?mt=0&sort=1&bg=1&word=k"},
      {2, "http://news.baidu.com/ns?tn=news&ie=gb2312&ct=0&cl=2&pn=0&word=k"},
      {3, "http://www.google.com/news?hl=zh-CN&ie=GB2312&scoring=d&start=10&q=k"},
      {4, "http://news.zhongsou.com/zsnews.cgi?mt=0&sort=1&bg=2&word=k"},
      {5, "http://news.baidu.com/ns?tn=news&ie=gb2312&ct=0&cl=2&pn=10&word=k"},
      {11, "http://news.baidu.com/ns?tn=news&ie=gb2312&ct=0&cl=2&pn=30&word=k"},
      {12, "http://www.google.com/search?start=0&ie=GB2312&lr=lang_zh-CN&q=k"},
      {13, "http://p.zhongsou.com/zssite.cgi?bg=1&word=k"},
      {14, "http://www.baidu.com/s?pn=0&ie=gb2312&word=k"},
      {69, "http://www.google.com/search?start=190&ie=GB2312&lr=lang_zh-CN&q=k"},
      {70, "http://p.zhongsou.com/zssite.cgi?bg=20&word=k"},
      {71, "http://www.baidu.com/s?pn=190&ie=gb2312&word=k"},
  };
  const StringList full = FullPassUrls(Classic(), "k");
  ASSERT_EQ(full.size(), 72u);
  for (const auto& c : cases) EXPECT_EQ(full[static_cast<std::size_t>(c.index)], c.url);
  EXPECT_EQ(FrontUrls(Classic(), "k"), StringList(full.begin(), full.begin() + 3));
  for (const Bytes& url : full) EXPECT_EQ(std::count(full.begin(), full.end(), url), 1) << url;
  // The keywords go in as the design encoded them, GB2312 bytes and all.
  EXPECT_EQ(FrontUrls(Classic(), Gb("手机 -诺基亚"))[1],
            "http://news.zhongsou.com/zsnews.cgi?mt=0&sort=1&bg=1&word=" + Gb("手机%20-诺基亚"));
}

TEST(SourceSetTest, ConfiguredHostsReplaceOnlyTheirSourcesHostAndOnlyWhenUsable) {
  struct Case {
    const char* key;
    const char* value;
    int index;        // in the full pass for "k"
    const char* url;  // nullptr: the default stays
  };
  const Case cases[] = {
      {"host_baidu_web", "WWW.Baidu.test", 14, "http://www.baidu.test/s?pn=0&ie=gb2312&word=k"},
      {"host_baidu_news", "news.baidu.test:8080", 2,
       "http://news.baidu.test:8080/ns?tn=news&ie=gb2312&ct=0&cl=2&pn=0&word=k"},
      {"host_google", "HTTPS://g.google.test:8443", 0,
       "https://g.google.test:8443/news?hl=zh-CN&ie=GB2312&scoring=d&start=0&q=k"},
      {"host_google", "https://g.google.test:8443", 12,
       "https://g.google.test:8443/search?start=0&ie=GB2312&lr=lang_zh-CN&q=k"},
      {"host_zhongsou_news", "http://n.zhongsou.test", 1,
       "http://n.zhongsou.test/zsnews.cgi?mt=0&sort=1&bg=1&word=k"},
      {"host_zhongsou_site", "www.sogou.test", 13, nullptr},     // no label of its own
      {"host_zhongsou_news", "x.zhongsou.cn/evil", 1, nullptr},  // would change the path
      {"host_google", "a.google.b c", 0, nullptr},
      {"host_baidu_news", "https://news.baidu.test/x", 2, nullptr},
      {"host_google", "ftp://www.google.test", 0, nullptr},
      {"host_google", "https://", 0, nullptr},
  };
  const StringList defaults = FullPassUrls(Classic(), "k");
  for (const auto& c : cases) {
    IniProfile ini("/nonexistent/vexo.ini");
    ini.WriteString("vexo", c.key, c.value);
    SourceSet set = Classic();
    ApplyHostKeys(set, ini);
    const StringList full = FullPassUrls(set, "k");
    const auto i = static_cast<std::size_t>(c.index);
    EXPECT_EQ(full[i], c.url ? Bytes(c.url) : defaults[i]) << c.key << "=" << c.value;
    if (!c.url) {
      EXPECT_EQ(full, defaults) << c.key << "=" << c.value;
    }
  }
}

TEST(SourceSetTest, CurrentAsksEachEngineHostAtMostTenTimesAPass) {
  const SourceSet set = ShippedSourceSet("current");
  std::map<Bytes, int> perHost;
  for (const Bytes& url : FullPassUrls(set, Gb("手机"))) ++perHost[HostOf(url)];
  ASSERT_GE(perHost.size(), 6u);
  for (const auto& [host, count] : perHost) EXPECT_LE(count, 10) << host;
  const StringList front = FrontUrls(set, Gb("手机"));
  ASSERT_EQ(front.size(), 3u);
  EXPECT_EQ(front[0],
            "https://www.baidu.com/s?tn=news&rtt=1&bsst=1&cl=2&wd=%E6%89%8B%E6%9C%BA&pn=0");
  for (const Bytes& url : front) {
    ASSERT_NE(SourceOfUrl(set, url), nullptr) << url;
    EXPECT_TRUE(SourceOfUrl(set, url)->front) << url;
  }
  EXPECT_EQ(SourceOfUrl(set, "https://cn.bing.com/search?q=x&first=21")->name, "bing_web");
  EXPECT_EQ(SourceOfUrl(set, "https://www.baidu.com/s?wd=x&pn=10&ie=utf-8")->name, "baidu_web");
  EXPECT_EQ(SourceOfUrl(set, "https://www.example.com/s?wd=x"), nullptr);
}

TEST(SourceSetTest, KeywordsAreEscapedForUtf8Queries) {
  Source s;
  s.url = "https://e.test/?q={q}";
  const struct {
    const char* typed;
    const char* query;
  } cases[] = {
      {"手机", "%E6%89%8B%E6%9C%BA"},
      {"a b", "a%20b"},
      {"a&b=c#d+e", "a%26b%3Dc%23d%20e"},  // "+" is the and of the keywords, {"100%", "100%25"},
      {"{page}", "%7Bpage%7D"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SourcePageUrl(s, 1, EncodeKeywordsFor(s, Gb(c.typed))),
              Bytes("https://e.test/?q=") + c.query)
        << c.typed;
}

TEST(SourceSetTest, AFileAddsAndReplacesSourcesAndLeavesOutWhatItCannotRead) {
  const char* text =
      "# mine\n"
      "[baidu_web]\nurl = https://www.baidu.com/s?wd={q}&pn={offset}\npages = 2\nlabels = .baidu.\n"
      "[mine]\nkind = feed\nurl = https://feeds.test/rss?q={q}&p={page}\npages = 3\nfront = yes\n"
      "[broken]\nurl = ftp://x.test/{q}\n"
      "[no_query]\nurl = https://x.test/\n"
      "[bad pages]\nurl = https://x.test/{q}\n"
      "[typo]\nurl = https://x.test/{q}\npagez = 3\n"
      "[huge]\nurl = https://x.test/{q}\npages = 100000\n"
      "stray = line\n";
  StringList problems;
  std::vector<Source> own = ParseSources(text, &problems);
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[1].kind, SourceKind::kFeed);
  EXPECT_EQ(SourcePageUrl(own[1], 3, "x"), "https://feeds.test/rss?q=x&p=3") << "{page} from 1";
  for (const char* name :
       {"[broken]", "[no_query]", "[bad pages]", "[typo] pagez", "[huge] pages", "[huge] stray"}) {
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [&](const Bytes& p) {
      return Contains(p, name);
    })) << name;
  }
  SourceSet set = ShippedSourceSet("current");
  const std::size_t before = set.sources.size();
  OverlaySources(set.sources, std::move(own));
  ASSERT_EQ(set.sources.size(), before + 1);
  const Source* baidu = SourceOfUrl(set, "https://www.baidu.com/s?wd=x&pn=10");
  ASSERT_NE(baidu, nullptr);
  EXPECT_EQ(baidu->pages, 2);
  EXPECT_EQ(set.sources.back().name, "mine");
  EXPECT_EQ(FrontUrls(set, "k").back(), "https://feeds.test/rss?q=k&p=1");
}

TEST(SourceSetTest, TheEnvironmentWinsOverTheKeyAndAnUnknownSetIsSaid) {
  struct Case {
    const char* env;  // nullptr: unset
    const char* key;  // nullptr: absent
    const char* chosen;
    bool unknown;
  };
  const Case cases[] = {
      {nullptr, nullptr, "current", false},     {nullptr, "classic", "classic", false},
      {"current", "classic", "current", false}, {"CLASSIC", "current", "classic", false},
      {"", "classic", "classic", false},        {"modern", nullptr, "current", true},
  };
  const char* saved = std::getenv("VEXO_SOURCES");
  const Bytes keep = saved ? saved : "";
  for (const auto& c : cases) {
    if (c.env) {
      setenv("VEXO_SOURCES", c.env, 1);
    } else {
      unsetenv("VEXO_SOURCES");
    }
    IniProfile ini("/nonexistent/vexo.ini");
    if (c.key) ini.WriteString("vexo", "sources", c.key);
    Bytes unknown;
    EXPECT_EQ(ChosenSourceSetName(ini, &unknown), c.chosen) << (c.env ? c.env : "-");
    EXPECT_EQ(!unknown.empty(), c.unknown);
  }
  if (saved)
    setenv("VEXO_SOURCES", keep.c_str(), 1);
  else
    unsetenv("VEXO_SOURCES");
}

}  // namespace
}  // namespace vexo
