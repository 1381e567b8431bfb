// Block and history files: the windowed search, the history lookup, the
// numbering of a new run's first block, and the compaction at shutdown.
#include <sys/stat.h>
#include <unistd.h>

#include "store/block_files.h"
#include "store_fixture.h"

namespace vexo::store_test {
namespace {

// ---- FileContains -------------------------------------------------------------

// A file of `size` filler bytes with a text of `length` bytes at `offset`.
struct WindowCase {
  const char* name;
  std::size_t size;
  std::size_t offset;
  std::size_t length;
  int expected;
};

class WindowTest : public StoreTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(WindowTest, FindsTextsThatLieInsideOneWindow) {
  const WindowCase& c = GetParam();
  std::string text;
  for (std::size_t i = 0; i < c.length; ++i) text += static_cast<char>('A' + i % 26);
  std::string bytes(c.size, '.');
  bytes.replace(c.offset, c.length, text);
  const std::string path = root_ + "/f";
  WriteRaw(path, bytes);
  EXPECT_EQ(store.FileContains(text, path), c.expected);
}

// Windows: [0,2048), [1880,3928), [3760,5808), ...; near the end the window
// is the last 2048 bytes.
INSTANTIATE_TEST_SUITE_P(
    Layout, WindowTest,
    ::testing::Values(WindowCase{"start", 10000, 0, 20, 1},
                      WindowCase{"end_of_short_file", 100, 80, 20, 1},
                      WindowCase{"whole_short_file", 50, 0, 50, 1},
                      WindowCase{"across_first_edge", 10000, 2000, 100, 1},
                      WindowCase{"longest_always_found", 10000, 1879, 169, 1},
                      WindowCase{"longer_than_overlap_across_edge", 10000, 1879, 170, -1},
                      WindowCase{"across_second_edge", 10000, 3900, 60, 1},
                      WindowCase{"last_bytes", 10000, 9980, 20, 1},
                      // Only the tail window slid back to size - 2048 holds it.
                      WindowCase{"tail_window_slides_back", 5000, 2960, 980, 1},
                      WindowCase{"exactly_one_window", 2048, 0, 2048, 1},
                      WindowCase{"longer_than_a_window", 5000, 100, 2049, -1}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(StoreTest, FileContainsIsACaseSensitiveByteSearch) {
  const std::string path = root_ + "/f";
  WriteRaw(path, "xx Hello " + Gb("中文") + " yy");
  EXPECT_EQ(store.FileContains("Hello", path), 1);
  EXPECT_EQ(store.FileContains("hello", path), -1);
  EXPECT_EQ(store.FileContains(Gb("中文"), path), 1);
}

TEST_F(StoreTest, FileContainsAnswersNoForAnythingButAReadableFileWithTheText) {
  MakeTemp();
  WriteRaw(root_ + "/empty", "");
  EXPECT_EQ(store.FileContains("a", root_ + "/empty"), -1);
  WriteRaw(root_ + "/f", "abc");
  EXPECT_EQ(store.FileContains("", root_ + "/f"), -1);
  EXPECT_EQ(store.FileContains("abc", root_ + "/missing"), -1);
  EXPECT_EQ(store.FileContains("abc", Temp()), -1);  // a folder
  ASSERT_EQ(::mkfifo((root_ + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(store.FileContains("abc", root_ + "/fifo"), -1);  // and no hang
  ASSERT_EQ(::symlink("nowhere", (root_ + "/dangling").c_str()), 0);
  EXPECT_EQ(store.FileContains("abc", root_ + "/dangling"), -1);
}

TEST_F(StoreTest, FileContainsSkipsAFileItMayNotRead) {
  if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  WriteRaw(root_ + "/f", "abc");
  ::chmod((root_ + "/f").c_str(), 0);
  EXPECT_EQ(store.FileContains("abc", root_ + "/f"), -1);
}

TEST_F(StoreTest, FileContainsReadsATenMegabyteFileToItsEnd) {
  std::string bytes(10u << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(i * 31);
  const std::string needle = "needle at the very end";
  ASSERT_EQ(bytes.find(needle), std::string::npos);
  bytes.replace(bytes.size() - needle.size(), needle.size(), needle);
  WriteRaw(root_ + "/big", bytes);
  EXPECT_EQ(store.FileContains(needle, root_ + "/big"), 1);
  EXPECT_EQ(store.FileContains("needle at the very start", root_ + "/big"), -1);
}

// ---- InHistory ----------------------------------------------------------------

TEST_F(StoreTest, HistoryCoversEveryBlockFileWhileTracking) {
  MakeTemp();
  WriteRaw(Block(1), JoinLines({TitleLine(1)}));
  WriteRaw(Block(100), JoinLines({TitleLine(100)}));
  WriteRaw(Block(101), JoinLines({TitleLine(101)}));
  WriteRaw(Temp() + "/50.txt", JoinLines({TitleLine(50)}));
  WriteRaw(Temp() + "/050.tmp", JoinLines({TitleLine(51)}));
  EXPECT_EQ(store.InHistory(Title(1)), 1);
  EXPECT_EQ(store.InHistory(Title(100)), 1);
  EXPECT_EQ(store.InHistory(Title(101)), 1);
  EXPECT_EQ(store.InHistory(Title(50)), -1);
  EXPECT_EQ(store.InHistory(Title(51)), -1);
  host.tracking = false;
  EXPECT_EQ(store.InHistory(Title(1)), -1);
}

TEST_F(StoreTest, HistoryWithoutATempFolderIsEmpty) {
  EXPECT_EQ(store.InHistory(Title(1)), -1);
  WriteRaw(Temp(), TitleLine(1));  // a file named Temp is no folder
  EXPECT_EQ(store.InHistory(Title(1)), -1);
}

TEST_F(StoreTest, HostileBlockFilesDoNotHideTheRest) {
  MakeTemp();
  std::string junk;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>(i * 131 % 256);
  WriteRaw(Block(2), junk);
  std::filesystem::create_directory(Block(3));
  ASSERT_EQ(::mkfifo(Block(4).c_str(), 0600), 0);
  WriteRaw(Block(5), "odd\r\n\r\nlines\rwith\n\n\nends");
  WriteRaw(Block(1), JoinLines({TitleLine(7)}));
  EXPECT_EQ(store.InHistory(Title(7)), 1);
  EXPECT_EQ(store.InHistory(Title(8)), -1);
}

// ---- NextBlockNumber ---------------------------------------------------------

class NumberingTest : public StoreTest {
 protected:
  // History file n starts with the title "…was n…", so moves can be traced,
  // and holds more than 1000 titles, as the compaction leaves history files.
  static constexpr std::string_view kMark = "\xA1\xAD";  // "…"
  static std::string Titled(const std::string& text) {
    return std::string(kMark) + text + std::string(kMark);
  }
  void MakeFiles(int first, int last) {
    MakeTemp();
    for (int n = first; n <= last; ++n) {
      StringList lines{Titled("was " + std::to_string(n))};
      for (int k = 0; k < 1000; ++k)
        lines.push_back(Titled(std::to_string(n) + "-" + std::to_string(k)));
      WriteRaw(Block(n), JoinLines(lines));
    }
  }
  std::vector<int> Existing() const {
    std::vector<int> out;
    for (int n = 1; n <= 110; ++n)
      if (FileExists(Block(n))) out.push_back(n);
    return out;
  }
  std::string Was(int n) const {
    const StringList lines = ReadLines(Block(n));
    if (lines.empty()) return std::string();
    const std::string& first = lines.front();
    return first.substr(kMark.size(), first.size() - 2 * kMark.size()) + "\r\n";
  }
};

TEST_F(NumberingTest, UpToTenFilesTheNextNumberFollowsThem) {
  EXPECT_EQ(store.NextBlockNumber(), 1);
  MakeFiles(1, 3);
  EXPECT_EQ(store.NextBlockNumber(), 4);
  MakeFiles(4, 10);
  EXPECT_EQ(store.NextBlockNumber(), 11);
  EXPECT_EQ(Existing().size(), 10u);
}

TEST_F(NumberingTest, FifteenFilesLoseFourToEightAndCloseUp) {
  MakeFiles(1, 15);
  EXPECT_EQ(store.NextBlockNumber(), 11);
  EXPECT_EQ(Existing(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Was(1), "was 1\r\n");
  EXPECT_EQ(Was(3), "was 3\r\n");
  EXPECT_EQ(Was(4), "was 9\r\n");
  EXPECT_EQ(Was(10), "was 15\r\n");
}

TEST_F(NumberingTest, AHundredFilesKeepTheFirstThreeAndTheNewestSeven) {
  MakeFiles(1, 100);
  EXPECT_EQ(store.NextBlockNumber(), 11);
  EXPECT_EQ(Existing().size(), 10u);
  EXPECT_EQ(Was(4), "was 94\r\n");
  EXPECT_EQ(Was(10), "was 100\r\n");
}

TEST_F(NumberingTest, GapsAreClosedByTheCompactionBeforeTheThinning) {
  MakeFiles(1, 2);
  MakeFiles(20, 30);  // 13 files: 20 moves to 3, 21 to 23 go
  EXPECT_EQ(store.NextBlockNumber(), 11);
  EXPECT_EQ(Existing(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Was(3), "was 20\r\n");
  EXPECT_EQ(Was(4), "was 24\r\n");
  EXPECT_EQ(Was(10), "was 30\r\n");
}

TEST_F(NumberingTest, AFolderOnABlockNumberNeverLetsTheRunOverwriteAFile) {
  MakeFiles(1, 3);
  MakeFiles(5, 13);  // 12 files
  std::filesystem::create_directory(Block(4));
  const int next = store.NextBlockNumber();
  const std::vector<int> left = Existing();
  ASSERT_FALSE(left.empty());
  EXPECT_GT(next, left.back());
  EXPECT_EQ(left.size(), 10u);
}

// ---- CompactHistory ----------------------------------------------------------

TEST_F(StoreTest, ThreeFullBlocksBecomeOneHistoryFile) {
  WriteBlock(1, 1, 200);
  WriteBlock(2, 201, 400);
  WriteBlock(3, 401, 600);
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 600));
  EXPECT_FALSE(FileExists(Block(2)));
  EXPECT_FALSE(FileExists(Block(3)));
}

TEST_F(StoreTest, HistoryFilesHoldMoreThanAThousandLinesExceptTheLast) {
  for (int b = 1; b <= 7; ++b) WriteBlock(b, (b - 1) * 200 + 1, b * 200);
  store.CompactHistory();
  // Six blocks make exactly 1000 lines, which is not yet more than 1000.
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 1200));
  EXPECT_EQ(ReadLines(Block(2)), TitleLines(1201, 1400));
  for (int n = 3; n <= 7; ++n) EXPECT_FALSE(FileExists(Block(n))) << n;
}

TEST_F(StoreTest, CompactingTwiceKeepsEveryTitle) {
  // Earlier shutdowns left history files; this run added blocks 3 and 4.
  MakeTemp();
  WriteRaw(Block(1), JoinLines(TitleLines(1, 1001)));
  WriteRaw(Block(2), JoinLines(TitleLines(1002, 1010)));
  WriteBlock(3, 1011, 1210);
  WriteBlock(4, 1211, 1212);
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 1001));
  EXPECT_EQ(ReadLines(Block(2)), TitleLines(1002, 1212));
  EXPECT_FALSE(FileExists(Block(3)));
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 1001));
  EXPECT_EQ(ReadLines(Block(2)), TitleLines(1002, 1212));
}

TEST_F(StoreTest, ASingleRemainingTitleIsKept) {
  MakeTemp();
  WriteRaw(Block(1), JoinLines({TitleLine(1)}));
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 1));
  WriteBlock(1, 5, 5);
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(5, 5));
}

