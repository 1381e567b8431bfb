// The two shipped source sets. The build writes each to share/vexo as
// sources-<name>.conf, which is what an installation reads; these copies
// stand in when that file is missing.
#include "parser/source_set.h"

namespace vexo {

namespace {

// The engines of the program's first design, asked exactly as it asked them:
// 4 news pages and 20 web pages of each, Google, Zhongsou, Baidu in turn;
// every page of theirs is read for the highlight tags of all five.
constexpr std::string_view kClassic = R"(# Vexo sources: classic
[google_news]
kind = html
reading = listing
url = http://www.google.com/news?hl=zh-CN&ie=GB2312&scoring=d&start={offset}&q={q}
pages = 4
group = 1
front = yes
encoding = gb2312
labels = .google.
host_key = host_google
highlight = <font color=red>
highlight = <font color="red">
highlight = <font color=#cc0033>
highlight = <font color=#e10900>
highlight = <font color=d00001>

[zhongsou_news]
kind = html
reading = listing
url = http://news.zhongsou.com/zsnews.cgi?mt=0&sort=1&bg={page}&word={q}
pages = 4
group = 1
front = yes
encoding = gb2312
labels = .zhongsou.
host_key = host_zhongsou_news
highlight = <font color=red>
highlight = <font color="red">
highlight = <font color=#cc0033>
highlight = <font color=#e10900>
highlight = <font color=d00001>

[baidu_news]
kind = html
reading = listing
url = http://news.baidu.com/ns?tn=news&ie=gb2312&ct=0&cl=2&pn={offset}&word={q}
pages = 4
group = 1
front = yes
encoding = gb2312
labels = .baidu.
host_key = host_baidu_news
highlight = <font color=red>
highlight = <font color="red">
highlight = <font color=#cc0033>
highlight = <font color=#e10900>
highlight = <font color=d00001>

[google_web]
kind = html
reading = listing
url = http://www.google.com/search?start={offset}&ie=GB2312&lr=lang_zh-CN&q={q}
pages = 20
group = 2
encoding = gb2312
labels = .google.
host_key = host_google
highlight = <font color=red>
highlight = <font color="red">
highlight = <font color=#cc0033>
highlight = <font color=#e10900>
highlight = <font color=d00001>

[zhongsou_site]
kind = html
reading = listing
url = http://p.zhongsou.com/zssite.cgi?bg={page}&word={q}
pages = 20
group = 2
encoding = gb2312
labels = .zhongsou.
host_key = host_zhongsou_site
highlight = <font color=red>
highlight = <font color="red">
highlight = <font color=#cc0033>
highlight = <font color=#e10900>
highlight = <font color=d00001>

[baidu_web]
kind = html
reading = listing
url = http://www.baidu.com/s?pn={offset}&ie=gb2312&word={q}
pages = 20
group = 2
encoding = gb2312
labels = .baidu.
host_key = host_baidu_web
highlight = <font color=red>
highlight = <font color="red">
highlight = <font color=#cc0033>
highlight = <font color=#e10900>
highlight = <font color=d00001>
)";

// Engines and feeds that answer today. No engine host is asked more than 10
// times in a whole pass (Baidu's web and news pages share one host); every
// later pass asks only the three news sources' first pages.
constexpr std::string_view kCurrent = R"(# Vexo sources: current
[baidu_news]
kind = html
url = https://www.baidu.com/s?tn=news&rtt=1&bsst=1&cl=2&wd={q}&pn={offset}
pages = 3
group = 1
front = yes
labels = .baidu.
results = c-container
address_attributes = mu
redirects = /link?url=
highlight = <em>
block_locations = wappass.baidu.com /antispider
block_statuses = 403 429 503
block_when_empty = yes

[bing_news]
kind = feed
url = https://www.bing.com/news/search?q={q}&format=rss
pages = 1
group = 1
front = yes
labels = .bing.
address_parameters = url
block_statuses = 403 429 503

[google_news]
kind = feed
url = https://news.google.com/rss/search?q={q}&hl=zh-CN&gl=CN&ceid=CN:zh-Hans
pages = 1
group = 1
front = yes
labels = .google.
redirects = /rss/articles/
block_statuses = 403 429 503

[baidu_web]
kind = html
url = https://www.baidu.com/s?wd={q}&pn={offset}&ie=utf-8
pages = 5
group = 2
labels = .baidu.
results = c-container
address_attributes = mu
redirects = /link?url=
highlight = <em>
block_locations = wappass.baidu.com /antispider
block_statuses = 403 429 503
block_when_empty = yes

[bing_web]
kind = html
url = https://cn.bing.com/search?q={q}&first={offset}
first = 1
step = 10
pages = 5
group = 2
labels = .bing.
results = b_algo
address_parameters = u
highlight = <strong>
block_statuses = 403 429 503
block_when_empty = yes

[sogou_web]
kind = html
url = https://www.sogou.com/web?query={q}&page={page}
pages = 5
group = 2
labels = .sogou.
results = vrwrap
address_attributes = data-url
redirects = /link?url=
highlight = <em>
block_locations = /antispider
block_statuses = 403 429 503
block_when_empty = yes

[so_web]
kind = html
url = https://www.so.com/s?q={q}&pn={page}
pages = 5
group = 2
labels = .so.com
results = res-list
address_attributes = data-mdurl
redirects = /link?m=
highlight = <em>
block_statuses = 403 429 503
block_when_empty = yes
)";

}  // namespace

std::string_view ShippedSourcesText(std::string_view name) {
  if (name == "classic") return kClassic;
  if (name == "current") return kCurrent;
  return {};
}

}  // namespace vexo
