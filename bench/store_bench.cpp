// The duplicate test of a new target against the history: InHistory over 10
// and 100 history files of 1,000 titles each, read through 2,048-byte
// windows, beside one memmem of the title over the same bytes held in memory.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/result_store.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "tests/support/folder_only_host.h"

namespace {

using vexo::Bytes;

Bytes Title(int i) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%07d", i);
  return vexo::Gb("上海证券市场今日收盘指数新闻第") + digits + vexo::Gb("期报道");
}

// A program folder whose Temp holds `files` history files of 1,000 titles,
// and the same bytes concatenated in memory. Removed at exit.
struct History {
  std::string folder;
  Bytes all;

  explicit History(int files) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vexo-store-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern + "/";
    vexo::CreateDir(folder + "Temp");
    const Bytes mark = vexo::Gb("…");
    for (int f = 1; f <= files; ++f) {
      vexo::StringList lines;
      for (int t = 0; t < 1000; ++t) lines.push_back(mark + Title(f * 1000 + t) + mark);
      vexo::SaveLines(folder + "Temp/" + std::to_string(f) + ".tmp", lines);
      all += vexo::JoinLines(lines);
    }
  }
  ~History() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

History& HistoryOf(int files) {
  static History ten(10);
  static History hundred(100);
  return files == 10 ? ten : hundred;
}

// A title that is in no file: every window of every file is searched.
const Bytes& NewTitle() {
  static const Bytes title = Title(9999999);
  return title;
}

void BM_InHistory(benchmark::State& state) {
  History& history = HistoryOf(static_cast<int>(state.range(0)));
  vexo::testing::FolderOnlyHost host(history.folder, true);
  vexo::ResultStore store(host);
  for (auto _ : state) benchmark::DoNotOptimize(store.InHistory(NewTitle()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(history.all.size()));
}

void BM_MemmemReference(benchmark::State& state) {
  History& history = HistoryOf(static_cast<int>(state.range(0)));
  const Bytes& title = NewTitle();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ::memmem(history.all.data(), history.all.size(), title.data(), title.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(history.all.size()));
}

// The site queue of a run in full swing: engine URLs, the pass marker, proven
// sites, the age marker and 300 candidates, all sharing "http://www.".
vexo::StringList BusyQueue() {
  vexo::StringList q;
  for (int i = 0; i < 24; ++i) q.push_back("http://www.baidu.com/s?wd=x&pn=" + std::to_string(i));
  q.push_back(Bytes(vexo::kPassMarker));
  for (int i = 0; i < 20; ++i) q.push_back("http://www.proven" + std::to_string(i) + ".com.cn");
  q.push_back(Bytes(vexo::kAgeMarker1));
  for (int i = 0; i < 300; ++i) q.push_back("http://www.site" + std::to_string(i) + ".com.cn");
  return q;
}

// AppendSite for links of sites the queue holds (Arg 0: nothing changes) or
// does not hold (Arg 1: the whole queue is searched, the root appended and
// popped off again).
void BM_StoreAppendSite(benchmark::State& state) {
  vexo::testing::FolderOnlyHost host("/nonexistent/", true);
  vexo::ResultStore store(host);
  store.CreateRunLists();
  *store.SiteQueue() = BusyQueue();
  const bool absent = state.range(0) == 1;
  std::vector<Bytes> links;
  for (int i = 0; i < 64; ++i) {
    links.push_back("http://www." + Bytes(absent ? "other" : "site") + std::to_string(i * 4) +
                    ".com.cn/news/2005/a.htm");
  }
  std::size_t n = 0;
  for (auto _ : state) {
    store.AppendSite(links[n++ % links.size()]);
    if (absent) store.SiteQueue()->pop_back();
  }
}

// One memmem of a root over the queue's text, the cost of a plain search.
void BM_StoreQueueMemmemReference(benchmark::State& state) {
  const Bytes all = vexo::JoinLines(BusyQueue());
  const Bytes root = "http://www.other4.com.cn";
  for (auto _ : state) {
    benchmark::DoNotOptimize(::memmem(all.data(), all.size(), root.data(), root.size()));
  }
}

BENCHMARK(BM_InHistory)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemmemReference)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreAppendSite)->Arg(0)->Arg(1);
BENCHMARK(BM_StoreQueueMemmemReference);

}  // namespace
