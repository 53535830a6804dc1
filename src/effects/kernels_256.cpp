// kernels_256.cpp - the effects' loops eight 32-bit pixels at a time (AVX2), each giving exactly
// what its plain version beside the effect gives. Only called when the processor has the
// 256-bit integer vectors.
#include "effects/kernels.h"

#if TAVRINE_WIDE_VECTORS
#include <immintrin.h>

#include <cmath>
#include <cstring>

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "effects/swirl_angles.h"
#include "effects/texel_pairs.h"

namespace {

static_assert(SCREEN_PIXELS % 8 == 0 && SCREEN_WIDTH % 8 == 0 && (SCREEN_PIXELS / 2) % 8 == 0);

// Every channel halved, so two halves add up without carries.
WIDE_VECTORS inline __m256i Halve(__m256i q) {
  return _mm256_and_si256(_mm256_srli_epi32(q, 1), _mm256_set1_epi32(0x7F7F7F));
}

WIDE_VECTORS void PerspectiveTunnel256(uint16_t d) {
  PairTexels(Texture1, d, Texture2, static_cast<uint16_t>(-d));
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
    const __m256i halfLow = Halve(_mm256_subs_epu8(low, _mm256_shuffle_epi8(shades, spreadLow)));
    const __m256i halfHigh = Halve(_mm256_subs_epu8(high, _mm256_shuffle_epi8(shades, spreadHigh)));
    // Each pixel's sum lands in the low half of its 64 bits; the halves never carry.
    const __m256i sumLow = _mm256_add_epi32(halfLow, _mm256_srli_epi64(halfLow, 32));
    const __m256i sumHigh = _mm256_add_epi32(halfHigh, _mm256_srli_epi64(halfHigh, 32));
    const __m256i mixed = _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(sumLow), _mm256_castsi256_ps(sumHigh), _MM_SHUFFLE(2, 0, 2, 0)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(FrameBuffer + i),
                        _mm256_permute4x64_epi64(mixed, _MM_SHUFFLE(3, 1, 2, 0)));
  }
}

// SwirlAngleBucket four at a time; the keys fit the low 32 bits of each lane, whose high bits
// are 0 on both sides of the limits.
WIDE_VECTORS inline __m256i SwirlAngleBucket256(__m256d q) {
  static_assert(SWIRL_ANGLE_SIGN_BUCKETS == 1 << 10);
  const __m256i bits = _mm256_castpd_si256(q);
  const __m256i lowest = _mm256_set1_epi64x(SWIRL_ANGLE_LOWEST_KEY);
  __m256i key = _mm256_and_si256(_mm256_srli_epi64(bits, SWIRL_ANGLE_KEY_SHIFT), _mm256_set1_epi64x(0x1FFFF));
  key = _mm256_min_epi32(_mm256_max_epi32(key, lowest), _mm256_set1_epi64x(SWIRL_ANGLE_HIGHEST_KEY));
  return _mm256_add_epi64(_mm256_sub_epi64(key, lowest), _mm256_slli_epi64(_mm256_srli_epi64(bits, 63), 10));
}

