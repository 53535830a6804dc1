// span_lanes.h - the vector span loop, written once over a set of lane operations: Lanes4
// (128-bit, span_kernels_128.cpp) and Lanes8 (256-bit, span_kernels_256.cpp). Only those two
// files include it, each after defining its lane struct, SPAN_LANES_ENTRY (the attributes the
// span functions need) and SPAN_LANES_TARGET (the same, and always inlined, for the helpers).
//
// A span is cut into the same runs of kSpanRun pixels as the plain loop, and each run into
// chunks of one vector. Per chunk: the depths (stepped one by one, as the plain loop steps
// them), the depth test as a lane mask, then colour ramp, texel address, bilinear weights,
// modulate, specular and blend on all lanes at once, in 16-bit halves of 32-bit lanes where a
// channel product needs them (0x00RR00BB and 0x000000GG); a lane that fails the depth test
// keeps its old pixel. The rounding is the plain loop's, step for step. Most spans of the
// show are a few pixels long, so a span's set-up is done in as few vector steps as it can,
// and where the lanes allow (kPacksSpans, 32-bit targets) spans of up to half a vector share
// one, two to a vector, and spans of one or two pixels four to a vector.
//
// The lane struct L offers: I and F (integer and float vectors), kLanes, Set1, Lane (0, 1,
// ...), Load/Store, LoadN/StoreN (first n lanes), LoadF/StoreF, LoadNF/StoreNF, Add, Sub, And,
// Or, Srl<k>, Sll<k>, Add16, Srl16<k>, Mul16, Mul32, AddsU8, Select, SelectF, Below,
// LessEqual, Any, All, Gather, GatherPairs (a texel and the next), Ramps (a span's colour ramps, all channels at once),
// RampLanes (channels at the pixels first, first + 1, ...) and Steps (base + k x step); with
// kPacksSpans also the same for two halves (BelowPair, LoadPair, StorePair, LoadPairF,
// StorePairF, RampPair, StepsPair) and for four quarters (BelowQuad, SetQuadF, LoadQuad,
// StoreQuad, LoadQuadF, StoreQuadF, RampQuad, EndsQuad), each half or quarter a span of its own.
#pragma once
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "raster/span_kernels.h"

