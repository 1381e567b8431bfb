#pragma once
// Substring search for the analysis hot paths. glibc's memmem pays a
// 256-byte table set-up on every call and then steps through the text one
// hash at a time; the parser asks for short needles thousands of times per
// page, so this looks at 16 positions per step for the needle's first and
// last bytes together and compares the rest only where both agree.

#include <array>
#include <cstddef>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Where the processor has AVX2, the searches take 32 bytes a step and leave
// only what is left over to the 16-byte steps: a function marked VEXO_WIDE
// may use AVX2, and is called only while WideStepsOn().
#if defined(__x86_64__) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#define VEXO_WIDE_STEPS 1
#define VEXO_WIDE __attribute__((target("avx2")))
#endif

namespace vexo {

// True when the 32-byte steps are taken: the processor has them and tests
// have not turned them off.
bool WideStepsOn();
// Tests turn them off to check the 16-byte steps too; turning them on does
// nothing where the processor lacks them.
void AllowWideSteps(bool allowed);

// Offset of the first occurrence of `needle` in `hay`, or npos. An empty
// needle is found at offset 0, as std::string_view::find does.
std::size_t FindBytes(std::string_view hay, std::string_view needle);

// Offset of the first byte of `hay` that is one of `set` (at most eight
// bytes), or npos: the text-run scans stop at any of a few markup bytes.
std::size_t FindAnyOf(std::string_view hay, std::string_view set);

// The blanks and control bytes (at or below 20 hex) and up to eight more: the
// walk over a link stops at every byte that some cleaning step acts on. Made
// once per walk kind, so that each block of 16 bytes costs one compare per
// byte of the set, and a link's few stops are taken from one mask per block.
class ControlOrAnyOf {
 public:
  static constexpr std::size_t kMaxSet = 8;
  explicit ControlOrAnyOf(std::string_view set);

  bool Holds(char c) const { return holds_[static_cast<unsigned char>(c)]; }

  // Calls take(offset) for each byte of `hay` in the set, in order, until
  // take returns false.
  template <class Take>
  void ForEach(std::string_view hay, Take&& take) const {
    std::size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= hay.size(); i += 16) {
      for (unsigned mask = Mask16(hay.data() + i); mask != 0; mask &= mask - 1) {
        if (!take(i + static_cast<std::size_t>(__builtin_ctz(mask)))) return;
      }
    }
#endif
    for (; i < hay.size(); ++i) {
      if (Holds(hay[i]) && !take(i)) return;
    }
  }

 private:
#ifdef __SSE2__
  // Bit i set where byte i of the 16 at p is in the set.
  unsigned Mask16(const char* p) const {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Unsigned b <= 20 where the smaller of b and 20 is b.
    __m128i hit = _mm_cmpeq_epi8(_mm_min_epu8(b, _mm_set1_epi8(0x20)), b);
    // Unused places hold a blank, which the first compare covers already.
    for (const __m128i& c : bytes_) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(b, c));
    return static_cast<unsigned>(_mm_movemask_epi8(hit));
  }
  __m128i bytes_[kMaxSet];
#endif
  std::array<bool, 256> holds_{};
};

// Offset of the last byte of `hay` that is one of `set` (at most eight
// bytes), or npos: the walks back from a match to the tag before it.
std::size_t FindLastAnyOf(std::string_view hay, std::string_view set);

// Number of bytes above 80 (hex): whether a stretch of text holds an odd
// number of them decides where double-byte characters were cut.
std::size_t CountBytesAbove80(std::string_view s);

// Lower-cases ASCII A-Z of the first n bytes at `in` into `out`, 16 bytes at
// a time, as far as whole blocks go; returns how many bytes it did.
std::size_t LowerWholeBlocks(const char* in, char* out, std::size_t n);

// True when `s` holds no CR and no LF.
bool HoldsNoLineBreak(std::string_view s);

// Offset of the last byte of `s` outside the range 81-FE (hex) that double-
// byte characters begin with, or npos. Deciding a byte's role looks back
// over such a run, which in Chinese text is most of the text.
std::size_t FindLastNonLeadByte(std::string_view s);

}  // namespace vexo
