// plasma.cpp - textures warped by sums of sine waves. A first pass stores every pixel's
// texture coordinates (and shade) in PlasmaBuffer, a second samples the textures. All
// coordinate arithmetic is 8-bit and wraps, so the textures tile.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "effects/texel_pairs.h"
#include "platform/cpu_features.h"

uint32_t PlasmaBuffer[SCREEN_PIXELS];

namespace {

// The sine wave as an 8-bit value that wraps (-47 reads as 209); negative k wraps too.
inline uint32_t S(int32_t k) { return static_cast<uint8_t>(SineTable[k & 1023]); }

inline uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

int32_t PlasmaStep(float t) { return static_cast<int32_t>(static_cast<double>(t) * 10.0); }

}  // namespace

#if TAVRINE_WIDE_VECTORS
// One row of the blended plasma's coordinates, eight at a time.
WIDE_VECTORS static void BlendRowWide(uint32_t* out, const uint32_t* columnV, const uint32_t* columnU, int32_t y,
                                      uint32_t rowTerm) {
  const __m256i low = _mm256_set1_epi32(0xFF);
  const __m256i down = _mm256_set1_epi32(y);
  const __m256i across = _mm256_set1_epi32(static_cast<int>(rowTerm));
  for (int x = 0; x < SCREEN_WIDTH; x += 8) {
    const __m256i v = _mm256_and_si256(_mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(columnV + x)), down), low);
    const __m256i u = _mm256_and_si256(_mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(columnU + x)), across), low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_or_si256(_mm256_slli_epi32(v, 8), u));
  }
}
#endif

#if TAVRINE_WIDE_VECTORS
WIDE_VECTORS static inline __m256i HalveWide(__m256i q) {
  return _mm256_and_si256(_mm256_srli_epi32(q, 1), _mm256_set1_epi32(0x7F7F7F));
}

// The texel pairs of four entries, one per 64-bit lane.
WIDE_VECTORS static inline __m256i FourPairs(int e0, int e1, int e2, int e3) {
  const auto pair = [](int entry) {
    return reinterpret_cast<const double*>(TexelPairs + (PlasmaBuffer[entry] & 0xFFFF));
  };
  const __m128i low = _mm_castpd_si128(_mm_loadh_pd(_mm_load_sd(pair(e0)), pair(e1)));
  const __m128i high = _mm_castpd_si128(_mm_loadh_pd(_mm_load_sd(pair(e2)), pair(e3)));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The second pass eight pixels and their eight mirrors at a time, from TexelPairs.
WIDE_VECTORS static void BlendPixelsWide() {
  const __m256i forwardOrder = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
  const __m256i backOrder = _mm256_setr_epi32(7, 6, 3, 2, 5, 4, 1, 0);
  for (int k = 0; k < SCREEN_PIXELS / 2; k += 8) {
    const int m = SCREEN_PIXELS - 1 - k;
    // 64-bit lane i: (Texture1, Texture2) at entry k + i, and at entry m - i.
    const __m256i ownLow = FourPairs(k, k + 1, k + 2, k + 3), ownHigh = FourPairs(k + 4, k + 5, k + 6, k + 7);
    const __m256i mirLow = FourPairs(m, m - 1, m - 2, m - 3), mirHigh = FourPairs(m - 4, m - 5, m - 6, m - 7);
    // Swapping each mirror's two texels lines up, in lane i, pixel k + i's sum in the low
    // half and pixel m - i's in the high half.
    const __m256i sumLow = _mm256_add_epi32(HalveWide(ownLow), HalveWide(_mm256_shuffle_epi32(mirLow, _MM_SHUFFLE(2, 3, 0, 1))));
    const __m256i sumHigh = _mm256_add_epi32(HalveWide(ownHigh), HalveWide(_mm256_shuffle_epi32(mirHigh, _MM_SHUFFLE(2, 3, 0, 1))));
    const __m256 lowF = _mm256_castsi256_ps(sumLow), highF = _mm256_castsi256_ps(sumHigh);
    const __m256i forward = _mm256_castps_si256(_mm256_shuffle_ps(lowF, highF, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m256i back = _mm256_castps_si256(_mm256_shuffle_ps(lowF, highF, _MM_SHUFFLE(3, 1, 3, 1)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(FrameBuffer + k), _mm256_permutevar8x32_epi32(forward, forwardOrder));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(FrameBuffer + m - 7), _mm256_permutevar8x32_epi32(back, backOrder));
  }
}
#endif

void DrawPlasmaBlend(float t) {
  const int32_t n = PlasmaStep(t);
  // The column terms are the same on every row: compute them once per frame.
  alignas(16) uint32_t columnV[SCREEN_WIDTH];
  alignas(16) uint32_t columnU[SCREEN_WIDTH];
  for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
    columnV[x] = S(2 * n + 2 * x) - S(2 * x - 2 * n - 200);
    columnU[x] = S(2 * x - 4 * n) + x;
  }
#if TAVRINE_WIDE_VECTORS
  const bool wide = UsableVectorWidth() >= VectorWidth::Wide;
#endif
  const auto writeRow = [&](int32_t y) {
    const uint32_t rowTerm = S(4 * y - 4 * n);
    uint32_t* out = PlasmaBuffer + y * SCREEN_WIDTH;
    int32_t x = 0;
#if TAVRINE_WIDE_VECTORS
    if (wide) {
      BlendRowWide(out, columnV, columnU, y, rowTerm);
      return;
    }
#endif
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i down = _mm_set1_epi32(y);
    const __m128i across = _mm_set1_epi32(static_cast<int>(rowTerm));
    for (; x < SCREEN_WIDTH; x += 4) {
      const __m128i v = _mm_and_si128(_mm_add_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(columnV + x)), down), low);
      const __m128i u = _mm_and_si128(_mm_add_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(columnU + x)), across), low);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_slli_epi32(v, 8), u));
    }