namespace {

// x / 255 rounded, in each 16-bit half (x < 65,408 after the bias).
template <class L>
inline SPAN_LANES_TARGET typename L::I Div255Halves(typename L::I x) {
  x = L::Add16(x, L::Set1(0x00800080));
  return L::template Srl16<8>(L::Add16(x, L::template Srl16<8>(x)));
}

// (a x (256 - f) + b x f) >> 8 in each 16-bit half; f holds the weight in both halves.
template <class L>
inline SPAN_LANES_TARGET typename L::I LerpHalves(typename L::I a, typename L::I b, typename L::I f, typename L::I notF) {
  return L::template Srl16<8>(L::Add16(L::Mul16(a, notF), L::Mul16(b, f)));
}

template <class L>
inline SPAN_LANES_TARGET typename L::I RedBlue(typename L::I pixel) {
  return L::And(pixel, L::Set1(0x00FF00FF));
}

template <class L>
inline SPAN_LANES_TARGET typename L::I Green(typename L::I pixel) {
  return L::And(L::template Srl<8>(pixel), L::Set1(0xFF));
}

// Texel indices of the lanes' texel columns x and rows y, wrapped.
template <class L, bool kPowerOfTwo>
inline SPAN_LANES_TARGET typename L::I TexelIndex(const SpanSampler& s, typename L::I x, typename L::I y) {
  using I = typename L::I;
  if constexpr (kPowerOfTwo) {
    const I column = L::And(x, L::Set1(static_cast<int32_t>(s.widthMask)));
    const I row = L::And(y, L::Set1(static_cast<int32_t>(s.heightMask)));
    return L::Add(L::Mul32(row, L::Set1(static_cast<int32_t>(s.pitch))), column);
  } else {
    alignas(32) uint32_t xs[L::kLanes], ys[L::kLanes], index[L::kLanes];
    L::Store(xs, x);
    L::Store(ys, y);
    for (int k = 0; k < L::kLanes; ++k) index[k] = (ys[k] % s.height) * s.pitch + xs[k] % s.width;
    return L::Load(index);
  }
}

// The texel at each lane's 24.8 position, as red-blue and green halves.
template <class L, unsigned kTexture, bool kPowerOfTwo>
inline SPAN_LANES_TARGET void SampleLanes(const SpanSampler& s, typename L::I fu, typename L::I fv, typename L::I& rb,
                                   typename L::I& g) {
  using I = typename L::I;
  const I x0 = L::template Srl<8>(fu), y0 = L::template Srl<8>(fv);
  if constexpr (kTexture == kSpanNearest) {
    const I texel = L::Gather(s.texels, TexelIndex<L, kPowerOfTwo>(s, x0, y0));
    rb = RedBlue<L>(texel);
    g = Green<L>(texel);
  } else {
    // Each texel with its right neighbour, in the row and the row below.
    const I y1 = L::Add(y0, L::Set1(1));
    I t00, t10, t01, t11;
    L::GatherPairs(s.texels, TexelIndex<L, kPowerOfTwo>(s, x0, y0), t00, t10);
    L::GatherPairs(s.texels, TexelIndex<L, kPowerOfTwo>(s, x0, y1), t01, t11);
    // The weights, in both halves: f and 256 - f.
    const I byte = L::Set1(255), twice256 = L::Set1(0x01000100);
    const I ax = L::And(fu, byte), ay = L::And(fv, byte);
    const I fx = L::Or(ax, L::template Sll<16>(ax)), fy = L::Or(ay, L::template Sll<16>(ay));
    const I notFx = L::Sub(twice256, fx), notFy = L::Sub(twice256, fy);
    const I topRb = LerpHalves<L>(RedBlue<L>(t00), RedBlue<L>(t10), fx, notFx);
    const I topG = LerpHalves<L>(Green<L>(t00), Green<L>(t10), fx, notFx);
    const I bottomRb = LerpHalves<L>(RedBlue<L>(t01), RedBlue<L>(t11), fx, notFx);
    const I bottomG = LerpHalves<L>(Green<L>(t01), Green<L>(t11), fx, notFx);
    rb = LerpHalves<L>(topRb, bottomRb, fy, notFy);
    g = LerpHalves<L>(topG, bottomG, fy, notFy);
  }
}

template <class L, int kBytes>
inline SPAN_LANES_TARGET typename L::I LoadPixels(const uint8_t* p, int n) {
  if constexpr (kBytes == 4) {
    return n == L::kLanes ? L::Load(p) : L::LoadN(reinterpret_cast<const uint32_t*>(p), n);
  } else {
    alignas(32) uint32_t pixels[L::kLanes] = {};
    for (int k = 0; k < n; ++k)
      pixels[k] = p[3 * k] | static_cast<uint32_t>(p[3 * k + 1]) << 8 | static_cast<uint32_t>(p[3 * k + 2]) << 16;
    return L::Load(pixels);
  }
}

template <class L, int kBytes>
inline SPAN_LANES_TARGET void StorePixels(uint8_t* p, typename L::I value, int n) {
  if constexpr (kBytes == 4) {
    if (n == L::kLanes) L::Store(p, value);
    else L::StoreN(reinterpret_cast<uint32_t*>(p), value, n);
  } else {
    alignas(32) uint32_t pixels[L::kLanes];
    L::Store(pixels, value);
    for (int k = 0; k < n; ++k) {
      p[3 * k] = static_cast<uint8_t>(pixels[k]);
      p[3 * k + 1] = static_cast<uint8_t>(pixels[k] >> 8);
      p[3 * k + 2] = static_cast<uint8_t>(pixels[k] >> 16);
    }
  }
}

// The texel positions at a span's first and last pixel (SpanExactTexel twice, side by side).
inline SPAN_LANES_TARGET void SpanExactEnds(const SpanSetup& c, float dx, float lastDx, float dy, int32_t* ends) {
  const __m128 px = _mm_setr_ps(dx, dx, lastDx, lastDx), down = _mm_set1_ps(dy);
  const __m128 invW = _mm_add_ps(_mm_add_ps(_mm_load_ps(c.invWBase), _mm_mul_ps(_mm_load_ps(c.invWDdx), px)),
                                 _mm_mul_ps(_mm_load_ps(c.invWDdy), down));
  const __m128 w = _mm_div_ps(_mm_set1_ps(1.0f), invW);
  const __m128 at = _mm_add_ps(_mm_add_ps(_mm_load_ps(c.texelBase), _mm_mul_ps(_mm_load_ps(c.texelDdx), px)),
                               _mm_mul_ps(_mm_load_ps(c.texelDdy), down));
  const __m128 clamped = _mm_min_ps(_mm_max_ps(_mm_mul_ps(at, w), _mm_setzero_ps()), _mm_load_ps(c.texelLimit));
  const __m128 fixed = _mm_add_ps(_mm_mul_ps(clamped, _mm_load_ps(c.texelScale)), _mm_load_ps(c.texelBias));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(ends), _mm_cvttps_epi32(fixed));
}