// One row of SwirlTable from its bend terms, four entries at a time: the quotient with the
// row's reciprocal, its angle where every quotient within the slack has the same one
// (SwirlAngleWithin), and the entry by the formula where not.
WIDE_VECTORS void SwirlRow256(const SwirlAngleSteps& steps, int y, const float* distance, const double* bend,
                              double phase, double twist) {
  const __m256d reciprocal = _mm256_set1_pd(1.0 / (static_cast<double>(y) - 120.00000001));
  __m256d numerator = _mm256_setr_pd(SWIRL_FIRST_X - 160, SWIRL_FIRST_X - 159, SWIRL_FIRST_X - 158,
                                     SWIRL_FIRST_X - 157);
  const __m256d four = _mm256_set1_pd(4.0);
  const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m256d absolute = _mm256_set1_pd(SWIRL_SLACK_ABSOLUTE), relative = _mm256_set1_pd(SWIRL_SLACK_RELATIVE);
  const __m256i evenHalves = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  alignas(16) uint16_t entries[SWIRL_PADDED_COLUMNS];
  for (int j = 0; j < SWIRL_PADDED_COLUMNS; j += 4) {
    const __m256d q = _mm256_add_pd(_mm256_load_pd(bend + j), _mm256_mul_pd(numerator, reciprocal));
    numerator = _mm256_add_pd(numerator, four);  // small integers: exact
    const __m256d slack = _mm256_add_pd(absolute, _mm256_mul_pd(relative, _mm256_and_pd(q, magnitude)));
    const __m256d low = _mm256_sub_pd(q, slack), high = _mm256_add_pd(q, slack);
    const __m256i bucket = SwirlAngleBucket256(low);
    const __m256d step = _mm256_i64gather_pd(steps.step, bucket, 8);
    const __m128i start = _mm256_i64gather_epi32(steps.angle, bucket, 4);
    const __m256d lowPast = _mm256_cmp_pd(low, step, _CMP_GE_OQ), highPast = _mm256_cmp_pd(high, step, _CMP_GE_OQ);
    const __m256i sure = _mm256_andnot_si256(_mm256_castpd_si256(_mm256_xor_pd(lowPast, highPast)),
                                             _mm256_cmpeq_epi64(bucket, SwirlAngleBucket256(high)));
    // A comparison's all ones is -1: subtracting it adds one.
    const __m128i angle = _mm_sub_epi32(start, _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_castpd_si256(lowPast), evenHalves)));
    const __m128i radius = _mm_and_si128(_mm_cvttps_epi32(_mm_load_ps(distance + j)), lowByte);
    const __m128i entry = _mm_or_si128(_mm_slli_epi32(radius, 8), _mm_and_si128(angle, lowByte));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(entries + j), _mm_packus_epi32(entry, entry));
    if (const int unsure = ~_mm256_movemask_pd(_mm256_castsi256_pd(sure)) & 0xF) [[unlikely]] {
      for (int k = 0; k < 4 && j + k < SWIRL_COLUMNS; ++k)
        if (unsure >> k & 1) entries[j + k] = SwirlEntryPlain(y, j + k, phase, twist);
    }
  }
  std::memcpy(SwirlTable[y], entries, sizeof(SwirlTable[y]));
}

// Each bend row's terms by the angle-difference formula, then the one or two rows that share them.
WIDE_VECTORS void SwirlTable256(double phase, double twist) {
  if (!(std::fabs(phase) <= SWIRL_TURN_PHASE_LIMIT)) return SwirlTablePlain(phase, twist);
  const SwirlAngleSteps& steps = SwirlAngles();
  const SwirlTurnTable& turns = UpdatedSwirlTurns();
  alignas(32) double bend[SWIRL_PADDED_COLUMNS];
  const __m256d cosine = _mm256_set1_pd(twist * std::cos(phase)), sine = _mm256_set1_pd(twist * std::sin(phase));
  for (int row = 0; row < SWIRL_BEND_ROWS; ++row) {
    for (int j = 0; j < SWIRL_PADDED_COLUMNS; j += 4)
      _mm256_store_pd(bend + j, _mm256_add_pd(_mm256_mul_pd(_mm256_load_pd(&turns.cosine[row][j]), cosine),
                                              _mm256_mul_pd(_mm256_load_pd(&turns.sine[row][j]), sine)));
    SwirlRow256(steps, row, turns.distance[row], bend, phase, twist);
    // Row 0 has no partner below, row 120 is its own.
    if (row >= 1 && row <= 119) SwirlRow256(steps, 240 - row, turns.distance[row], bend, phase, twist);
  }
}

// Eight entries at a time: their texels gathered once, stored in order in the middle third and
// reversed in the right.
WIDE_VECTORS void SwirlPixels256(uint16_t scroll) {
  const __m128i shift = _mm_set1_epi16(static_cast<short>(scroll));  // 16-bit lanes wrap as the index does
  const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
  const int* texture = reinterpret_cast<const int*>(Texture4);
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    uint32_t* middle = FrameBuffer + y * SCREEN_WIDTH + 108;
    uint32_t* mirrored = FrameBuffer + (239 - y) * SCREEN_WIDTH + 214 + 105;
    const uint16_t* own = SwirlTable[y];
    int j = 0;
    for (; j + 8 <= SWIRL_COLUMNS; j += 8) {
      const __m128i entries = _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(own + j)), shift);
      const __m256i texels = _mm256_i32gather_epi32(texture, _mm256_cvtepu16_epi32(entries), 4);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(middle + j), texels);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(mirrored - j - 7), _mm256_permutevar8x32_epi32(texels, reverse));
    }
    for (; j < SWIRL_COLUMNS; ++j) {
      const uint32_t texel = Texture4[static_cast<uint16_t>(own[j] + scroll)];
      middle[j] = texel;
      mirrored[-j] = texel;
    }
  }
}

