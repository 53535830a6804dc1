// kernels_128.cpp - the effects' loops four 32-bit pixels at a time (SSE2), each giving exactly
// what its plain version beside the effect gives. The darkening is a saturating byte
// subtraction, which is what the subtraction table holds.
#include "effects/kernels.h"

#if TAVRINE_BASELINE_VECTORS
#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "effects/swirl_angles.h"
#include "effects/texel_pairs.h"

namespace {

static_assert(SCREEN_PIXELS % 4 == 0 && SCREEN_WIDTH % 4 == 0 && (SCREEN_PIXELS / 2) % 4 == 0);

// Every channel halved, so two halves add up without carries.
inline __m128i Halve(__m128i q) { return _mm_and_si128(_mm_srli_epi32(q, 1), _mm_set1_epi32(0x7F7F7F)); }

void PerspectiveTunnel128(uint16_t d) {
  // Both texels of every entry side by side: Texture1[T + D] low, Texture2[T - D] high, so
  // each pixel makes one scattered read instead of two.
  PairTexels(Texture1, d, Texture2, static_cast<uint16_t>(-d));
  // The top byte is shaded too, but the halving mask drops it.
  for (int i = 0; i < SCREEN_PIXELS; i += 4) {
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
    const __m128i halfX = Halve(_mm_subs_epu8(x, amountX));
    const __m128i halfY = Halve(_mm_subs_epu8(y, amountY));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + i),
                     _mm_add_epi32(_mm_unpacklo_epi64(halfX, halfY), _mm_unpackhi_epi64(halfX, halfY)));
  }
}

// Each bend row's terms by the angle-difference formula, two at a time, then the one or two
// rows that share them: the quotients with the row's reciprocal, the angles where every
// quotient within the slack has the same one (SwirlAngleWithin), the entry by the formula
// where not.
void SwirlTable128(double phase, double twist) {
  if (!(std::fabs(phase) <= SWIRL_TURN_PHASE_LIMIT)) return SwirlTablePlain(phase, twist);
  static_assert(SWIRL_COLUMNS % 2 == 0);
  const SwirlAngleSteps& steps = SwirlAngles();
  const SwirlTurnTable& turns = UpdatedSwirlTurns();
  alignas(16) double bend[SWIRL_COLUMNS];
  const __m128d cosine = _mm_set1_pd(twist * std::cos(phase)), sine = _mm_set1_pd(twist * std::sin(phase));
  for (int row = 0; row < SWIRL_BEND_ROWS; ++row) {
    for (int j = 0; j < SWIRL_COLUMNS; j += 2)
      _mm_store_pd(bend + j, _mm_add_pd(_mm_mul_pd(_mm_load_pd(&turns.cosine[row][j]), cosine),
                                        _mm_mul_pd(_mm_load_pd(&turns.sine[row][j]), sine)));
    // Row 0 has no partner below, row 120 is its own.
    const int rows[2] = {row, 240 - row};
    for (int r = 0; r < (row >= 1 && row <= 119 ? 2 : 1); ++r) {
      const int y = rows[r];
      const __m128d reciprocal = _mm_set1_pd(1.0 / (static_cast<double>(y) - 120.00000001));
      __m128d numerator = _mm_setr_pd(SWIRL_FIRST_X - 160, SWIRL_FIRST_X - 159);
      for (int j = 0; j < SWIRL_COLUMNS; j += 2) {
        alignas(16) double q[2];
        _mm_store_pd(q, _mm_add_pd(_mm_load_pd(bend + j), _mm_mul_pd(numerator, reciprocal)));
        numerator = _mm_add_pd(numerator, _mm_set1_pd(2.0));  // small integers: exact
        for (int k = 0; k < 2; ++k) {
          const int32_t angle = SwirlAngleWithin(steps, q[k], SwirlQuotientSlack(q[k]));
          if (angle == SWIRL_ANGLE_UNSURE) [[unlikely]] {
            SwirlTable[y][j + k] = SwirlEntryPlain(y, j + k, phase, twist);
          } else {
            const uint32_t radius = static_cast<uint8_t>(static_cast<int32_t>(turns.distance[row][j + k]));
            SwirlTable[y][j + k] = static_cast<uint16_t>(radius << 8 | static_cast<uint8_t>(angle));
          }
        }
      }
    }
  }
}

void PlasmaBlendRow128(uint32_t* out, const uint32_t* columnV, const uint32_t* columnU, int32_t y,
                       uint32_t rowTerm) {
  const __m128i low = _mm_set1_epi32(0xFF);
  const __m128i down = _mm_set1_epi32(y);
  const __m128i across = _mm_set1_epi32(static_cast<int>(rowTerm));
  for (int x = 0; x < SCREEN_WIDTH; x += 4) {
    const __m128i v = _mm_and_si128(_mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(columnV + x)), down), low);
    const __m128i u = _mm_and_si128(_mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(columnU + x)), across), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_slli_epi32(v, 8), u));
  }
}

void PlasmaBlendPixels128() {
  // With both textures side by side, each entry is read once for the two pixels that use it:
  // pixel k (Texture1) and its mirror (Texture2).
  PairTexels(Texture1, 0, Texture2, 0);
  for (int k = 0; k < SCREEN_PIXELS / 2; k += 4) {
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
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + k), _mm_add_epi32(Halve(ownFirst), Halve(mirSecond)));
    // Lanes 0..3 belong to pixels m, m - 1, m - 2, m - 3: reversed before the store.
    const __m128i back = _mm_add_epi32(Halve(mirFirst), Halve(ownSecond));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(FrameBuffer + m - 3), _mm_shuffle_epi32(back, _MM_SHUFFLE(0, 1, 2, 3)));
  }
}

