// Kills at every file operation of the compaction and of a new run's
// numbering, gaps and foreign entries among the block names, blocks past 100,
// and blocks whose save fails.
#include <map>
#include <set>
#include <thread>

#include "store/block_folder.h"
#include "store_fixture.h"
#include "tests/support/file_change_gate.h"
#include "tests/support/run_until.h"

namespace vexo::store_test {
namespace {

using testing::FileChangeStop;

class KillTest : public StoreTest {
 protected:
  // Every line of every file named as a block file.
  std::set<Bytes> LinesOnDisk() const {
    std::set<Bytes> lines;
    for (const auto& entry : std::filesystem::directory_iterator(Temp())) {
      if (BlockNumberOfName(entry.path().filename().string()) == 0) continue;
      for (Bytes& line : ReadLines(entry.path().string())) lines.insert(std::move(line));
    }
    return lines;
  }
  void ExpectTitlesOnDisk(int last, const std::string& step) const {
    const std::set<Bytes> lines = LinesOnDisk();
    for (int i = 1; i <= last; ++i) {
      if (lines.count(TitleLine(i)) == 0) {
        ADD_FAILURE() << "title " << i << " lost after " << step;
        return;
      }
    }
  }
  // A later run: its first block is above every block name, and none of the
  // sampled titles comes back as new.
  void ExpectNothingAnnouncedAgain(int last, const std::string& step) {
    const int first = store.NextBlockNumber();
    EXPECT_GT(first, ListBlockFolder(Temp()).HighestTaken()) << step;
    StartRun(first);
    for (int i = 1; i <= last; i += 97) EXPECT_EQ(store.AppendTarget(Link(i), Title(i)), 0) << step;
  }
  void LayBlocks(int count) {
    std::filesystem::remove_all(Temp());
    for (int b = 1; b <= count; ++b) WriteBlock(b, (b - 1) * 200 + 1, b * 200);
  }
};

struct KillCase {
  const char* name;
  int blocks;  // full blocks of a killed session
  void (*op)(ResultStore&);
};

TEST_F(KillTest, AKillAtAnyFileOperationLosesNoTitleAndAnnouncesNoneAgain) {
  const KillCase cases[] = {
      {"compaction at shutdown", 8, [](ResultStore& s) { s.CompactHistory(); }},
      {"numbering after a killed session", 15, [](ResultStore& s) { s.NextBlockNumber(); }},
  };
  for (const KillCase& c : cases) {
    LayBlocks(c.blocks);
    int steps = 0;
    {
      FileChangeStop count;
      c.op(store);
      steps = count.Count();
    }
    ASSERT_GT(steps, 4) << c.name;
    for (int k = 1; k <= steps; ++k) {
      const std::string step = std::string(c.name) + ", killed at change " + std::to_string(k);
      LayBlocks(c.blocks);
      {
        FileChangeStop kill(k);
        c.op(store);
      }
      ExpectTitlesOnDisk(c.blocks * 200, step);
      ExpectNothingAnnouncedAgain(c.blocks * 200, step);
    }
  }
}

TEST_F(KillTest, TheFirstBlockOfARunIsAboveEveryTakenName) {
  struct Case {
    const char* name;
    std::vector<int> files;
    std::vector<int> folders;
    int expected;
  };
  const Case cases[] = {
      {"a gap", {1, 3}, {}, 4},
      {"a folder above the files", {1, 2}, {6}, 7},
      {"blocks past a hundred", {1, 150}, {}, 151},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(Temp());
    MakeTemp();
    for (const int n : c.files) WriteRaw(Block(n), JoinLines({TitleLine(n)}));
    for (const int n : c.folders) std::filesystem::create_directory(Block(n));
    EXPECT_EQ(store.NextBlockNumber(), c.expected) << c.name;
  }
}

TEST_F(KillTest, BlocksPastAHundredAreHistoryCompactedAndDeletedWithTheRest) {
  WriteBlock(1, 1, 2);
  WriteBlock(101, 3, 4);
  WriteBlock(250, 5, 6);
  EXPECT_EQ(store.InHistory(Title(6)), 1);
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 6));
  EXPECT_FALSE(FileExists(Block(101)));
  EXPECT_FALSE(FileExists(Block(250)));
  WriteBlock(120, 7, 8);
  store.DeleteHistory();
  EXPECT_TRUE(ListBlockFolder(Temp()).taken.empty());
}

