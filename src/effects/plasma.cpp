// plasma.cpp - textures warped by sums of sine waves. A first pass stores every pixel's
// texture coordinates (and shade) in PlasmaBuffer, a second samples the textures. All
// coordinate arithmetic is 8-bit and wraps, so the textures tile.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/effects.h"
#include "effects/show_pictures.h"

uint32_t PlasmaBuffer[320 * 240];

namespace {

// The sine wave as an 8-bit value that wraps (-47 reads as 209); negative k wraps too.
inline uint32_t S(int32_t k) { return static_cast<uint8_t>(SineTable[k & 1023]); }

inline uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

int32_t PlasmaStep(float t) { return static_cast<int32_t>(static_cast<double>(t) * 10.0); }

}  // namespace

void DrawPlasmaBlend(float t) {
  const int32_t n = PlasmaStep(t);
  // The column terms are the same on every row: compute them once per frame.
  uint32_t columnV[SCREEN_WIDTH], columnU[SCREEN_WIDTH];
  for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
    columnV[x] = S(2 * n + 2 * x) - S(2 * x - 2 * n - 200);
    columnU[x] = S(2 * x - 4 * n) + x;
  }
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    const uint32_t rowTerm = S(4 * y - 4 * n);
    uint32_t* out = PlasmaBuffer + y * SCREEN_WIDTH;
    for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
      const uint32_t v = (columnV[x] + y) & 0xFF;
      const uint32_t u = (columnU[x] + rowTerm) & 0xFF;
      out[x] = v << 8 | u;
    }
  }
  // Texture2 follows the same plasma turned by 180 degrees.
  int k = 0;
#if defined(__SSE2__)
  const __m128i halfMask = _mm_set1_epi32(0x7F7F7F);
  for (; k + 4 <= SCREEN_PIXELS; k += 4) {
    const auto own = [&](int lane) {
      return static_cast<int>(Texture1[PlasmaBuffer[k + lane] & 0xFFFF]);
    };
    const auto mirrored = [&](int lane) {
      return static_cast<int>(Texture2[PlasmaBuffer[SCREEN_PIXELS - 1 - (k + lane)] & 0xFFFF]);
    };
    const __m128i a = _mm_set_epi32(own(3), own(2), own(1), own(0));
    const __m128i b = _mm_set_epi32(mirrored(3), mirrored(2), mirrored(1), mirrored(0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + k),
                     _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(a, 1), halfMask),
                                   _mm_and_si128(_mm_srli_epi32(b, 1), halfMask)));
  }
#endif
  for (; k < SCREEN_PIXELS; ++k) {
    const uint32_t p = PlasmaBuffer[k] & 0xFFFF;
    const uint32_t q = PlasmaBuffer[SCREEN_PIXELS - 1 - k] & 0xFFFF;
    FrameBuffer[k] = Half(Texture1[p]) + Half(Texture2[q]);
  }
}

void DrawPlasmaShade(float t) {
  const int32_t n = PlasmaStep(t);
  const uint32_t a = S(4 * n + 256);
  const uint32_t b = S(4 * n);
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    const int32_t rowBase = SineTable[(4 * n + 4 * y) & 1023] + 2 * n;
    uint32_t* out = PlasmaBuffer + y * SCREEN_WIDTH;
    for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
      const int32_t c = SineTable[(rowBase + 2 * x) & 1023];  // -50..50
      const uint32_t level = static_cast<uint32_t>(c + 128);  // 78..178
      const uint32_t v = (a + y + c) & 0xFF;
      const uint32_t u = (b + x + c) & 0xFF;
      out[x] = level << 16 | v << 8 | u;
    }
  }
  // The darkness follows the same wave that bends the coordinates.
  int k = 0;
#if defined(__SSE2__)
  // Saturating byte subtraction is exactly what the subtraction table holds.
  const __m128i low = _mm_set1_epi32(0xFF);
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; k + 4 <= SCREEN_PIXELS; k += 4) {
    const auto texel2 = [&](int lane) {
      return static_cast<int>(Texture2[PlasmaBuffer[k + lane] & 0xFFFF]);
    };
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(PlasmaBuffer + k));
    const __m128i level = _mm_and_si128(_mm_srli_epi32(e, 16), low);
    const __m128i amount =
        _mm_or_si128(level, _mm_or_si128(_mm_slli_epi32(level, 8), _mm_slli_epi32(level, 16)));
    const __m128i texel = _mm_set_epi32(texel2(3), texel2(2), texel2(1), texel2(0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + k),
                     _mm_and_si128(_mm_subs_epu8(texel, amount), colour));
  }
#endif
  for (; k < SCREEN_PIXELS; ++k) {
    const uint32_t e = PlasmaBuffer[k];
    FrameBuffer[k] = DarkenPixel(Texture2[e & 0xFFFF], (e >> 16) & 0xFF);
  }
}
