// The store's fast paths against their plain forms (tests/reference): the
// one-pass site queue operations do what the line-by-line lookups did, the
// word-wise line comparison equals the byte-wise one, and the history index
// sees block files as they come, whoever writes them.

#include <gtest/gtest.h>

#include <random>

#include "store/block_files.h"
#include "store/site_queue.h"
#include "tests/reference/folded_line.h"
#include "tests/reference/history_search.h"
#include "tests/reference/site_queue.h"
#include "tests/store/store_fixture.h"

namespace vexo::store_test {
namespace {

// --- random queues ----------------------------------------------------------------

Bytes RandomHost(std::mt19937& rng) {
  static const std::vector<Bytes> hosts = {"www.a.com",  "WWW.A.COM", "www.b.com.cn", "news.c.net",
                                           "News.C.net", "x.y",       "www.d.org",    "e.com"};
  return hosts[rng() % hosts.size()];
}

Bytes RandomAddress(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0:
      return "http://" + RandomHost(rng);
    case 1:
      return "http://" + RandomHost(rng) + "/";
    case 2:
      return "http://" + RandomHost(rng) + "/n/" + std::to_string(rng() % 9) + ".htm";
    case 3:
      return "HTTP://" + RandomHost(rng) + "/p.htm";
    case 4:
      return "ftp://" + RandomHost(rng) + "/f";
    default:
      return "http://" + RandomHost(rng) + "/a\r\nb";
  }
}

StringList RandomQueue(std::mt19937& rng) {
  StringList q;
  const std::vector<Bytes> markers = {Bytes(kPassMarker), Bytes(kAgeMarker1), Bytes(kAgeMarker2),
                                      Bytes(kAgeMarker3)};
  const int n = static_cast<int>(rng() % 14);
  for (int i = 0; i < n; ++i) {
    const auto r = rng() % 10;
    if (r < 3)
      q.push_back(markers[rng() % markers.size()]);
    else if (r < 4)
      q.push_back("[:??:]");  // same length as a marker
    else if (r < 5)
      q.push_back("http://12345678");  // same length as some roots
    else
      q.push_back(SiteRoot(RandomAddress(rng)));
  }
  // Now and then a full queue, to reach the size limits.
  if (rng() % 8 == 0) {
    const int fill = 350 + static_cast<int>(rng() % 80);
    for (int i = 0; i < fill; ++i) q.push_back("http://www.filler" + std::to_string(i) + ".com");
  }
  return q;
}

// --- the comparisons ------------------------------------------------------------------

TEST(FastStoreEquivalence, WordWiseLineComparisonEqualsTheByteWiseOne) {
  std::mt19937 rng(21);
  const std::string alphabet = "aAzZ@[`{09:/.\xC1\xE1\xA1";
  for (int round = 0; round < 20000; ++round) {
    Bytes a(rng() % 30, 'x');
    for (char& c : a) c = alphabet[rng() % alphabet.size()];
    Bytes b = a;
    // Change case or bytes here and there.
    for (int k = static_cast<int>(rng() % 3); k > 0 && !b.empty(); --k) {
      char& c = b[rng() % b.size()];
      c = rng() % 2 ? static_cast<char>(c ^ 0x20) : alphabet[rng() % alphabet.size()];
    }
    if (rng() % 10 == 0) b += 'x';
    ASSERT_EQ(SameLineIgnoringCase(a, b), reference::SameLine(a, b)) << a << " / " << b;
    const StringList list = {b, a, b};
    ASSERT_EQ(ResultStore::IndexOfLine(list, a), reference::IndexOfLine(list, a));
  }
}

class FastSiteQueueTest : public StoreTest {};

TEST_F(FastSiteQueueTest, SiteOperationsMatchTheLineByLineLookups) {
  std::mt19937 rng(22);
  StartRun();
  int changed = 0;
  for (int round = 0; round < 6000; ++round) {
    const StringList before = RandomQueue(rng);
    StringList expected = before;
    *store.SiteQueue() = before;
    const Bytes address = RandomAddress(rng);
    switch (round % 3) {
      case 0:
        store.RememberSite(address);
        reference::RememberSite(expected, address);
        break;
      case 1:
        store.PromotePageSite(address);
        reference::PromotePageSite(expected, address);
        break;
      default:
        store.AppendSite(address);
        reference::AppendSite(expected, address);
        break;
    }
    ASSERT_EQ(*store.SiteQueue(), expected) << "operation " << round % 3 << " on " << address;
    changed += expected != before;
  }
  // The random queues reach every branch, not only the early returns.
  EXPECT_GT(changed, 1500);
}

class FastHistoryTest : public StoreTest {};

TEST_F(FastHistoryTest, ListedHistoryAnswersAsTryingEveryName) {
  std::mt19937 rng(23);
  for (int round = 0; round < 30; ++round) {
    std::filesystem::remove_all(Temp());
    if (round % 6 != 0) {
      MakeTemp();
      // Block files at random numbers, and names that only look like them.
      for (int n = 1; n <= 100; ++n) {
        if (n != 9 && rng() % 12 == 0) WriteBlock(n, n * 10, n * 10 + 2);
      }
      WriteRaw(Temp() + "/07.tmp", JoinLines(TitleLines(5000, 5001)));
      WriteRaw(Temp() + "/101.tmp", JoinLines(TitleLines(5002, 5003)));
      WriteRaw(Temp() + "/8.tmp.bak", JoinLines(TitleLines(5004, 5005)));
      std::filesystem::create_directories(Temp() + "/9.tmp");
    }
    std::vector<int> titles = {5000, 5002, 5004, 77777};
    for (int i = 0; i < 20; ++i) titles.push_back(static_cast<int>(rng() % 1010));
    for (const int t : titles) {
      ASSERT_EQ(store.InHistory(Title(t)) == 1, reference::HistoryHolds(Temp(), {}, Title(t)))
          << "title " << t;
    }
  }
}

TEST_F(FastHistoryTest, ABlockSavedIsSeenAtOnce) {
  // No Temp folder at first: the first look finds no history.
  StartRun();
  EXPECT_EQ(store.InHistory(Title(1)), -1);
  for (int i = 1; i <= 200; ++i) ASSERT_EQ(store.AppendTarget(Link(i), Title(i)), 1);
  ASSERT_TRUE(FileExists(Block(1)));
  // The block is no longer in memory, only in its file.
  EXPECT_EQ(store.OpenBlock()->size(), 1u);
  EXPECT_EQ(store.InHistory(Title(1)), 1);
  EXPECT_EQ(store.AppendTarget(Link(1), Title(1)), 0);
  EXPECT_EQ(store.AppendTarget(Link(201), Title(201)), 1);
}

TEST_F(FastHistoryTest, FilesWrittenByOthersCountAtTheNextTest) {
  StartRun();
  EXPECT_EQ(store.InHistory(Title(7)), -1);
  WriteBlock(3, 7, 7);  // another part of the program saves a block
  EXPECT_EQ(store.InHistory(Title(7)), 1);
  WriteRaw(Block(3), JoinLines(BlockLines(3, 8, 8)));  // rewritten in place
  EXPECT_EQ(store.InHistory(Title(7)), -1);
  EXPECT_EQ(store.InHistory(Title(8)), 1);
  std::filesystem::rename(Block(3), Block(5));
  EXPECT_EQ(store.InHistory(Title(8)), 1);
  std::filesystem::remove(Block(5));
  EXPECT_EQ(store.InHistory(Title(8)), -1);
  // The whole folder replaced.
  WriteBlock(4, 9, 9);
  EXPECT_EQ(store.InHistory(Title(9)), 1);
  std::filesystem::rename(Temp(), root_ + "/old");
  EXPECT_EQ(store.InHistory(Title(9)), -1);
  std::filesystem::rename(root_ + "/old", Temp());
  EXPECT_EQ(store.InHistory(Title(9)), 1);
}

TEST_F(FastHistoryTest, AnUnlistableTempFolderFallsBackToTryingEveryName) {
  if (::geteuid() == 0) GTEST_SKIP() << "root lists any folder";
  WriteBlock(2, 11, 11);
  // Searchable but not readable: names can be opened, the folder not listed.
  std::filesystem::permissions(Temp(), std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::remove);
  StartRun();
  EXPECT_EQ(store.InHistory(Title(11)), 1);
  std::filesystem::permissions(Temp(), std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace vexo::store_test
