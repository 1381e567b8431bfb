// Fetching 500 small pages (2 KB to 60 KB) from a local server with 8 clients
// at once, over http and over https (a server that closes after each
// response, so every page costs a handshake unless a session is resumed),
// beside curl fetching the same list with --parallel-max 8 in the same run;
// and the CPU the process uses while 14 clients wait on a silent server.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/core_app.h"
#include "bench/threaded_server.h"
#include "fetch/http_client.h"

namespace {

constexpr int kPages = 500;
constexpr int kParallel = 8;
// The benchmarks' argument: 0 plain http, 1 https.
enum Scheme { kHttp = 0, kHttps = 1 };

std::size_t PageSize(int i) {
  return 2048 + static_cast<std::size_t>(i) * 7919 % (58 * 1024);
}

// Page n of the list for /p/<n>; nothing for any other address.
std::string PageAnswer(const std::vector<std::string>& pages, const std::string& request) {
  const auto at = request.find("/p/");
  const int i = at == std::string::npos ? -1 : std::atoi(request.c_str() + at + 3);
  return i >= 0 && i < kPages ? pages[static_cast<std::size_t>(i)] : std::string();
}

// The list of pages, served by kParallel workers, plain or over TLS.
class PageServer {
 public:
  explicit PageServer(Scheme scheme)
      : scheme_(scheme),
        pages_(MakePages()),
        server_(
            [this](const std::string& r) { return PageAnswer(pages_, r); },
            scheme == kHttps ? std::vector<std::string>{"127.0.0.1"} : std::vector<std::string>{},
            kParallel) {}
  std::string Url(int i) const {
    return std::string(scheme_ == kHttps ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(server_.Port()) + "/p/" + std::to_string(i);
  }
  const std::string& CaFile() const { return vexo::bench::ThreadedServer::CaFile(); }
  int Resumed() const { return server_.Resumed(); }

 private:
  static std::vector<std::string> MakePages() {
    std::vector<std::string> pages;
    for (int i = 0; i < kPages; ++i) {
      const std::string body(PageSize(i), static_cast<char>('a' + i % 26));
      pages.push_back("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                      std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    return pages;
  }

  Scheme scheme_;
  std::vector<std::string> pages_;
  vexo::bench::ThreadedServer server_;
};

PageServer& Server(Scheme scheme) {
  static PageServer plain(kHttp);
  static PageServer tls(kHttps);
  return scheme == kHttps ? tls : plain;
}

// Fetches every page with kParallel clients; returns the pages that came back
// whole with status 200.
int FetchAll(const PageServer& server, long long& bytes, int& resumed) {
  int next = 0;
  int finished = 0;
  int good = 0;
  bytes = 0;
  resumed = 0;
  QEventLoop loop;
  std::function<void()> start_next = [&] {
    if (next >= kPages) return;
    const int i = next++;
    auto* c = new vexo::HttpClient;
    c->NoCache = true;
    c->MultiThreaded = true;
    c->Tag = i;
    c->URL = server.Url(i);
    c->OnDocData = [&bytes](vexo::HttpClient&, const char*, int len) { bytes += len; };
    c->OnRequestDone = [&](vexo::HttpClient& sender, vexo::RequestType, int error) {
      if (error == 0 && sender.StatusCode() == 200 &&
          sender.ReceivedCount() == static_cast<long long>(PageSize(sender.Tag)))
        ++good;
      resumed += sender.Socket().TlsResumed();
      delete &sender;
      if (++finished == kPages) loop.quit();
      start_next();
    };
    c->StartGet();
  };
  for (int i = 0; i < kParallel; ++i) start_next();
  loop.exec();
  return good;
}

double g_client_seconds[2] = {0, 0};

void BM_Fetch500Pages_HttpClient(benchmark::State& state) {
  vexo::bench::EnsureCoreApplication();
  const auto scheme = static_cast<Scheme>(state.range(0));
  const PageServer& server = Server(scheme);
  double seconds = 0;
  long long bytes = 0;
  int resumed = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const int good = FetchAll(server, bytes, resumed);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (good != kPages) state.SkipWithError("pages missing or damaged");
  }
  g_client_seconds[scheme] = seconds / static_cast<double>(state.iterations());
  if (scheme == kHttps) state.counters["resumed_share"] = static_cast<double>(resumed) / kPages;
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(kPages),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  state.counters["bytes_per_run"] = static_cast<double>(bytes);
  state.counters["max_rss_kb"] = static_cast<double>(ru.ru_maxrss);
}
BENCHMARK(BM_Fetch500Pages_HttpClient)
    ->ArgName("https")
    ->Arg(kHttp)
    ->Arg(kHttps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// The reference: curl over the same URL list, 8 transfers at once.
void BM_Fetch500Pages_CurlReference(benchmark::State& state) {
  const auto scheme = static_cast<Scheme>(state.range(0));
  const PageServer& server = Server(scheme);
  const std::string list =
      (std::filesystem::temp_directory_path() / ("vexo-bench-urls-" + std::to_string(getpid())))
          .string();
  if (FILE* f = std::fopen(list.c_str(), "w")) {
    for (int i = 0; i < kPages; ++i)
      std::fprintf(f, "url = \"%s\"\noutput = \"/dev/null\"\n", server.Url(i).c_str());
    std::fclose(f);
  }
  std::string k = "-K";
  std::vector<std::string> args = {"curl",           "--silent", "--fail", "--parallel",
                                   "--parallel-max", "8",        k,        list};
  if (scheme == kHttps) {
    args.push_back("--cacert");
    args.push_back(server.CaFile());
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t quiet;  // curl's progress meter would disturb the report
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, "curl", &quiet, nullptr, argv.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      state.SkipWithError("curl failed (is it installed?)");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  posix_spawn_file_actions_destroy(&quiet);
  std::filesystem::remove(list);
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(kPages),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  if (g_client_seconds[scheme] > 0 && seconds > 0)
    state.counters["client_time_over_curl"] =
        g_client_seconds[scheme] / (seconds / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Fetch500Pages_CurlReference)
    ->ArgName("https")
    ->Arg(kHttp)
    ->Arg(kHttps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// 14 clients connected to a server that accepts nothing and says nothing: the
// process should sleep in the event loop. Reports CPU milliseconds per second.
void BM_IdleClientsOnSilentServer(benchmark::State& state) {
  vexo::bench::EnsureCoreApplication();
  std::uint16_t port = 0;
  const int fd = vexo::bench::ListenOn127(port, 64);  // connections wait in the queue, unanswered
  std::vector<std::unique_ptr<vexo::HttpClient>> clients;
  for (int i = 0; i < 14; ++i) {
    clients.push_back(std::make_unique<vexo::HttpClient>());
    clients.back()->URL = "http://127.0.0.1:" + std::to_string(port) + "/";
    clients.back()->StartGet();
  }
  QEventLoop loop;
  QTimer::singleShot(100, &loop, &QEventLoop::quit);  // let every client connect and send
  loop.exec();
  int waiting = 0;
  for (const auto& c : clients) waiting += c->State() == vexo::HttpClientState::ReadingHeader;
  double cpu = 0;
  double wall = 0;
  for (auto _ : state) {
    const double c0 = ProcessCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - c0;
  }
  state.counters["clients_waiting"] = waiting;
  state.counters["cpu_ms_per_s"] = wall > 0 ? cpu * 1000 / wall : 0;
  for (auto& c : clients) c->Cancel();
  clients.clear();
  ::close(fd);
}
BENCHMARK(BM_IdleClientsOnSilentServer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
