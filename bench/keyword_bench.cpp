// Keyword matching over one page piece, next to the plain substring search
// that it cannot do without: one memmem per positive word. Also the text
// helpers that run once per link and snippet, beside a memmem over the same
// bytes.
#include <benchmark/benchmark.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "parser/html_text.h"
#include "parser/keyword_expression.h"
#include "parser/link_resolver.h"
#include "platform/codepage.h"

namespace vexo {
namespace {

constexpr std::size_t kPieceBytes = 8192;

// An 8 KB piece of a Chinese news listing: markup, links and GB2312 text, with
// the keywords only in the last few hundred bytes.
const Bytes& PagePiece() {
  static const Bytes piece = [] {
    const std::vector<Bytes> words = {
        Gb("新闻"), Gb("中国"), Gb("经济"), Gb("市场"), Gb("发展"), Gb("公司"), Gb("企业"),
        Gb("记者"), Gb("报道"), Gb("今天"), Gb("北京"), Gb("上海"), Gb("社会"), Gb("国际"),
        Gb("体育"), Gb("汽车"), Gb("房产"), Gb("科技"), Gb("网络"), Gb("数码"), Gb("产品"),
        Gb("价格"), Gb("用户"), Gb("服务"), Gb("，"),   Gb("。"),   Gb("、"),   Gb("的"),
        Gb("了"),   Gb("在"),   Gb("和"),   Gb("是"),   Gb("有")};
    std::mt19937 rng(42);
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    Bytes page;
    int link = 0;
    const std::size_t body = kPieceBytes - 400;
    while (page.size() < body) {
      page += "<tr><td class=\"title\"><a href=\"http://news.example.com.cn/2006/0" +
              std::to_string(++link) + ".shtml\" target=_blank>";
      for (int i = 0; i < 8; ++i) page += words[pick(rng)];
      page += "</a></td></tr>\r\n<tr><td class=\"text\">";
      for (int i = 0; i < 40; ++i) page += words[pick(rng)];
      page += "</td></tr>\r\n";
    }
    page.resize(body);
    page += "<a href=\"http://tech.example.com.cn/mobile/\">" + Gb("诺基亚发布新款") + Gb("手机") +
            "</a>" + Gb("，移动电话市场") + "<br>";
    while (page.size() < kPieceBytes) page += words[pick(rng)];
    page.resize(kPieceBytes);
    return Lower(page);
  }();
  return piece;
}

const Bytes& Expression() {
  static const Bytes expr = Gb("手机+诺基亚/电话");
  return expr;
}

void BM_KeywordMemmemReference(benchmark::State& state) {
  const Bytes& text = PagePiece();
  const std::vector<Bytes> words = {Gb("手机"), Gb("诺基亚"), Gb("电话")};
  for (auto _ : state) {
    for (const auto& w : words) {
      const void* hit = memmem(text.data(), text.size(), w.data(), w.size());
      benchmark::DoNotOptimize(hit);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_KeywordMemmemReference);

void BM_KeywordFirstTermPosition(benchmark::State& state) {
  const Bytes& text = PagePiece();
  for (auto _ : state) benchmark::DoNotOptimize(FirstTermPosition(Expression(), text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_KeywordFirstTermPosition);

void BM_KeywordMatchExpression(benchmark::State& state) {
  const Bytes& text = PagePiece();
  for (auto _ : state) benchmark::DoNotOptimize(MatchExpression(Expression(), text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_KeywordMatchExpression);

void BM_KeywordMatchPrepared(benchmark::State& state) {
  const Bytes& text = PagePiece();
  const PreparedExpression prepared = PrepareExpression(Expression());
  for (auto _ : state) benchmark::DoNotOptimize(MatchExpression(prepared, text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_KeywordMatchPrepared);

// What every call cost before preparations were kept: normalising and cutting
// the expression again.
void BM_KeywordPrepare(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PrepareExpression(Expression()));
}
BENCHMARK(BM_KeywordPrepare);

// Links as the listing and content stages hand them to ResolveLink: with the
// quote that opened them, absolute and relative, with query strings, now and
// then a mail link, a picture or an engine's own address.
const std::vector<Bytes>& Links() {
  static const std::vector<Bytes> links = [] {
    std::vector<Bytes> out;
    for (int i = 0; i < 200; ++i) {
      const Bytes n = std::to_string(i);
      switch (i % 8) {
        case 0:
          out.push_back("\"http://news.example.com.cn/2006/0" + n + ".shtml");
          break;
        case 1:
          out.push_back("\"/photo/" + n + ".jpg");
          break;
        case 2:
          out.push_back("\"../list/" + n + ".htm");
          break;
        case 3:
          out.push_back("'http://www.site" + n + ".com/a.asp?id=" + n + "&page=2");
          break;
        case 4:
          out.push_back("\"mailto:editor@example.com");
          break;
        case 5:
          out.push_back("\"http://www.baidu.com/s?wd=" + n);
          break;
        case 6:
          out.push_back("http://tech.example.com.cn/mobile/" + n + "/index.html");
          break;
        default:
          out.push_back("\"javascript:open('/win/" + n + ".htm')");
          break;
      }
    }
    return out;
  }();
  return links;
}

constexpr std::string_view kPageAddress = "http://news.example.com.cn/world/index.shtml";

void BM_TextLinksMemmemReference(benchmark::State& state) {
  std::int64_t bytes = 0;
  for (auto _ : state) {
    for (const Bytes& l : Links()) {
      benchmark::DoNotOptimize(memmem(l.data(), l.size(), "://", 3));
      bytes += static_cast<std::int64_t>(l.size());
    }
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_TextLinksMemmemReference);

void BM_TextResolveLink(benchmark::State& state) {
  std::int64_t bytes = 0;
  // As the stages ask: one resolver for all links of a page.
  const PageLinkResolver page(kPageAddress);
  for (auto _ : state) {
    for (const Bytes& l : Links()) {
      benchmark::DoNotOptimize(page.Resolve(l));
      bytes += static_cast<std::int64_t>(l.size());
    }
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_TextResolveLink);

// Relative links on an engine's result page, whose address holds "&".
void BM_TextResolveLinkOnEnginePage(benchmark::State& state) {
  constexpr std::string_view kEnginePage =
      "http://www.baidu.com/s?wd=%CA%D6%BB%FA&pn=10&rn=10&ie=gb2312";
  std::int64_t bytes = 0;
  const PageLinkResolver page(kEnginePage);
  for (auto _ : state) {
    for (const Bytes& l : Links()) {
      benchmark::DoNotOptimize(page.Resolve(l));
      bytes += static_cast<std::int64_t>(l.size());
    }
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_TextResolveLinkOnEnginePage);

// A word that an engine highlights and the expression already holds apart:
// the usual case, which leaves the expression as it is.
void BM_TextSplitLearnedWord(benchmark::State& state) {
  const Bytes expr = Gb("诺基亚+手机/移动+电话");
  const Bytes word = Gb("电话");
  for (auto _ : state) benchmark::DoNotOptimize(SplitLearnedWord(expr, word));
}
BENCHMARK(BM_TextSplitLearnedWord);

// A snippet between two anchors, as StripTags and CleanText get it.
const Bytes& Snippet() {
  static const Bytes snippet = "</a></td></tr>\r\n<tr><td class=s>..." + Gb("诺基亚发布新款手机") +
                               "&nbsp;" + Gb("，移动电话市场　今天") + "<b>" + Gb("价格") + "</b>" +
                               Gb("记者报道，北京上海的用户和服务") + "...</td></tr>";
  return snippet;
}

void BM_TextStripTags(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(StripTags(Snippet()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Snippet().size()));
}
BENCHMARK(BM_TextStripTags);

// A link's title as the content stage cleans it.
void BM_TextCleanText(benchmark::State& state) {
  const Bytes title = "\r\n  " + Gb("诺基亚发布新款手机") + "&nbsp;" + Gb("，移动电话市场") + "  ";
  for (auto _ : state) benchmark::DoNotOptimize(CleanText(title));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * title.size()));
}
BENCHMARK(BM_TextCleanText);

void BM_TextLowerPiece(benchmark::State& state) {
  const Bytes& text = PagePiece();
  for (auto _ : state) benchmark::DoNotOptimize(Lower(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextLowerPiece);

}  // namespace
}  // namespace vexo
