#include "news/news_feeds.h"

#include "parser/address_decoding.h"

namespace vexo {

namespace {

enum class Publisher { kPeoplesDaily, kChinaNews, kGoogleFront, kGoogleTopic, kGoogleSearch };

struct Feed {
  int category;
  Publisher publisher;
  std::string_view what;  // the channel file, the topic or the words searched
};

constexpr Feed kFeeds[] = {
    {1, Publisher::kChinaNews, "scroll-news.xml"},
    {1, Publisher::kChinaNews, "importnews.xml"},
    {1, Publisher::kPeoplesDaily, "politics.xml"},
    {1, Publisher::kPeoplesDaily, "society.xml"},
    {1, Publisher::kGoogleFront, ""},
    {1, Publisher::kGoogleTopic, "NATION"},
    {2, Publisher::kPeoplesDaily, "finance.xml"},
    {2, Publisher::kChinaNews, "finance.xml"},
    {2, Publisher::kGoogleTopic, "BUSINESS"},
    {3, Publisher::kPeoplesDaily, "sports.xml"},
    {3, Publisher::kGoogleTopic, "SPORTS"},
    {3, Publisher::kGoogleSearch, "体育"},
    {4, Publisher::kGoogleTopic, "TECHNOLOGY"},
    {4, Publisher::kGoogleTopic, "SCIENCE"},
    {5, Publisher::kPeoplesDaily, "ent.xml"},
    {5, Publisher::kGoogleTopic, "ENTERTAINMENT"},
    {6, Publisher::kGoogleSearch, "游戏"},
    {6, Publisher::kGoogleSearch, "电子游戏"},
    {7, Publisher::kPeoplesDaily, "it.xml"},
    {7, Publisher::kGoogleSearch, "互联网"},
    {7, Publisher::kGoogleSearch, "手机"},
    {8, Publisher::kPeoplesDaily, "military.xml"},
    {8, Publisher::kGoogleSearch, "军事"},
};

// Google News is asked in its mainland edition.
constexpr std::string_view kGoogleNews = "https://news.google.com/rss";
constexpr std::string_view kGoogleEdition = "hl=zh-CN&gl=CN&ceid=CN:zh-Hans";

Bytes AddressOf(const Feed& f) {
  const Bytes what(f.what);
  const Bytes edition(kGoogleEdition);
  switch (f.publisher) {
    case Publisher::kPeoplesDaily:
      return "https://www.people.com.cn/rss/" + what;
    case Publisher::kChinaNews:
      return "https://www.chinanews.com.cn/rss/" + what;
    case Publisher::kGoogleFront:
      return Bytes(kGoogleNews) + "?" + edition;
    case Publisher::kGoogleTopic:
      return Bytes(kGoogleNews) + "/headlines/section/topic/" + what + "?" + edition;
    case Publisher::kGoogleSearch:
      // The words are UTF-8, which the plain form percent-escapes.
      return PlainAddress(Bytes(kGoogleNews) + "/search?q=" + what + "&" + edition);
  }
  return {};
}

NewsFeedTable MakeTable() {
  NewsFeedTable table;
  std::array<std::size_t, 8> used{};
  for (const Feed& f : kFeeds) {
    const auto row = static_cast<std::size_t>(f.category - 1);
    table[row][used[row]++] = AddressOf(f);
  }
  return table;
}

}  // namespace

const NewsFeedTable& CurrentNewsFeeds() {
  static const NewsFeedTable table = MakeTable();
  return table;
}

bool LooksLikeFeedAddress(std::string_view address) {
  const Bytes a = Lower(address);
  const std::size_t scheme = a.find("://");
  const std::size_t path = a.find('/', scheme == Bytes::npos ? 0 : scheme + 3);
  if (path == Bytes::npos) return false;
  const std::string_view rest = std::string_view(a).substr(path);
  return Contains(rest, "rss") || Contains(rest, "atom") || Contains(rest, "feed") ||
         rest.ends_with(".xml");
}

}  // namespace vexo