#endif
    for (; x < SCREEN_WIDTH; ++x) {
      const uint32_t v = (columnV[x] + static_cast<uint32_t>(y)) & 0xFF;
      const uint32_t u = (columnU[x] + rowTerm) & 0xFF;
      out[x] = v << 8 | u;
    }
  };
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) writeRow(y);
  // Texture2 follows the same plasma turned by 180 degrees: pixel k reads Texture1 at entry k
  // and Texture2 at the mirrored entry, and the mirrored pixel the other way round. With both
  // textures side by side, each entry is read once for the two pixels that use it.
  int k = 0;
#if defined(__SSE2__)
  PairTexels(Texture1, 0, Texture2, 0);
#if TAVRINE_WIDE_VECTORS
  static_assert((SCREEN_PIXELS / 2) % 8 == 0);
  if (wide) {
    BlendPixelsWide();
    return;
  }
#endif
  const __m128i halfMask = _mm_set1_epi32(0x7F7F7F);
  const auto halve = [&](__m128i q) { return _mm_and_si128(_mm_srli_epi32(q, 1), halfMask); };
  for (; k < SCREEN_PIXELS / 2; k += 4) {
    const int m = SCREEN_PIXELS - 1 - k;
    const auto own = [&](int lane) {
      return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(TexelPairs + (PlasmaBuffer[k + lane] & 0xFFFF)));
    };
    const auto mirrored = [&](int lane) {
      return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(TexelPairs + (PlasmaBuffer[m - lane] & 0xFFFF)));
    };
    const __m128i ownLow = _mm_unpacklo_epi32(own(0), own(1)), ownHigh = _mm_unpacklo_epi32(own(2), own(3));
    const __m128i mirLow = _mm_unpacklo_epi32(mirrored(0), mirrored(1));
    const __m128i mirHigh = _mm_unpacklo_epi32(mirrored(2), mirrored(3));
    // Lane i: ownFirst/ownSecond = Texture1/Texture2 at entry k + i; mirFirst/mirSecond at m - i.
    const __m128i ownFirst = _mm_unpacklo_epi64(ownLow, ownHigh), ownSecond = _mm_unpackhi_epi64(ownLow, ownHigh);
    const __m128i mirFirst = _mm_unpacklo_epi64(mirLow, mirHigh), mirSecond = _mm_unpackhi_epi64(mirLow, mirHigh);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + k), _mm_add_epi32(halve(ownFirst), halve(mirSecond)));
    // Lanes 0..3 belong to pixels m, m - 1, m - 2, m - 3: reversed before the store.
    const __m128i back = _mm_add_epi32(halve(mirFirst), halve(ownSecond));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + m - 3), _mm_shuffle_epi32(back, _MM_SHUFFLE(0, 1, 2, 3)));
  }
  k = SCREEN_PIXELS;
#endif
  for (; k < SCREEN_PIXELS; ++k) {
    const uint32_t p = PlasmaBuffer[k] & 0xFFFF;
    const uint32_t q = PlasmaBuffer[SCREEN_PIXELS - 1 - k] & 0xFFFF;
    FrameBuffer[k] = Half(Texture1[p]) + Half(Texture2[q]);
  }
}