// (to - from) / steps for u and v, truncated toward zero like the integer division: in double
// precision the quotient of numbers below 2^31 by 1..8 lands on the right side of every whole
// number.
inline SPAN_LANES_TARGET void SpanDivideSteps(const int32_t* ends, int steps, int32_t& uStep, int32_t& vStep) {
  const __m128i difference = _mm_sub_epi32(_mm_srli_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(ends)), 8),
                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(ends)));
  const __m128i quotient =
      _mm_cvttpd_epi32(_mm_div_pd(_mm_cvtepi32_pd(difference), _mm_set1_pd(static_cast<double>(steps))));
  uStep = _mm_cvtsi128_si32(quotient);
  vStep = _mm_cvtsi128_si32(_mm_srli_si128(quotient, 4));
}

// The depths of the lanes, stepped one by one as the plain loop steps them.
template <size_t... kLane>
inline SPAN_LANES_TARGET void StepDepths(float* depths, float& z, float zStep, std::index_sequence<kLane...>) {
  ((depths[kLane] = z, z += zStep), ...);
}

template <class L, unsigned kTexture, bool kBlend, bool kSpecular, bool kPowerOfTwo, int kBytes>
struct SpanLanes {
  using I = typename L::I;
  using F = typename L::F;
  using Ramp = typename L::Ramp;
  static constexpr int kLanes = L::kLanes;
  static constexpr bool kTextured = kTexture != kSpanNoTexture;

  // The lanes' colours before blending: the vertex colour times the texel, plus specular.
  SPAN_LANES_TARGET static I Shaded(const SpanSetup& c, const Ramp& ramp, I u, I v) {
    const I highHalf = L::Set1(static_cast<int32_t>(0xFFFF0000u));
    // 0x00RR00BB and 0x000000GG of the vertex colour.
    I rb = L::Or(L::And(ramp.red, highHalf), L::template Srl<16>(ramp.blue));
    I g = L::template Srl<16>(ramp.green);
    if constexpr (kTextured) {
      I texelRb, texelG;
      SampleLanes<L, kTexture, kPowerOfTwo>(c.sampler, u, v, texelRb, texelG);
      rb = Div255Halves<L>(L::Mul16(rb, texelRb));
      g = Div255Halves<L>(L::Mul16(g, texelG));
    }
    I pixel = L::Or(rb, L::template Sll<8>(g));
    if constexpr (kSpecular) {
      const I specular = L::Or(L::Or(L::And(ramp.specRed, highHalf), L::template Srl<16>(ramp.specBlue)),
                               L::And(L::template Srl<8>(ramp.specGreen), L::Set1(0xFF00)));
      pixel = L::AddsU8(pixel, specular);
    }
    return pixel;
  }