void PlasmaShadeRow128(const int32_t* wave, uint32_t rowV, uint32_t b, uint32_t* entries, uint32_t* out) {
  const __m128i low = _mm_set1_epi32(0xFF);
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i middle = _mm_set1_epi32(128);
  const __m128i down = _mm_set1_epi32(static_cast<int>(rowV));
  __m128i across = _mm_setr_epi32(static_cast<int>(b), static_cast<int>(b + 1), static_cast<int>(b + 2),
                                  static_cast<int>(b + 3));
  const __m128i four = _mm_set1_epi32(4);
  for (int x = 0; x < SCREEN_WIDTH; x += 4) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wave + x));  // -50..50
    const __m128i level = _mm_add_epi32(c, middle);                                 // 78..178
    const __m128i v = _mm_and_si128(_mm_add_epi32(down, c), low);
    const __m128i u = _mm_and_si128(_mm_add_epi32(across, c), low);
    across = _mm_add_epi32(across, four);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(entries + x),
                     _mm_or_si128(_mm_slli_epi32(level, 16), _mm_or_si128(_mm_slli_epi32(v, 8), u)));
    const auto texel = [&](int lane) { return static_cast<int>(Texture2[entries[x + lane] & 0xFFFF]); };
    const __m128i amount = _mm_or_si128(level, _mm_or_si128(_mm_slli_epi32(level, 8), _mm_slli_epi32(level, 16)));
    const __m128i p = _mm_set_epi32(texel(3), texel(2), texel(1), texel(0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(_mm_subs_epu8(p, amount), colour));
  }
}

template <bool Add>
void DarkenRun128(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  const __m128i amount = _mm_set1_epi32(static_cast<int>(k * 0x010101u));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    __m128i d = _mm_and_si128(_mm_subs_epu8(p, amount), colour);
    __m128i* out = reinterpret_cast<__m128i*>(destination + i);
    if constexpr (Add) d = _mm_add_epi32(_mm_loadu_si128(out), d);
    _mm_storeu_si128(out, d);
  }
  if constexpr (Add) {
    AddDarkenedPixelsPlain(destination + i, source + i, count - i, k);
  } else {
    DarkenPixelsPlain(destination + i, source + i, count - i, k);
  }
}

void HandOverRow128(uint32_t* destination, uint32_t* frame, const uint32_t* picture, int covered, uint32_t k) {
  const __m128i amount = _mm_set1_epi32(static_cast<int>(k * 0x010101u));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
  for (; x + 4 <= covered; x += 4) {
    __m128i* under = reinterpret_cast<__m128i*>(frame + x);
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture + x));
    const __m128i d = _mm_and_si128(_mm_subs_epu8(p, amount), colour);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x), _mm_add_epi32(_mm_loadu_si128(under), d));
    _mm_storeu_si128(under, zero);
  }
  for (; x < covered; ++x) {
    destination[x] = frame[x] + DarkenPixel(picture[x], k);
    frame[x] = 0;
  }
  for (; x < SCREEN_WIDTH && x % 4 != 0; ++x) {
    destination[x] = frame[x];
    frame[x] = 0;
  }
  for (; x < SCREEN_WIDTH; x += 4) {
    __m128i* under = reinterpret_cast<__m128i*>(frame + x);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x), _mm_loadu_si128(under));
    _mm_storeu_si128(under, zero);
  }
}

void PairRun128(uint64_t* out, const uint32_t* first, const uint32_t* second, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi32(f, s));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 2), _mm_unpackhi_epi32(f, s));
  }
  PairRunPlain(out + i, first + i, second + i, count - i);
}

// Adding with saturation and masking with keep: where keep is all ones the pixel comes back
// whole (it adds 0), elsewhere its top byte is cleared.
void GlowStamp128(uint32_t* topLeft, const uint32_t (*add)[16], const uint32_t (*keep)[16]) {
  for (int r = 0; r < 16; ++r) {
    uint32_t* row = topLeft + r * SCREEN_WIDTH;
    for (int c = 0; c < 16; c += 4) {
      __m128i* at = reinterpret_cast<__m128i*>(row + c);
      const __m128i more = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&add[r][c]));
      const __m128i kept = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&keep[r][c]));
      _mm_storeu_si128(at, _mm_and_si128(_mm_adds_epu8(_mm_loadu_si128(at), more), kept));
    }
  }
}

}  // namespace

const EffectKernels baselineEffectKernels = {
    .perspectiveTunnel = PerspectiveTunnel128,
    .swirlTable = SwirlTable128,
    .swirlPixels = SwirlPixelsPlain,
    .plasmaBlendRow = PlasmaBlendRow128,
    .plasmaBlendPixels = PlasmaBlendPixels128,
    .plasmaShadeRow = PlasmaShadeRow128,
    .darken = DarkenRun128<false>,
    .addDarkened = DarkenRun128<true>,
    .handOverRow = HandOverRow128,
    .pairRun = PairRun128,
    .glowStamp = GlowStamp128,
};

#endif
