// A pass of revisits: 200 site roots of 40 KB of HTML over https, half of
// them changed since the visit before, fetched eight at a time as a pass
// does. Once as plain requests (every root downloaded whole) and once as the
// program revisits (gzip accepted, If-None-Match / If-Modified-Since from
// the validators of the visit before), in the same run: bytes the client
// received (TLS included) and time, with both ratios on the second line.
// Beside it, the CPU that inflating the 200 gzipped roots costs with the
// client's inflater, with zlib inflating each in one call, and with the gzip
// program (gzip -dc of the same bytes, start-up reported apart).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/core_app.h"
#include "bench/threaded_server.h"
#include "fetch/body_inflater.h"
#include "fetch/http_client.h"
#include "fetch/revisit_validators.h"
#include "platform/connect_to.h"
#include "tests/support/revisit_sites.h"
#include "tests/support/zlib_streams.h"

namespace vexo::bench {
namespace {

constexpr int kSites = 200;
constexpr std::size_t kPageBytes = 40 * 1024;
constexpr int kParallel = 8;

struct Web {
  testing::RevisitSites sites{kSites, kPageBytes};
  ThreadedServer server{[this](const std::string& r) { return sites.Answer(r); },
                        {std::string("*") + testing::RevisitSites::kDomain},
                        kParallel};
};

Web& TheWeb() {
  static Web web;
  return web;
}

struct Pass {
  int changed = 0;    // 200 answers, whole
  int unchanged = 0;  // 304 answers
  int bad = 0;
  long long wire_bytes = 0;
  long long response_bytes = 0;
  double seconds = 0;
};

// Counts one finished request; remembers the validators of a root read.
void Tally(Pass& pass, const HttpClient& c, RevisitValidators* validators) {
  if (c.RequestError() == 0 && c.StatusCode() == 304 && validators) {
    ++pass.unchanged;
  } else if (c.RequestError() == 0 && c.StatusCode() == 200 &&
             c.ReceivedCount() == static_cast<long long>(kPageBytes)) {
    ++pass.changed;
    if (validators) validators->Remember(c.URL, c.ReceivedHeaderLines());
  } else {
    ++pass.bad;
  }
}

// Every root, kParallel at a time; validators null: plain requests.
Pass RunPass(Web& web, RevisitValidators* validators) {
  Pass pass;
  const long long wire0 = web.server.WireBytes();
  const long long response0 = web.server.ResponseBytes();
  const int answered0 = web.server.Answered();
  int next = 0;
  int finished = 0;
  QEventLoop loop;
  std::function<void()> start_next = [&] {
    if (next >= kSites) return;
    auto* c = new HttpClient;
    c->URL = testing::RevisitSites::Url(next++);
    c->AcceptCompressed = validators != nullptr;
    if (validators) c->ExtraHeaders = validators->HeadersFor(c->URL);
    c->OnRequestDone = [&](HttpClient& sender, RequestType, int) {
      Tally(pass, sender, validators);
      delete &sender;
      if (++finished == kSites) loop.quit();
      start_next();
    };
    c->StartGet();
  };
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kParallel; ++i) start_next();
  loop.exec();
  pass.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  // The server counts a connection once its worker has closed it, which may
  // come just after the client is done with it.
  for (int spins = 0; web.server.Answered() - answered0 < kSites && spins < 100000; ++spins)
    std::this_thread::yield();
  pass.wire_bytes = web.server.WireBytes() - wire0;
  pass.response_bytes = web.server.ResponseBytes() - response0;
  return pass;
}

// Per pass, by mode: plain, then compressed and conditional.
double g_pass_seconds[2] = {0, 0};
double g_pass_bytes[2] = {0, 0};

void BM_RevisitPass(benchmark::State& state) {
  EnsureCoreApplication();
  const int mode = static_cast<int>(state.range(0));
  Web& web = TheWeb();
  SetConnectToMap("*=127.0.0.1:" + std::to_string(web.server.Port()));
  RevisitValidators known;
  RevisitValidators* validators = mode == 1 ? &known : nullptr;
  RunPass(web, validators);  // the visit before, whose validators the revisits send
  Pass total;
  for (auto _ : state) {
    for (int i = 1; i < kSites; i += 2) web.sites.Change(i);
    const Pass pass = RunPass(web, validators);
    const int expected_304 = mode == 1 ? kSites / 2 : 0;
    if (pass.bad != 0 || pass.unchanged != expected_304)
      state.SkipWithError("roots missing, damaged or answered otherwise than expected");
    state.SetIterationTime(pass.seconds);
    total.seconds += pass.seconds;
    total.wire_bytes += pass.wire_bytes;
    total.response_bytes += pass.response_bytes;
    total.unchanged += pass.unchanged;
  }
  SetConnectToMap("");
  const auto n = static_cast<double>(state.iterations());
  g_pass_seconds[mode] = total.seconds / n;
  g_pass_bytes[mode] = static_cast<double>(total.wire_bytes) / n;
  state.counters["received_bytes"] = g_pass_bytes[mode];
  state.counters["http_bytes"] = static_cast<double>(total.response_bytes) / n;
  state.counters["answers_304"] = total.unchanged / n;
  state.counters["roots_per_s"] = benchmark::Counter(static_cast<double>(kSites),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  if (mode == 1 && g_pass_seconds[0] > 0) {
    state.counters["bytes_ratio"] = g_pass_bytes[1] / g_pass_bytes[0];
    state.counters["time_ratio"] = g_pass_seconds[1] / g_pass_seconds[0];
  }
}
BENCHMARK(BM_RevisitPass)
    ->ArgName("compressed_conditional")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// The roots as served gzipped, taken once so that every inflater below
// works on the same bytes.
const std::vector<std::string>& GzippedRoots() {
  static const std::vector<std::string> roots = [] {
    std::vector<std::string> out;
    for (int i = 0; i < kSites; ++i) out.push_back(TheWeb().sites.Gzipped(i));
    return out;
  }();
  return roots;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// CPU seconds of one inflation of every root, by inflater.
double g_zlib_cpu = 0;
double g_gzip_cpu = 0;  // start-up taken off

// The reference in process: zlib inflating each root in one call.
long long InflateWithZlib(const std::vector<std::string>& roots) {
  std::string out(kPageBytes, '\0');
  long long made = 0;
  for (const std::string& root : roots) {
    z_stream z{};
    inflateInit2(&z, 16 + 15);
    z.next_in = reinterpret_cast<const Bytef*>(root.data());
    z.avail_in = static_cast<uInt>(root.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (inflate(&z, Z_FINISH) == Z_STREAM_END) made += static_cast<long long>(z.total_out);
    inflateEnd(&z);
  }
  return made;
}

void BM_InflateRoots_Zlib(benchmark::State& state) {
  const auto& roots = GzippedRoots();
  double cpu = 0;
  for (auto _ : state) {
    const double c0 = ThreadCpuSeconds();
    const long long made = InflateWithZlib(roots);
    const double used = ThreadCpuSeconds() - c0;
    if (made != static_cast<long long>(kSites * kPageBytes)) state.SkipWithError("bad inflation");
    state.SetIterationTime(used);
    cpu += used;
  }
  g_zlib_cpu = cpu / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSites * kPageBytes);
}
BENCHMARK(BM_InflateRoots_Zlib)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// Runs gzip -dc file, output dropped; the child's CPU seconds, or -1.
double GzipCpuSeconds(const std::string& file) {
  std::string prog = "gzip";
  std::string flag = "-dc";
  std::string path = file;
  char* argv[] = {prog.data(), flag.data(), path.data(), nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = -1;
  rusage ru{};
  const bool ran = posix_spawnp(&pid, "gzip", &quiet, nullptr, argv, environ) == 0 &&
                   wait4(pid, &status, 0, &ru) == pid && WIFEXITED(status) &&
                   WEXITSTATUS(status) == 0;
  posix_spawn_file_actions_destroy(&quiet);
  if (!ran) return -1;
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("vexo-bench-" + name + "-" + std::to_string(getpid()) + ".gz"))
                               .string();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// The gzip program over the roots as one file of 200 members, and over an
// empty member for its start-up.
void BM_InflateRoots_GzipProgram(benchmark::State& state) {
  std::string all;
  for (const std::string& root : GzippedRoots()) all += root;
  const std::string file = WriteTemp("roots", all);
  const std::string empty = WriteTemp("empty", testing::Compress("", 16 + 15));
  double cpu = 0;
  double startup = 0;
  for (auto _ : state) {
    const double used = GzipCpuSeconds(file);
    const double idle = GzipCpuSeconds(empty);
    if (used < 0 || idle < 0) {
      state.SkipWithError("gzip -dc failed (is gzip installed?); zlib is the reference");
      break;
    }
    state.SetIterationTime(used);
    cpu += used;
    startup += idle;
  }
  std::filesystem::remove(file);
  std::filesystem::remove(empty);
  const auto n = static_cast<double>(state.iterations());
  g_gzip_cpu = cpu > 0 ? (cpu - startup) / n : 0;
  state.counters["startup_cpu_ms"] = startup * 1000 / n;
}
BENCHMARK(BM_InflateRoots_GzipProgram)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

// What the client does: pieces of its receive buffer's size in, one piece
// out per step.
long long InflateWithClientInflater(const std::vector<std::string>& roots, BodyInflater& inflater) {
  long long made = 0;
  for (const std::string& root : roots) {
    inflater.Start(ContentCoding::Gzip);
    BodyInflater::Step step = BodyInflater::Step::kNeedInput;
    for (std::size_t at = 0; at < root.size() && step != BodyInflater::Step::kEnd;
         at += HttpClient::kReceiveBufferSize) {
      inflater.Feed(root.data() + at,
                    std::min<std::size_t>(HttpClient::kReceiveBufferSize, root.size() - at));
      std::string_view piece;
      do {
        step = inflater.Next(piece);
        made += static_cast<long long>(piece.size());
      } while (step == BodyInflater::Step::kMore);
    }
    if (step != BodyInflater::Step::kEnd) return -1;
    inflater.End();
  }
  return made;
}

void BM_InflateRoots_BodyInflater(benchmark::State& state) {
  const auto& roots = GzippedRoots();
  BodyInflater inflater(HttpClient::kReceiveBufferSize);
  double cpu = 0;
  for (auto _ : state) {
    const double c0 = ThreadCpuSeconds();
    const long long made = InflateWithClientInflater(roots, inflater);
    const double used = ThreadCpuSeconds() - c0;
    if (made != static_cast<long long>(kSites * kPageBytes)) state.SkipWithError("bad inflation");
    state.SetIterationTime(used);
    cpu += used;
  }
  const double mine = cpu / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSites * kPageBytes);
  if (g_zlib_cpu > 0) state.counters["cpu_over_zlib"] = mine / g_zlib_cpu;
  if (g_gzip_cpu > 0) state.counters["cpu_over_gzip"] = mine / g_gzip_cpu;
}
BENCHMARK(BM_InflateRoots_BodyInflater)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

}  // namespace
}  // namespace vexo::bench
