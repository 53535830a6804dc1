// blit_kernels_256.cpp - BlitSurface's 32-bit rows eight pixels at a time (AVX2). Only called
// when the processor has the 256-bit integer vectors.
#include "platform/blit_kernels.h"

#if TAVRINE_WIDE_VECTORS
#include <immintrin.h>

namespace {

constexpr int COLOUR_BITS = 0xFFFFFF;

WIDE_VECTORS void CopyRow32_256(uint8_t* dst, const uint8_t* src, int count) {
  const __m256i colour = _mm256_set1_epi32(COLOUR_BITS);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i), _mm256_and_si256(p, colour));
  }
  CopyRow32Plain(dst + 4 * i, src + 4 * i, count - i);
}

WIDE_VECTORS void KeyRow32_256(uint8_t* dst, const uint8_t* src, int count, uint32_t key) {
  const __m256i colour = _mm256_set1_epi32(COLOUR_BITS);
  const __m256i keyed = _mm256_set1_epi32(static_cast<int>(key));
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i p = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i)), colour);
    __m256i* out = reinterpret_cast<__m256i*>(dst + 4 * i);
    const __m256i hole = _mm256_cmpeq_epi32(p, keyed);
    _mm256_storeu_si256(out, _mm256_blendv_epi8(p, _mm256_loadu_si256(out), hole));
  }
  KeyRow32Plain(dst + 4 * i, src + 4 * i, count - i, key);
}

WIDE_VECTORS void StretchRow32_256(uint32_t* stretched, const uint8_t* src, const int32_t* columns, int count) {
  const auto* base = reinterpret_cast<const int*>(src);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(stretched + i), _mm256_i32gather_epi32(base, at, 4));
  }
  StretchRow32Plain(stretched + i, src, columns + i, count - i);
}

}  // namespace

const BlitKernels wideBlitKernels = {
    .copyRow32 = CopyRow32_256,
    .keyRow32 = KeyRow32_256,
    .stretchRow32 = StretchRow32_256,
};

#endif
