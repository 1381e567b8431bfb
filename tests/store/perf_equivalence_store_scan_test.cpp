// The store's cheap per-link work against the plain forms it replaced: the
// word-wise case-folding comparison against lower-cased copies on any bytes,
// the early-stopping queue walks and the candidate hints against line-by-line
// lookups over long runs of operations (with the queue edited behind the
// store's back in between), and the open block's duplicate test against a
// lookup of the built title line; the plain forms are in tests/reference.

#include <gtest/gtest.h>

#include <random>

#include "store/block_files.h"
#include "store/folded_line.h"
#include "store/site_queue.h"
#include "tests/reference/folded_line.h"
#include "tests/reference/open_block.h"
#include "tests/reference/site_queue.h"
#include "tests/store/store_fixture.h"

namespace vexo::store_test {
namespace {

// --- random bytes and queues ------------------------------------------------------

// Bytes around the letters and their high-bit twins, where a fold done word
// by word could carry or bleed.
char AnyByte(std::mt19937& rng) {
  static const char kEdges[] = "@AZ[`az{\x80\xC1\xDA\xE1\xFA\xFF\xA1\xAD\x00 /:.";
  static const std::string edges(kEdges, sizeof kEdges - 1);  // with the zero byte
  if (rng() % 2) return edges[rng() % edges.size()];
  return static_cast<char>(rng() % 256);
}

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
  Bytes s(n, ' ');
  for (char& c : s) c = AnyByte(rng);
  return s;
}

// b from a: letter case flipped, bit 5 flipped on other bytes, a byte
// replaced, or the length changed.
Bytes Vary(std::mt19937& rng, Bytes b) {
  for (int k = static_cast<int>(rng() % 4); k > 0 && !b.empty(); --k) {
    char& c = b[rng() % b.size()];
    switch (rng() % 3) {
      case 0:
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
        break;
      case 1:
        c = static_cast<char>(c ^ 0x20);
        break;
      default:
        c = AnyByte(rng);
    }
  }
  if (rng() % 12 == 0) b += AnyByte(rng);
  if (rng() % 12 == 0 && !b.empty()) b.pop_back();
  return b;
}

Bytes RandomHost(std::mt19937& rng) {
  static const std::vector<Bytes> hosts = {
      "www.a.com",   "WWW.A.COM",     "wWw.A.cOm",     "www.b.com.cn", "news.c.net",
      "News.C.NET",  "x.y",           "www.d.org",     "e.com",        "\xD6\xD0.cn",
      "\xF6\xF0.cn", "www.site1.com", "www.site7.com", "www.SITE7.com"};
  return hosts[rng() % hosts.size()];
}

Bytes RandomAddress(std::mt19937& rng) {
  switch (rng() % 8) {
    case 0:
      return "http://" + RandomHost(rng);
    case 1:
      return "http://" + RandomHost(rng) + "/";
    case 2:
    case 3:
      return "http://" + RandomHost(rng) + "/n/" + std::to_string(rng() % 9) + ".htm";
    case 4:
      return "HTTP://" + RandomHost(rng) + "/p.htm";
    case 5:
      return "/s?wd=x&pn=" + std::to_string(rng() % 9);
    case 6:
      return "ftp://" + RandomHost(rng) + "/f";
    default:
      return "http://" + RandomHost(rng) + "/a\r\nb";
  }
}

Bytes RandomLine(std::mt19937& rng) {
  static const std::vector<Bytes> markers = {Bytes(kPassMarker), Bytes(kAgeMarker1),
                                             Bytes(kAgeMarker2), Bytes(kAgeMarker3), "[:??:]"};
  switch (rng() % 10) {
    case 0:
    case 1:
      return markers[rng() % markers.size()];
    case 2:
      return "";
    case 3:
      return "http://" + RandomBytes(rng, 3 + rng() % 8);
    case 4:
      return Vary(rng, SiteRoot(RandomAddress(rng)));
    default:
      return SiteRoot(RandomAddress(rng));
  }
}

// Short queues, and queues filled to just around the limits below the pass
// marker (360 candidates, 411 sites).
StringList RandomQueue(std::mt19937& rng) {
  StringList q;
  const int n = static_cast<int>(rng() % 14);
  for (int i = 0; i < n; ++i) q.push_back(RandomLine(rng));
  if (rng() % 4 == 0) {
    const int top = static_cast<int>(rng() % 5);
    StringList full;
    for (int i = 0; i < top; ++i)
      full.push_back("http://www.engine" + std::to_string(i) + ".com/s");
    if (rng() % 6 != 0) full.push_back(Bytes(kPassMarker));
    const int fill = (rng() % 2 ? 355 : 405) + static_cast<int>(rng() % 12);
    for (int i = 0; i < fill; ++i) {
      full.push_back(rng() % 40 == 0 ? RandomLine(rng)
                                     : "http://www.filler" + std::to_string(i) + ".com");
    }
    for (Bytes& line : q) full.push_back(std::move(line));
    q = std::move(full);
  }
  return q;
}

// What the scheduler, the tracking control and the viewer may do to the queue
// between two site operations.
void EditBehindTheStore(std::mt19937& rng, StringList& q) {
  switch (rng() % 8) {
    case 0:
      if (!q.empty()) q.erase(q.begin());
      break;
    case 1:
      q.insert(q.begin(), "http://www.engine.com/s?wd=" + std::to_string(rng() % 5));
      break;
    case 2:
      if (!q.empty()) q[rng() % q.size()] = RandomLine(rng);
      break;
    case 3:
      if (!q.empty()) q.erase(q.begin() + static_cast<std::ptrdiff_t>(rng() % q.size()));
      break;
    case 4:
      if (rng() % 10 == 0) q.clear();
      break;
    case 5:
      if (rng() % 10 == 0) q = RandomQueue(rng);
      break;
    default:
      break;  // mostly the store works on its own
  }
}

// --- the comparison -------------------------------------------------------------------

TEST(FoldedLines, WordWiseComparisonEqualsLowerCasedCopiesOnAnyBytes) {
  std::mt19937 rng(31);
  int same = 0;
  for (int round = 0; round < 60000; ++round) {
    const Bytes a = RandomBytes(rng, rng() % 41);
    const Bytes b = rng() % 8 == 0 ? RandomBytes(rng, a.size()) : Vary(rng, a);
    const bool plain = reference::SameLine(a, b);
    ASSERT_EQ(SameLineFolded(a, b), plain) << round;
    ASSERT_EQ(SameLineIgnoringCase(a, b), plain) << round;
    if (a.size() == b.size()) {
      ASSERT_EQ(SameBytesFolded(a.data(), b.data(), a.size()), plain);
    }
    if (plain) {
      ASSERT_EQ(FoldedHash(a), FoldedHash(b)) << round;
      ++same;
    }
    const StringList list = {b, Vary(rng, a), a, b};
    ASSERT_EQ(ResultStore::IndexOfLine(list, a), reference::IndexOfLine(list, a)) << round;
  }
  // Both answers occur often, not only the length mismatch.
  EXPECT_GT(same, 10000);
}

TEST(FoldedLines, OnlyAsciiLettersFold) {
  // 0xC1 and 0xE1 differ by the same bit as 'A' and 'a' but are not letters;
  // '@' and '`', '[' and '{' neither.
  const struct {
    Bytes a, b;
    bool same;
  } cases[] = {
      {"HTTP://WWW.A.COM", "http://www.a.com", true},
      {"http://www.a.co\xC1", "http://www.a.co\xE1", false},
      {"http://www.a.co@", "http://www.a.co`", false},
      {"[:--:]", "{:--:}", false},
      {"\xC1\xC1\xC1\xC1\xC1\xC1\xC1\xC1\xC1", "\xE1\xE1\xE1\xE1\xE1\xE1\xE1\xE1\xE1", false},
      {"Zz", "zZ", true},
      {"", "", true},
      {"abcdefghijklmnopq", "ABCDEFGHIJKLMNOPQ", true},
      {"abcdefghijklmnopq", "ABCDEFGHIJKLMNOPR", false},
      {"xbcdefghijklmnopq", "ABCDEFGHIJKLMNOPQ", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameLineFolded(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(reference::SameLine(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}

// --- the site operations -------------------------------------------------------

class SiteQueueWalkTest : public StoreTest {};

TEST_F(SiteQueueWalkTest, LongRunsOfOperationsMatchTheLineByLineLookups) {
  std::mt19937 rng(32);
  StartRun();
  int changed = 0;
  int ops = 0;
  for (int run = 0; run < 200; ++run) {
    // A fresh store now and then: hints of an earlier queue must not leak.
    if (run % 25 == 0) StartRun();
    StringList expected = RandomQueue(rng);
    *store.SiteQueue() = expected;
    for (int step = 0; step < 40; ++step, ++ops) {
      EditBehindTheStore(rng, expected);
      *store.SiteQueue() = expected;
      const StringList before = expected;
      const Bytes address = rng() % 3 == 0 && !expected.empty()
                                ? expected[rng() % expected.size()] + "/x.htm"
                                : RandomAddress(rng);
      const int op = static_cast<int>(rng() % 4);
      switch (op) {
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
      ASSERT_EQ(*store.SiteQueue(), expected)
          << "run " << run << " step " << step << " operation " << op << " on " << address;
      changed += expected != before;
    }
  }
  // Every branch is reached, not only the early returns.
  EXPECT_GT(changed, ops / 5);
}

TEST_F(SiteQueueWalkTest, AHintedSiteThatMovedIsLookedForAgain) {
  StartRun();
  StringList& q = *store.SiteQueue();
  store.AppendSite("http://www.a.com/1.htm");
  store.AppendSite("http://www.b.com/1.htm");
  ASSERT_EQ(q, (StringList{Bytes(kPassMarker), "http://www.a.com", "http://www.b.com"}));
  // The lines trade places behind the store: both are still there.
  std::swap(q[1], q[2]);
  store.AppendSite("http://WWW.A.COM/2.htm");
  store.AppendSite("http://www.b.com/2.htm");
  EXPECT_EQ(q.size(), 3u);
  // Gone: a hint that names another line does not stop the append.
  q.erase(q.begin() + 2);
  store.AppendSite("http://www.a.com/3.htm");
  EXPECT_EQ(q, (StringList{Bytes(kPassMarker), "http://www.b.com", "http://www.a.com"}));
  // Engine URLs put on top move every candidate down.
  q.insert(q.begin(), {"http://e1/s", "http://e2/s"});
  store.AppendSite("http://www.b.com/4.htm");
  store.AppendSite("http://www.a.com/4.htm");
  EXPECT_EQ(q.size(), 5u);
  // An emptied queue takes no candidate at all.
  q.clear();
  store.AppendSite("http://www.a.com/5.htm");
  EXPECT_TRUE(q.empty());
}

// --- the open block's duplicate test -----------------------------------------------

class OpenBlockDuplicateTest : public StoreTest {};

TEST_F(OpenBlockDuplicateTest, AnswersAsTheLookupOfTheBuiltTitleLine) {
  std::mt19937 rng(33);
  const Bytes mark = Gb("…");
  const std::vector<Bytes> words = {Gb("新闻"), "Nokia", "NOKIA", "nokia", "\xC1\xE1", "[x]", " "};
  const auto randomTitle = [&] {
    Bytes t;
    const int n = 1 + static_cast<int>(rng() % 5);
    for (int i = 0; i < n; ++i) t += words[rng() % words.size()];
    if (rng() % 5 == 0) t += RandomBytes(rng, rng() % 6);
    return t;
  };
  int accepted = 0;
  int refused = 0;
  for (int run = 0; run < 60; ++run) {
    StartRun(run + 1);
    StringList expected = *store.OpenBlock();
    Bytes sum1 = host.sum1 = "0";
    // Odd lines the block may hold: marked links, empty lines, a link line
    // that looks like a title line.
    if (run % 3 == 0) {
      expected.push_back(mark + "Nokia" + Gb("新闻") + "NOKIA" + mark);
      expected.push_back("");
    }
    *store.EditOpenBlock() = expected;
    for (int step = 0; step < 150 && expected.size() < 390; ++step) {
      Bytes title = step > 0 && rng() % 3 == 0 ? Vary(rng, randomTitle()) : randomTitle();
      if (rng() % 4 == 0 && expected.size() > 2) {
        // A title already stored, in another case or a byte off.
        const Bytes& line = expected[expected.size() - 1 - 2 * (rng() % (expected.size() / 2))];
        if (line.size() > 2 * mark.size()) {
          title = line.substr(mark.size(), line.size() - 2 * mark.size());
          if (rng() % 2) title = Vary(rng, title);
        }
      }
      const Bytes link = rng() % 9 == 0 ? mark + "http://x.com/" + title
                                        : "http://www.a.com/" + std::to_string(step) + ".htm";
      const int answer = store.AppendTarget(link, title);
      ASSERT_EQ(answer, reference::AppendTarget(expected, sum1, link, title))
          << run << " / " << step;
      ASSERT_EQ(*store.OpenBlock(), expected) << run << " / " << step;
      (answer == 1 ? accepted : refused) += 1;
    }
  }
  EXPECT_GT(accepted, 1000);
  EXPECT_GT(refused, 1000);
}

}  // namespace
}  // namespace vexo::store_test