  // The shaded colour over the old one with the lanes' alpha.
  SPAN_LANES_TARGET static I Blended(const Ramp& ramp, I pixel, I old) {
    const I level = L::template Srl<16>(ramp.alpha);
    const I a = L::Or(level, L::template Sll<16>(level));
    const I notA = L::Sub(L::Set1(0x00FF00FF), a);
    const I blendRb = Div255Halves<L>(L::Add16(L::Mul16(RedBlue<L>(pixel), a), L::Mul16(RedBlue<L>(old), notA)));
    const I blendG = Div255Halves<L>(L::Add16(L::Mul16(Green<L>(pixel), a), L::Mul16(Green<L>(old), notA)));
    return L::Or(blendRb, L::template Sll<8>(blendG));
  }

  // Pixels i .. i + n - 1 of the span (n <= kLanes): colour ramps from the span's values and
  // steps, texel positions u + (offset + k) x uStep.
  SPAN_LANES_TARGET static void Chunk(const SpanSetup& c, uint8_t* row, float* depthRow, float& z, float zStep,
                                      const int32_t* value, const int32_t* step, int i, int n, int32_t u,
                                      int32_t uStep, int32_t v, int32_t vStep, int offset) {
    alignas(32) float depths[kLanes];
    StepDepths(depths, z, zStep, std::make_index_sequence<kLanes>());
    const F newDepth = L::LoadF(depths);
    I mask = L::Below(n);
    if (depthRow) {
      float* d = depthRow + i;
      const F oldDepth = n == kLanes ? L::LoadF(d) : L::LoadNF(d, n);
      mask = L::And(mask, L::LessEqual(newDepth, oldDepth));
      if (!L::Any(mask)) return;
      const F merged = L::SelectF(mask, newDepth, oldDepth);
      if (n == kLanes) L::StoreF(d, merged);
      else L::StoreNF(d, merged, n);
    }
    const Ramp ramp = L::template RampLanes<kBlend, kSpecular>(value, step, i);
    I pixel = Shaded(c, ramp, L::Steps(u, uStep, offset), L::Steps(v, vStep, offset));
    uint8_t* p = row + static_cast<size_t>(i) * kBytes;
    if (!kBlend && kBytes == 4 && n == kLanes && L::All(mask)) {
      L::Store(p, pixel);
      return;
    }
    const I old = LoadPixels<L, kBytes>(p, n);
    if constexpr (kBlend) pixel = Blended(ramp, pixel, old);
    StorePixels<L, kBytes>(p, L::Select(mask, pixel, old), n);
  }

  // What a span's pixels need, worked out before any of them is shaded.
  struct Plan {
    alignas(32) int32_t value[kSpanColours];
    alignas(32) int32_t step[kSpanColours];
    alignas(16) int32_t ends[4];  // texel positions at the first and the last pixel: u, v, u, v
    int32_t uStep, vStep;         // for a span of one run
    float dx, dy, lastDx, z;
    int count;
    uint8_t* row;
    float* depthRow;
  };

  SPAN_LANES_TARGET static void MakePlan(const SpanSetup& c, const RasterSpan& span, Plan& plan) {
    const RasterTriangle& t = *c.tri;
    const RasterTarget& target = *c.target;
    const int count = span.x1 - span.x0;
    const float dx = static_cast<float>(span.x0) + 0.5f - t.originX;
    const float dy = static_cast<float>(span.y) + 0.5f - t.originY;
    const float lastDx = dx + static_cast<float>(count - 1);
    const float invSteps = count > 1 ? 1.0f / static_cast<float>(count - 1) : 0.0f;
    plan.count = count;
    plan.dx = dx;
    plan.dy = dy;
    plan.lastDx = lastDx;
    plan.z = SpanAt(t, kInterpZ, dx, dy);
    L::Ramps(c, dx, lastDx, dy, invSteps, plan.value, plan.step);
    plan.row = target.pixels + static_cast<size_t>(span.y) * static_cast<size_t>(target.pitch) +
               static_cast<size_t>(span.x0) * kBytes;
    plan.depthRow = target.depth ? target.depth + static_cast<size_t>(span.y) * static_cast<size_t>(target.width) +
                                       span.x0
                                 : nullptr;
    plan.uStep = plan.vStep = 0;
    if constexpr (kTextured) {
      SpanExactEnds(c, dx, lastDx, dy, plan.ends);
      // One run, stepped from its first to its last pixel.
      if (count > 1 && count <= kSpanRun) SpanDivideSteps(plan.ends, count - 1, plan.uStep, plan.vStep);
    }
  }

