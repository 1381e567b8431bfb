// Page analysis throughput: AnalysePage over a corpus of GB2312 engine result
// pages and news pages cut into 8 KB pieces as the HTTP client delivers them,
// beside a `grep -F -c`-like reference that counts the first keyword in the
// same pieces with memmem. Both report bytes per second; the ratio of their
// times is the figure to watch.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "parser/gb18030_text.h"
#include "parser/page_codes.h"
#include "parser/parser_host.h"
#include "parser/result_reading.h"
#include "parser/thrd1.h"
#include "platform/codepage.h"
#include "store/result_store.h"
#include "tests/support/sample_result_reading.h"

namespace {

using vexo::Bytes;
using vexo::Gb;

constexpr std::size_t kPiece = 8192;

// The main window as the analysis sees it, with a store in a temporary
// program folder.
class BenchWindow : public vexo::StoreHost, public vexo::ParserHost {
 public:
  BenchWindow() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vexo-parser-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern + "/";
  }
  ~BenchWindow() override {
    StopParsers();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  // A fresh run: empty lists, the pass marker, block 1.
  void StartRun() {
    store_.CreateRunLists();
    store_.SiteQueue()->push_back(Bytes(vexo::kPassMarker));
    store_.EditOpenBlock()->push_back("1");
  }

  bool Tracking() const override { return true; }
  const std::string& ProgramFolder() const override { return folder_; }
  const Bytes& Gjc3() const override { return gjc3_; }
  void SetGjc3(const Bytes& text) override { gjc3_ = text; }
  vexo::ResultStore& Store() override { return store_; }
  void NewTargetStored(const vexo::Pthrd*) override {}
  int RunningParsers() const override { return parsers_; }
  void SetRunningParsers(int count) override { parsers_ = count; }

  const vexo::StringList& OpenBlock() const { return *store_.OpenBlock(); }

 private:
  std::string folder_;
  Bytes gjc3_;
  int parsers_ = 0;
  vexo::ResultStore store_{*this};
};

// --- a corpus of pages of the 2000s -------------------------------------------

const Bytes& Keyword() {
  static const Bytes k = Gb("手机");
  return k;
}

// The expression of a run; variant 1 names words that no page holds, which
// leaves the work every page costs whatever it contains.
const Bytes& Expression(std::int64_t variant) {
  static const Bytes e = Gb("手机/诺基亚+电话");
  static const Bytes absent = Gb("摩托罗拉/西门子");
  return variant == 0 ? e : absent;
}

class Writer {
 public:
  explicit Writer(unsigned seed) : rng_(seed) {}

  int Number(int below) { return std::uniform_int_distribution<int>(0, below - 1)(rng_); }

  // Chinese prose of about n bytes, with a keyword now and then.
  Bytes Prose(std::size_t n, int keywordOneIn) {
    static const Bytes chars =
        Gb("的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工"
           "也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小"
           "物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形"
           "相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建"
           "月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长"
           "求老头基资边流路级少图山统接知较将组见计别她手角期根论运农指几九区强放决西被干做必战"
           "先回则任取据处队南给色光门即保治北造百规热领七海口东导器压志世金增争济阶油思术极交受"
           "联什认六共权收证改清己美再采转更单风切打白教速花带安场身车例真务具万每目至达走积示议"
           "声报斗完类八离华名确才科张信马节话米整空元况今集温传土许步群广石记需段研界拉林律叫且"
           "究观越织装影算低持音众书布复容儿须际商非验连断深难近矿千周委素技备半办青省列习响约支"
           "般史感劳便团往酸历市克何除消构府称太准精值号率族维划选标写存候毛亲快效斯院查江型眼王"
           "按格养易置派层片始却专状育厂京识适属圆包火住调满县局照参红细引听该铁价严");
    Bytes out;
    while (out.size() < n) {
      if (Number(keywordOneIn) == 0) {
        out += Keyword();
      } else if (Number(12) == 0) {
        out += Gb(Number(2) ? "，" : "。");
      } else {
        const std::size_t at = static_cast<std::size_t>(Number(static_cast<int>(chars.size() / 2)));
        out += chars.substr(at * 2, 2);
      }
    }
    return out;
  }

  Bytes Site() { return "http://www.site" + std::to_string(Number(400)) + ".com.cn"; }

