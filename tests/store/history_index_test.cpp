// The history index against the plain search through 2,048-byte windows
// (tests/reference/history_search.h): on random histories in memory, with
// titles that hold the ellipsis, that lie inside longer titles, across line
// ends and window edges; and in a store whose Temp folder changes by its own
// saves, compactions, thinnings and deletions, by blocks that wait in memory,
// and by writers behind its back.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>

#include "store/block_files.h"
#include "store/history_index.h"
#include "tests/reference/history_search.h"
#include "tests/store/store_fixture.h"

namespace vexo::store_test {
namespace {

// Titles of one site: shared heads and tails, the ellipsis inside, and some
// that are a piece of a longer one.
Bytes PoolTitle(std::mt19937& rng) {
  static const std::vector<Bytes> parts = {
      Gb("上海证券"), Gb("今日"), Gb("收盘指数"), Gb("…"), "Nokia", Gb("新闻报道"),
      "2005",         " ",        Gb("第"),       "x",     Gb("……")};
  Bytes t;
  const int n = 2 + static_cast<int>(rng() % 8);
  for (int i = 0; i < n; ++i) t += parts[rng() % parts.size()];
  return t;
}

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
  Bytes s(n, ' ');
  for (char& c : s) c = "ab\xA1\xAD\r\n"[rng() % 6];
  return s;
}

// A file as the store writes them (history or block), or one with long
// lines, so that texts of up to 2,048 bytes and more meet window edges.
Bytes RandomFile(std::mt19937& rng, const std::vector<Bytes>& titles, int number) {
  StringList lines;
  const int kind = static_cast<int>(rng() % 4);
  if (kind == 1) lines.push_back(std::to_string(number));
  const int n = static_cast<int>(rng() % 160);
  for (int i = 0; i < n; ++i) {
    if (kind == 1) lines.push_back("http://www.site" + std::to_string(rng() % 50) + ".com/a.htm");
    if (kind == 3 && rng() % 3 == 0)
      lines.push_back(RandomBytes(rng, 100 + rng() % 2600));
    else
      lines.push_back(Gb("…") + titles[rng() % titles.size()] + Gb("…"));
  }
  return kind == 2 && rng() % 2 ? RandomBytes(rng, rng() % 9000) : JoinLines(lines);
}

// A text to look for: a pool title, or a piece of a file or a waiting line,
// often at a window edge, now and then with one byte changed.
Bytes Query(std::mt19937& rng, const std::vector<Bytes>& titles, const std::vector<Bytes>& texts) {
  if (texts.empty() || rng() % 4 == 0) return titles[rng() % titles.size()];
  const Bytes& text = texts[rng() % texts.size()];
  static const std::size_t kLengths[] = {0,   1,   5,   10,  11,   12,   40,   168,
                                         169, 170, 171, 400, 2047, 2048, 2049, 3000};
  std::size_t len = kLengths[rng() % std::size(kLengths)];
  if (rng() % 3 == 0) len = rng() % 300;
  if (len > text.size()) len = text.size();
  std::size_t at = rng() % (text.size() - len + 1);
  if (rng() % 2) {
    // Across or just inside the end of a window.
    const std::size_t edge = kWindowStep * (rng() % 8) + kWindowSize;
    const long long want = static_cast<long long>(edge) - static_cast<long long>(len) +
                           static_cast<long long>(rng() % 7) - 3;
    if (want >= 0 && static_cast<std::size_t>(want) + len <= text.size())
      at = static_cast<std::size_t>(want);
  }
  Bytes q = text.substr(at, len);
  if (!q.empty() && rng() % 5 == 0) q[rng() % q.size()] ^= 0x01;
  return q;
}

TEST(HistoryIndexEquivalence, AnswersAsTheWindowSearchOnRandomHistories) {
  std::mt19937 rng(51);
  int found = 0;
  int asked = 0;
  for (int round = 0; round < 60; ++round) {
    std::vector<Bytes> titles;
    for (int i = 0; i < 40; ++i) titles.push_back(PoolTitle(rng));
    HistoryIndex index;
    std::map<long long, Bytes> files;
    std::deque<StringList> waiting;
    for (int step = 0; step < 40; ++step) {
      const int n = 1 + static_cast<int>(rng() % 12);
      switch (rng() % 9) {
        case 0:
          index.DropFile(n);
          files.erase(n);
          break;
        case 1: {
          StringList block{std::to_string(n)};
          for (int i = static_cast<int>(rng() % 30); i > 0; --i) {
            block.push_back(rng() % 5 == 0 ? Bytes()
                                           : Gb("…") + titles[rng() % titles.size()] + Gb("…"));
          }
          if (rng() % 4 == 0) block.push_back(RandomBytes(rng, 2100 + rng() % 500));
          index.PushWaiting(block);
          waiting.push_back(block);
          break;
        }
        case 2:
          index.PopWaiting();
          if (!waiting.empty()) waiting.pop_front();
          break;
        case 3:
          if (rng() % 4 == 0) {
            index.DropWaiting();
            waiting.clear();
          } else if (rng() % 3 == 0) {
            index.DropFiles();
            files.clear();
          } else {
            index.Pack();
          }
          break;
        default:
          files[n] = RandomFile(rng, titles, n);
          index.PutFile(n, files[n]);
      }
      std::vector<Bytes> texts;
      for (const auto& [number, bytes] : files) texts.push_back(bytes);
      const std::vector<StringList> lists(waiting.begin(), waiting.end());
      for (const StringList& block : lists) texts.push_back(JoinLines(block));
      for (int q = 0; q < 30; ++q) {
        const Bytes title = Query(rng, titles, texts);
        bool plain = reference::WaitingHold(lists, title);
        for (const auto& [number, bytes] : files)
          plain = plain || reference::WindowsHold(bytes, title);
        ASSERT_EQ(index.Holds(title), plain)
            << "round " << round << " step " << step << " length " << title.size();
        found += plain;
        ++asked;
      }
    }
  }
  // Both answers are common, not only the easy one.
  EXPECT_GT(found, asked / 5);
  EXPECT_LT(found, asked * 4 / 5);
}

TEST(HistoryIndexEquivalence, KeepsTheWindowEdgeQuirkOfTheFileSearch) {
  // As FileSearchTest: 200 bytes across the first window's end but inside
  // the second window are found, 200 bytes across the second window's end
  // and before the third's start are not; 169 bytes are found anywhere.
  Bytes file(8000, '.');
  const Bytes a(200, 'a');
  const Bytes b(200, 'b');
  file.replace(1950, 200, a);
  file.replace(3750, 200, b);
  HistoryIndex index;
  index.PutFile(1, file);
  EXPECT_TRUE(index.Holds(a));
  EXPECT_FALSE(index.Holds(b));
  EXPECT_TRUE(index.Holds(b.substr(0, 169)));
  EXPECT_FALSE(index.Holds(Bytes(2049, '.')));
  // A waiting block's line holds any length, but nothing across lines.
  index.PushWaiting({Bytes(3000, 'c'), "dd"});
  EXPECT_TRUE(index.Holds(Bytes(2049, 'c')));
  EXPECT_FALSE(index.Holds("cccccccccccdd"));
  EXPECT_TRUE(index.Holds(""));
  index.PopWaiting();
  EXPECT_FALSE(index.Holds(""));
}

TEST(HistoryIndexEquivalence, AFullHistoryTakesLessThanTwentyMegabytes) {
  // Ten history files of 1,400 lines of 156-byte titles and ten blocks of
  // a run: what the thinning and the compaction leave at most, and more.
  HistoryIndex index;
  for (int f = 1; f <= 20; ++f) {
    StringList lines;
    for (int t = 0; t < (f <= 10 ? 1400 : 400); ++t) {
      Bytes title = Title(f * 10000 + t);
      title.resize(156, 'x');
      lines.push_back(f > 10 && t % 2 == 0 ? Bytes(120, 'h') : Gb("…") + title + Gb("…"));
    }
    index.PutFile(f, JoinLines(lines));
  }
  index.Pack();
  EXPECT_LT(index.MemoryBytes(), std::size_t{20} << 20);
  // The run saves its next block.
  index.PutFile(21, JoinLines(BlockLines(21, 1, 200)));
  EXPECT_LT(index.MemoryBytes(), std::size_t{20} << 20);
  Bytes title = Title(50001);
  title.resize(156, 'x');
  EXPECT_TRUE(index.Holds(title));
}

// --- in a store -------------------------------------------------------------------

class HistoryIndexStoreTest : public StoreTest {
 protected:
  // The titles the test gives special care, and a sample of the others.
  void ExpectSameAnswers(std::mt19937& rng, const std::vector<Bytes>& titles,
                         const std::string& step) {
    for (std::size_t i = 0; i < 40; ++i) {
      const Bytes& t = titles[i < 4 ? i : rng() % titles.size()];
      const bool plain = reference::HistoryHolds(Temp(), store.History().Waiting(), t);
      ASSERT_EQ(store.InHistory(t) == 1, plain) << step << ": " << t;
    }
  }
};

TEST_F(HistoryIndexStoreTest, AnswersAsTheWindowSearchWhateverChangesTheTempFolder) {
  std::mt19937 rng(52);
  std::vector<Bytes> titles = {
      Title(12).substr(0, 13),  // a piece of many titles
      Title(13) + Gb("…"),
      Gb("…") + Title(14),
      Title(15) + Gb("…\r\n") + "http",
  };
  for (int i = 1; i <= 30000; i += 7) titles.push_back(Title(i));
  int next = 1;
  int waited = 0;   // steps with a block waiting in memory
  int thinned = 0;  // new runs that found more files than are kept
  const auto newRun = [&] {
    thinned += ListBlockFolder(Temp()).files.size() > 10;
    StartRun(store.NextBlockNumber());
  };
  StartRun(store.NextBlockNumber());
  for (int step = 0; step < 120; ++step) {
    std::string what;
    switch (rng() % 12) {
      case 0:
        what = "compaction";
        store.SaveOpenBlock();
        store.CompactHistory();
        newRun();
        break;
      case 1:
        what = "new run";
        store.SaveOpenBlock();
        newRun();
        break;
      case 2:
        if (rng() % 4 == 0) {
          what = "deletion";
          store.DeleteHistory();
        }
        break;
      case 3:
        what = "outside block";
        WriteBlock(static_cast<int>(200 + rng() % 5), next, next + 3);
        next += 4;
        break;
      case 4:
        what = "outside rewrite in place";
        for (const long long n : ListBlockFolder(Temp()).files) {
          if (rng() % 2)
            WriteRaw(Block(static_cast<int>(n)), JoinLines(TitleLines(next, next + 1)));
        }
        next += 2;
        break;
      case 5:
        what = "outside deletion";
        for (const long long n : ListBlockFolder(Temp()).files) {
          if (rng() % 3 == 0) std::filesystem::remove(Block(static_cast<int>(n)));
        }
        break;
      case 6:
        what = "blocked name";
        // The next roll-over cannot save: its block waits in memory.
        MakeTemp();
        std::filesystem::create_directories(
            Block(static_cast<int>(TextToInt(store.OpenBlock()->front()))));
        break;
      case 8:
        if (rng() % 3 == 0) {
          what = "a long history";
          // More full history files than a run keeps: the next run thins.
          MakeTemp();
          for (int n = 1; n <= 12; ++n, next += 1001) {
            WriteRaw(Block(n), JoinLines(TitleLines(next, next + 1000)));
          }
        }
        break;
      case 7:
        what = "name freed";
        for (const long long n : ListBlockFolder(Temp()).taken) {
          if (std::filesystem::is_directory(Block(static_cast<int>(n))))
            std::filesystem::remove(Block(static_cast<int>(n)));
        }
        break;
      default: {
        what = "targets";
        const int count = static_cast<int>(rng() % 260);
        for (int i = 0; i < count; ++i, ++next) store.AppendTarget(Link(next), Title(next));
      }
    }
    ExpectSameAnswers(rng, titles, "step " + std::to_string(step) + " after " + what);
    waited += store.WaitingBlocks() > 0;
  }
  EXPECT_GT(next, 3000);
  EXPECT_GT(waited, 5);
  EXPECT_GT(thinned, 0);
}

TEST_F(HistoryIndexStoreTest, AFolderBeyondTheIndexLimitIsSearchedFileByFile) {
  std::mt19937 rng(53);
  MakeTemp();
  for (int n = 1; n <= 3; ++n) WriteBlock(n, n * 1000, n * 1000 + 150);
  store.LimitHistoryIndex(64 << 10);
  StartRun(store.NextBlockNumber());
  std::vector<Bytes> titles = {Title(1000), Title(3150), Title(3151)};
  for (int i = 1000; i < 3200; i += 13) titles.push_back(Title(i));
  ExpectSameAnswers(rng, titles, "over the limit");
  EXPECT_LT(store.History().IndexBytes(), std::size_t{64} << 10);
  // Files written meanwhile count too: nothing watches them any more.
  WriteBlock(9, 5000, 5010);
  EXPECT_EQ(store.InHistory(Title(5005)), 1);
}

}  // namespace
}  // namespace vexo::store_test