  SPAN_LANES_TARGET static void Shade(const SpanSetup& c, const Plan& plan) {
    const int count = plan.count;
    const float zStep = c.tri->ddx[kInterpZ];
    float z = plan.z;
    if (count <= kSpanRun) {
      for (int i = 0; i < count; i += kLanes)
        Chunk(c, plan.row, plan.depthRow, z, zStep, plan.value, plan.step, i, count - i < kLanes ? count - i : kLanes,
              plan.ends[0], plan.uStep, plan.ends[1], plan.vStep, i);
      return;
    }
    int32_t u = plan.ends[0], v = plan.ends[1];
    for (int start = 0; start < count; start += kSpanRun) {
      const int runLength = count - start < kSpanRun ? count - start : kSpanRun;
      int32_t uStep = 0, vStep = 0, nextU = 0, nextV = 0;
      if constexpr (kTextured) {
        if (start + runLength < count) {
          SpanExactTexel(c, plan.dx + static_cast<float>(start + kSpanRun), plan.dy, nextU, nextV);
          uStep = (nextU - u) / kSpanRun;
          vStep = (nextV - v) / kSpanRun;
        } else if (runLength > 1) {
          // The last run ends on the span's last pixel, not past it.
          alignas(16) const int32_t last[4] = {u, v, plan.ends[2], plan.ends[3]};
          SpanDivideSteps(last, runLength - 1, uStep, vStep);
        }
      }
      for (int offset = 0; offset < runLength; offset += kLanes) {
        const int i = start + offset;
        Chunk(c, plan.row, plan.depthRow, z, zStep, plan.value, plan.step, i, count - i < kLanes ? count - i : kLanes,
              u, uStep, v, vStep, offset);
      }
      u = nextU;
      v = nextV;
    }
  }

  // Two spans of at most half a vector each, one in each half: most spans of a detailed mesh
  // are that short, and they would leave most lanes of a vector of their own idle. A
  // triangle's spans lie on different rows, so the order they are drawn in does not matter.
  SPAN_LANES_TARGET static void ShadePair(const SpanSetup& c, const Plan& a, const Plan& b) {
    constexpr int kHalf = kLanes / 2;
    const float zStep = c.tri->ddx[kInterpZ];
    alignas(32) float depths[kLanes];
    float za = a.z, zb = b.z;
    StepDepths(depths, za, zStep, std::make_index_sequence<kHalf>());
    StepDepths(depths + kHalf, zb, zStep, std::make_index_sequence<kHalf>());
    I mask = L::BelowPair(a.count, b.count);
    if (a.depthRow) {
      const F newDepth = L::LoadF(depths);
      mask = L::And(mask, L::LessEqual(newDepth, L::LoadPairF(a.depthRow, b.depthRow, mask)));
      if (!L::Any(mask)) return;
      L::StorePairF(a.depthRow, b.depthRow, newDepth, mask);
    }
    const Ramp ramp = L::template RampPair<kBlend, kSpecular>(a.value, a.step, b.value, b.step);
    I pixel = Shaded(c, ramp, L::StepsPair(a.ends[0], a.uStep, b.ends[0], b.uStep),
                     L::StepsPair(a.ends[1], a.vStep, b.ends[1], b.vStep));
    uint32_t* rowA = reinterpret_cast<uint32_t*>(a.row);
    uint32_t* rowB = reinterpret_cast<uint32_t*>(b.row);
    if constexpr (kBlend) pixel = Blended(ramp, pixel, L::LoadPair(rowA, rowB, mask));
    L::StorePair(rowA, rowB, pixel, mask);
  }

