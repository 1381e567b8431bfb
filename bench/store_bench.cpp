// The duplicate test of a new target against the history: InHistory over 10
// and 100 history files of 1,000 titles each, answered from the history
// index, beside the plain search of the same files through 2,048-byte windows
// (tests/reference/history_search.h) and one memmem of the title over the
// same bytes held in memory; the index's memory for a full history; the same
// test against the open block (AppendTarget of new titles, a page's worth at
// a time) beside one memmem over the block's text; and AppendSite beside one
// memmem over the site queue's text.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "store/history_index.h"
#include "store/result_store.h"
#include "tests/reference/history_search.h"
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

// The index is built by the first test, before the timing.
void BM_InHistory(benchmark::State& state) {
  History& history = HistoryOf(static_cast<int>(state.range(0)));
  vexo::testing::FolderOnlyHost host(history.folder, true);
  vexo::ResultStore store(host);
  if (store.InHistory(NewTitle()) != -1) std::abort();
  for (auto _ : state) benchmark::DoNotOptimize(store.InHistory(NewTitle()));
  state.counters["index_MB"] = static_cast<double>(store.History().IndexBytes()) / (1 << 20);
}

// The first test of a run: the Temp folder listed, every file read and
// indexed.
void BM_InHistoryFirstTest(benchmark::State& state) {
  History& history = HistoryOf(static_cast<int>(state.range(0)));
  vexo::testing::FolderOnlyHost host(history.folder, true);
  for (auto _ : state) {
    vexo::ResultStore store(host);
    benchmark::DoNotOptimize(store.InHistory(NewTitle()));
  }
}

// Today's search: every file read through the windows at every test.
void BM_WindowSearchReference(benchmark::State& state) {
  History& history = HistoryOf(static_cast<int>(state.range(0)));
  const std::string temp = history.folder + "Temp";
  for (auto _ : state)
    benchmark::DoNotOptimize(vexo::reference::HistoryHolds(temp, {}, NewTitle()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(history.all.size()));
}

// The index over a full history: the thinning leaves ten history files, the
// compaction fills each with more than 1,000 titles (up to some 1,400 when a
// block of 200 and an unfinished file of up to 1,000 meet), titles are cut at
// 156 bytes; a run adds blocks of 200 links and titles. Counted: ten files of
// 1,400 title lines of 156-byte titles, and ten blocks of links of 120 bytes
// beside such titles, held as the run holds them after its first test.
void BM_HistoryIndexFull(benchmark::State& state) {
  const Bytes mark = vexo::Gb("…");
  const auto title = [](int i) {
    Bytes t = vexo::Gb("上海证券市场今日收盘指数新闻") + std::to_string(i);
    while (t.size() < 156) t += vexo::Gb("报道");
    return t.substr(0, 156);
  };
  std::vector<Bytes> files;
  int i = 0;
  for (int f = 0; f < 10; ++f) {
    vexo::StringList lines;
    for (int t = 0; t < 1400; ++t) lines.push_back(mark + title(i++) + mark);
    files.push_back(vexo::JoinLines(lines));
  }
  for (int b = 0; b < 10; ++b) {
    vexo::StringList lines{std::to_string(11 + b)};
    for (int t = 0; t < 200; ++t) {
      Bytes link = "http://www.example.com.cn/news/2005/" + std::to_string(i);
      link.resize(120, 'x');
      lines.push_back(link);
      lines.push_back(mark + title(i++) + mark);
    }
    files.push_back(vexo::JoinLines(lines));
  }
  std::size_t bytes = 0;
  for (const Bytes& f : files) bytes += f.size();
  std::size_t memory = 0;
  for (auto _ : state) {
    vexo::HistoryIndex index;
    for (std::size_t n = 0; n < files.size(); ++n)
      index.PutFile(static_cast<long long>(n + 1), files[n]);
    index.Pack();
    memory = index.MemoryBytes();
    benchmark::DoNotOptimize(index.Holds(title(i + 1)));
  }
  // And once the run has saved its next block.
  vexo::HistoryIndex index;
  for (std::size_t n = 0; n < files.size(); ++n)
    index.PutFile(static_cast<long long>(n + 1), files[n]);
  index.Pack();
  index.PutFile(static_cast<long long>(files.size() + 1), files.back());
  state.counters["history_MB"] = static_cast<double>(bytes) / (1 << 20);
  state.counters["index_MB"] = static_cast<double>(memory) / (1 << 20);
  state.counters["next_block_MB"] = static_cast<double>(index.MemoryBytes()) / (1 << 20);
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

// An open block of `lines` lines: the number line, then link/title pairs
// whose titles all have one length (titles are cut to at most 156 bytes, so
// most have that length), and the new titles to append. The titles differ in
// their middle (`where` 0) or only a few bytes before their end (1: no cheap
// look tells them apart).
struct OpenBlockSample {
  vexo::StringList block{"1"};
  std::vector<Bytes> links;
  std::vector<Bytes> titles;

  OpenBlockSample(std::size_t lines, std::int64_t where) {
    const Bytes mark = vexo::Gb("…");
    const auto title = [where](int i) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%07d", i);
      Bytes t;
      while (t.size() < 140) t += vexo::Gb("上海证券市场今日收盘指数");
      t = t.substr(0, 140) + vexo::Gb("期新闻报道");
      return t.insert(where == 0 ? 70 : t.size() - 10, digits);
    };
    for (int i = 0; block.size() + 2 <= lines; ++i) {
      block.push_back("http://www.site" + std::to_string(i) + ".com/news/a.htm");
      block.push_back(mark + title(i) + mark);
    }
    for (int i = 0; i < 10; ++i) {
      links.push_back("http://www.new" + std::to_string(i) + ".com/news/a.htm");
      titles.push_back(title(5000000 + i));
    }
  }
};

// Ten new targets at a time, as a page brings them, into a block of Arg 0
// lines with titles of sort Arg 1; the block is cut back between pages
// (outside the timing), which drops its index as any edit does.
void BM_StoreAppendTarget(benchmark::State& state) {
  vexo::testing::FolderOnlyHost host("/nonexistent/", false);
  vexo::ResultStore store(host);
  store.CreateRunLists();
  const OpenBlockSample sample(static_cast<std::size_t>(state.range(0)), state.range(1));
  *store.EditOpenBlock() = sample.block;
  for (auto _ : state) {
    for (std::size_t i = 0; i < sample.titles.size(); ++i)
      benchmark::DoNotOptimize(store.AppendTarget(sample.links[i], sample.titles[i]));
    state.PauseTiming();
    store.EditOpenBlock()->resize(sample.block.size());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(sample.titles.size()));
}

// Ten memmem searches of a title line over the block's text.
void BM_StoreBlockMemmemReference(benchmark::State& state) {
  const OpenBlockSample sample(static_cast<std::size_t>(state.range(0)), state.range(1));
  const Bytes all = vexo::JoinLines(sample.block);
  for (auto _ : state) {
    for (const Bytes& title : sample.titles)
      benchmark::DoNotOptimize(::memmem(all.data(), all.size(), title.data(), title.size()));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(sample.titles.size()));
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
BENCHMARK(BM_InHistoryFirstTest)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowSearchReference)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryIndexFull)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemmemReference)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreAppendTarget)->ArgsProduct({{100, 380}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreBlockMemmemReference)
    ->ArgsProduct({{100, 380}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreAppendSite)->Arg(0)->Arg(1);
BENCHMARK(BM_StoreQueueMemmemReference);

}  // namespace
