// The store's fast paths against their literal forms: the one-pass site queue
// operations do what the line-by-line lookups did, the word-wise line
// comparison equals the byte-wise one, and the duplicate test that lists the
// Temp folder once per batch answers as the one that tries every name, also
// when block files appear in the middle of a batch.

#include <gtest/gtest.h>

#include <random>

#include "analysis/block_files.h"
#include "analysis/site_queue.h"
#include "tests/analysis/store_fixture.h"

namespace vexo::store_test {
namespace {

// --- literal forms ----------------------------------------------------------------

long Count(const StringList& q) {
  return static_cast<long>(q.size());
}

bool LiteralSameLine(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Lower(a) == Lower(b);
}

int LiteralIndex(const StringList& list, std::string_view line) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (LiteralSameLine(list[i], line)) return static_cast<int>(i);
  return -1;
}

bool LiteralHasAgeMarker(const StringList& q) {
  return LiteralIndex(q, kAgeMarker1) >= 0 || LiteralIndex(q, kAgeMarker2) >= 0 ||
         LiteralIndex(q, kAgeMarker3) >= 0;
}

void LiteralInsertProven(StringList& q, const Bytes& root) {
  const int under = LiteralIndex(q, kPassMarker) + 1;
  const auto insertAt = [&q](int i, const Bytes& line) {
    const auto at = std::min(static_cast<std::size_t>(std::max(i, 0)), q.size());
    q.insert(q.begin() + static_cast<std::ptrdiff_t>(at), line);
  };
  if (!LiteralHasAgeMarker(q)) insertAt(under, Bytes(kAgeMarker1));
  insertAt(under, root);
}

void LiteralRemember(StringList& q, std::string_view link) {
  const Bytes root = SiteRoot(link);
  const int marker = LiteralIndex(q, kPassMarker);
  if (!(Count(q) - (marker + 1) < 411 && Len(root) > 7)) return;
  const int at = LiteralIndex(q, root);
  if (at > 0) q.erase(q.begin() + at);
  LiteralInsertProven(q, root);
}

void LiteralPromote(StringList& q, std::string_view address) {
  if (q.empty() || q.back() == kAgeMarker3) return;
  const Bytes root = SiteRoot(address);
  if (Len(root) <= 7) return;
  const int i = LiteralIndex(q, root);
  const int k = LiteralIndex(q, kAgeMarker1);
  const int m = LiteralIndex(q, kAgeMarker2);
  const int o = LiteralIndex(q, kAgeMarker3);
  if (i > 0 && k + m + o + 2 < i) {
    q.erase(q.begin() + i);
    LiteralInsertProven(q, root);
  }
}

void LiteralAppend(StringList& q, std::string_view link) {
  if (!(Count(q) - LiteralIndex(q, kPassMarker) < 361 &&
        Count(q) - LiteralIndex(q, kAgeMarker3) > 1))
    return;
  const Bytes root = CandidateSiteRoot(link);
  if (Len(root) > 7 && LiteralIndex(q, root) < 0) q.push_back(root);
}

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
    ASSERT_EQ(SameLineIgnoringCase(a, b), LiteralSameLine(a, b)) << a << " / " << b;
    const StringList list = {b, a, b};
    ASSERT_EQ(ResultStore::IndexOfLine(list, a), LiteralIndex(list, a));
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
        LiteralRemember(expected, address);
        break;
      case 1:
        store.PromotePageSite(address);
        LiteralPromote(expected, address);
        break;
      default:
        store.AppendSite(address);
        LiteralAppend(expected, address);
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

    std::vector<int> plain;
    for (const int t : titles) plain.push_back(store.InHistory(Title(t)));
    const ResultStore::HistoryBatch batch(store);
    for (std::size_t i = 0; i < titles.size(); ++i)
      ASSERT_EQ(store.InHistory(Title(titles[i])), plain[i]) << "title " << titles[i];
  }
}

TEST_F(FastHistoryTest, ABlockSavedDuringABatchIsSeenAtOnce) {
  // No Temp folder when the batch begins: the first look finds no history.
  StartRun();
  const ResultStore::HistoryBatch batch(store);
  EXPECT_EQ(store.InHistory(Title(1)), -1);
  for (int i = 1; i <= 200; ++i) ASSERT_EQ(store.AppendTarget(Link(i), Title(i)), 1);
  ASSERT_TRUE(FileExists(Block(1)));
  // The block is no longer in memory, only in its file.
  EXPECT_EQ(store.OpenBlock()->size(), 1u);
  EXPECT_EQ(store.InHistory(Title(1)), 1);
  EXPECT_EQ(store.AppendTarget(Link(1), Title(1)), 0);
  EXPECT_EQ(store.AppendTarget(Link(201), Title(201)), 1);
}

TEST_F(FastHistoryTest, FilesWrittenByOthersCountOnceForgottenOrOutsideABatch) {
  StartRun();
  {
    const ResultStore::HistoryBatch batch(store);
    EXPECT_EQ(store.InHistory(Title(7)), -1);
    WriteBlock(3, 7, 7);  // another part of the program saves a block
    store.ForgetHistoryListing();
    EXPECT_EQ(store.InHistory(Title(7)), 1);
  }
  WriteBlock(4, 8, 8);
  EXPECT_EQ(store.InHistory(Title(8)), 1);
  {
    // Nested batches share one listing; the outer end forgets it.
    const ResultStore::HistoryBatch outer(store);
    {
      const ResultStore::HistoryBatch inner(store);
      EXPECT_EQ(store.InHistory(Title(9)), -1);
    }
    WriteBlock(5, 9, 9);
    EXPECT_EQ(store.InHistory(Title(9)), -1);  // the listing still holds, as promised
  }
  EXPECT_EQ(store.InHistory(Title(9)), 1);
}

TEST_F(FastHistoryTest, AnUnlistableTempFolderFallsBackToTryingEveryName) {
  if (::geteuid() == 0) GTEST_SKIP() << "root lists any folder";
  WriteBlock(2, 11, 11);
  // Searchable but not readable: names can be opened, the folder not listed.
  std::filesystem::permissions(Temp(), std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::remove);
  StartRun();
  {
    const ResultStore::HistoryBatch batch(store);
    EXPECT_EQ(store.InHistory(Title(11)), 1);
  }
  std::filesystem::permissions(Temp(), std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace vexo::store_test
