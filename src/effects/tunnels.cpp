// tunnels.cpp - two textures mapped through per-pixel coordinates: the perspective tunnel
// reads them from the precomputed tunnel table; the swirl tunnel bends its own every frame,
// computing only the half left of the centre and mirroring it through a point.
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "effects/texel_pairs.h"
#include "platform/cpu_features.h"

uint16_t SwirlTable[SCREEN_HEIGHT][106];

namespace {

// Halves every channel separately, so two halves add up without carries.
inline uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

constexpr int SWIRL_COLUMNS = 106;
constexpr int SWIRL_FIRST_X = 54;

}  // namespace

uint16_t PerspectiveTunnelOffset(float t) {
  const int32_t n = static_cast<int32_t>(static_cast<double>(t) * 5.0);
  // 511 = two rows forward, one column back: depth and angle scroll together.
  return static_cast<uint16_t>(511 * n);
}

#if TAVRINE_WIDE_VECTORS
// Eight pixels at a time from the paired texels; the same arithmetic as the four-pixel loop.
WIDE_VECTORS static void TunnelPixelsWide() {
  const __m256i halfMask = _mm256_set1_epi32(0x7F7F7F);
  // Shade n of eight into every colour byte of both texels of pixel n.
  const __m256i spreadLow = _mm256_setr_epi8(0, 0, 0, -1, 0, 0, 0, -1, 1, 1, 1, -1, 1, 1, 1, -1,  //
                                             2, 2, 2, -1, 2, 2, 2, -1, 3, 3, 3, -1, 3, 3, 3, -1);
  const __m256i spreadHigh = _mm256_setr_epi8(4, 4, 4, -1, 4, 4, 4, -1, 5, 5, 5, -1, 5, 5, 5, -1,  //
                                              6, 6, 6, -1, 6, 6, 6, -1, 7, 7, 7, -1, 7, 7, 7, -1);
  for (int i = 0; i < SCREEN_PIXELS; i += 8) {
    const auto twoPairs = [&](int lane) {
      const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(TexelPairs + TunnelTable[i + lane]));
      return _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(first),
                                           reinterpret_cast<const double*>(TexelPairs + TunnelTable[i + lane + 1])));
    };
    // Pixels 0-3 and 4-7, each pixel's two texels side by side.
    const __m256i low = _mm256_inserti128_si256(_mm256_castsi128_si256(twoPairs(0)), twoPairs(2), 1);
    const __m256i high = _mm256_inserti128_si256(_mm256_castsi128_si256(twoPairs(4)), twoPairs(6), 1);
    const __m256i shades = _mm256_broadcastsi128_si256(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(TunnelShadeTable + i)));
    const __m256i halfLow =
        _mm256_and_si256(_mm256_srli_epi32(_mm256_subs_epu8(low, _mm256_shuffle_epi8(shades, spreadLow)), 1), halfMask);
    const __m256i halfHigh =
        _mm256_and_si256(_mm256_srli_epi32(_mm256_subs_epu8(high, _mm256_shuffle_epi8(shades, spreadHigh)), 1), halfMask);
    // Each pixel's sum lands in the low half of its 64 bits; the halves never carry.
    const __m256i sumLow = _mm256_add_epi32(halfLow, _mm256_srli_epi64(halfLow, 32));
    const __m256i sumHigh = _mm256_add_epi32(halfHigh, _mm256_srli_epi64(halfHigh, 32));
    const __m256i mixed = _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(sumLow), _mm256_castsi256_ps(sumHigh), _MM_SHUFFLE(2, 0, 2, 0)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(FrameBuffer + i),
                        _mm256_permute4x64_epi64(mixed, _MM_SHUFFLE(3, 1, 2, 0)));
  }
}
#endif

