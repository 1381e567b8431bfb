// The cost of one new target over a whole run: AppendTarget of Arg 0 new
// targets into a fresh Temp folder, ten at a time as a page brings them, the
// event loop turning between pages. Each full block is saved and joins the
// history index, so this is where the index's growth shows: the cost per
// target should not climb with the run's length. CPU time is the analysing
// thread's; real time includes the stop, which waits for every save. Beside
// it the index alone: one duplicate test per target and one block of 200
// added at a time.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/core_app.h"
#include "platform/codepage.h"
#include "store/history_index.h"
#include "store/result_store.h"
#include "tests/support/folder_only_host.h"

namespace {

using vexo::Bytes;

struct RunTargets {
  std::vector<Bytes> links;
  std::vector<Bytes> titles;

  explicit RunTargets(int count) {
    for (int i = 0; i < count; ++i) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%07d", i);
      links.push_back("http://www.site" + std::to_string(i % 400) + ".com.cn/news/2005/" + digits +
                      ".htm");
      titles.push_back(vexo::Gb("上海证券市场今日收盘指数新闻") + digits + vexo::Gb("期报道"));
    }
  }
};

std::string FreshFolder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "vexo-store-run-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern + "/";
}

void BM_StoreRunPerTarget(benchmark::State& state) {
  vexo::bench::EnsureCoreApplication();
  const int count = static_cast<int>(state.range(0));
  const RunTargets targets(count);
  std::int64_t appended = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder = FreshFolder();
    {
      vexo::testing::FolderOnlyHost host(folder, true);
      vexo::ResultStore store(host);
      store.CreateRunLists();
      store.EditOpenBlock()->push_back("1");
      state.ResumeTiming();
      for (int i = 0; i < count; ++i) {
        appended += store.AppendTarget(targets.links[static_cast<std::size_t>(i)],
                                       targets.titles[static_cast<std::size_t>(i)]);
        if (i % 10 == 9) QCoreApplication::processEvents();
      }
      // The stop: the open block saved, every save durable.
      store.SaveOpenBlock();
      state.PauseTiming();
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    state.ResumeTiming();
  }
  if (appended != state.iterations() * count) state.SkipWithError("a new target was rejected");
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["us_per_target"] = benchmark::Counter(
      static_cast<double>(state.iterations() * count),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void BM_HistoryIndexRunPerTarget(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const RunTargets targets(count);
  const Bytes mark = vexo::Gb("…");
  std::vector<Bytes> blocks;
  for (int b = 0; b * 200 < count; ++b) {
    vexo::StringList lines{std::to_string(b + 1)};
    for (int i = b * 200; i < std::min(count, b * 200 + 200); ++i) {
      lines.push_back(targets.links[static_cast<std::size_t>(i)]);
      lines.push_back(mark + targets.titles[static_cast<std::size_t>(i)] + mark);
    }
    blocks.push_back(vexo::JoinLines(lines));
  }
  std::size_t held = 0;
  for (auto _ : state) {
    vexo::HistoryIndex index;
    for (int i = 0; i < count; ++i) {
      held += index.Holds(targets.titles[static_cast<std::size_t>(i)]);
      if (i % 200 == 199) index.PutFile(i / 200 + 1, blocks[static_cast<std::size_t>(i / 200)]);
    }
  }
  if (held != 0) state.SkipWithError("a new title was found");
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["us_per_target"] = benchmark::Counter(
      static_cast<double>(state.iterations() * count),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

BENCHMARK(BM_StoreRunPerTarget)
    ->Arg(136)
    ->Arg(1400)
    ->Arg(11000)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_HistoryIndexRunPerTarget)
    ->Arg(136)
    ->Arg(1400)
    ->Arg(11000)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
