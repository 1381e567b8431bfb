#include "tests/support/mock_today_pages.h"

#include <vector>

namespace vexo::testing {
namespace {

constexpr const char* kUtf8Html = "text/html; charset=utf-8";
constexpr const char* kGbkHtml = "text/html; charset=gbk";
constexpr const char* kRss = "application/rss+xml; charset=utf-8";

// One result: where it really leads, its title and snippet (markup allowed),
// and the engine's own redirect link for it.
struct Hit {
  int page;
  std::string address;  // empty: only the redirect link says where it leads
  std::string title;
  std::string snippet;
  std::string redirect;
};

const Hit kUnrelated = {0, "https://www.shouji.cn/weather.htm", "天气预报", "明天晴，有微风", ""};

std::vector<Hit> Hits(const std::vector<Hit>& hits, int page, bool keyword) {
  std::vector<Hit> out;
  if (keyword)
    for (const Hit& h : hits)
      if (h.page == page) out.push_back(h);
  out.push_back(kUnrelated);
  return out;
}

std::string Base64Url(const std::string& bytes) {
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (unsigned char c : bytes) {
    bits = (bits << 8) | c;
    count += 8;
    while (count >= 6) {
      count -= 6;
      out += kAlphabet[(bits >> count) & 63];
    }
  }
  if (count > 0) out += kAlphabet[(bits << (6 - count)) & 63];
  return out;
}

std::string Results(const std::string& title, const std::string& items) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body><div id=\"content_left\">\n" + items +
         "</div><div id=\"page\"><a href=\"#\">下一页</a></div></body></html>\n";
}

std::string Feed(const std::string& title, const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel><title>" +
         title + "</title><link>https://example.invalid/</link>\n" + items + "</channel></rss>\n";
}

}  // namespace

TodayPage BaiduResults(bool news, int page, bool keyword) {
  static const std::vector<Hit> kWeb = {
      {1, "https://www.shouji.cn/news/1.htm", "<em>手机</em>新品发布会：折叠屏来了",
       "今年秋季的<em>手机</em>新品一览", "nx1"},
      {1, "", "<em>手机</em>评测合集", "各型号<em>手机</em>的评测", "pl1"},
      {1, "https://www.gbkphone.cn/a/1.htm", "赵昇谈<em>手机</em>设计", "设计师访谈", "gb1"},
      {2, "https://www.busy.cn/1.htm", "<em>手机</em>维修网点查询", "附近的维修点", "bz1"},
  };
  static const std::vector<Hit> kNews = {
      {1, "https://news.dianhua.cn/2024/1.htm", "<em>手机</em>市场三季度报告", "出货量同比增长",
       "dh1"},
  };
  std::string items;
  for (const Hit& h : Hits(news ? kNews : kWeb, page, keyword)) {
    const std::string mu = h.address.empty() ? "" : " mu=\"" + h.address + "\"";
    items += "<div class=\"result c-container xpath-log new-pmd\" tpl=\"se_com_default\"" + mu +
             "><h3 class=\"c-title t\"><a href=\"https://www.baidu.com/link?url=" +
             (h.redirect.empty() ? "zz0" : h.redirect) + "\" target=\"_blank\">" + h.title +
             "</a></h3><div class=\"c-abstract\">" + h.snippet + "</div></div>\n";
  }
  return {kUtf8Html, Results("百度搜索", items)};
}

TodayPage BingResults(int page, bool keyword) {
  static const std::vector<Hit> kWeb = {
      {1, "https://www.shouji.cn/news/2.htm", "<strong>手机</strong>屏幕怎么选",
       "选购<strong>手机</strong>屏幕的要点", ""},
  };
  std::string items;
  for (const Hit& h : Hits(kWeb, page, keyword)) {
    items +=
        "<li class=\"b_algo\" data-tag=\"\"><div class=\"b_tpcn\"></div><h2><a "
        "href=\"https://cn.bing.com/ck/a?!&amp;&amp;p=5f3c&amp;u=a1" +
        Base64Url(h.address) + "&amp;ntb=1\" h=\"ID=SERP,5012\">" + h.title +
        "</a></h2><div class=\"b_caption\"><p>" + h.snippet + "</p></div></li>\n";
  }
  return {kUtf8Html, Results("搜索 - Microsoft 必应", "<ol id=\"b_results\">" + items + "</ol>")};
}

TodayPage SogouResults(int page, bool keyword) {
  static const std::vector<Hit> kWeb = {
      {1, "https://www.gbkphone.cn/a/2.htm", "二手<em>手机</em>回收价格", "回收行情", ""},
  };
  std::string items;
  for (const Hit& h : Hits(kWeb, page, keyword)) {
    items +=
        "<div class=\"vrwrap\"><h3 class=\"vr-title\"><a id=\"sogou_vr_1\" "
        "href=\"/link?url=hedJjaC291N\">" +
        h.title + "</a></h3><div class=\"r-sech\" data-url=\"" + h.address +
        "\"></div><p class=\"star-wiki\">" + h.snippet + "</p></div>\n";
  }
  return {kUtf8Html, Results("搜狗搜索", items)};
}