  Bytes Path() {
    return "/news/2005/" + std::to_string(100 + Number(900)) + "/" +
           std::to_string(Number(100000)) + ".htm";
  }

  // An engine result page: header, script, 10 to 20 results with highlighted
  // keywords in title and snippet, cache links, a page bar.
  Bytes ResultPage(const Bytes& engineHost) { return ResultPage(engineHost, 10 + Number(11)); }

  Bytes ResultPage(const Bytes& engineHost, int results) {
    const Bytes mark = "<font color=#cc0033>" + Keyword() + "</font>";
    Bytes page =
        "<html><head><meta http-equiv=content-type content=\"text/html;charset=gb2312\">"
        "<title>" +
        Gb("搜索_") + Keyword() +
        "</title><style>.f{font-size:12px}"
        "</style><script>function h(o){o.style.behavior='url(#default#homepage)';}"
        "</script></head><body><table width=100%><tr><td><a href=\"http://" +
        engineHost + "/\">" + Gb("首页") + "</a></td></tr></table>";
    for (int r = 0; r < results; ++r) {
      const Bytes site = Site();
      const Bytes path = Path();
      page += "<table border=0 cellpadding=0 cellspacing=0><tr><td class=f><a href=\"" + site +
              path + "\" target=_blank><font size=3>" + Prose(10, 1000) + mark + Prose(12, 1000) +
              "</font></a><br><font size=-1>" + Prose(60 + Number(60), 40) + mark +
              Prose(40 + Number(80), 40) + "...<br><font color=#008000>" + site.substr(7) + path +
              " " + std::to_string(1 + Number(60)) + "K 2005-3-" + std::to_string(1 + Number(28)) +
              "</font> - <a href=\"http://" + engineHost + "/c?word=x&url=" + site.substr(7) +
              "\" target=_blank class=m>" + Gb("快照") + "</a><br></font></td></tr></table><br>\n";
    }
    page += "<p>";
    for (int p = 2; p <= 10; ++p) {
      page +=
          "<a href=\"/s?wd=x&pn=" + std::to_string(p * 10) + "\">[" + std::to_string(p) + "]</a> ";
    }
    return page + "</p></body></html>\n";
  }

  // A news page of a remembered site: navigation, an article in paragraphs
  // with a few keywords, related links, a script and a footer.
  Bytes NewsPage() {
    Bytes page = "<html><head><title>" + Prose(30, 200) +
                 "</title><script language=javascript>"
                 "var w=window.open;function go(u){w(u,'_blank');}</script></head><body>"
                 "<table><tr>";
    for (int n = 0; n < 12; ++n) {
      page += "<td><a href=\"/channel/" + std::to_string(n) + "/index.htm\">" + Prose(4, 1000) +
              "</a></td>";
    }
    page += "</tr></table><h1>" + Prose(28, 30) + "</h1>";
    const int paragraphs = 6 + Number(10);
    for (int p = 0; p < paragraphs; ++p) {
      page += "<p>&nbsp;&nbsp;" + Prose(150 + Number(300), 120) + "</p>\n";
    }
    page += "<ul>";
    for (int n = 0; n < 8; ++n) {
      page += "<li><a href=\"" + Path() + "\" target=_blank>" + Prose(24, 25) + "</a> <span>(" +
              std::to_string(1 + Number(12)) + "-" + std::to_string(1 + Number(28)) +
              ")</span></li>\n";
    }
    return page + "</ul><div class=foot>Copyright &copy; 2005</div></body></html>\n";
  }

