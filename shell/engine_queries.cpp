#include "shell/engine_queries.h"

#include "analysis/keyword_query.h"
#include "platform/ini_profile.h"

namespace vexo {

const Bytes& EngineHosts::HostOf(Engine e) const {
  switch (e) {
    case Engine::BaiduWeb:
      return baidu_web;
    case Engine::BaiduNews:
      return baidu_news;
    case Engine::ZhongsouSite:
      return zhongsou_site;
    case Engine::ZhongsouNews:
      return zhongsou_news;
    case Engine::GoogleWeb:
    case Engine::GoogleNews:
      break;
  }
  return google;
}

std::string_view EngineLabel(Engine e) {
  switch (e) {
    case Engine::BaiduWeb:
    case Engine::BaiduNews:
      return ".baidu.";
    case Engine::ZhongsouSite:
    case Engine::ZhongsouNews:
      return ".zhongsou.";
    case Engine::GoogleWeb:
    case Engine::GoogleNews:
      break;
  }
  return ".google.";
}

namespace {

// The length of a leading "http://" or "https://" (any case), else 0.
std::size_t SchemeLength(std::string_view value) {
  const Bytes head = Lower(value.substr(0, 8));
  if (head.starts_with("http://")) return 7;
  if (head == "https://") return 8;
  return 0;
}

}  // namespace

bool IsUsableEngineHost(Engine e, std::string_view value) {
  const std::string_view host = value.substr(SchemeLength(value));
  if (host.empty() || host.size() > 253) return false;
  for (const char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == ':';
    if (!ok) return false;
  }
  return Contains(Lower(host), EngineLabel(e));
}

EngineHosts ReadEngineHosts(const IniProfile& ini) {
  EngineHosts hosts;
  const auto take = [&](Engine e, const char* key, Bytes& slot) {
    const auto v = ini.Get("vexo", key);
    // Lower-cased: the page analysis looks for the labels in the address as
    // it stands, and host names are case-blind anyway.
    if (v && IsUsableEngineHost(e, *v)) slot = Lower(*v);
  };
  take(Engine::BaiduWeb, "host_baidu_web", hosts.baidu_web);
  take(Engine::BaiduNews, "host_baidu_news", hosts.baidu_news);
  take(Engine::ZhongsouSite, "host_zhongsou_site", hosts.zhongsou_site);
  take(Engine::ZhongsouNews, "host_zhongsou_news", hosts.zhongsou_news);
  take(Engine::GoogleWeb, "host_google", hosts.google);
  return hosts;
}

Bytes EngineQueryUrl(const EngineHosts& hosts, Engine e, int k, std::string_view q) {
  const Bytes tens = IntToText((static_cast<long long>(k) - 1) * 10);
  const Bytes page = IntToText(k);
  const Bytes& host = hosts.HostOf(e);
  Bytes url = SchemeLength(host) > 0 ? host : "http://" + host;
  switch (e) {
    case Engine::BaiduWeb:
      url += "/s?pn=" + tens + "&ie=gb2312&word=";
      break;
    case Engine::ZhongsouSite:
      url += "/zssite.cgi?bg=" + page + "&word=";
      break;
    case Engine::GoogleWeb:
      url += "/search?start=" + tens + "&ie=GB2312&lr=lang_zh-CN&q=";
      break;
    case Engine::BaiduNews:
      url += "/ns?tn=news&ie=gb2312&ct=0&cl=2&pn=" + tens + "&word=";
      break;
    case Engine::ZhongsouNews:
      url += "/zsnews.cgi?mt=0&sort=1&bg=" + page + "&word=";
      break;
    case Engine::GoogleNews:
      url += "/news?hl=zh-CN&ie=GB2312&scoring=d&start=" + tens + "&q=";
      break;
  }
  url.append(q);
  return url;
}

namespace {

void AppendPage(StringList& urls, const EngineHosts& hosts, int k, std::string_view q,
                Engine google, Engine zhongsou, Engine baidu) {
  urls.push_back(EngineQueryUrl(hosts, google, k, q));
  urls.push_back(EngineQueryUrl(hosts, zhongsou, k, q));
  urls.push_back(EngineQueryUrl(hosts, baidu, k, q));
}

}  // namespace

StringList NewsFrontSet(const EngineHosts& hosts, std::string_view keywords) {
  const Bytes q = EncodeQueryKeywords(keywords);
  StringList urls;
  AppendPage(urls, hosts, 1, q, Engine::GoogleNews, Engine::ZhongsouNews, Engine::BaiduNews);
  return urls;
}

StringList FullQuerySet(const EngineHosts& hosts, std::string_view keywords) {
  const Bytes q = EncodeQueryKeywords(keywords);
  StringList urls;
  urls.reserve(72);
  for (int k = 1; k <= 4; ++k)
    AppendPage(urls, hosts, k, q, Engine::GoogleNews, Engine::ZhongsouNews, Engine::BaiduNews);
  for (int k = 1; k <= 20; ++k)
    AppendPage(urls, hosts, k, q, Engine::GoogleWeb, Engine::ZhongsouSite, Engine::BaiduWeb);
  return urls;
}

}  // namespace vexo
