#include "raster/clip.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Signed distance to a plane; inside when >= 0.
float PlaneDistance(const ClipVertex& v, int plane) {
  switch (plane) {
    case 0: return v.z;
    case 1: return v.w - v.z;
    case 2: return v.x + kRasterGuardBand * v.w;
    case 3: return kRasterGuardBand * v.w - v.x;
    case 4: return v.y + kRasterGuardBand * v.w;
    default: return kRasterGuardBand * v.w - v.y;
  }
}

ClipVertex Intersect(const ClipVertex& inside, float dIn, const ClipVertex& outside, float dOut) {
  const float t = dIn / (dIn - dOut);
  ClipVertex r;
  r.x = inside.x + (outside.x - inside.x) * t;
  r.y = inside.y + (outside.y - inside.y) * t;
  r.z = inside.z + (outside.z - inside.z) * t;
  r.w = inside.w + (outside.w - inside.w) * t;
  for (int i = 0; i < kClipAttributeCount; ++i)
    r.attr[i] = inside.attr[i] + (outside.attr[i] - inside.attr[i]) * t;
  return r;
}

}  // namespace

uint32_t RasterOutcode(const ClipVertex& v) {
  // Times zero, an infinity or a NaN gives a NaN and a finite number a zero.
  if (!(v.x * 0.0f + v.y * 0.0f + v.z * 0.0f + v.w * 0.0f == 0.0f)) return 0x3FFu;
  uint32_t code = 0;
  if (v.z < 0.0f) code |= kClipNear;
  if (v.z > v.w) code |= kClipFar;
  if (v.x < -kRasterGuardBand * v.w) code |= kClipGuardLeft;
  if (v.x > kRasterGuardBand * v.w) code |= kClipGuardRight;
  if (v.y < -kRasterGuardBand * v.w) code |= kClipGuardBottom;
  if (v.y > kRasterGuardBand * v.w) code |= kClipGuardTop;
  if (v.x < -v.w) code |= kClipLeft;
  if (v.x > v.w) code |= kClipRight;
  if (v.y < -0.75f * v.w) code |= kClipBottom;
  if (v.y > 0.75f * v.w) code |= kClipTop;
  return code;
}

int RasterClipPolygon(const ClipVertex* in, int count, ClipVertex* out) {
  // Each plane adds at most one vertex to a convex polygon: 3 + 6 = 9.
  ClipVertex bufferA[kMaxClippedVertices], bufferB[kMaxClippedVertices];
  if (count != 3) return 0;
  for (int i = 0; i < count; ++i) bufferA[i] = in[i];
  ClipVertex* src = bufferA;
  ClipVertex* dst = bufferB;
  for (int plane = 0; plane < 6 && count >= 3; ++plane) {
    float distance[kMaxClippedVertices];
    bool anyOutside = false;
    for (int i = 0; i < count; ++i) {
      distance[i] = PlaneDistance(src[i], plane);
      if (!(distance[i] >= 0.0f)) anyOutside = true;
    }
    if (!anyOutside) continue;
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const int j = (i + 1) % count;
      const bool inI = distance[i] >= 0.0f, inJ = distance[j] >= 0.0f;
      if (inI) dst[n++] = src[i];
      if (inI != inJ && n < kMaxClippedVertices) {
        // Not-a-number distances count as outside and never produce a vertex.
        if (std::isnan(distance[i]) || std::isnan(distance[j])) continue;
        dst[n++] = inI ? Intersect(src[i], distance[i], src[j], distance[j])
                       : Intersect(src[j], distance[j], src[i], distance[i]);
      }
    }
    count = n;
    ClipVertex* swap = src;
    src = dst;
    dst = swap;
  }
  if (count < 3) return 0;
  for (int i = 0; i < count; ++i) out[i] = src[i];
  return count;
}

#if defined(__SSE2__)

namespace {

// Lane i of the result is corner i's (lane 3 repeats corner 2).
struct CornerLanes {
  __m128 x, y, z, w;
};

CornerLanes Corners(const ClipVertex* clip) {
  __m128 a = _mm_loadu_ps(&clip[0].x), b = _mm_loadu_ps(&clip[1].x), c = _mm_loadu_ps(&clip[2].x), d = c;
  _MM_TRANSPOSE4_PS(a, b, c, d);
  return CornerLanes{a, b, c, d};
}

// Each lane's flag for the plane, as that plane's outcode bit.
__m128i PlaneBit(__m128 outside, uint32_t bit) {
  return _mm_and_si128(_mm_castps_si128(outside), _mm_set1_epi32(static_cast<int>(bit)));
}

}  // namespace