TEST_F(StoreTest, CompactionNumbersFromOneWithoutGaps) {
  WriteBlock(2, 1, 3);
  WriteBlock(5, 4, 6);
  WriteBlock(9, 7, 9);
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 9));
  for (const int n : {2, 5, 9}) EXPECT_FALSE(FileExists(Block(n))) << n;
}

TEST_F(StoreTest, BlocksWithoutTitlesLeaveNoHistory) {
  MakeTemp();
  WriteRaw(Block(1), "1\r\n");
  WriteRaw(Block(2), "");
  store.CompactHistory();
  EXPECT_FALSE(FileExists(Block(1)));
  EXPECT_FALSE(FileExists(Block(2)));
}

struct LineCase {
  std::string line;
  bool kept;
};

TEST_F(StoreTest, LinkLinesAreDroppedByTheSchemeInTheirFirstNineBytes) {
  const std::vector<LineCase> cases{
      {"http://www.a.com/x.htm", false},
      {"*http://www.a.com/x.htm", false},  // a marked link
      {"https://www.a.com/x", false},      // "://" at bytes 6-8
      {"abcdef://x", false},               // "://" at bytes 7-9
      {"abcdefg://x", true},               // starts at byte 8, ends past 9
      {Gb("…看http://a.com/x…"), true},    // "://" at bytes 9-11
      {"", true},
  };
  MakeTemp();
  StringList lines{"1"};
  for (const auto& c : cases) lines.push_back(c.line);
  WriteRaw(Block(1), JoinLines(lines));
  store.CompactHistory();
  StringList expected;
  for (const auto& c : cases)
    if (c.kept) expected.push_back(c.line);
  EXPECT_EQ(ReadLines(Block(1)), expected);
}

