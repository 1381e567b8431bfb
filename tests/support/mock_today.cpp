#include "tests/support/mock_today.h"

#include <algorithm>

#include "tests/support/mock_request.h"
#include "tests/support/mock_today_pages.h"

namespace vexo::testing {
namespace {

// Every host name of this web, for the TLS certificate.
const std::vector<std::string> kHosts = {
    "www.baidu.com",   "wappass.baidu.com", "cn.bing.com",     "www.bing.com",
    "www.sogou.com",   "www.so.com",        "news.google.com", "www.shouji.cn",
    "www.gbkphone.cn", "news.dianhua.cn",   "www.busy.cn",     "m.pinglun.cn",
};

std::string Response(const std::string& status, const std::string& headers,
                     const std::string& body) {
  return "HTTP/1.1 " + status + "\r\n" + headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string Ok(const TodayPage& page, const std::string& headers = {}) {
  return Response("200 OK", "Content-Type: " + page.type + "\r\n" + headers, page.body);
}

std::string Found(const std::string& location, const std::string& headers = {}) {
  return Response("302 Found", "Location: " + location + "\r\n" + headers, "");
}

std::string NotFound() {
  return Response("404 Not Found", "Content-Type: text/html\r\n", "not here");
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether the query holds the keyword, in UTF-8, escaped or not.
bool AsksKeyword(const std::string& path) {
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const int hi = i + 2 < path.size() && path[i] == '%' ? HexDigit(path[i + 1]) : -1;
    const int lo = hi >= 0 ? HexDigit(path[i + 2]) : -1;
    if (lo >= 0) {
      decoded += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      decoded += path[i] == '+' ? ' ' : path[i];
    }
  }
  return decoded.find(kTodayKeyword) != std::string::npos;
}

// Page k (1-based) from a parameter counting results from `first`, or pages.
int PageOf(const std::string& path, const std::string& key, long first, long step) {
  const long n = QueryNumber(path, key);
  if (n < first) return 1;
  return static_cast<int>(std::min<long>((n - first) / step + 1, 1000));
}

}  // namespace

MockToday::MockToday() {
  tls_ = std::make_unique<TlsTestServer>(ca_.Issue(kHosts),
                                         [this](const std::string& r) { return Answer(r); });
  tls_->OnOpenChange = [this](const std::string& host, int change) { Opened(host, change); };
}

MockToday::~MockToday() = default;

std::string MockToday::ConnectToMap() const {
  return "*:443=127.0.0.1:" + std::to_string(TlsPort()) +
         ",*=127.0.0.1:" + std::to_string(plain_.Port());
}

int MockToday::Hits(const std::string& host_and_path) const {
  const auto it = hits_.find(host_and_path);
  return it == hits_.end() ? 0 : it->second;
}

int MockToday::HostRequests(const std::string& host) const {
  const auto it = per_host_.find(host);
  return it == per_host_.end() ? 0 : it->second;
}

bool MockToday::IsEngineHost(const std::string& host) {
  for (const char* engine : {".baidu.com", ".bing.com", ".sogou.com", ".so.com", ".google.com"}) {
    const std::string e = engine;
    if (host.size() >= e.size() && host.compare(host.size() - e.size(), e.size(), e) == 0)
      return true;
  }
  return false;
}

void MockToday::Opened(const std::string& host, int change) {
  const int now = open_[host] += change;
  most_[host] = std::max(most_[host], now);
}

std::string MockToday::Answer(const std::string& request) {
  const MockRequest r = ParseMockRequest(request);
  ++per_host_[r.host];
  ++hits_[r.host + r.path];
  const bool keyword = AsksKeyword(r.path);
  if (r.host == "www.baidu.com") return Baidu(request, r.path);
  if (r.host == "wappass.baidu.com") return Ok(CaptchaPage());
  if (r.host == "www.sogou.com") return Sogou(r.path);
  if (r.host == "www.busy.cn") return Busy(r.path);
  if (const std::string to = RedirectTarget(r.host, r.path); !to.empty()) return Found(to);
  if (r.host == "cn.bing.com" && r.path.rfind("/search?", 0) == 0)
    return Ok(BingResults(PageOf(r.path, "first", 1, 10), keyword));
  if (r.host == "www.so.com" && r.path.rfind("/s?", 0) == 0)
    return Ok(SoResults(PageOf(r.path, "pn", 1, 1), keyword));
  if (r.host == "www.bing.com" && r.path.rfind("/news/search?", 0) == 0)
    return Ok(BingNewsFeed(keyword));
  if (r.host == "news.google.com" && r.path.rfind("/rss/search?", 0) == 0)
    return Ok(GoogleNewsFeed(keyword));
  if (TodayPage page; SitePage(r.host, r.path, page)) return Ok(page);
  return NotFound();
}

// Baidu answers a client that returns its cookie; one that does not, ten
// times, then only with its captcha.
std::string MockToday::Baidu(const std::string& request, const std::string& path) {
  const bool returned = MockHeader(request, "cookie").find("BAIDUID=") != std::string::npos;
  if (!returned && ++cookieless_ > kCookielessAnswers) {
    ++captchas_;
    return Found("https://wappass.baidu.com/static/captcha/tuxing.html?ak=c27bbc89&backurl=" +
                 std::string("https%3A%2F%2Fwww.baidu.com%2F"));
  }
  const std::string cookie = returned
                                 ? std::string()
                                 : "Set-Cookie: BAIDUID=4F1A" + std::to_string(cookieless_) +
                                       ":FG=1; max-age=31536000; path=/; domain=.baidu.com\r\n";
  if (const std::string to = RedirectTarget("www.baidu.com", path); !to.empty())
    return Found(to, cookie);
  if (path.rfind("/s?", 0) != 0) return NotFound();
  const bool news = path.find("tn=news") != std::string::npos;
  return Ok(BaiduResults(news, PageOf(path, "pn", 0, 10), AsksKeyword(path)), cookie);
}

std::string MockToday::Sogou(const std::string& path) {
  if (path.rfind("/antispider", 0) == 0)
    return Ok({"text/html; charset=utf-8", "<html><body>请输入验证码</body></html>\n"});
  if (path.rfind("/web?", 0) != 0) return NotFound();
  if (++sogou_pages_ > kSogouPagesServed) {
    ++antispiders_;
    return Found("https://www.sogou.com/antispider/?from=%2Fweb");
  }
  return Ok(SogouResults(PageOf(path, "page", 1, 1), AsksKeyword(path)));
}

std::string MockToday::Busy(const std::string& path) {
  if (!busy_refused_) {
    busy_refused_ = true;
    return Response("429 Too Many Requests",
                    "Retry-After: " + std::to_string(kBusyRetryAfterSeconds) +
                        "\r\nContent-Type: text/html\r\n",
                    "slow down");
  }
  TodayPage page;
  return SitePage("www.busy.cn", path, page) ? Ok(page) : NotFound();
}

}  // namespace vexo::testing
