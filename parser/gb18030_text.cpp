#include "parser/gb18030_text.h"

#include <cstdint>

#include "platform/byte_search.h"
#include "platform/codepage.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef VEXO_WIDE_STEPS
#include <immintrin.h>
#endif

// Hand-written rather than through iconv: the common page needs only the scan,
// which looks at 64 bytes a step, and iconv would convert every page twice
// (to Unicode and back) just to find that nothing changes.

namespace vexo {
namespace {

unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// The second byte of a GBK pair, and of a four-byte sequence (also its fourth).
bool IsGbkTrail(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}
bool IsFourByteDigit(unsigned char b) {
  return b >= 0x30 && b <= 0x39;
}

// Past the ASCII byte or GB2312 pair at i, a character start; false when
// there is neither.
bool StepOverGb2312(std::string_view s, std::size_t& i) {
  const unsigned char b = At(s, i);
  if (b < 0x80) {
    ++i;
    return true;
  }
  if (i + 1 < s.size() && IsGb2312Pair(b, At(s, i + 1))) {
    i += 2;
    return true;
  }
  return false;
}

#ifdef __SSE2__
// Bit k of each mask tells of byte k of the 64 at p.
struct ChunkMasks {
  std::uint64_t high = 0;     // 80-FF
  std::uint64_t notLead = 0;  // ASCII and F8-FF: never the lead of a GB2312 pair
  bool foreign = false;       // some byte is 80-A0 or FF: in no GB2312 pair
};

// As signed bytes A1 is -95 and F8 is -8.
ChunkMasks MasksOf(const char* p) {
  ChunkMasks m;
  __m128i b[4];
  for (int k = 0; k < 4; ++k) b[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
  const __m128i any = _mm_or_si128(_mm_or_si128(b[0], b[1]), _mm_or_si128(b[2], b[3]));
  if (_mm_movemask_epi8(any) == 0) return m;
  const __m128i belowA1 = _mm_set1_epi8(-95);
  const __m128i belowF8 = _mm_set1_epi8(-9);
  const __m128i ff = _mm_set1_epi8(-1);
  __m128i foreign = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    const auto bits = [&](__m128i v) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))) << (16 * k);
    };
    m.high |= bits(b[k]);
    m.notLead |= bits(_mm_cmpgt_epi8(b[k], belowF8));
    foreign = _mm_or_si128(foreign, _mm_cmpgt_epi8(belowA1, b[k]));
    foreign = _mm_or_si128(foreign, _mm_cmpeq_epi8(b[k], ff));
  }
  m.foreign = _mm_movemask_epi8(foreign) != 0;
  return m;
}

#ifdef VEXO_WIDE_STEPS
// The top bits of the 64 bytes of lo and hi.
VEXO_WIDE inline std::uint64_t TopBits(__m256i lo, __m256i hi) {
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(lo))) |
         static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(hi))) << 32;
}

// MasksOf in two 32-byte steps.
VEXO_WIDE inline ChunkMasks WideMasksOf(const char* p) {
  ChunkMasks m;
  const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
  m.high = TopBits(lo, hi);
  if (m.high == 0) return m;
  const __m256i belowA1 = _mm256_set1_epi8(-95);
  const __m256i belowF8 = _mm256_set1_epi8(-9);
  const __m256i ff = _mm256_set1_epi8(-1);
  m.notLead = TopBits(_mm256_cmpgt_epi8(lo, belowF8), _mm256_cmpgt_epi8(hi, belowF8));
  const __m256i foreign =
      _mm256_or_si256(_mm256_or_si256(_mm256_cmpgt_epi8(belowA1, lo), _mm256_cmpeq_epi8(lo, ff)),
                      _mm256_or_si256(_mm256_cmpgt_epi8(belowA1, hi), _mm256_cmpeq_epi8(hi, ff)));
  m.foreign = _mm256_movemask_epi8(foreign) != 0;
  return m;
}
#endif