TEST_F(StoreTest, AFailedCompactionSaveLosesNoTitle) {
  WriteBlock(1, 1, 200);
  WriteBlock(2, 201, 400);
  const std::string one = ReadRaw(Block(1));
  const std::string two = ReadRaw(Block(2));
  {
    FileSizeLimit limit(1000);
    store.CompactHistory();
  }
  EXPECT_EQ(ReadRaw(Block(1)), one);
  EXPECT_EQ(ReadRaw(Block(2)), two);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Temp()), {}), 2);
}

TEST_F(StoreTest, AFailedSaveMidwayKeepsTheFilesNotYetSaved) {
  // Six blocks fill the first history file; an old history file of 1500
  // titles after them is too big for the second save.
  for (int b = 1; b <= 6; ++b) WriteBlock(b, (b - 1) * 200 + 1, b * 200);
  MakeTemp();
  WriteRaw(Block(7), JoinLines(TitleLines(2001, 3500)));
  const std::string seventh = ReadRaw(Block(7));
  {
    FileSizeLimit limit(JoinLines(TitleLines(1, 1200)).size() + 10);
    store.CompactHistory();
  }
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 1200));
  for (int n = 2; n <= 6; ++n) EXPECT_FALSE(FileExists(Block(n))) << n;
  EXPECT_EQ(ReadRaw(Block(7)), seventh);
}