TodayPage SoResults(int page, bool keyword) {
  static const std::vector<Hit> kWeb = {
      {1, "https://news.dianhua.cn/2024/2.htm", "<em>手机</em>资费下调", "三大运营商", ""},
  };
  std::string items;
  for (const Hit& h : Hits(kWeb, page, keyword)) {
    items +=
        "<li class=\"res-list\" data-lazyload=\"1\"><h3 class=\"res-title\"><a "
        "href=\"https://www.so.com/link?m=ewXp1\" data-mdurl=\"" +
        h.address + "\">" + h.title + "</a></h3><p class=\"res-desc\">" + h.snippet + "</p></li>\n";
  }
  return {kUtf8Html, Results("360搜索", "<ul class=\"result\">" + items + "</ul>")};
}

TodayPage BingNewsFeed(bool keyword) {
  std::string items;
  if (keyword)
    items =
        "<item><title>手机出货量增长</title><link>http://www.bing.com/news/"
        "apiclick.aspx?ref=FexRss&amp;aid=&amp;tid=66a1&amp;url=https%3a%2f%2fnews.dianhua.cn%"
        "2f2024%2f3.htm&amp;c=1529&amp;mkt=zh-cn</link><description>国内&lt;b&gt;手机&lt;/"
        "b&gt;市场回暖</description><pubDate>Mon, 07 Oct 2024 08:00:00 GMT</pubDate></item>\n";
  return {kRss, Feed("手机 - 必应资讯", items)};
}

TodayPage GoogleNewsFeed(bool keyword) {
  std::string items;
  if (keyword)
    items =
        "<item><title>手机续航测试 - 手机网</title><link>https://news.google.com/rss/articles/"
        "CBMiQ1?oc=5</link><guid isPermaLink=\"false\">CBMiQ1</guid><description>&lt;a "
        "href=\"https://news.google.com/rss/articles/CBMiQ1?oc=5\"&gt;手机续航测试&lt;/a&gt;"
        "</description><source url=\"https://www.shouji.cn\">手机网</source></item>\n";
  return {kRss, Feed("\"手机\" - Google 新闻", items)};
}

TodayPage CaptchaPage() {
  return {kUtf8Html,
          "<html><head><title>百度安全验证</title></head><body><p>网络不给力，请稍后重试</p>"
          "</body></html>\n"};
}

std::string RedirectTarget(const std::string& host, const std::string& path) {
  if (host == "www.baidu.com" && path.rfind("/link?url=", 0) == 0) {
    const std::string id = path.substr(10);
    if (id == "pl1") return "https://m.pinglun.cn/review/1.htm";
    if (id == "nx1") return "https://www.shouji.cn/news/1.htm";
    if (id == "gb1") return "https://www.gbkphone.cn/a/1.htm";
    if (id == "bz1") return "https://www.busy.cn/1.htm";
    if (id == "dh1") return "https://news.dianhua.cn/2024/1.htm";
    return "https://www.shouji.cn/weather.htm";
  }
  if (host == "news.google.com" && path.rfind("/rss/articles/CBMiQ1", 0) == 0)
    return "https://www.shouji.cn/news/3.htm";
  return {};
}

bool SitePage(const std::string& host, const std::string& path, TodayPage& page) {
  struct Row {
    const char* host;
    const char* path;
    const char* type;
    const char* body;
  };
  // "赵昇的手机评测" and "朱镕基时代的手机" in GBK: 昇 (95 4E) and 镕 (E9 46)
  // are outside GB2312, and 昇's second byte is an ASCII letter.
  static const Row kPages[] = {
      {"www.shouji.cn", "/", kUtf8Html,
       "<html><body><p><a href=\"/news/5.htm\">手机排行榜</a></p></body></html>\n"},
      {"www.shouji.cn", "/news/3.htm", kUtf8Html,
       "<html><body><p><a href=\"/news/4.htm\">手机续航测试全文</a></p></body></html>\n"},
      {"www.gbkphone.cn", "/", kGbkHtml,
       "<html><body><p><a href=\"/a/3.htm\">\xD5\xD4\x95\x4E\xB5\xC4\xCA\xD6\xBB\xFA\xC6\xC0\xB2"
       "\xE2</a></p>\n<p><a href=\"/a/4.htm\">\xD6\xEC\xE9\x46\xBB\xF9\xCA\xB1\xB4\xFA\xB5\xC4\xCA"
       "\xD6\xBB\xFA</a></p></body></html>\n"},
      {"news.dianhua.cn", "/", kUtf8Html,
       "<html><body><p><a href=\"/2024/4.htm\">手机资讯汇总</a></p></body></html>\n"},
      {"www.busy.cn", "/", kUtf8Html,
       "<html><body><p><a href=\"/2.htm\">手机维修预约</a></p></body></html>\n"},
      {"m.pinglun.cn", "/", kUtf8Html,
       "<html><body><p><a href=\"/review/3.htm\">手机论坛精华</a></p></body></html>\n"},
      {"m.pinglun.cn", "/review/1.htm", kUtf8Html,
       "<html><body><p><a href=\"/review/2.htm\">手机评测：续航对比</a></p></body></html>\n"},
  };
  for (const Row& row : kPages) {
    if (host == row.host && path == row.path) {
      page = {row.type, row.body};
      return true;
    }
  }
  return false;
}

}  // namespace vexo::testing
