#include "platform/byte_search.h"

#include <string.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

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
#ifdef __SSE2__
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i last = _mm_set1_epi8(needle.back());
  const char* const h = hay.data();
  // Block i covers start positions i..i+15; its last-byte load ends at
  // i + 15 + k - 1, which must stay inside the text.
  for (; i + 16 + k - 1 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + k - 1));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (::memcmp(h + i + bit + 1, needle.data() + 1, k - 2) == 0) return i + bit;
      mask &= mask - 1;
    }
  }
#endif
  const std::size_t rest = ScalarFind(hay.data() + i, n - i, needle);
  return rest == kNpos ? kNpos : i + rest;
}

std::size_t FindAnyOf(std::string_view hay, std::string_view set) {
  if (set.empty()) return kNpos;
  // Repeating the first byte fills the four slots without changing the set.
  const char c[4] = {set[0], set[set.size() > 1 ? 1 : 0], set[set.size() > 2 ? 2 : 0],
                     set[set.size() > 3 ? 3 : 0]};
  std::size_t i = 0;
  const std::size_t n = hay.size();
#ifdef __SSE2__
  const __m128i c0 = _mm_set1_epi8(c[0]), c1 = _mm_set1_epi8(c[1]);
  const __m128i c2 = _mm_set1_epi8(c[2]), c3 = _mm_set1_epi8(c[3]);
  for (; i + 16 <= n; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay.data() + i));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, c0), _mm_cmpeq_epi8(b, c1)),
                                     _mm_or_si128(_mm_cmpeq_epi8(b, c2), _mm_cmpeq_epi8(b, c3)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < n; ++i) {
    if (hay[i] == c[0] || hay[i] == c[1] || hay[i] == c[2] || hay[i] == c[3]) return i;
  }
  return kNpos;
}

std::size_t FindLastNonLeadByte(std::string_view s) {
  std::size_t end = s.size();
#ifdef __SSE2__
  // As signed bytes the lead range is -127..-2.
  const __m128i minusTwo = _mm_set1_epi8(-2);
  const __m128i minus128 = _mm_set1_epi8(-128);
  for (; end >= 16; end -= 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + end - 16));
    const unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi8(b, minusTwo), _mm_cmpeq_epi8(b, minus128))));
    if (mask != 0) return end - 16 + static_cast<std::size_t>(31 - __builtin_clz(mask));
  }
#endif
  while (end > 0) {
    const unsigned char c = static_cast<unsigned char>(s[--end]);
    if (c < 0x81 || c == 0xFF) return end;
  }
  return kNpos;
}

}  // namespace vexo