void DrawPerspectiveTunnel(float t) {
  const uint16_t d = PerspectiveTunnelOffset(t);
  int i = 0;
#if defined(__SSE2__)
  // Both texels of every entry side by side: Texture1[T + D] low, Texture2[T - D] high, so
  // each pixel makes one scattered read instead of two.
  PairTexels(Texture1, d, Texture2, static_cast<uint16_t>(-d));
#if TAVRINE_WIDE_VECTORS
  static_assert(SCREEN_PIXELS % 8 == 0);
  if (UsableVectorWidth() >= VectorWidth::Wide) {
    TunnelPixelsWide();
    return;
  }
#endif
  // Four pixels at a time. The shading is a saturating byte subtraction, which is what the
  // subtraction table holds; the top byte is shaded too, but the halving mask drops it.
  const __m128i halfMask = _mm_set1_epi32(0x7F7F7F);
  for (; i + 4 <= SCREEN_PIXELS; i += 4) {
    const auto pair = [&](int lane) {
      return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(TexelPairs + TunnelTable[i + lane]));
    };
    // x holds pixels 0 and 1 (Texture1, Texture1, Texture2, Texture2), y pixels 2 and 3.
    const __m128i x = _mm_unpacklo_epi32(pair(0), pair(1));
    const __m128i y = _mm_unpacklo_epi32(pair(2), pair(3));
    uint32_t shades;
    std::memcpy(&shades, TunnelShadeTable + i, sizeof(shades));
    __m128i amount = _mm_cvtsi32_si128(static_cast<int>(shades));
    amount = _mm_unpacklo_epi8(amount, amount);
    amount = _mm_unpacklo_epi16(amount, amount);  // each shade in every byte of its pixel
    const __m128i amountX = _mm_shuffle_epi32(amount, _MM_SHUFFLE(1, 0, 1, 0));
    const __m128i amountY = _mm_shuffle_epi32(amount, _MM_SHUFFLE(3, 2, 3, 2));
    const __m128i halfX = _mm_and_si128(_mm_srli_epi32(_mm_subs_epu8(x, amountX), 1), halfMask);
    const __m128i halfY = _mm_and_si128(_mm_srli_epi32(_mm_subs_epu8(y, amountY), 1), halfMask);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + i),
                     _mm_add_epi32(_mm_unpacklo_epi64(halfX, halfY), _mm_unpackhi_epi64(halfX, halfY)));
  }
#endif
  for (; i < SCREEN_PIXELS; ++i) {
    const uint16_t entry = TunnelTable[i];
    const uint32_t shade = TunnelShadeTable[i];
    const uint32_t p1 = Texture1[static_cast<uint16_t>(entry + d)];
    const uint32_t p2 = Texture2[static_cast<uint16_t>(entry - d)];
    FrameBuffer[i] = Half(DarkenPixel(p1, shade)) + Half(DarkenPixel(p2, shade));
  }
}