// How far the 64 bytes whose masks are m, read from a character start, are
// GB2312 text for certain: 64; 63 when the last of them leads a pair that
// goes on after them; 0 when they are not. Within a run of high bytes
// the pairs begin at the run's start, so the leads are its bytes at even
// distances from there.
inline std::size_t WholeChunk(const ChunkMasks& m) {
  if (m.high == 0) return 64;
  if (m.foreign) return 0;
  constexpr std::uint64_t kEvenPlaces = 0x5555555555555555;
  const std::uint64_t starts = m.high & ~(m.high << 1);
  // Adding a run's start bit to it carries through the whole run, so the bits
  // this changes are the runs that start at an odd place (and the place
  // after each, which no high byte holds).
  const std::uint64_t oddRuns = ((starts & ~kEvenPlaces) + m.high) ^ m.high;
  const std::uint64_t leads = m.high & ((oddRuns & ~kEvenPlaces) | (~oddRuns & kEvenPlaces));
  if ((leads & m.notLead) != 0) return 0;
  // A lead that ends its run has no trail: the text is not GB2312 there, or
  // the pair goes on in the next chunk.
  const std::uint64_t cut = leads & ~(m.high >> 1);
  if (cut == 0) return 64;
  return cut == std::uint64_t{1} << 63 ? 63 : 0;
}

// From i on, past the chunks of 64 bytes that are GB2312 text for certain:
// where one is not, or where fewer than 64 bytes are left.
std::size_t PastWholeChunks(std::string_view s, std::size_t i) {
  while (i + 64 <= s.size()) {
    const std::size_t whole = WholeChunk(MasksOf(s.data() + i));
    if (whole == 0) break;
    i += whole;
  }
  return i;
}

#ifdef VEXO_WIDE_STEPS
VEXO_WIDE std::size_t PastWholeChunksWide(std::string_view s, std::size_t i) {
  while (i + 64 <= s.size()) {
    const std::size_t whole = WholeChunk(WideMasksOf(s.data() + i));
    if (whole == 0) break;
    i += whole;
  }
  return i;
}
#endif
#endif

// Length of the character or stray byte at the start of s, which is neither
// ASCII nor a GB2312 pair; 0 when a character is cut by the end of s.
std::size_t ForeignLength(std::string_view s) {
  if (!IsLeadByte(At(s, 0))) return 1;  // 80, FF
  if (s.size() < 2) return 0;
  if (IsGbkTrail(At(s, 1))) return 2;
  if (!IsFourByteDigit(At(s, 1))) return 1;
  if (s.size() < 3) return 0;
  if (!IsLeadByte(At(s, 2))) return 1;
  if (s.size() < 4) return 0;
  return IsFourByteDigit(At(s, 3)) ? 4 : 1;
}

}  // namespace

std::size_t Gb2312PrefixLength(std::string_view s) {
  std::size_t i = 0;
#ifdef __SSE2__
#ifdef VEXO_WIDE_STEPS
  const auto pastWholeChunks = WideStepsOn() ? PastWholeChunksWide : PastWholeChunks;
#else
  const auto pastWholeChunks = PastWholeChunks;
#endif
  while (true) {
    i = pastWholeChunks(s, i);
    if (i + 64 > s.size()) break;
    // The chunk holds the end of the prefix.
    for (const std::size_t end = i + 64; i < end;) {
      if (!StepOverGb2312(s, i)) return i;
    }
  }
#endif
  while (i < s.size()) {
    if (!StepOverGb2312(s, i)) return i;
  }
  return i;
}

Bytes Gb18030ToGb2312(std::string_view s) {
  Bytes out;
  out.reserve(s.size());
  while (!s.empty()) {
    const std::size_t whole = Gb2312PrefixLength(s);
    out.append(s.substr(0, whole));
    s.remove_prefix(whole);
    if (s.empty()) break;
    const std::size_t foreign = ForeignLength(s);
    if (foreign == 0) break;
    out.append(kLackingMark);
    s.remove_prefix(foreign);
  }
  return out;
}

}  // namespace vexo