  // Four spans of one or two pixels, one in each quarter. Their second pixel is their last,
  // so the texel positions are the span's ends as they are.
  SPAN_LANES_TARGET static void ShadeQuad(const SpanSetup& c, const Plan* const* q) {
    const float zStep = c.tri->ddx[kInterpZ];
    I mask = L::BelowQuad(q[0]->count, q[1]->count, q[2]->count, q[3]->count);
    if (q[0]->depthRow) {
      float* const rows[4] = {q[0]->depthRow, q[1]->depthRow, q[2]->depthRow, q[3]->depthRow};
      const F newDepth = L::SetQuadF(q[0]->z, q[0]->z + zStep, q[1]->z, q[1]->z + zStep, q[2]->z, q[2]->z + zStep,
                                     q[3]->z, q[3]->z + zStep);
      mask = L::And(mask, L::LessEqual(newDepth, L::LoadQuadF(rows, mask)));
      if (!L::Any(mask)) return;
      L::StoreQuadF(rows, newDepth, mask);
    }
    const int32_t* const values[4] = {q[0]->value, q[1]->value, q[2]->value, q[3]->value};
    const int32_t* const steps[4] = {q[0]->step, q[1]->step, q[2]->step, q[3]->step};
    const Ramp ramp = L::RampQuad(values, steps);
    I u{}, v{};
    if constexpr (kTextured) L::EndsQuad(q[0]->ends, q[1]->ends, q[2]->ends, q[3]->ends, u, v);
    I pixel = Shaded(c, ramp, u, v);
    uint32_t* const rows[4] = {reinterpret_cast<uint32_t*>(q[0]->row), reinterpret_cast<uint32_t*>(q[1]->row),
                               reinterpret_cast<uint32_t*>(q[2]->row), reinterpret_cast<uint32_t*>(q[3]->row)};
    if constexpr (kBlend) pixel = Blended(ramp, pixel, L::LoadQuad(rows, mask));
    L::StoreQuad(rows, pixel, mask);
  }

  // Shades the span with the one waiting for a partner, or keeps it waiting.
  SPAN_LANES_TARGET static void Pair(const SpanSetup& c, const Plan*& waiting, const Plan& plan) {
    if (!waiting) {
      waiting = &plan;
    } else {
      ShadePair(c, *waiting, plan);
      waiting = nullptr;
    }
  }

  SPAN_LANES_ENTRY static void Fill(const SpanSetup& c, const RasterSpan* spans, int count) {
    Plan plans[kSpanBatch];
    for (int k = 0; k < count; ++k) MakePlan(c, spans[k], plans[k]);
    if constexpr (L::kPacksSpans && kBytes == 4) {
      const Plan* waiting = nullptr;
      const Plan* quad[4];
      int quadCount = 0;
      for (int k = 0; k < count; ++k) {
        const Plan& plan = plans[k];
        if (plan.count > kLanes / 2) {
          Shade(c, plan);
        } else if (plan.count <= kLanes / 4) {
          quad[quadCount++] = &plan;
          if (quadCount == 4) {
            ShadeQuad(c, quad);
            quadCount = 0;
          }
        } else {
          Pair(c, waiting, plan);
        }
      }
      for (int k = 0; k < quadCount; ++k) Pair(c, waiting, *quad[k]);
      if (waiting) Shade(c, *waiting);
    } else {
      for (int k = 0; k < count; ++k) Shade(c, plans[k]);
    }
  }
};

template <class L, size_t kIndex>
constexpr SpanFunction LanesSpanFor() {
  return &SpanLanes<L, static_cast<unsigned>(kIndex >> 4), ((kIndex >> 3) & 1) != 0, ((kIndex >> 2) & 1) != 0,
                    ((kIndex >> 1) & 1) != 0, (kIndex & 1) ? 4 : 3>::Fill;
}

template <class L, size_t... kIndex>
constexpr SpanKernels MakeLanesSpanKernels(std::index_sequence<kIndex...>) {
  return SpanKernels{{LanesSpanFor<L, kIndex>()...}};
}

}  // namespace
