#pragma once
// The engine query URLs of a tracking run. The paths, query keys, page
// parameters and their order are fixed; the hosts are configuration, each
// holding its engine's label (".baidu.", ".zhongsou.", ".google.") because
// the page analysis recognises engine pages by it. Google web and news share
// one host.

#include <string_view>

#include "platform/bytes.h"

namespace vexo {

class IniProfile;

enum class Engine { BaiduWeb, ZhongsouSite, GoogleWeb, BaiduNews, ZhongsouNews, GoogleNews };

// Each host may carry its scheme ("https://www.baidu.com"); without one the
// engine is asked over http.
struct EngineHosts {
  Bytes baidu_web = "www.baidu.com";
  Bytes baidu_news = "news.baidu.com";
  Bytes zhongsou_site = "p.zhongsou.com";
  Bytes zhongsou_news = "news.zhongsou.com";
  Bytes google = "www.google.com";  // web and news

  const Bytes& HostOf(Engine e) const;
};

// The engine's label, which its host must contain.
std::string_view EngineLabel(Engine e);

// A host name (optionally with ":port", optionally after "http://" or
// "https://") that holds its engine's label and nothing that could change the
// meaning of a URL.
bool IsUsableEngineHost(Engine e, std::string_view value);

// The defaults, overridden by the keys "host_baidu_web", "host_baidu_news",
// "host_zhongsou_site", "host_zhongsou_news" and "host_google" of section
// "vexo" where their value is a usable host, lower-cased.
EngineHosts ReadEngineHosts(const IniProfile& ini);

// Result page k (1-based) of an engine for the already encoded keywords q.
Bytes EngineQueryUrl(const EngineHosts& hosts, Engine e, int k, std::string_view q);

// Page 1 of the three news engines: Google, Zhongsou, Baidu (3 URLs).
StringList NewsFrontSet(const EngineHosts& hosts, std::string_view keywords);
// The news-front set, then news pages 2 to 4, then web pages 1 to 20, each
// page in the order Google, Zhongsou, Baidu (72 URLs).
StringList FullQuerySet(const EngineHosts& hosts, std::string_view keywords);

}  // namespace vexo