TEST_F(KillTest, AFileThatIsNoBlockIsNeitherReadNorTouched) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string huge(static_cast<std::size_t>(kMaxBlockFileBytes) + 1, 'x');
  huge.replace(100, TitleLine(1).size(), TitleLine(1));
  const Case cases[] = {
      {"far larger than a block", huge},
      {"binary with a NUL byte", JoinLines(BlockLines(2, 1, 3)) + std::string(1, '\0') + "z"},
      {"a first line that is no number and no title", "notes\r\n" + JoinLines(TitleLines(1, 3))},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(Temp());
    MakeTemp();
    WriteRaw(Block(2), c.bytes);
    WriteBlock(1, 5, 6);
    EXPECT_EQ(store.InHistory(Title(1)), -1) << c.name;
    EXPECT_EQ(store.InHistory(Title(6)), 1) << c.name;
    store.CompactHistory();
    store.DeleteHistory();
    EXPECT_EQ(ReadRaw(Block(2)), c.bytes) << c.name;
    EXPECT_EQ(store.NextBlockNumber(), 3) << c.name;
  }
}

// ---- Compaction that fails or is killed ----------------------------------------

class CompactionTest : public KillTest {
 protected:
  // History files 1..history of 1200 titles each, then full blocks of a killed
  // run after them.
  int LayHistoryAndBlocks(int history, int blocks) {
    std::filesystem::remove_all(Temp());
    MakeTemp();
    int title = 1;
    for (int h = 1; h <= history; ++h, title += 1200)
      WriteRaw(Block(h), JoinLines(TitleLines(title, title + 1199)));
    for (int b = history + 1; b <= history + blocks; ++b, title += 200)
      WriteBlock(b, title, title + 199);
    return title - 1;
  }
  std::map<std::string, std::string> BlockNamedFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(Temp())) {
      const std::string name = entry.path().filename().string();
      if (BlockNumberOfName(name) != 0) files[name] = ReadRaw(entry.path().string());
    }
    return files;
  }
};

TEST_F(CompactionTest, AFailedCompactionIsToldAndThinsNothing) {
  struct Told : FakeHost {
    std::vector<std::string> failures;
    void SaveFailed(const std::string& path) override { failures.push_back(path); }
  } told;
  told.folder = host.folder;
  ResultStore failing{told};
  for (const int history : {0, 9}) {
    const int titles = LayHistoryAndBlocks(history, 15);
    told.failures.clear();
    {
      FileSizeLimit nearlyFull(16 << 10);
      failing.NextBlockNumber();
    }
    EXPECT_FALSE(told.failures.empty()) << history << " history files";
    ExpectTitlesOnDisk(titles, std::to_string(history) + " history files and a full disk");
  }
}

TEST_F(CompactionTest, AKilledCompactionEndsAsAnUninterruptedOneAtTheNextStart) {
  LayHistoryAndBlocks(9, 15);
  store.CompactHistory();
  store.NextBlockNumber();
  const auto clean = BlockNamedFiles();
  ASSERT_EQ(clean.size(), 10u);

  int steps = 0;
  {
    LayHistoryAndBlocks(9, 15);
    FileChangeStop count;
    store.CompactHistory();
    steps = count.Count();
  }
  ASSERT_GT(steps, 10);
  for (int k = 1; k <= steps; ++k) {
    LayHistoryAndBlocks(9, 15);
    {
      FileChangeStop kill(k);
      store.CompactHistory();
    }
    store.NextBlockNumber();
    EXPECT_TRUE(BlockNamedFiles() == clean) << "killed at change " << k;
  }
}

// ---- A block that cannot be saved ---------------------------------------------

class FailingSaveTest : public StoreTest {
 protected:
  struct Told : FakeHost {
    std::vector<std::string> failures;
    std::vector<std::thread::id> tellers;
    void SaveFailed(const std::string& path) override {
      failures.push_back(path);
      tellers.push_back(std::this_thread::get_id());
    }
  };
  Told told;
  ResultStore failing{told};

