#include "platform/byte_search.h"

#include <string.h>

#include <atomic>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef VEXO_WIDE_STEPS
#include <immintrin.h>
#endif

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

bool ProcessorHasWideSteps() {
#ifdef VEXO_WIDE_STEPS
  // Also asks whether the system saves the 32-byte registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

std::atomic<bool> wideSteps{ProcessorHasWideSteps()};

}  // namespace

bool WideStepsOn() {
  return wideSteps.load(std::memory_order_relaxed);
}

void AllowWideSteps(bool allowed) {
  wideSteps.store(allowed && ProcessorHasWideSteps(), std::memory_order_relaxed);
}

namespace {

std::size_t ScalarFind(const char* hay, std::size_t n, std::string_view needle) {
  const std::size_t k = needle.size();
  if (k > n) return kNpos;
  const char first = needle.front();
  for (std::size_t i = 0; i + k <= n;) {
    const void* hit = ::memchr(hay + i, first, n - k + 1 - i);
    if (hit == nullptr) return kNpos;
    i = static_cast<std::size_t>(static_cast<const char*>(hit) - hay);
    if (::memcmp(hay + i + 1, needle.data() + 1, k - 1) == 0) return i;
    ++i;
  }
  return kNpos;
}

// The first start among those whose bits are set in `mask` (bit b: start
// from + b, its first and last bytes matching) where the whole needle is;
// kNpos when none. Needles here are at least two bytes long.
inline std::size_t NeedleAmong(unsigned mask, const char* h, std::size_t from,
                               std::string_view needle) {
  for (; mask != 0; mask &= mask - 1) {
    const std::size_t at = from + static_cast<std::size_t>(__builtin_ctz(mask));
    if (::memcmp(h + at + 1, needle.data() + 1, needle.size() - 2) == 0) return at;
  }
  return kNpos;
}

#ifdef VEXO_WIDE_STEPS
// The 16-byte loop of FindBytes below, 32 positions a step: from i on while
// a whole step fits, leaving i where it stopped.
VEXO_WIDE std::size_t FindBytesWide(std::string_view hay, std::string_view needle, std::size_t& i) {
  const std::size_t k = needle.size();
  const std::size_t n = hay.size();
  const __m256i first = _mm256_set1_epi8(needle.front());
  const __m256i last = _mm256_set1_epi8(needle.back());
  const char* const h = hay.data();
  for (; i + 32 + k - 1 <= n; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + k - 1));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
    if (mask == 0) continue;
    const std::size_t hit = NeedleAmong(mask, h, i, needle);
    if (hit != kNpos) return hit;
  }
  return kNpos;
}
#endif

}  // namespace

std::size_t FindBytes(std::string_view hay, std::string_view needle) {
  const std::size_t k = needle.size();
  const std::size_t n = hay.size();
  if (k == 0) return 0;
  if (k > n) return kNpos;
  if (k == 1) {
    const void* hit = ::memchr(hay.data(), needle.front(), n);
    return hit == nullptr ? kNpos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - hay.data());
  }
  std::size_t i = 0;
#ifdef VEXO_WIDE_STEPS
  if (WideStepsOn()) {
    const std::size_t hit = FindBytesWide(hay, needle, i);
    if (hit != kNpos) return hit;
  }
#endif
#ifdef __SSE2__
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i last = _mm_set1_epi8(needle.back());
  const char* const h = hay.data();
  // Bit b: start s + b has the needle's first and last bytes. The last-byte
  // load ends at s + 15 + k - 1, which must stay inside the text.
  const auto ends = [&](std::size_t s) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + s));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + s + k - 1));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
  };
  for (; i + 16 + k - 1 <= n; i += 16) {
    const unsigned mask = ends(i);
    if (mask == 0) continue;
    const std::size_t hit = NeedleAmong(mask, h, i, needle);
    if (hit != kNpos) return hit;
  }
  // Fewer than 16 starts are left: one more block of starts, the last 16
  // there are, with those before i masked off.
  if (i + k <= n && n >= 16 + k - 1) {
    const std::size_t s = n - k - 15;
    return NeedleAmong(ends(s) >> (i - s), h, i, needle);
  }
#endif
  const std::size_t rest = ScalarFind(hay.data() + i, n - i, needle);
  return rest == kNpos ? kNpos : i + rest;
}

