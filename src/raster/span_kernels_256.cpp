// span_kernels_256.cpp - the span loop eight pixels at a time (AVX2): texels by gather, the
// ends of a span by masked loads and stores. Only called when the processor has the 256-bit
// integer vectors.
#include "raster/span_kernels.h"

#if TAVRINE_WIDE_VECTORS
#include <immintrin.h>

#define SPAN_LANES_ENTRY WIDE_VECTORS
#define SPAN_LANES_TARGET __attribute__((always_inline, target("avx2")))

namespace {

struct Lanes8 {
  using I = __m256i;
  using F = __m256;
  static constexpr int kLanes = 8;
  static constexpr bool kPacksSpans = true;  // two or four short spans to a vector

  SPAN_LANES_TARGET static I Set1(int32_t x) { return _mm256_set1_epi32(x); }
  SPAN_LANES_TARGET static I Lane() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
  SPAN_LANES_TARGET static I Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
  SPAN_LANES_TARGET static void Store(void* p, I x) { _mm256_storeu_si256(static_cast<__m256i*>(p), x); }
  SPAN_LANES_TARGET static I Below(int n) { return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), Lane()); }
  SPAN_LANES_TARGET static I LoadN(const uint32_t* p, int n) {
    return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), Below(n));
  }
  SPAN_LANES_TARGET static void StoreN(uint32_t* p, I x, int n) {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), Below(n), x);
  }
  SPAN_LANES_TARGET static F LoadF(const float* p) { return _mm256_loadu_ps(p); }
  SPAN_LANES_TARGET static void StoreF(float* p, F x) { _mm256_storeu_ps(p, x); }
  SPAN_LANES_TARGET static F LoadNF(const float* p, int n) { return _mm256_maskload_ps(p, Below(n)); }
  SPAN_LANES_TARGET static void StoreNF(float* p, F x, int n) { _mm256_maskstore_ps(p, Below(n), x); }
  SPAN_LANES_TARGET static I Add(I a, I b) { return _mm256_add_epi32(a, b); }
  SPAN_LANES_TARGET static I Sub(I a, I b) { return _mm256_sub_epi32(a, b); }
  SPAN_LANES_TARGET static I And(I a, I b) { return _mm256_and_si256(a, b); }
  SPAN_LANES_TARGET static I Or(I a, I b) { return _mm256_or_si256(a, b); }
  template <int k>
  SPAN_LANES_TARGET static I Srl(I a) { return _mm256_srli_epi32(a, k); }
  template <int k>
  SPAN_LANES_TARGET static I Sll(I a) { return _mm256_slli_epi32(a, k); }
  SPAN_LANES_TARGET static I Add16(I a, I b) { return _mm256_add_epi16(a, b); }
  template <int k>
  SPAN_LANES_TARGET static I Srl16(I a) { return _mm256_srli_epi16(a, k); }
  SPAN_LANES_TARGET static I Mul16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  SPAN_LANES_TARGET static I Mul32(I a, I b) { return _mm256_mullo_epi32(a, b); }
  SPAN_LANES_TARGET static I AddsU8(I a, I b) { return _mm256_adds_epu8(a, b); }
  SPAN_LANES_TARGET static I Select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
  SPAN_LANES_TARGET static F SelectF(I mask, F a, F b) { return _mm256_blendv_ps(b, a, _mm256_castsi256_ps(mask)); }
  SPAN_LANES_TARGET static I LessEqual(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_LE_OQ)); }
  SPAN_LANES_TARGET static bool Any(I mask) { return _mm256_movemask_ps(_mm256_castsi256_ps(mask)) != 0; }
  SPAN_LANES_TARGET static bool All(I mask) { return _mm256_movemask_ps(_mm256_castsi256_ps(mask)) == 0xFF; }
  // Each colour channel at the pixels first, first + 1, ...
  struct Ramp {
    I red, green, blue, alpha, specRed, specGreen, specBlue;
  };
  template <bool kBlend, bool kSpecular>
  SPAN_LANES_TARGET static Ramp RampLanes(const int32_t* value, const int32_t* step, int first) {
    const I at = Add(Lane(), Set1(first));
    Ramp r{};
    r.red = Add(Set1(value[0]), Mul32(Set1(step[0]), at));
    r.green = Add(Set1(value[1]), Mul32(Set1(step[1]), at));
    r.blue = Add(Set1(value[2]), Mul32(Set1(step[2]), at));
    if constexpr (kBlend) r.alpha = Add(Set1(value[3]), Mul32(Set1(step[3]), at));
    if constexpr (kSpecular) {
      r.specRed = Add(Set1(value[4]), Mul32(Set1(step[4]), at));
      r.specGreen = Add(Set1(value[5]), Mul32(Set1(step[5]), at));
      r.specBlue = Add(Set1(value[6]), Mul32(Set1(step[6]), at));
    }
    return r;
  }
  SPAN_LANES_TARGET static I Steps(int32_t base, int32_t step, int offset) {
    return Add(Set1(base), Mul32(Set1(step), Add(Lane(), Set1(offset))));
  }
  SPAN_LANES_TARGET static I Gather(const uint32_t* base, I index) {
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), index, 4);
  }
  // base[index] and base[index + 1] for every lane: four 64-bit fetches per half, then the
  // first and second of each pair gathered into lane order.
  SPAN_LANES_TARGET static void GatherPairs(const uint32_t* base, I index, I& first, I& second) {
    const auto* at = reinterpret_cast<const long long*>(base);
    const __m256 low = _mm256_castsi256_ps(_mm256_i32gather_epi64(at, _mm256_castsi256_si128(index), 4));
    const __m256 high = _mm256_castsi256_ps(_mm256_i32gather_epi64(at, _mm256_extracti128_si256(index, 1), 4));
    first = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0))),
                                     _MM_SHUFFLE(3, 1, 2, 0));
    second = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1))),
                                      _MM_SHUFFLE(3, 1, 2, 0));
  }

  // Two spans of up to four pixels, one in each half: lane k of a half is the span's pixel k.
  SPAN_LANES_TARGET static I Set2(int32_t low, int32_t high) {
    return _mm256_blend_epi32(_mm256_set1_epi32(low), _mm256_set1_epi32(high), 0xF0);
  }
  SPAN_LANES_TARGET static I HalfLane() { return _mm256_setr_epi32(0, 1, 2, 3, 0, 1, 2, 3); }
  SPAN_LANES_TARGET static I BelowPair(int low, int high) { return _mm256_cmpgt_epi32(Set2(low, high), HalfLane()); }
  SPAN_LANES_TARGET static __m128i LowHalf(I x) { return _mm256_castsi256_si128(x); }
  SPAN_LANES_TARGET static __m128i HighHalf(I x) { return _mm256_extracti128_si256(x, 1); }
  SPAN_LANES_TARGET static I LoadPair(const uint32_t* low, const uint32_t* high, I mask) {
    const __m128i a = _mm_maskload_epi32(reinterpret_cast<const int*>(low), LowHalf(mask));
    const __m128i b = _mm_maskload_epi32(reinterpret_cast<const int*>(high), HighHalf(mask));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1);
  }
  SPAN_LANES_TARGET static void StorePair(uint32_t* low, uint32_t* high, I x, I mask) {
    _mm_maskstore_epi32(reinterpret_cast<int*>(low), LowHalf(mask), LowHalf(x));
    _mm_maskstore_epi32(reinterpret_cast<int*>(high), HighHalf(mask), HighHalf(x));
  }
  SPAN_LANES_TARGET static F LoadPairF(const float* low, const float* high, I mask) {
    const __m128 a = _mm_maskload_ps(low, LowHalf(mask));
    const __m128 b = _mm_maskload_ps(high, HighHalf(mask));
    return _mm256_insertf128_ps(_mm256_castps128_ps256(a), b, 1);
  }
  SPAN_LANES_TARGET static void StorePairF(float* low, float* high, F x, I mask) {
    _mm_maskstore_ps(low, LowHalf(mask), _mm256_castps256_ps128(x));
    _mm_maskstore_ps(high, HighHalf(mask), _mm256_extractf128_ps(x, 1));
  }
  SPAN_LANES_TARGET static I StepsPair(int32_t low, int32_t lowStep, int32_t high, int32_t highStep) {
    return Add(Set2(low, high), Mul32(Set2(lowStep, highStep), HalfLane()));
  }
  template <bool kBlend, bool kSpecular>
  SPAN_LANES_TARGET static Ramp RampPair(const int32_t* lowValue, const int32_t* lowStep, const int32_t* highValue,
                                         const int32_t* highStep) {
    Ramp r{};
    r.red = StepsPair(lowValue[0], lowStep[0], highValue[0], highStep[0]);
    r.green = StepsPair(lowValue[1], lowStep[1], highValue[1], highStep[1]);
    r.blue = StepsPair(lowValue[2], lowStep[2], highValue[2], highStep[2]);
    if constexpr (kBlend) r.alpha = StepsPair(lowValue[3], lowStep[3], highValue[3], highStep[3]);
    if constexpr (kSpecular) {
      r.specRed = StepsPair(lowValue[4], lowStep[4], highValue[4], highStep[4]);
      r.specGreen = StepsPair(lowValue[5], lowStep[5], highValue[5], highStep[5]);
      r.specBlue = StepsPair(lowValue[6], lowStep[6], highValue[6], highStep[6]);
    }
    return r;
  }

  // Four spans of up to two pixels, one in each quarter: lane k of a quarter is pixel k.
  SPAN_LANES_TARGET static I SetQuad(int32_t a, int32_t b, int32_t c, int32_t d) {
    return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(_mm_setr_epi32(a, b, c, d)),
                                       _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3));
  }
  SPAN_LANES_TARGET static I BelowQuad(int a, int b, int c, int d) {
    return _mm256_cmpgt_epi32(SetQuad(a, b, c, d), _mm256_setr_epi32(0, 1, 0, 1, 0, 1, 0, 1));
  }
  SPAN_LANES_TARGET static F SetQuadF(float a0, float a1, float b0, float b1, float c0, float c1, float d0, float d1) {
    return _mm256_setr_ps(a0, a1, b0, b1, c0, c1, d0, d1);
  }
  // Each quarter in the low two lanes of its own vector, the upper two cleared (as masks, they
  // leave the memory beyond a quarter alone).
  SPAN_LANES_TARGET static void Quarters(I x, __m128i* quarter) {
    // A blend with zero rather than a 64-bit move, which valgrind cannot run in its AVX form.
    const __m128i low = LowHalf(x), high = HighHalf(x), zero = _mm_setzero_si128();
    quarter[0] = _mm_blend_epi32(zero, low, 3);
    quarter[1] = _mm_unpackhi_epi64(low, zero);
    quarter[2] = _mm_blend_epi32(zero, high, 3);
    quarter[3] = _mm_unpackhi_epi64(high, zero);
  }
  template <class T>
  SPAN_LANES_TARGET static I LoadQuad(T* const* rows, I mask) {
    __m128i m[4], part[4];
    Quarters(mask, m);
    for (int k = 0; k < 4; ++k) part[k] = _mm_maskload_epi32(reinterpret_cast<const int*>(rows[k]), m[k]);
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(part[0], part[1])),
                                   _mm_unpacklo_epi64(part[2], part[3]), 1);
  }
  template <class T>
  SPAN_LANES_TARGET static void StoreQuad(T* const* rows, I x, I mask) {
    __m128i m[4], value[4];
    Quarters(mask, m);
    Quarters(x, value);
    for (int k = 0; k < 4; ++k) _mm_maskstore_epi32(reinterpret_cast<int*>(rows[k]), m[k], value[k]);
  }
  SPAN_LANES_TARGET static F LoadQuadF(float* const* rows, I mask) { return _mm256_castsi256_ps(LoadQuad(rows, mask)); }
  SPAN_LANES_TARGET static void StoreQuadF(float* const* rows, F x, I mask) {
    StoreQuad(rows, _mm256_castps_si256(x), mask);
  }
  // The colour ramps of four spans: each span's channels at its first pixel and the next,
  // turned round into one vector per channel.
  SPAN_LANES_TARGET static Ramp RampQuad(const int32_t* const* value, const int32_t* const* step) {
    I p[8];
    for (int k = 0; k < 4; ++k) {
      p[2 * k] = Load(value[k]);
      p[2 * k + 1] = Add(p[2 * k], Load(step[k]));
    }
    I t[8], u[8];
    for (int k = 0; k < 8; k += 4) {
      t[k] = _mm256_unpacklo_epi32(p[k], p[k + 1]);
      t[k + 1] = _mm256_unpackhi_epi32(p[k], p[k + 1]);
      t[k + 2] = _mm256_unpacklo_epi32(p[k + 2], p[k + 3]);
      t[k + 3] = _mm256_unpackhi_epi32(p[k + 2], p[k + 3]);
      u[k] = _mm256_unpacklo_epi64(t[k], t[k + 2]);      // channels 0 and 4
      u[k + 1] = _mm256_unpackhi_epi64(t[k], t[k + 2]);  // 1 and 5
      u[k + 2] = _mm256_unpacklo_epi64(t[k + 1], t[k + 3]);  // 2 and 6
      u[k + 3] = _mm256_unpackhi_epi64(t[k + 1], t[k + 3]);  // 3 and 7
    }
    Ramp r;
    r.red = _mm256_permute2x128_si256(u[0], u[4], 0x20);
    r.green = _mm256_permute2x128_si256(u[1], u[5], 0x20);
    r.blue = _mm256_permute2x128_si256(u[2], u[6], 0x20);
    r.alpha = _mm256_permute2x128_si256(u[3], u[7], 0x20);
    r.specRed = _mm256_permute2x128_si256(u[0], u[4], 0x31);
    r.specGreen = _mm256_permute2x128_si256(u[1], u[5], 0x31);
    r.specBlue = _mm256_permute2x128_si256(u[2], u[6], 0x31);
    return r;
  }
  // Texel positions from four spans' ends (u, v at the first pixel, u, v at the last).
  SPAN_LANES_TARGET static void EndsQuad(const int32_t* a, const int32_t* b, const int32_t* c, const int32_t* d, I& u,
                                         I& v) {
    const __m256 ab = _mm256_castsi256_ps(_mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1));
    const __m256 cd = _mm256_castsi256_ps(_mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(c))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(d)), 1));
    // (a, a, c, c | b, b, d, d) by the shuffle, then the middle 64-bit pairs swapped.
    u = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(ab, cd, _MM_SHUFFLE(2, 0, 2, 0))),
                                 _MM_SHUFFLE(3, 1, 2, 0));
    v = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(ab, cd, _MM_SHUFFLE(3, 1, 3, 1))),
                                 _MM_SHUFFLE(3, 1, 2, 0));
  }

  // The colour ramps of a span, every channel in one vector: clamped first and last values in
  // 16.16 with half a unit added, and the step between them.
  SPAN_LANES_TARGET static void Ramps(const SpanSetup& c, float dx, float lastDx, float dy, float invSteps, int32_t* value,
                                 int32_t* step) {
    const RasterTriangle& t = *c.tri;
    const __m256 base = _mm256_loadu_ps(t.base + kSpanColourFirst), ddx = _mm256_loadu_ps(t.ddx + kSpanColourFirst);
    const __m256 down = _mm256_mul_ps(_mm256_loadu_ps(t.ddy + kSpanColourFirst), _mm256_set1_ps(dy));
    const __m256 zero = _mm256_setzero_ps(), top = _mm256_set1_ps(255.0f), scale = _mm256_set1_ps(65536.0f);
    const __m256i half = _mm256_set1_epi32(32768);
    __m256 first = _mm256_add_ps(_mm256_add_ps(base, _mm256_mul_ps(ddx, _mm256_set1_ps(dx))), down);
    __m256 last = _mm256_add_ps(_mm256_add_ps(base, _mm256_mul_ps(ddx, _mm256_set1_ps(lastDx))), down);
    first = _mm256_min_ps(_mm256_max_ps(first, zero), top);
    last = _mm256_min_ps(_mm256_max_ps(last, zero), top);
    const __m256i from = _mm256_add_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(first, scale)), half);
    const __m256i to = _mm256_add_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(last, scale)), half);
    const __m256 difference = _mm256_cvtepi32_ps(_mm256_sub_epi32(to, from));
    _mm256_store_si256(reinterpret_cast<__m256i*>(value), from);
    _mm256_store_si256(reinterpret_cast<__m256i*>(step),
                       _mm256_cvttps_epi32(_mm256_mul_ps(difference, _mm256_set1_ps(invSteps))));
  }
};

}  // namespace

#include "raster/span_lanes.h"

const SpanKernels wideSpanKernels = MakeLanesSpanKernels<Lanes8>(std::make_index_sequence<kSpanVariants>());

#endif