void RasterTransformCorners(const float m[16], const LitVertex* in, ClipVertex* clip, uint32_t code[3]) {
  const __m128 r0 = _mm_loadu_ps(m), r1 = _mm_loadu_ps(m + 4), r2 = _mm_loadu_ps(m + 8), r3 = _mm_loadu_ps(m + 12);
  for (int i = 0; i < 3; ++i) {
    // x m0 + y m4 + z m8 + m12, summed in that order in each lane.
    const __m128 sum = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(in[i].x), r0), _mm_mul_ps(_mm_set1_ps(in[i].y), r1));
    _mm_storeu_ps(&clip[i].x, _mm_add_ps(_mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(in[i].z), r2)), r3));
  }
  const CornerLanes v = Corners(clip);
  const __m128 zero = _mm_setzero_ps();
  const __m128 guard = _mm_mul_ps(_mm_set1_ps(kRasterGuardBand), v.w);
  const __m128 negativeGuard = _mm_mul_ps(_mm_set1_ps(-kRasterGuardBand), v.w);
  const __m128 negativeW = _mm_xor_ps(v.w, _mm_set1_ps(-0.0f));
  __m128i codes = PlaneBit(_mm_cmplt_ps(v.z, zero), kClipNear);
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmpgt_ps(v.z, v.w), kClipFar));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmplt_ps(v.x, negativeGuard), kClipGuardLeft));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmpgt_ps(v.x, guard), kClipGuardRight));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmplt_ps(v.y, negativeGuard), kClipGuardBottom));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmpgt_ps(v.y, guard), kClipGuardTop));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmplt_ps(v.x, negativeW), kClipLeft));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmpgt_ps(v.x, v.w), kClipRight));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmplt_ps(v.y, _mm_mul_ps(_mm_set1_ps(-0.75f), v.w)), kClipBottom));
  codes = _mm_or_si128(codes, PlaneBit(_mm_cmpgt_ps(v.y, _mm_mul_ps(_mm_set1_ps(0.75f), v.w)), kClipTop));
  // A coordinate that is not finite makes its corner outside every plane.
  const __m128 finite = _mm_cmpeq_ps(
      _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(v.x, zero), _mm_mul_ps(v.y, zero)), _mm_mul_ps(v.z, zero)),
                 _mm_mul_ps(v.w, zero)),
      zero);
  codes = _mm_or_si128(_mm_and_si128(_mm_castps_si128(finite), codes),
                       _mm_andnot_si128(_mm_castps_si128(finite), _mm_set1_epi32(0x3FF)));
  alignas(16) uint32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), codes);
  code[0] = lanes[0];
  code[1] = lanes[1];
  code[2] = lanes[2];
}

bool RasterProjectCorners(const ClipVertex* clip, const RasterViewport& viewport, ScreenVertex* out) {
  const CornerLanes v = Corners(clip);
  const __m128 zero = _mm_setzero_ps();
  if (_mm_movemask_ps(_mm_cmpgt_ps(v.w, zero)) != 0xF) return false;
  const __m128 invW = _mm_div_ps(_mm_set1_ps(1.0f), v.w);
  const __m128 sx = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(v.x, invW), _mm_set1_ps(1.0f)),
                               _mm_set1_ps(static_cast<float>(viewport.width) * 0.5f));
  const __m128 sy = _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(0.75f), _mm_mul_ps(v.y, invW)),
                               _mm_set1_ps(static_cast<float>(viewport.height) / 1.5f));
  const __m128 limit =
      _mm_set1_ps((kRasterGuardBand + 1.0f) * static_cast<float>(std::max(viewport.width, viewport.height)));
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 placed = _mm_and_ps(_mm_cmple_ps(_mm_and_ps(sx, magnitude), limit),
                                   _mm_cmple_ps(_mm_and_ps(sy, magnitude), limit));
  const __m128 depth = _mm_mul_ps(v.z, invW);
  const __m128 finite = _mm_cmpeq_ps(_mm_mul_ps(depth, zero), zero);
  if (_mm_movemask_ps(_mm_and_ps(placed, finite)) != 0xF) return false;
  const __m128 one = _mm_set1_ps(static_cast<float>(kSubpixelOne));
  alignas(16) int32_t xs[4], ys[4];
  // Nearest, halves to even, as the one-vertex projection rounds.
  _mm_store_si128(reinterpret_cast<__m128i*>(xs), _mm_cvtps_epi32(_mm_mul_ps(sx, one)));
  _mm_store_si128(reinterpret_cast<__m128i*>(ys), _mm_cvtps_epi32(_mm_mul_ps(sy, one)));
  for (int i = 0; i < 3; ++i) {
    out[i].x = xs[i];
    out[i].y = ys[i];
  }
  return true;
}

#else

void RasterTransformCorners(const float m[16], const LitVertex* in, ClipVertex* clip, uint32_t code[3]) {
  for (int i = 0; i < 3; ++i) {
    RasterTransformPosition(m, in[i], clip[i]);
    code[i] = RasterOutcode(clip[i]);
  }
}

bool RasterProjectCorners(const ClipVertex* clip, const RasterViewport& viewport, ScreenVertex* out) {
  for (int i = 0; i < 3; ++i)
    if (!RasterProjectPosition(clip[i], viewport, out[i])) return false;
  return true;
}

#endif