namespace {

// The any-of searches, with the number of bytes looked for fixed at compile
// time so that each block costs one compare per byte of the set.
template <std::size_t N>
struct ByteSet {
  explicit ByteSet(std::string_view set) {
    for (std::size_t k = 0; k < N; ++k) bytes[k] = set[k];
  }
  bool Holds(char c) const {
    for (const char b : bytes)
      if (c == b) return true;
    return false;
  }
#ifdef __SSE2__
  // Bit i set where byte i of the 16 at p is in the set.
  struct Matcher {
    explicit Matcher(const ByteSet& set) {
      for (std::size_t k = 0; k < N; ++k) c[k] = _mm_set1_epi8(set.bytes[k]);
    }
    unsigned Mask(const char* p) const {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i hit = _mm_cmpeq_epi8(b, c[0]);
      for (std::size_t k = 1; k < N; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(b, c[k]));
      return static_cast<unsigned>(_mm_movemask_epi8(hit));
    }
    __m128i c[N];
  };
#endif
  char bytes[N];
};

#ifdef VEXO_WIDE_STEPS
// The 16-byte loop of FirstOf below, 32 bytes a step.
template <std::size_t N>
VEXO_WIDE std::size_t FirstOfWide(std::string_view hay, const ByteSet<N>& set, std::size_t& i) {
  __m256i c[N];
  for (std::size_t k = 0; k < N; ++k) c[k] = _mm256_set1_epi8(set.bytes[k]);
  for (; i + 32 <= hay.size(); i += 32) {
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hay.data() + i));
    __m256i hit = _mm256_cmpeq_epi8(b, c[0]);
    for (std::size_t k = 1; k < N; ++k) hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(b, c[k]));
    const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
  return kNpos;
}
#endif

template <std::size_t N>
std::size_t FirstOf(std::string_view hay, std::string_view set) {
  const ByteSet<N> bytes(set);
  std::size_t i = 0;
  const std::size_t n = hay.size();
#ifdef VEXO_WIDE_STEPS
  // Short stretches, the most common, skip the set-up of the wide registers.
  if (n >= 32 && WideStepsOn()) {
    const std::size_t hit = FirstOfWide(hay, bytes, i);
    if (hit != kNpos) return hit;
  }
#endif
#ifdef __SSE2__
  const typename ByteSet<N>::Matcher matcher(bytes);
  for (; i + 16 <= n; i += 16) {
    const unsigned mask = matcher.Mask(hay.data() + i);
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
  // The last few bytes: the block that ends with the text, its bytes before
  // i masked off.
  if (i < n && n >= 16) {
    const unsigned mask = matcher.Mask(hay.data() + n - 16) >> (i - (n - 16));
    return mask != 0 ? i + static_cast<std::size_t>(__builtin_ctz(mask)) : kNpos;
  }
#endif
  for (; i < n; ++i) {
    if (bytes.Holds(hay[i])) return i;
  }
  return kNpos;
}

template <std::size_t N>
std::size_t LastOf(std::string_view hay, std::string_view set) {
  const ByteSet<N> bytes(set);
  std::size_t end = hay.size();
#ifdef __SSE2__
  const typename ByteSet<N>::Matcher matcher(bytes);
  for (; end >= 16; end -= 16) {
    const unsigned mask = matcher.Mask(hay.data() + end - 16);
    if (mask != 0) return end - 16 + static_cast<std::size_t>(31 - __builtin_clz(mask));
  }
  // The first few bytes: the block that starts the text, its bytes from end
  // on masked off.
  if (end > 0 && hay.size() >= 16) {
    const unsigned mask = matcher.Mask(hay.data()) & ((1u << end) - 1);
    return mask != 0 ? static_cast<std::size_t>(31 - __builtin_clz(mask)) : kNpos;
  }
#endif
  while (end > 0) {
    if (bytes.Holds(hay[--end])) return end;
  }
  return kNpos;
}

// Calls Search<N> for the size of the set (at most eight bytes are used).
template <template <std::size_t> class Search>
std::size_t BySetSize(std::string_view hay, std::string_view set) {
  switch (set.size()) {
    case 0:
      return kNpos;
    case 1:
      return Search<1>::Run(hay, set);
    case 2:
      return Search<2>::Run(hay, set);
    case 3:
      return Search<3>::Run(hay, set);
    case 4:
      return Search<4>::Run(hay, set);
    case 5:
      return Search<5>::Run(hay, set);
    case 6:
      return Search<6>::Run(hay, set);
    case 7:
      return Search<7>::Run(hay, set);
    default:
      return Search<8>::Run(hay, set);
  }
}

template <std::size_t N>
struct First {
  static std::size_t Run(std::string_view hay, std::string_view set) {
    return FirstOf<N>(hay, set);
  }
};

template <std::size_t N>
struct Last {
  static std::size_t Run(std::string_view hay, std::string_view set) { return LastOf<N>(hay, set); }
};

}  // namespace

std::size_t FindAnyOf(std::string_view hay, std::string_view set) {
  return BySetSize<First>(hay, set);
}