namespace {

constexpr int SWIRL_BEND_ROWS = 121;  // rows 0..120; the rows below mirror them

// The distance the swirl uses at (x, y) for y <= 120: the quarter table, or on the centre row,
// which the table does not hold, the plain column distance.
inline float SwirlDistance(int y, int x) {
  return y == 120 ? static_cast<float>(160 - x) : DistanceTable[y * 160 + x];
}

// Entries of the bend term that lie at the same distance from the centre (the same sum of
// squares) share one cosine. Only the geometry is grouped: every entry's distance is still
// checked against its group's, so the result is the entry's own cosine whatever the table holds.
struct BendGroups {
  uint16_t group[SWIRL_BEND_ROWS][SWIRL_COLUMNS];
  uint16_t firstRow[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  uint16_t firstColumn[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  int count = 0;

  BendGroups() {
    static int32_t groupOfSum[160 * 160 + 120 * 120 + 1];
    for (int32_t& g : groupOfSum) g = -1;
    for (int y = 0; y < SWIRL_BEND_ROWS; ++y)
      for (int j = 0; j < SWIRL_COLUMNS; ++j) {
        const int dx = SWIRL_FIRST_X + j - 160, dy = y - 120;
        int32_t& g = groupOfSum[dx * dx + dy * dy];
        if (g < 0) {
          g = count++;
          firstRow[g] = static_cast<uint16_t>(y);
          firstColumn[g] = static_cast<uint16_t>(j);
        }
        group[y][j] = static_cast<uint16_t>(g);
      }
  }
};

// (x - 160) / e for one row, every quotient rounded exactly as one division would be.
void RowSlopesScalar(double* slopes, double e) {
  for (int j = 0; j < SWIRL_COLUMNS; ++j) slopes[j] = static_cast<double>(SWIRL_FIRST_X + j - 160) / e;
}

#if TAVRINE_WIDE_VECTORS
WIDE_VECTORS void RowSlopesWide(double* slopes, double e) {
  const __m256d divisor = _mm256_set1_pd(e);
  __m256d numerator = _mm256_setr_pd(SWIRL_FIRST_X - 160, SWIRL_FIRST_X - 159, SWIRL_FIRST_X - 158,
                                     SWIRL_FIRST_X - 157);
  const __m256d four = _mm256_set1_pd(4.0);
  int j = 0;
  for (; j + 4 <= SWIRL_COLUMNS; j += 4) {
    _mm256_storeu_pd(slopes + j, _mm256_div_pd(numerator, divisor));
    numerator = _mm256_add_pd(numerator, four);  // small integers: exact
  }
  for (; j < SWIRL_COLUMNS; ++j) slopes[j] = static_cast<double>(SWIRL_FIRST_X + j - 160) / e;
}
#endif

}  // namespace

void DrawSwirlTunnel(float t) {
  const double phase = static_cast<double>(t) * 0.16666666666666666;
  const double twist = std::cos(static_cast<double>(t) * static_cast<double>(0.083333336f) *
                                6.283185307179586);
  const uint16_t scroll = static_cast<uint16_t>(static_cast<int32_t>(static_cast<double>(t) * 12.0));

  // Rows y and 240 - y lie at the same distances, so they share the bend term: only the
  // rows down to the centre row need a cosine, and within them one per distance.
  static const BendGroups groups;
  static float groupDistance[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  static double groupBend[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  for (int g = 0; g < groups.count; ++g) {
    const float h = SwirlDistance(groups.firstRow[g], SWIRL_FIRST_X + groups.firstColumn[g]);
    groupDistance[g] = h;
    groupBend[g] = twist * std::cos(static_cast<double>(h) * 0.06365372374283895 - phase);
  }
  static double bend[SWIRL_BEND_ROWS][SWIRL_COLUMNS];
  for (int y = 0; y < SWIRL_BEND_ROWS; ++y) {
    for (int j = 0; j < SWIRL_COLUMNS; ++j) {
      const float h = SwirlDistance(y, SWIRL_FIRST_X + j);
      const int g = groups.group[y][j];
      bend[y][j] = h == groupDistance[g]
                       ? groupBend[g]
                       : twist * std::cos(static_cast<double>(h) * 0.06365372374283895 - phase);
    }
  }

#if TAVRINE_WIDE_VECTORS
  const bool wide = UsableVectorWidth() >= VectorWidth::Wide;
#endif
  double slopes[SWIRL_COLUMNS];
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    // Below the centre row the quarter table is read mirrored.
    const int tableRow = y <= 120 ? y : 240 - y;
    const double e = static_cast<double>(y) - 120.00000001;
#if TAVRINE_WIDE_VECTORS
    if (wide) {
      RowSlopesWide(slopes, e);
    } else {
      RowSlopesScalar(slopes, e);
    }
#else
    RowSlopesScalar(slopes, e);
#endif
    const double* rowBend = bend[tableRow];
    uint16_t* out = SwirlTable[y];
    for (int j = 0; j < SWIRL_COLUMNS; ++j) {
      const float h = SwirlDistance(tableRow, SWIRL_FIRST_X + j);
      const double q = rowBend[j] + slopes[j];
      const uint32_t angle =
          static_cast<uint8_t>(static_cast<int32_t>(std::atan(q) * 81.48733085));
      const uint32_t radius = static_cast<uint8_t>(static_cast<int32_t>(h));
      out[j] = static_cast<uint16_t>(radius << 8 | angle);
    }
  }

  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    uint32_t* middle = FrameBuffer + y * SCREEN_WIDTH + 108;
    uint32_t* right = FrameBuffer + y * SCREEN_WIDTH + 214;
    const uint16_t* own = SwirlTable[y];
    const uint16_t* mirrored = SwirlTable[239 - y];
    for (int j = 0; j < SWIRL_COLUMNS; ++j) {
      middle[j] = Texture4[static_cast<uint16_t>(own[j] + scroll)];
      right[j] = Texture4[static_cast<uint16_t>(mirrored[105 - j] + scroll)];
    }
  }
}