 private:
  std::mt19937 rng_;
};

struct Piece {
  int tag;
  Bytes address;
  Bytes text;
};

// About 1 MB of pages, cut into pieces of at most 8 KB.
const std::vector<Piece>& Corpus() {
  static const std::vector<Piece> corpus = [] {
    std::vector<Piece> pieces;
    Writer w(2005);
    const char* engines[] = {"www.baidu.com", "www.google.com", "www.zhongsou.com"};
    auto cut = [&](int tag, const Bytes& address, const Bytes& page) {
      for (std::size_t at = 0; at < page.size(); at += kPiece) {
        pieces.push_back({tag, address, page.substr(at, kPiece)});
      }
    };
    for (int i = 0; i < 40; ++i) {
      const Bytes engine = engines[i % 3];
      cut(1 + i % 8, "http://" + engine + "/s?wd=x&pn=" + std::to_string(i * 10),
          w.ResultPage(engine));
    }
    for (int i = 0; i < 60; ++i)
      cut(vexo::kFollowUpTagBase + 1 + i % 8, w.Site() + w.Path(), w.NewsPage());
    return pieces;
  }();
  return corpus;
}

std::int64_t CorpusBytes() {
  std::int64_t n = 0;
  for (const Piece& p : Corpus()) n += static_cast<std::int64_t>(p.text.size());
  return n;
}

// The store stays within one block: a new run starts (outside the timing)
// before the open block would roll over, so the figure is that of the
// analysis and the in-memory duplicate test. The duplicate test against
// history files is measured by the store's own benchmark.
void BM_ParserAnalysePage(benchmark::State& state) {
  const Bytes& expression = Expression(state.range(0));
  BenchWindow window;
  window.StartRun();
  window.SetGjc3(expression);
  const auto& corpus = Corpus();
  std::size_t targets = 0;
  for (auto _ : state) {
    for (const Piece& p : corpus) {
      vexo::AnalysePageNow(vexo::kCharsetGb, p.tag, p.text, p.address, expression, window);
      if (window.OpenBlock().size() > 300) {
        state.PauseTiming();
        targets += (window.OpenBlock().size() - 1) / 2;
        window.StartRun();
        state.ResumeTiming();
      }
    }
    state.PauseTiming();
    targets += (window.OpenBlock().size() - 1) / 2;
    window.StartRun();
    window.SetGjc3(expression);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * CorpusBytes());
  state.counters["pieces"] = static_cast<double>(corpus.size());
  state.counters["targets"] =
      benchmark::Counter(static_cast<double>(targets), benchmark::Counter::kAvgIterations);
}

// The look at every GB-declared piece that tells whether it is GB2312 already
// (all of this corpus is), a part of the analysis above.
void BM_ParserGb2312Scan(benchmark::State& state) {
  const auto& corpus = Corpus();
  std::size_t whole = 0;
  for (auto _ : state) {
    whole = 0;
    for (const Piece& p : corpus) whole += vexo::Gb2312PrefixLength(p.text);
    benchmark::DoNotOptimize(whole);
  }
  state.SetBytesProcessed(state.iterations() * CorpusBytes());
  if (static_cast<std::int64_t>(whole) != CorpusBytes()) state.SkipWithError("not GB2312");
}

// grep -F -c of the first keyword: occurrences counted with memmem.
void BM_ParserGrepReference(benchmark::State& state) {
  const auto& corpus = Corpus();
  const Bytes& expression = Expression(state.range(0));
  const Bytes k = expression.substr(0, expression.find('/'));
  std::size_t found = 0;
  for (auto _ : state) {
    found = 0;
    for (const Piece& p : corpus) {
      const char* at = p.text.data();
      const char* end = at + p.text.size();
      while (const void* hit =
                 ::memmem(at, static_cast<std::size_t>(end - at), k.data(), k.size())) {
        ++found;
        at = static_cast<const char*>(hit) + k.size();
      }
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * CorpusBytes());
  state.counters["matches"] = static_cast<double>(found);
}

// The corpus as one file, for the grep program.
const std::string& CorpusFile() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() /
                           ("vexo-parser-corpus-" + std::to_string(::getpid())))
                              .string();
    std::ofstream out(p, std::ios::binary);
    for (const Piece& piece : Corpus()) out << piece.text;
    std::atexit([] { std::filesystem::remove(CorpusFile()); });
    return p;
  }();
  return path;
}

// Runs `grep -F -c -e KEYWORD FILE` and returns the count it prints, or -1.
long RunGrep(const Bytes& keyword, const std::string& file) {
  int out[2];
  if (::pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string grep = "grep", f = "-F", c = "-c", e = "-e", k = keyword, path = file;
  char* argv[] = {grep.data(), f.data(), c.data(), e.data(), k.data(), path.data(), nullptr};
  pid_t pid = 0;
  // Byte semantics, as for any file of unknown encoding: the fastest grep.
  std::string path_env =
      std::string("PATH=") + (::getenv("PATH") ? ::getenv("PATH") : "/usr/bin:/bin");
  std::string locale = "LC_ALL=C";
  char* env[] = {path_env.data(), locale.data(), nullptr};
  const int spawned = ::posix_spawnp(&pid, "grep", &actions, nullptr, argv, env);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string printed;
  char buffer[64];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) printed.append(buffer, n);
  ::close(out[0]);
  int status = 0;
  if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return printed.empty() ? -1 : std::strtol(printed.c_str(), nullptr, 10);
}

