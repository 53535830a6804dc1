// texel_pairs.cpp - two sequential passes over the textures, interleaved.
#include "effects/texel_pairs.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/cpu_features.h"

alignas(64) uint64_t TexelPairs[256 * 256];

namespace {

constexpr int PAIRS = 256 * 256;

void PairRun(uint64_t* out, const uint32_t* first, const uint32_t* second, int count) {
  int i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi32(f, s));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 2), _mm_unpackhi_epi32(f, s));
  }
#endif
  for (; i < count; ++i) out[i] = first[i] | static_cast<uint64_t>(second[i]) << 32;
}

#if TAVRINE_WIDE_VECTORS
WIDE_VECTORS void PairRunWide(uint64_t* out, const uint32_t* first, const uint32_t* second, int count) {
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + i));
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second + i));
    const __m256i low = _mm256_unpacklo_epi32(f, s), high = _mm256_unpackhi_epi32(f, s);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 4), _mm256_permute2x128_si256(low, high, 0x31));
  }
  for (; i < count; ++i) out[i] = first[i] | static_cast<uint64_t>(second[i]) << 32;
}
#endif

}  // namespace

void PairTexels(const uint32_t* first, uint16_t firstShift, const uint32_t* second, uint16_t secondShift) {
  // Split where either shifted index wraps around its texture, so that each run reads both
  // textures straight through.
  const int firstWrap = firstShift ? PAIRS - firstShift : PAIRS;
  const int secondWrap = secondShift ? PAIRS - secondShift : PAIRS;
  const int cuts[4] = {0, std::min(firstWrap, secondWrap), std::max(firstWrap, secondWrap), PAIRS};
#if TAVRINE_WIDE_VECTORS
  const bool wide = UsableVectorWidth() >= VectorWidth::Wide;
#endif
  for (int r = 0; r < 3; ++r) {
    const int from = cuts[r], count = cuts[r + 1] - from;
    if (count <= 0) continue;
    uint64_t* out = TexelPairs + from;
    const uint32_t* f = first + ((from + firstShift) & 0xFFFF);
    const uint32_t* s = second + ((from + secondShift) & 0xFFFF);
#if TAVRINE_WIDE_VECTORS
    if (wide) {
      PairRunWide(out, f, s, count);
      continue;
    }
#endif
    PairRun(out, f, s, count);
  }
}