#if TAVRINE_WIDE_VECTORS
// One row of the shaded plasma, eight pixels at a time: wave[x] is the row's sine value at x,
// rowV = A + y, and the texture column starts at B.
WIDE_VECTORS static void ShadeRowWide(const int32_t* wave, uint32_t rowV, uint32_t b, uint32_t* entries,
                                      uint32_t* out) {
  const __m256i low = _mm256_set1_epi32(0xFF);
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
  const __m256i middle = _mm256_set1_epi32(128);
  const __m256i down = _mm256_set1_epi32(static_cast<int>(rowV));
  const __m256i eight = _mm256_set1_epi32(8);
  // The level (bits 16-23 of an entry) into the three colour bytes of its pixel.
  const __m256i spread = _mm256_setr_epi8(2, 2, 2, -1, 6, 6, 6, -1, 10, 10, 10, -1, 14, 14, 14, -1,  //
                                          2, 2, 2, -1, 6, 6, 6, -1, 10, 10, 10, -1, 14, 14, 14, -1);
  __m256i across = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(b)), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  for (int x = 0; x < SCREEN_WIDTH; x += 8) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wave + x));  // -50..50
    const __m256i level = _mm256_add_epi32(c, middle);                                 // 78..178
    const __m256i v = _mm256_and_si256(_mm256_add_epi32(down, c), low);
    const __m256i u = _mm256_and_si256(_mm256_add_epi32(across, c), low);
    across = _mm256_add_epi32(across, eight);
    const __m256i e = _mm256_or_si256(_mm256_slli_epi32(level, 16), _mm256_or_si256(_mm256_slli_epi32(v, 8), u));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(entries + x), e);
    const auto texel = [&](int lane) {
      return _mm_cvtsi32_si128(static_cast<int>(Texture2[entries[x + lane] & 0xFFFF]));
    };
    const __m128i first = _mm_unpacklo_epi64(_mm_unpacklo_epi32(texel(0), texel(1)), _mm_unpacklo_epi32(texel(2), texel(3)));
    const __m128i second = _mm_unpacklo_epi64(_mm_unpacklo_epi32(texel(4), texel(5)), _mm_unpacklo_epi32(texel(6), texel(7)));
    const __m256i p = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
    const __m256i amount = _mm256_shuffle_epi8(e, spread);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_and_si256(_mm256_subs_epu8(p, amount), colour));
  }
}
#endif

void DrawPlasmaShade(float t) {
  const int32_t n = PlasmaStep(t);
  const uint32_t a = S(4 * n + 256);
  const uint32_t b = S(4 * n);
  // A row reads the sine table from some start in steps of two. The table split by parity
  // and run on past its end makes every row one contiguous span.
  alignas(16) int32_t strided[2][512 + SCREEN_WIDTH];
  for (int parity = 0; parity < 2; ++parity)
    for (int j = 0; j < 512 + SCREEN_WIDTH; ++j) strided[parity][j] = SineTable[(2 * j + parity) & 1023];

  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    const int32_t rowBase = SineTable[(4 * n + 4 * y) & 1023] + 2 * n;
    const int32_t start = rowBase & 1023;
    const int32_t* wave = strided[start & 1] + (start >> 1);  // wave[x] = SineTable[(rowBase + 2x) & 1023]
    uint32_t* entries = PlasmaBuffer + y * SCREEN_WIDTH;
    uint32_t* out = FrameBuffer + y * SCREEN_WIDTH;
    int32_t x = 0;
#if TAVRINE_WIDE_VECTORS
    static_assert(SCREEN_WIDTH % 8 == 0);
    if (UsableVectorWidth() >= VectorWidth::Wide) {
      ShadeRowWide(wave, a + static_cast<uint32_t>(y), b, entries, out);
      continue;
    }
#endif
#if defined(__SSE2__)
    // The darkness follows the same wave that bends the coordinates; the saturating byte
    // subtraction is exactly what the subtraction table holds.
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    const __m128i middle = _mm_set1_epi32(128);
    const __m128i rowV = _mm_set1_epi32(static_cast<int>(a + static_cast<uint32_t>(y)));
    __m128i columnU = _mm_setr_epi32(static_cast<int>(b), static_cast<int>(b + 1), static_cast<int>(b + 2),
                                     static_cast<int>(b + 3));
    const __m128i four = _mm_set1_epi32(4);
    for (; x < SCREEN_WIDTH; x += 4) {
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wave + x));  // -50..50
      const __m128i level = _mm_add_epi32(c, middle);                                 // 78..178
      const __m128i v = _mm_and_si128(_mm_add_epi32(rowV, c), low);
      const __m128i u = _mm_and_si128(_mm_add_epi32(columnU, c), low);
      columnU = _mm_add_epi32(columnU, four);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(entries + x),
                       _mm_or_si128(_mm_slli_epi32(level, 16), _mm_or_si128(_mm_slli_epi32(v, 8), u)));
      const auto texel = [&](int lane) { return static_cast<int>(Texture2[entries[x + lane] & 0xFFFF]); };
      const __m128i amount =
          _mm_or_si128(level, _mm_or_si128(_mm_slli_epi32(level, 8), _mm_slli_epi32(level, 16)));
      const __m128i p = _mm_set_epi32(texel(3), texel(2), texel(1), texel(0));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(_mm_subs_epu8(p, amount), colour));
    }
#endif
    for (; x < SCREEN_WIDTH; ++x) {
      const int32_t c = wave[x];                              // -50..50
      const uint32_t level = static_cast<uint32_t>(c + 128);  // 78..178
      const uint32_t v = (a + static_cast<uint32_t>(y) + static_cast<uint32_t>(c)) & 0xFF;
      const uint32_t u = (b + static_cast<uint32_t>(x) + static_cast<uint32_t>(c)) & 0xFF;
      const uint32_t e = level << 16 | v << 8 | u;
      entries[x] = e;
      out[x] = DarkenPixel(Texture2[e & 0xFFFF], (e >> 16) & 0xFF);
    }
  }
}