WIDE_VECTORS void PlasmaBlendRow256(uint32_t* out, const uint32_t* columnV, const uint32_t* columnU, int32_t y,
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

// The texel pairs of four entries, one per 64-bit lane.
WIDE_VECTORS inline __m256i FourPairs(int e0, int e1, int e2, int e3) {
  const auto pair = [](int entry) {
    return reinterpret_cast<const double*>(TexelPairs + (PlasmaBuffer[entry] & 0xFFFF));
  };
  const __m128i low = _mm_castpd_si128(_mm_loadh_pd(_mm_load_sd(pair(e0)), pair(e1)));
  const __m128i high = _mm_castpd_si128(_mm_loadh_pd(_mm_load_sd(pair(e2)), pair(e3)));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// Eight pixels and their eight mirrors at a time.
WIDE_VECTORS void PlasmaBlendPixels256() {
  PairTexels(Texture1, 0, Texture2, 0);
  const __m256i forwardOrder = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
  const __m256i backOrder = _mm256_setr_epi32(7, 6, 3, 2, 5, 4, 1, 0);
  for (int k = 0; k < SCREEN_PIXELS / 2; k += 8) {
    const int m = SCREEN_PIXELS - 1 - k;
    // 64-bit lane i: (Texture1, Texture2) at entry k + i, and at entry m - i.
    const __m256i ownLow = FourPairs(k, k + 1, k + 2, k + 3), ownHigh = FourPairs(k + 4, k + 5, k + 6, k + 7);
    const __m256i mirLow = FourPairs(m, m - 1, m - 2, m - 3), mirHigh = FourPairs(m - 4, m - 5, m - 6, m - 7);
    // Swapping each mirror's two texels lines up, in lane i, pixel k + i's sum in the low
    // half and pixel m - i's in the high half.
    const __m256i sumLow = _mm256_add_epi32(Halve(ownLow), Halve(_mm256_shuffle_epi32(mirLow, _MM_SHUFFLE(2, 3, 0, 1))));
    const __m256i sumHigh = _mm256_add_epi32(Halve(ownHigh), Halve(_mm256_shuffle_epi32(mirHigh, _MM_SHUFFLE(2, 3, 0, 1))));
    const __m256 lowF = _mm256_castsi256_ps(sumLow), highF = _mm256_castsi256_ps(sumHigh);
    const __m256i forward = _mm256_castps_si256(_mm256_shuffle_ps(lowF, highF, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m256i back = _mm256_castps_si256(_mm256_shuffle_ps(lowF, highF, _MM_SHUFFLE(3, 1, 3, 1)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(FrameBuffer + k), _mm256_permutevar8x32_epi32(forward, forwardOrder));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(FrameBuffer + m - 7), _mm256_permutevar8x32_epi32(back, backOrder));
  }
}

// The texels at four indices below 65536, taken out of the register two at a time and loaded
// into the lanes one by one: here cheaper than a gather, and than reading the indices back from
// memory just stored.
WIDE_VECTORS inline __m128i FourTexels(const uint32_t* texture, __m128i index) {
  const uint64_t first = static_cast<uint64_t>(_mm_cvtsi128_si64(index));
  const uint64_t second = static_cast<uint64_t>(_mm_extract_epi64(index, 1));
  __m128i texels = _mm_cvtsi32_si128(static_cast<int>(texture[static_cast<uint32_t>(first)]));
  texels = _mm_insert_epi32(texels, static_cast<int>(texture[first >> 32]), 1);
  texels = _mm_insert_epi32(texels, static_cast<int>(texture[static_cast<uint32_t>(second)]), 2);
  return _mm_insert_epi32(texels, static_cast<int>(texture[second >> 32]), 3);
}

WIDE_VECTORS void PlasmaShadeRow256(const int32_t* wave, uint32_t rowV, uint32_t b, uint32_t* entries, uint32_t* out) {
  const __m256i low = _mm256_set1_epi32(0xFF);
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
  const __m256i middle = _mm256_set1_epi32(128);
  const __m256i down = _mm256_set1_epi32(static_cast<int>(rowV));
  const __m256i eight = _mm256_set1_epi32(8);
  // The level (bits 16-23 of an entry) into the three colour bytes of its pixel.
  const __m256i spread = _mm256_setr_epi8(2, 2, 2, -1, 6, 6, 6, -1, 10, 10, 10, -1, 14, 14, 14, -1,  //
                                          2, 2, 2, -1, 6, 6, 6, -1, 10, 10, 10, -1, 14, 14, 14, -1);
  const __m256i texelBits = _mm256_set1_epi32(0xFFFF);
  __m256i across = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(b)), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  for (int x = 0; x < SCREEN_WIDTH; x += 8) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wave + x));  // -50..50
    const __m256i level = _mm256_add_epi32(c, middle);                                 // 78..178
    const __m256i v = _mm256_and_si256(_mm256_add_epi32(down, c), low);
    const __m256i u = _mm256_and_si256(_mm256_add_epi32(across, c), low);
    across = _mm256_add_epi32(across, eight);
    const __m256i e = _mm256_or_si256(_mm256_slli_epi32(level, 16), _mm256_or_si256(_mm256_slli_epi32(v, 8), u));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(entries + x), e);
    const __m256i index = _mm256_and_si256(e, texelBits);
    const __m256i p = _mm256_inserti128_si256(_mm256_castsi128_si256(FourTexels(Texture2, _mm256_castsi256_si128(index))),
                                              FourTexels(Texture2, _mm256_extracti128_si256(index, 1)), 1);
    const __m256i amount = _mm256_shuffle_epi8(e, spread);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_and_si256(_mm256_subs_epu8(p, amount), colour));
  }
}