TEST_F(StoreTest, AnUnreadableFileStaysWhereItIs) {
  WriteBlock(1, 1, 3);
  WriteBlock(3, 4, 6);
  // Larger than a list is ever loaded whole: it cannot be read.
  { std::ofstream f(Block(2), std::ios::binary); }
  std::filesystem::resize_file(Block(2), (64u << 20) + 1);
  store.CompactHistory();
  EXPECT_EQ(ReadLines(Block(1)), TitleLines(1, 6));
  EXPECT_EQ(std::filesystem::file_size(Block(2)), (64u << 20) + 1);
  EXPECT_FALSE(FileExists(Block(3)));
}

TEST_F(StoreTest, CompactionSurvivesJunkAndAFileNamedTemp) {
  store.CompactHistory();  // nothing there at all
  WriteRaw(Temp(), "not a folder");
  store.CompactHistory();
  EXPECT_EQ(ReadRaw(Temp()), "not a folder");
  std::filesystem::remove(Temp());

  MakeTemp();
  std::string junk(10u << 20, '\0');
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919) >> 3);
  WriteRaw(Block(1), junk);
  WriteBlock(2, 1, 2);
  store.CompactHistory();
  StringList lines;
  for (int n = 1; n <= 100; ++n) {
    const StringList part = ReadLines(Block(n));
    lines.insert(lines.end(), part.begin(), part.end());
  }
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], TitleLine(1));
  EXPECT_EQ(lines.back(), TitleLine(2));
}

}  // namespace
}  // namespace vexo::store_test