// The grep program itself over the corpus file, as a person would run it
// (its start included): the reference the throughput goal is stated against.
void BM_ParserGrepCommand(benchmark::State& state) {
  const Bytes& expression = Expression(state.range(0));
  const Bytes k = expression.substr(0, expression.find('/'));
  const std::string& file = CorpusFile();
  long lines = 0;
  for (auto _ : state) {
    lines = RunGrep(k, file);
    if (lines < 0) {
      state.SkipWithError("grep could not be run");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * CorpusBytes());
  state.counters["lines"] = static_cast<double>(lines);
}

// A result page of today's shape, about 1 MB: Baidu-style containers with a
// redirect title link, the real address in "mu", a highlighted snippet.
const Bytes& TodaysResultPage() {
  static const Bytes page = [] {
    Writer w(2024);
    Bytes p = "<html><head><style>.c-container{margin:0}</style></head><body><div id=content_left>";
    while (p.size() < (1u << 20)) {
      p += "<div class=\"result c-container new-pmd\" tpl=\"se_com_default\" mu=\"" + w.Site() +
           w.Path() + "\"><h3 class=\"t\"><a href=\"https://www.baidu.com/link?url=" +
           std::to_string(w.Number(1 << 30)) + "\">" + w.Prose(16, 1000) + "<em>" + Keyword() +
           "</em></a></h3><div class=\"c-abstract\">" + w.Prose(150, 40) + "&nbsp;<em>" +
           Keyword() + "</em>" + w.Prose(60, 40) + "</div></div>\n";
    }
    return p + "</div></body></html>";
  }();
  return page;
}

void BM_ReadHtmlResults(benchmark::State& state) {
  const vexo::ResultReading& reading = vexo::testing::TodaysResultReading();
  const Bytes& page = TodaysResultPage();
  std::size_t results = 0;
  for (auto _ : state) {
    results = vexo::ReadHtmlResults(page, "https://www.baidu.com/s?wd=x", reading).size();
    benchmark::DoNotOptimize(results);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
  state.counters["results"] = static_cast<double>(results);
}

// One engine result page of 1 MB with some 1,500 results, analysed as it
// arrives in 8 KB pieces in a run of its own, through to the stop that saves
// the open block and waits for every save: the whole run's wall time beside
// its CPU time (all threads), and the wall time split at the last piece.
void BM_ParserAnalyseLargePage(benchmark::State& state) {
  static const Bytes page = [] {
    Writer w(1024);
    return w.ResultPage("www.baidu.com", 1500);
  }();
  const Bytes address = "http://www.baidu.com/s?wd=x&pn=0";
  const Bytes& expression = Expression(0);
  std::size_t targets = 0;
  double analysis = 0;
  double stop = 0;
  std::optional<BenchWindow> window;
  for (auto _ : state) {
    state.PauseTiming();
    window.reset();  // its folder goes with it
    window.emplace();
    window->StartRun();
    window->SetGjc3(expression);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < page.size(); at += kPiece)
      vexo::AnalysePageNow(0, 1, std::string_view(page).substr(at, kPiece), address, expression,
                           *window);
    const auto analysed = std::chrono::steady_clock::now();
    window->Store().SaveOpenBlock();
    const auto stopped = std::chrono::steady_clock::now();
    state.PauseTiming();
    targets = static_cast<std::size_t>(window->Store().TargetCount());
    analysis += std::chrono::duration<double, std::milli>(analysed - start).count();
    stop += std::chrono::duration<double, std::milli>(stopped - analysed).count();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
  state.counters["targets"] = static_cast<double>(targets);
  // Wall milliseconds until the last piece is analysed, and of the stop.
  state.counters["analysis_ms"] = benchmark::Counter(analysis, benchmark::Counter::kAvgIterations);
  state.counters["stop_ms"] = benchmark::Counter(stop, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_ParserAnalysePage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParserGrepReference)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParserAnalyseLargePage)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_ParserGb2312Scan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadHtmlResults)->Unit(benchmark::kMicrosecond);
// Real time: the work happens in the child process.
BENCHMARK(BM_ParserGrepCommand)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