std::size_t FindLastAnyOf(std::string_view hay, std::string_view set) {
  return BySetSize<Last>(hay, set);
}

ControlOrAnyOf::ControlOrAnyOf(std::string_view set) {
  for (int b = 0; b <= 0x20; ++b) holds_[static_cast<std::size_t>(b)] = true;
  set = set.substr(0, kMaxSet);
  for (const char c : set) holds_[static_cast<unsigned char>(c)] = true;
#ifdef __SSE2__
  for (std::size_t k = 0; k < kMaxSet; ++k)
    bytes_[k] = _mm_set1_epi8(k < set.size() ? set[k] : ' ');
#endif
}

#ifdef VEXO_WIDE_STEPS
namespace {

// The 16-byte loop of LowerWholeBlocks below, 32 bytes a step.
VEXO_WIDE std::size_t LowerWideBlocks(const char* in, char* out, std::size_t n) {
  const __m256i below = _mm256_set1_epi8('A' - 1);
  const __m256i above = _mm256_set1_epi8('Z' + 1);
  const __m256i bit = _mm256_set1_epi8(0x20);
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i upper =
        _mm256_and_si256(_mm256_cmpgt_epi8(x, below), _mm256_cmpgt_epi8(above, x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_or_si256(x, _mm256_and_si256(upper, bit)));
  }
  return i;
}

}  // namespace
#endif

std::size_t LowerWholeBlocks(const char* in, char* out, std::size_t n) {
  std::size_t i = 0;
#ifdef VEXO_WIDE_STEPS
  if (WideStepsOn()) i = LowerWideBlocks(in, out, n);
#endif
#ifdef __SSE2__
  // As signed bytes 'A'..'Z' are the only ones above '@' and below '['; the
  // high bytes of double-byte characters are negative and never match.
  const __m128i below = _mm_set1_epi8('A' - 1);
  const __m128i above = _mm_set1_epi8('Z' + 1);
  const __m128i bit = _mm_set1_epi8(0x20);
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(x, below), _mm_cmplt_epi8(x, above));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_or_si128(x, _mm_and_si128(upper, bit)));
  }
#else
  (void)in;
  (void)out;
  (void)n;
#endif
  return i;
}

bool HoldsNoLineBreak(std::string_view s) {
  return FindAnyOf(s, "\r\n") == kNpos;
}

std::size_t CountBytesAbove80(std::string_view s) {
  std::size_t count = 0;
  std::size_t i = 0;
#ifdef __SSE2__
  // With the top bit flipped the bytes above 80 are the positive ones; each
  // lane counts its hits (a hit compares as -1) for at most 255 blocks, then
  // the lanes are summed.
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= s.size()) {
    __m128i lanes = zero;
    for (int blocks = 0; blocks < 255 && i + 16 <= s.size(); ++blocks, i += 16) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
      lanes = _mm_sub_epi8(lanes, _mm_cmpgt_epi8(_mm_xor_si128(b, flip), zero));
    }
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
  // The last few bytes: the block that ends with the text, its bytes before
  // i (counted already) masked off.
  if (i < s.size() && s.size() >= 16) {
    const std::size_t from = s.size() - 16;
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + from));
    const auto above =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(_mm_xor_si128(b, flip), zero)));
    return count + static_cast<std::size_t>(__builtin_popcount(above >> (i - from)));
  }
#endif
  for (; i < s.size(); ++i) count += static_cast<unsigned char>(s[i]) > 0x80;
  return count;
}

std::size_t FindLastNonLeadByte(std::string_view s) {
  std::size_t end = s.size();
#ifdef __SSE2__
  // As signed bytes the lead range is -127..-2.
  const __m128i minusTwo = _mm_set1_epi8(-2);
  const __m128i minus128 = _mm_set1_epi8(-128);
  const auto nonLead = [&](const char* p) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi8(b, minusTwo), _mm_cmpeq_epi8(b, minus128))));
  };
  for (; end >= 16; end -= 16) {
    const unsigned mask = nonLead(s.data() + end - 16);
    if (mask != 0) return end - 16 + static_cast<std::size_t>(31 - __builtin_clz(mask));
  }
  // The first few bytes: the block that starts the text, its bytes from end
  // on masked off.
  if (end > 0 && s.size() >= 16) {
    const unsigned mask = nonLead(s.data()) & ((1u << end) - 1);
    return mask != 0 ? static_cast<std::size_t>(31 - __builtin_clz(mask)) : kNpos;
  }
#endif
  while (end > 0) {
    const unsigned char c = static_cast<unsigned char>(s[--end]);
    if (c < 0x81 || c == 0xFF) return end;
  }
  return kNpos;
}

}  // namespace vexo
