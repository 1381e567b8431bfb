#include "platform/byte_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/step_widths.h"

namespace vexo {
namespace {

TEST(FindBytes, AgreesWithStringViewFindOnKnownCases) {
  struct Case {
    std::string hay, needle;
  };
  const Case cases[] = {
      {"", ""},
      {"", "a"},
      {"a", ""},
      {"abc", "abcd"},
      {"abc", "abc"},
      {"xxabc", "abc"},
      {"aaaaab", "aab"},
      {"<a href=x>", "href="},
      {std::string(40, 'a') + "b", "ab"},
      {std::string(15, 'x') + "needle", "needle"},  // straddles the first block
      {std::string(16, 'x') + "ne", "ne"},
      {"\xd6\xd0\xce\xc4\xd6\xd0", "\xd6\xd0"},
      {std::string(100, '\xff') + "\xff\xfe", "\xff\xfe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindBytes(c.hay, c.needle), std::string_view(c.hay).find(c.needle))
        << c.hay << " / " << c.needle;
  }
}

using step_widths::BothStepWidths;

INSTANTIATE_TEST_SUITE_P(ByteSearch, BothStepWidths, ::testing::Values(true, false),
                         step_widths::Name);

TEST_P(BothStepWidths, FindBytesOnRandomTextsAtEveryLengthAndAlignment) {
  std::mt19937 rng(7);
  const std::string alphabets[] = {"ab", "abc<>/", std::string("\xd6\xd0\xce\xc4\x80\xff", 6)};
  for (int round = 0; round < 20000; ++round) {
    const std::string& alpha = alphabets[round % 3];
    auto text = [&](std::size_t n) {
      std::string s;
      for (std::size_t i = 0; i < n; ++i) s += alpha[rng() % alpha.size()];
      return s;
    };
    const std::size_t n = rng() % 90;
    const std::string hay = text(n);
    std::string needle = text(rng() % 8);
    if (n > 0 && rng() % 3 == 0) {  // a needle that does occur
      const std::size_t at = rng() % n;
      needle = hay.substr(at, 1 + rng() % 20);
    }
    std::unique_ptr<char[]> exact(new char[n > 0 ? n : 1]);
    std::copy(hay.begin(), hay.end(), exact.get());
    const std::string_view view(exact.get(), n);
    ASSERT_EQ(FindBytes(view, needle), std::string_view(hay).find(needle))
        << "hay=" << hay << " needle=" << needle;
  }
}

TEST_P(BothStepWidths, AnyOfSearchesAgreeWithFindFirstAndLastOf) {
  std::mt19937 rng(5);
  const std::string sets[] = {"", "<", "<>", "<>&", "<>&%", "\xa1\xff", " ;\"'<>", "abcdefgh"};
  constexpr std::size_t kSets = sizeof sets / sizeof sets[0];
  for (int round = 0; round < 20000; ++round) {
    const std::size_t n = rng() % 70;
    std::unique_ptr<char[]> exact(new char[n > 0 ? n : 1]);
    for (std::size_t i = 0; i < n; ++i) {
      // Mostly bytes outside every set, so that hits fall at any offset.
      exact[i] = rng() % 12 == 0 ? " ;\"'<>&%\xa1\xff\x01\x20\x21\n"[rng() % 14]
                                 : static_cast<char>('i' + rng() % 18);
    }
    const std::string_view hay(exact.get(), n);
    const std::string& set = sets[static_cast<std::size_t>(round) % kSets];
    ASSERT_EQ(FindAnyOf(hay, set), hay.find_first_of(set)) << "round " << round;
    ASSERT_EQ(FindLastAnyOf(hay, set), hay.find_last_of(set)) << "round " << round;
    // Every stop, and none after the walk is told to end at the third.
    std::vector<std::size_t> stops;
    std::vector<std::size_t> walked;
    for (std::size_t i = 0; i < n; ++i) {
      if (static_cast<unsigned char>(hay[i]) <= 0x20 || set.find(hay[i]) != std::string::npos)
        stops.push_back(i);
    }
    ControlOrAnyOf(set).ForEach(hay, [&](std::size_t i) {
      walked.push_back(i);
      return walked.size() < 3;
    });
    stops.resize(std::min<std::size_t>(stops.size(), 3));
    ASSERT_EQ(walked, stops) << "round " << round;
    ASSERT_EQ(HoldsNoLineBreak(hay), hay.find_first_of("\r\n") == std::string_view::npos);
  }
}

TEST(CountBytesAbove80, AgreesWithAByteByByteCount) {
  std::mt19937 rng(3);
  const unsigned char edges[] = {0x00, 0x7F, 0x80, 0x81, 0xFF};
  for (int round = 0; round < 5000; ++round) {
    // Now and then longer than 255 blocks of 16, where the lane counts would
    // overflow.
    const std::size_t n = round % 500 == 0 ? 4080 + rng() % 5000 : rng() % 100;
    std::unique_ptr<char[]> exact(new char[n > 0 ? n : 1]);
    std::size_t expected = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const auto c = static_cast<unsigned char>(n > 4000    ? 0x81 + rng() % 0x7F
                                                : rng() % 2 ? edges[rng() % 5]
                                                            : rng() % 256);
      exact[i] = static_cast<char>(c);
      expected += c > 0x80;
    }
    ASSERT_EQ(CountBytesAbove80(std::string_view(exact.get(), n)), expected) << "round " << round;
  }
}

TEST(FindLastNonLeadByte, AgreesWithAByteByByteLookBack) {
  std::mt19937 rng(11);
  const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x81, 0xA1, 0xFE, 0xFF};
  for (int round = 0; round < 20000; ++round) {
    const std::size_t n = rng() % 70;
    std::unique_ptr<char[]> exact(new char[n > 0 ? n : 1]);
    for (std::size_t i = 0; i < n; ++i) {
      // Mostly lead-range bytes, as in Chinese text, with an odd edge byte.
      exact[i] = static_cast<char>(rng() % 10 == 0 ? edges[rng() % 8] : 0x81 + rng() % 0x7E);
    }
    const std::string_view s(exact.get(), n);
    std::size_t expected = std::string_view::npos;
    for (std::size_t i = n; i-- > 0;) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      if (c < 0x81 || c == 0xFF) {
        expected = i;
        break;
      }
    }
    ASSERT_EQ(FindLastNonLeadByte(s), expected) << "round " << round;
  }
}

}  // namespace
}  // namespace vexo
