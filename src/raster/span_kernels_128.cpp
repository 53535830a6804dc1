// span_kernels_128.cpp - the span loop four pixels at a time with the 128-bit vectors every
// x86-64 processor has (SSE2): no gather, no masked stores, so texels are fetched lane by lane
// and a span's last pixels go through a small buffer.
#include "raster/span_kernels.h"

#if TAVRINE_BASELINE_VECTORS
#include <emmintrin.h>

#include <cstring>

#define SPAN_LANES_ENTRY
#define SPAN_LANES_TARGET __attribute__((always_inline))

namespace {

struct Lanes4 {
  using I = __m128i;
  using F = __m128;
  static constexpr int kLanes = 4;
  static constexpr bool kPacksSpans = false;  // two-lane halves would save little

  SPAN_LANES_TARGET static I Set1(int32_t x) { return _mm_set1_epi32(x); }
  SPAN_LANES_TARGET static I Lane() { return _mm_setr_epi32(0, 1, 2, 3); }
  SPAN_LANES_TARGET static I Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
  SPAN_LANES_TARGET static void Store(void* p, I x) { _mm_storeu_si128(static_cast<__m128i*>(p), x); }
  SPAN_LANES_TARGET static I Below(int n) { return _mm_cmpgt_epi32(_mm_set1_epi32(n), Lane()); }
  SPAN_LANES_TARGET static I LoadN(const uint32_t* p, int n) {
    alignas(16) uint32_t buffer[4] = {};
    std::memcpy(buffer, p, static_cast<size_t>(n) * 4);
    return Load(buffer);
  }
  SPAN_LANES_TARGET static void StoreN(uint32_t* p, I x, int n) {
    alignas(16) uint32_t buffer[4];
    Store(buffer, x);
    std::memcpy(p, buffer, static_cast<size_t>(n) * 4);
  }
  SPAN_LANES_TARGET static F LoadF(const float* p) { return _mm_loadu_ps(p); }
  SPAN_LANES_TARGET static void StoreF(float* p, F x) { _mm_storeu_ps(p, x); }
  SPAN_LANES_TARGET static F LoadNF(const float* p, int n) {
    alignas(16) float buffer[4] = {};
    std::memcpy(buffer, p, static_cast<size_t>(n) * 4);
    return _mm_load_ps(buffer);
  }
  SPAN_LANES_TARGET static void StoreNF(float* p, F x, int n) {
    alignas(16) float buffer[4];
    _mm_store_ps(buffer, x);
    std::memcpy(p, buffer, static_cast<size_t>(n) * 4);
  }
  SPAN_LANES_TARGET static I Add(I a, I b) { return _mm_add_epi32(a, b); }
  SPAN_LANES_TARGET static I Sub(I a, I b) { return _mm_sub_epi32(a, b); }
  SPAN_LANES_TARGET static I And(I a, I b) { return _mm_and_si128(a, b); }
  SPAN_LANES_TARGET static I Or(I a, I b) { return _mm_or_si128(a, b); }
  template <int k>
  SPAN_LANES_TARGET static I Srl(I a) { return _mm_srli_epi32(a, k); }
  template <int k>
  SPAN_LANES_TARGET static I Sll(I a) { return _mm_slli_epi32(a, k); }
  SPAN_LANES_TARGET static I Add16(I a, I b) { return _mm_add_epi16(a, b); }
  template <int k>
  SPAN_LANES_TARGET static I Srl16(I a) { return _mm_srli_epi16(a, k); }
  SPAN_LANES_TARGET static I Mul16(I a, I b) { return _mm_mullo_epi16(a, b); }
  // The low 32 bits of each product (SSE2 multiplies only the even lanes at a time).
  SPAN_LANES_TARGET static I Mul32(I a, I b) {
    const I even = _mm_mul_epu32(a, b);
    const I odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
  }
  SPAN_LANES_TARGET static I AddsU8(I a, I b) { return _mm_adds_epu8(a, b); }
  SPAN_LANES_TARGET static I Select(I mask, I a, I b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
  SPAN_LANES_TARGET static F SelectF(I mask, F a, F b) {
    const F m = _mm_castsi128_ps(mask);
    return _mm_or_ps(_mm_and_ps(m, a), _mm_andnot_ps(m, b));
  }
  SPAN_LANES_TARGET static I LessEqual(F a, F b) { return _mm_castps_si128(_mm_cmple_ps(a, b)); }
  SPAN_LANES_TARGET static bool Any(I mask) { return _mm_movemask_ps(_mm_castsi128_ps(mask)) != 0; }
  SPAN_LANES_TARGET static bool All(I mask) { return _mm_movemask_ps(_mm_castsi128_ps(mask)) == 0xF; }
  // Each colour channel at the pixels first, first + 1, ...: pixel by pixel all channels at
  // once, then turned round into channel by channel.
  struct Ramp {
    I red, green, blue, alpha, specRed, specGreen, specBlue;
  };
  SPAN_LANES_TARGET static void Transpose(I p0, I p1, I p2, I p3, I& c0, I& c1, I& c2, I& c3) {
    const I t0 = _mm_unpacklo_epi32(p0, p1), t1 = _mm_unpacklo_epi32(p2, p3);
    const I t2 = _mm_unpackhi_epi32(p0, p1), t3 = _mm_unpackhi_epi32(p2, p3);
    c0 = _mm_unpacklo_epi64(t0, t1);
    c1 = _mm_unpackhi_epi64(t0, t1);
    c2 = _mm_unpacklo_epi64(t2, t3);
    c3 = _mm_unpackhi_epi64(t2, t3);
  }
  template <bool kBlend, bool kSpecular>
  SPAN_LANES_TARGET static Ramp RampLanes(const int32_t* value, const int32_t* step, int first) {
    Ramp r{};
    const I s = Load(step);
    I p0 = Load(value);
    if (first) p0 = Add(p0, Mul32(s, Set1(first)));
    const I p1 = Add(p0, s), p2 = Add(p1, s), p3 = Add(p2, s);
    Transpose(p0, p1, p2, p3, r.red, r.green, r.blue, r.alpha);
    if constexpr (kSpecular) {
      const I t = Load(step + 4);
      I q0 = Load(value + 4);
      if (first) q0 = Add(q0, Mul32(t, Set1(first)));
      const I q1 = Add(q0, t), q2 = Add(q1, t), q3 = Add(q2, t);
      I unused;
      Transpose(q0, q1, q2, q3, r.specRed, r.specGreen, r.specBlue, unused);
    }
    return r;
  }
  SPAN_LANES_TARGET static I Steps(int32_t base, int32_t step, int offset) {
    const uint32_t s = static_cast<uint32_t>(step);
    const uint32_t b = static_cast<uint32_t>(base) + static_cast<uint32_t>(offset) * s;
    return _mm_setr_epi32(static_cast<int>(b), static_cast<int>(b + s), static_cast<int>(b + 2 * s),
                          static_cast<int>(b + 3 * s));
  }
  SPAN_LANES_TARGET static I Gather(const uint32_t* base, I index) {
    alignas(16) uint32_t at[4];
    Store(at, index);
    return _mm_setr_epi32(static_cast<int>(base[at[0]]), static_cast<int>(base[at[1]]), static_cast<int>(base[at[2]]),
                          static_cast<int>(base[at[3]]));
  }
  SPAN_LANES_TARGET static void GatherPairs(const uint32_t* base, I index, I& first, I& second) {
    alignas(16) uint32_t at[4];
    Store(at, index);
    first = _mm_setr_epi32(static_cast<int>(base[at[0]]), static_cast<int>(base[at[1]]), static_cast<int>(base[at[2]]),
                           static_cast<int>(base[at[3]]));
    second = _mm_setr_epi32(static_cast<int>(base[at[0] + 1]), static_cast<int>(base[at[1] + 1]),
                            static_cast<int>(base[at[2] + 1]), static_cast<int>(base[at[3] + 1]));
  }

  // The colour ramps of a span, four channels per vector (see Lanes8::Ramps).
  SPAN_LANES_TARGET static void Ramps(const SpanSetup& c, float dx, float lastDx, float dy, float invSteps, int32_t* value,
                    int32_t* step) {
    const F zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f), scale = _mm_set1_ps(65536.0f);
    const I half = _mm_set1_epi32(32768);
    const RasterTriangle& t = *c.tri;
    for (int h = kSpanColourFirst; h < kSpanColourFirst + kSpanColours; h += 4) {
      const F base = _mm_loadu_ps(t.base + h), ddx = _mm_loadu_ps(t.ddx + h);
      const F down = _mm_mul_ps(_mm_loadu_ps(t.ddy + h), _mm_set1_ps(dy));
      F first = _mm_add_ps(_mm_add_ps(base, _mm_mul_ps(ddx, _mm_set1_ps(dx))), down);
      F last = _mm_add_ps(_mm_add_ps(base, _mm_mul_ps(ddx, _mm_set1_ps(lastDx))), down);
      first = _mm_min_ps(_mm_max_ps(first, zero), top);
      last = _mm_min_ps(_mm_max_ps(last, zero), top);
      const I from = _mm_add_epi32(_mm_cvttps_epi32(_mm_mul_ps(first, scale)), half);
      const I to = _mm_add_epi32(_mm_cvttps_epi32(_mm_mul_ps(last, scale)), half);
      const F difference = _mm_cvtepi32_ps(_mm_sub_epi32(to, from));
      _mm_store_si128(reinterpret_cast<I*>(value + h - kSpanColourFirst), from);
      _mm_store_si128(reinterpret_cast<I*>(step + h - kSpanColourFirst),
                      _mm_cvttps_epi32(_mm_mul_ps(difference, _mm_set1_ps(invSteps))));
    }
  }
};

}  // namespace

#include "raster/span_lanes.h"

const SpanKernels baselineSpanKernels = MakeLanesSpanKernels<Lanes4>(std::make_index_sequence<kSpanVariants>());

#endif