// The last partial block is read and written through a lane mask, so nothing past `count` is
// touched.
template <bool Add>
WIDE_VECTORS void DarkenRun256(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
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
  if (i < count) {
    const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i p = _mm256_maskload_epi32(reinterpret_cast<const int*>(source + i), inside);
    __m256i d = _mm256_and_si256(_mm256_subs_epu8(p, amount), colour);
    int* out = reinterpret_cast<int*>(destination + i);
    if constexpr (Add) d = _mm256_add_epi32(_mm256_maskload_epi32(out, inside), d);
    _mm256_maskstore_epi32(out, inside, d);
  }
}

// Eight pixels of HandOverRow256 with the picture's eight.
WIDE_VECTORS inline void HandOverBlock(uint32_t* destination, uint32_t* frame, __m256i picture, __m256i amount) {
  __m256i* under = reinterpret_cast<__m256i*>(frame);
  const __m256i darkened = _mm256_and_si256(_mm256_subs_epu8(picture, amount), _mm256_set1_epi32(0x00FFFFFF));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination), _mm256_add_epi32(_mm256_loadu_si256(under), darkened));
  _mm256_storeu_si256(under, _mm256_setzero_si256());
}

// The block that straddles `covered` reads the picture through a lane mask (0 beyond, which
// darkens to 0).
WIDE_VECTORS void HandOverRow256(uint32_t* destination, uint32_t* frame, const uint32_t* picture, int covered,
                                 uint32_t k) {
  const __m256i amount = _mm256_set1_epi32(static_cast<int>(k * 0x010101u));
  int x = 0;
  for (; x + 8 <= covered; x += 8)
    HandOverBlock(destination + x, frame + x, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(picture + x)), amount);
  if (x < covered) {
    const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(covered - x), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    HandOverBlock(destination + x, frame + x, _mm256_maskload_epi32(reinterpret_cast<const int*>(picture + x), inside),
                  amount);
    x += 8;
  }
  for (; x < SCREEN_WIDTH; x += 8) {
    __m256i* under = reinterpret_cast<__m256i*>(frame + x);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + x), _mm256_loadu_si256(under));
    _mm256_storeu_si256(under, _mm256_setzero_si256());
  }
}

WIDE_VECTORS void PairRun256(uint64_t* out, const uint32_t* first, const uint32_t* second, int count) {
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + i));
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second + i));
    const __m256i low = _mm256_unpacklo_epi32(f, s), high = _mm256_unpackhi_epi32(f, s);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 4), _mm256_permute2x128_si256(low, high, 0x31));
  }
  PairRunPlain(out + i, first + i, second + i, count - i);
}

// Adding with saturation and masking with keep: where keep is all ones the pixel comes back
// whole (it adds 0), elsewhere its top byte is cleared.
WIDE_VECTORS void GlowStamp256(uint32_t* topLeft, const uint32_t (*add)[16], const uint32_t (*keep)[16]) {
  for (int r = 0; r < 16; ++r) {
    uint32_t* row = topLeft + r * SCREEN_WIDTH;
    for (int c = 0; c < 16; c += 8) {
      __m256i* at = reinterpret_cast<__m256i*>(row + c);
      const __m256i more = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&add[r][c]));
      const __m256i kept = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&keep[r][c]));
      _mm256_storeu_si256(at, _mm256_and_si256(_mm256_adds_epu8(_mm256_loadu_si256(at), more), kept));
    }
  }
}

}  // namespace

const EffectKernels wideEffectKernels = {
    .perspectiveTunnel = PerspectiveTunnel256,
    .swirlTable = SwirlTable256,
    .swirlPixels = SwirlPixels256,
    .plasmaBlendRow = PlasmaBlendRow256,
    .plasmaBlendPixels = PlasmaBlendPixels256,
    .plasmaShadeRow = PlasmaShadeRow256,
    .darken = DarkenRun256<false>,
    .addDarkened = DarkenRun256<true>,
    .handOverRow = HandOverRow256,
    .pairRun = PairRun256,
    .glowStamp = GlowStamp256,
};

#endif
