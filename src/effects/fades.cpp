// fades.cpp - full-screen pictures brightening and darkening over time: Bilde in and out
// under the stars, Pixel2 into Pixel3, and Lastpic to black. Every level is the low byte of a
// truncated product; darkening goes through the subtraction table, never a multiply.
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "display/display.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "platform/cpu_features.h"

namespace {

constexpr double ONE_48TH = 0.020833334f;  // the single-precision 1/48, widened
constexpr double PI = 3.141592653589793;

uint8_t LowByte(double value) { return static_cast<uint8_t>(static_cast<int32_t>(value)); }

}  // namespace

// The subtraction table holds max(j - k, 0): a per-byte saturating subtraction, which SSE2 does
// on sixteen bytes at once with the same results.
//
// RowGoesOn: the picture and frame rows continue past `count` (full-width rows), so a last
// partial block may be read and written whole; its lanes past `count` get their own pixel
// back (plus 0), which spares the per-pixel tail.
#if TAVRINE_WIDE_VECTORS
template <bool Add, bool RowGoesOn>
WIDE_VECTORS static int DarkenRunWide(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  const __m256i amount = _mm256_set1_epi32(static_cast<int>(k * 0x010101u));
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
    __m256i d = _mm256_and_si256(_mm256_subs_epu8(p, amount), colour);
    __m256i* out = reinterpret_cast<__m256i*>(destination + i);
    if constexpr (Add) d = _mm256_add_epi32(_mm256_loadu_si256(out), d);
    _mm256_storeu_si256(out, d);
  }
  if constexpr (RowGoesOn) {
    if (i < count) {
      const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
      const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
      const __m256i d = _mm256_and_si256(_mm256_subs_epu8(p, amount), colour);
      __m256i* out = reinterpret_cast<__m256i*>(destination + i);
      const __m256i under = _mm256_loadu_si256(out);
      if constexpr (Add) {
        _mm256_storeu_si256(out, _mm256_add_epi32(under, _mm256_and_si256(d, inside)));
      } else {
        _mm256_storeu_si256(out, _mm256_blendv_epi8(under, d, inside));
      }
      i = count;
    }
  }
  return i;
}
#endif

template <bool Add, bool RowGoesOn = false>
static void DarkenRun(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  int i = 0;
#if TAVRINE_WIDE_VECTORS
  if (UsableVectorWidth() >= VectorWidth::Wide) i = DarkenRunWide<Add, RowGoesOn>(destination, source, count, k);
#endif
#if defined(__SSE2__)
  const __m128i amount = _mm_set1_epi32(static_cast<int>(k * 0x010101u));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 4 <= count; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    __m128i d = _mm_and_si128(_mm_subs_epu8(p, amount), colour);
    __m128i* out = reinterpret_cast<__m128i*>(destination + i);
    if constexpr (Add) d = _mm_add_epi32(_mm_loadu_si128(out), d);
    _mm_storeu_si128(out, d);
  }
#endif
  for (; i < count; ++i) {
    if constexpr (Add) {
      destination[i] += DarkenPixel(source[i], k);
    } else {
      destination[i] = DarkenPixel(source[i], k);
    }
  }
}

void DarkenPixels(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  DarkenRun<false>(destination, source, count, k);
}

void AddDarkenedPixels(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  DarkenRun<true>(destination, source, count, k);
}

uint8_t FadeBildeLevel(float t) {
  if (t <= 24.0f || t >= 72.0f) return 0;
  // Half a sine period over 48 units; the widened 1/48 peaks just past 0.5, so the top is 254.
  return LowByte(std::sin(static_cast<double>(t - 24.0f) * ONE_48TH * PI) * 255.0);
}

void FadeBildePicture(float t) {
  const uint8_t v = FadeBildeLevel(t);
  if (v == 0) return;
  const uint32_t amount = 255u - v;
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    const uint32_t* source = Bilde + y * SCREEN_WIDTH;
    uint32_t* row = FrameBuffer + y * SCREEN_WIDTH;
    DarkenRun<true, true>(row, source, 215, amount);
  }
  UploadFrameBuffer(&displayContext, FrameBuffer);
  // The credits that follow rely on a black frame.
  std::memset(FrameBuffer, 0, sizeof(FrameBuffer));
}

uint8_t CrossFadeLevel(float t) {
  if (t < 48.0f) return 0;
  if (t >= 96.0f) return 255;
  return LowByte(static_cast<double>(t - 48.0f) * ONE_48TH * 255.0);
}

void CrossFadePixelPictures(float t) {
  const uint8_t b = CrossFadeLevel(t);
  // Every column ends up either stored from a picture or black, so each row is written once
  // instead of cleared first; the overlap is the only place where a sum is needed.
  const uint32_t amount = 255u - b;
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    const uint32_t* first = Pixel2 + y * SCREEN_WIDTH;
    const uint32_t* second = Pixel3 + y * SCREEN_WIDTH;
    uint32_t* row = FrameBuffer + y * SCREEN_WIDTH;
    if (b == 255) {
      std::memset(row, 0, 145 * sizeof(uint32_t));
      DarkenPixels(row + 145, second + 145, SCREEN_WIDTH - 145, amount);
      continue;
    }
    DarkenRun<false, true>(row, first, 165, b);
    if (b == 0) {
      std::memset(row + 165, 0, (SCREEN_WIDTH - 165) * sizeof(uint32_t));
      continue;
    }
    // The two amounts add up to 255, so the overlap (columns 145..164) never carries.
    DarkenRun<true, true>(row + 145, second + 145, 20, amount);
    DarkenPixels(row + 165, second + 165, SCREEN_WIDTH - 165, amount);
  }
}

bool FadeOutLastAmount(float t, uint8_t* amount) {
  if (t <= 24.0f || t >= 96.0f) return false;
  const uint8_t c = LowByte(static_cast<double>(t - 24.0f) * 3.5416666666666665);
  if (c == 255) return false;  // a zero level as an 8-bit value shows the picture again
  *amount = c;
  return true;
}

void FadeOutLastPicture(float t) {
  uint8_t c = 0;
  if (!FadeOutLastAmount(t, &c)) {
    std::memcpy(FrameBuffer, Lastpic, sizeof(FrameBuffer));
    return;
  }
  DarkenPixels(FrameBuffer, Lastpic, SCREEN_PIXELS, c);
}
