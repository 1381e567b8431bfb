#include "tests/support/mock_web.h"

#include <vector>

#include "platform/codepage.h"
#include "tests/support/mock_request.h"

namespace vexo::testing {

namespace {

constexpr std::string_view kHtml = "Content-Type: text/html\r\n";
constexpr std::string_view kGbHeader = "Content-Type: text/html; charset=gb2312\r\n";
constexpr std::string_view kBig5Header = "Content-Type: text/html; charset=big5\r\n";
constexpr std::string_view kUtf8Header = "Content-Type: text/html; charset=utf-8\r\n";
// "中文" in Big5.
constexpr std::string_view kBig5Keyword = "\xA4\xA4\xA4\xE5";

// Result page k (1-based) of an engine, or 0 when the path is no query.
int EnginePage(const std::string& host, const std::string& path) {
  if (host.find(".zhongsou.") != std::string::npos) {
    const long bg = QueryNumber(path, "bg");
    return bg > 0 ? static_cast<int>(bg) : 0;
  }
  long tens = QueryNumber(path, "pn");
  if (tens < 0) tens = QueryNumber(path, "start");
  return tens >= 0 ? static_cast<int>(tens / 10 + 1) : 0;
}

std::string Listing(std::string_view rows) {
  return Gb("<html><head><title>搜索结果</title></head><body>\r\n<p>找到相关网页约") +
         std::string(rows) + "\r\n</p></body></html>\r\n";
}

std::string Hit(std::string_view link, std::string_view anchor_utf8,
                std::string_view snippet_utf8) {
  return "<a href=\"" + std::string(link) + "\">" + Gb(anchor_utf8) + "</a> " + Gb(snippet_utf8) +
         " <br>\r\n";
}

constexpr int kManyPerPage = 9;
constexpr int kBlockPerPage = 12;

// Hits for the second keyword: kManyPerPage on each of the first Baidu web
// pages, each with a title of its own so that none is dropped as seen before.
std::string ManyHits(int page) {
  std::string rows;
  for (int i = 1; i <= kManyPerPage; ++i) {
    const int n = (page - 1) * kManyPerPage + i;
    if (n > kMockManyTargets) break;
    const std::string num = std::to_string(n);
    rows += Hit("http://www.daohang.cn/" + num + ".htm", "导航",
                "第" + num + "条：导航栏第" + num + "条分页消息");
  }
  return rows;
}

// The same for the third keyword, kBlockPerPage a page.
std::string BlockHits(int page) {
  std::string rows;
  for (int i = 1; i <= kBlockPerPage; ++i) {
    const int n = (page - 1) * kBlockPerPage + i;
    if (n > kMockBlockTargets) break;
    const std::string num = std::to_string(n);
    rows += Hit("http://www.kuaixun.cn/" + num + ".htm", "快讯",
                "第" + num + "条：快讯栏第" + num + "条滚动消息");
  }
  return rows;
}

// The engines' pages. Google news page 1 leads to the content sites; the
// others carry a few hits, one of them only on page 5 of Baidu. A query for
// the second or third keyword gets its own hits on Baidu's web pages besides.
std::string EngineBody(const std::string& host, const std::string& path, int page) {
  std::string rows;
  if (host == "www.baidu.com" && path.find(Gb(kMockManyKeyword)) != std::string::npos)
    rows += ManyHits(page);
  if (host == "www.baidu.com" && path.find(Gb(kMockBlockKeyword)) != std::string::npos)
    rows += BlockHits(page);
  const bool news =
      path.rfind("/news", 0) == 0 || path.rfind("/ns", 0) == 0 || path.rfind("/zsnews", 0) == 0;
  if (host == "www.google.com" && news && page == 1) {
    rows += Hit("http://www.gbsite.cn/index.htm", "国标站", "国标站的中文新闻摘要");
    rows += Hit("http://www.big5site.cn/index.htm", "繁体站", "繁体站点的中文版本");
    rows += Hit("http://www.big5meta.cn/index.htm", "繁体站", "另一个繁体站");
    rows += Hit("http://www.utf8site.cn/index.htm", "统一码", "统一码站点");
    rows += Hit("http://www.utf8meta.cn/index.htm", "统一码", "另一个统一码站点");
    rows += Hit("http://www.refresh.cn/index.htm", "跳转", "会跳转的站点");
    rows += Hit("http://www.enginehop.cn/index.htm", "跳转", "跳到搜索引擎的站点");
    rows += Hit("http://www.silent.cn/index.htm", "无声", "从不回答的站点");
    rows += Hit("http://www.refused.cn/index.htm", "拒绝", "拒绝连接的站点");
  } else if (host == "news.baidu.com" && page == 1) {
    rows += Hit("http://news.sina.example.cn/c/2004-05-01/1.shtml", "新浪",
                "新浪科技：中文软件市场持续增长");
  } else if (host == "p.zhongsou.com" && page == 1) {
    rows += "<a href=\"http://www.zs.cn/a.htm\">" + Gb("中搜") + "</a> " +
            Gb("中搜收录的<font color=#cc0033>中文</font><font "
               "color=#cc0033>信息</font>网页和更多资料") +
            " <br>\r\n";
  } else if (host == "www.baidu.com" && page == 5) {
    rows += Hit("http://www.late.cn/p5.htm", "第五页", "第五页才出现的中文结果和它的说明");
  }
  rows += Hit("http://www.nomatch.cn/x.htm", "无关", "这里没有关键词");
  return Listing(rows);
}

std::string Filler(std::size_t bytes) {
  std::string text;
  const std::string line = Gb("<p>这是一段用来填充页面的普通文字，没有任何要找的词。</p>\r\n");
  while (text.size() < bytes) text += line;
  return text;
}

struct Page {
  std::string_view headers;
  std::string body;
};

bool SitePage(const std::string& host, const std::string& path, Page& page) {
  const bool root = path == "/" || path.empty();
  if (host == "www.gbsite.cn" && root) {
    std::string b =
        Gb("<html><head><title>国标站</title>\r\n<script>var s=\"中文脚本\";</script>"
           "</head><body>\r\n<img alt=\"中文图片\" src=\"a.gif\">\r\n"
           "<p><a href=\"/news/2.htm\">本站提供中文分词服务</a></p>\r\n"
           "<p><span>标签里的中文</span></p>\r\n");
    b += Filler(10000 - b.size());
    b += Gb("<p><a href=\"http://www.gbsite.cn/news/3.htm\">第二块里的中文内容</a></p>\r\n");
    b += Filler(3000);
    b += "</body></html>\r\n";
    page = {kGbHeader, b};
    return true;
  }
  if (host == "www.big5site.cn" && root) {
    page = {kBig5Header, "<html><body><p><a href=\"/b/1.htm\">Big5 page " +
                             std::string(kBig5Keyword) + " news</a></p></body></html>\r\n"};
    return true;
  }
  if (host == "www.big5meta.cn" && root) {
    page = {kHtml,
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">"
            "</head><body><p><a href=\"/b/2.htm\">Big5 meta " +
                std::string(kBig5Keyword) + " story</a></p></body></html>\r\n"};
    return true;
  }
  if (host == "www.utf8site.cn" && root) {
    page = {kUtf8Header,
            "<html><body><p><a href=\"/u/1.htm\">统一码的中文网页</a></p></body></html>\r\n"};
    return true;
  }
  if (host == "www.utf8meta.cn" && root) {
    page = {
        kHtml,
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "</head><body><p><a href=\"/u/2.htm\">声明在元标记里的中文网页</a></p></body></html>\r\n"};
    return true;
  }
  if (host == "www.refresh.cn" && root) {
    page = {kHtml,
            "<html><head><meta http-equiv=\"refresh\" content=\"0; url=/next.htm\"></head>"
            "<body>moved</body></html>\r\n"};
    return true;
  }
  if (host == "www.refresh.cn" && path == "/next.htm") {
    page = {kGbHeader,
            Gb("<html><body><p><a href=\"/r/1.htm\">跳转以后的中文页面</a></p></body></html>\r\n")};
    return true;
  }
  if (host == "www.enginehop.cn" && root) {
    page = {kHtml,
            "<html><head><meta http-equiv=refresh content=\"0;url=http://www.baidu.com/s?wd=x\">"
            "</head><body>moved</body></html>\r\n"};
    return true;
  }
  return false;
}

// Every host name this web serves, for the TLS certificate.
const std::vector<std::string> kHosts = {
    "www.baidu.com",    "news.baidu.com",  "p.zhongsou.com",  "news.zhongsou.com",
    "www.google.com",   "news.google.com", "www.gbsite.cn",   "www.big5site.cn",
    "www.big5meta.cn",  "www.utf8site.cn", "www.utf8meta.cn", "www.refresh.cn",
    "www.enginehop.cn", "www.silent.cn",   "www.refused.cn",  "news.sina.example.cn",
    "www.zs.cn",        "www.late.cn",     "www.nomatch.cn",  "www.daohang.cn",
    "www.kuaixun.cn",
};

// The page's absolute links over https (no text of these pages holds
// "http://" but their addresses).
void ToHttps(std::string& body) {
  for (auto p = body.find("http://"); p != std::string::npos; p = body.find("http://", p + 8))
    body.insert(p + 4, 1, 's');
}

}  // namespace

MockWeb::MockWeb(int delay_ms, Scheme scheme) : delay_ms_(delay_ms), scheme_(scheme) {
  server_ = std::make_unique<TestHttpServer>([this](const std::string& r) { return Answer(r); });
  if (scheme_ == Scheme::kHttps) {
    ca_ = std::make_unique<TestCa>();
    tls_ = std::make_unique<TlsTestServer>(ca_->Issue(kHosts),
                                           [this](const std::string& r) { return TlsAnswer(r); });
    tls_->SilentOnEmpty = true;
  }
}

MockWeb::~MockWeb() = default;

std::uint16_t MockWeb::Port() const {
  return server_->Port();
}

std::uint16_t MockWeb::TlsPort() const {
  return tls_ ? tls_->Port() : 0;
}

std::string MockWeb::ConnectToMap() const {
  // The refusing site's own entry wins over "*:443" too.
  std::string map = "www.refused.cn=127.0.0.1:" + std::to_string(refused_.Port());
  if (tls_) map += ",*:443=127.0.0.1:" + std::to_string(TlsPort());
  return map + ",*=127.0.0.1:" + std::to_string(Port());
}

std::string MockWeb::CaFile() const {
  return ca_ ? ca_->PemFile() : std::string();
}

int MockWeb::Hits(const std::string& host_and_path) const {
  const auto it = hits_.find(host_and_path);
  return it == hits_.end() ? 0 : it->second;
}

Script MockWeb::Answer(const std::string& request) {
  if (scheme_ == Scheme::kHttp) return Content(request);
  const MockRequest r = ParseMockRequest(request);
  ++requests_;
  ++hits_["http://" + r.host + r.path];
  Script script;
  if (delay_ms_ > 0) script.Pause(delay_ms_);
  return script
      .Send("HTTP/1.0 301 Moved Permanently\r\nLocation: https://" + r.host + r.path + "\r\n" +
            std::string(kHtml) + "\r\nmoved")
      .Close();
}

std::string MockWeb::TlsAnswer(const std::string& request) {
  std::string out = WholeResponse(Content(request));
  ToHttps(out);
  return out;
}

Script MockWeb::Content(const std::string& request) {
  const MockRequest r = ParseMockRequest(request);
  ++requests_;
  ++hits_[r.host + r.path];
  Script script;
  if (delay_ms_ > 0) script.Pause(delay_ms_);
  if (r.host == "www.silent.cn") return script;  // never answers, never closes

  const bool engine = r.host.find(".baidu.") != std::string::npos ||
                      r.host.find(".google.") != std::string::npos ||
                      r.host.find(".zhongsou.") != std::string::npos;
  if (engine) {
    ++engine_requests_;
    const int page = EnginePage(r.host, r.path);
    if (page >= 1 && page <= 20) {
      const std::string body = EngineBody(r.host, r.path, page);
      script.Send("HTTP/1.0 200 OK\r\n" + std::string(kGbHeader) + "\r\n");
      return script.Send(body).Close();
    }
  } else if (Page page; SitePage(r.host, r.path, page)) {
    script.Send("HTTP/1.0 200 OK\r\n" + std::string(page.headers) + "\r\n");
    // One network read per piece, so that every run cuts the page alike.
    return script.SendInPieces(page.body, 4096, 5).Close();
  }
  return script.Send("HTTP/1.0 404 Not Found\r\n" + std::string(kHtml) + "\r\nnot here").Close();
}

}  // namespace vexo::testing