  void SetUp() override {
    StoreTest::SetUp();
    told.folder = host.folder;
  }
  void StartFailingRun() {
    failing.CreateRunLists();
    failing.SiteQueue()->push_back(Bytes(kPassMarker));
    failing.EditOpenBlock()->push_back("1");
  }
  void Append(int first, int last) {
    for (int i = first; i <= last; ++i) failing.AppendTarget(Link(i), Title(i));
  }
};

TEST_F(FailingSaveTest, AFullBlockThatCannotBeSavedWaitsAndIsRetriedOnlyAtTheNextBoundary) {
  StartFailingRun();
  MakeTemp();
  std::filesystem::create_directory(Block(1));  // the block's name is taken
  int writes = 0;
  {
    FileChangeStop count;
    Append(1, 300);
    failing.FinishSaves();
    writes = count.Count();
  }
  EXPECT_EQ(told.failures, std::vector<std::string>{Block(1)});
  EXPECT_LT(writes, 10) << "saves retried on every append";
  EXPECT_EQ(failing.WaitingBlocks(), 1u);
  EXPECT_EQ(failing.OpenBlock()->front(), "2");
  EXPECT_EQ(told.sum1, "300");
  // Its titles still count as reported.
  EXPECT_EQ(failing.AppendTarget(Link(9001), Title(150)), 0);

  std::filesystem::remove(Block(1));
  Append(301, 400);  // the next boundary saves both
  failing.FinishSaves();
  EXPECT_EQ(failing.WaitingBlocks(), 0u);
  EXPECT_EQ(ReadLines(Block(1)), BlockLines(1, 1, 200));
  EXPECT_EQ(ReadLines(Block(2)), BlockLines(2, 201, 400));
}

TEST_F(FailingSaveTest, ABackgroundSaveThatFailsIsToldFromTheEventLoopAndStaysHistory) {
  StartFailingRun();
  MakeTemp();
  std::filesystem::create_directory(Block(1));
  Append(1, 200);
  ASSERT_TRUE(testing::RunUntil([&] { return !told.failures.empty(); }));
  EXPECT_EQ(told.failures, std::vector<std::string>{Block(1)});
  EXPECT_EQ(told.tellers, std::vector<std::thread::id>{std::this_thread::get_id()});
  EXPECT_EQ(failing.WaitingBlocks(), 1u);
  EXPECT_EQ(failing.InHistory(Title(7)), 1);
}

TEST_F(FailingSaveTest, TheStopWaitsForTheSavesUnderWay) {
  StartFailingRun();
  std::vector<std::string> order;
  {
    FileChangeStop count;
    Append(1, 450);
    EXPECT_TRUE(failing.SaveOpenBlock());
    for (const std::string& path : count.Paths()) {
      const std::string block = path.substr(0, Block(1).size());
      if (block != Temp() && (order.empty() || order.back() != block)) order.push_back(block);
    }
  }
  // Each block's file operations whole and in the blocks' order: the open
  // block's after those of the two full ones.
  EXPECT_EQ(order, (std::vector<std::string>{Block(1), Block(2), Block(3)}));
  EXPECT_EQ(failing.WaitingBlocks(), 0u);
  EXPECT_EQ(ReadLines(Block(2)), BlockLines(2, 201, 400));
  EXPECT_EQ(ReadLines(Block(3)), BlockLines(3, 401, 450));
}

TEST_F(FailingSaveTest, TheStopSavesTheWaitingBlocksOrSaysItCannot) {
  StartFailingRun();
  MakeTemp();
  std::filesystem::create_directory(Block(1));
  Append(1, 210);
  EXPECT_FALSE(failing.SaveOpenBlock());
  EXPECT_EQ(told.failures.size(), 2u);
  std::filesystem::remove(Block(1));
  EXPECT_TRUE(failing.SaveOpenBlock());
  EXPECT_EQ(ReadLines(Block(1)), BlockLines(1, 1, 200));
  EXPECT_EQ(ReadLines(Block(2)), BlockLines(2, 201, 210));
}

}  // namespace
}  // namespace vexo::store_test
