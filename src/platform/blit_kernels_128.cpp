// blit_kernels_128.cpp - BlitSurface's 32-bit rows four pixels at a time (SSE2).
#include "platform/blit_kernels.h"

#if TAVRINE_BASELINE_VECTORS
#include <emmintrin.h>

namespace {

constexpr int COLOUR_BITS = 0xFFFFFF;

void CopyRow32_128(uint8_t* dst, const uint8_t* src, int count) {
  const __m128i colour = _mm_set1_epi32(COLOUR_BITS);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i), _mm_and_si128(p, colour));
  }
  CopyRow32Plain(dst + 4 * i, src + 4 * i, count - i);
}

void KeyRow32_128(uint8_t* dst, const uint8_t* src, int count, uint32_t key) {
  const __m128i colour = _mm_set1_epi32(COLOUR_BITS);
  const __m128i keyed = _mm_set1_epi32(static_cast<int>(key));
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i p = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i)), colour);
    __m128i* out = reinterpret_cast<__m128i*>(dst + 4 * i);
    const __m128i hole = _mm_cmpeq_epi32(p, keyed);
    const __m128i under = _mm_loadu_si128(out);
    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(hole, under), _mm_andnot_si128(hole, p)));
  }
  KeyRow32Plain(dst + 4 * i, src + 4 * i, count - i, key);
}

}  // namespace

// 128-bit vectors have no gather: the stretch stays plain.
const BlitKernels baselineBlitKernels = {
    .copyRow32 = CopyRow32_128,
    .keyRow32 = KeyRow32_128,
    .stretchRow32 = StretchRow32Plain,
};

#endif
