#include "raster/vertex.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/clip.h"

void RasterMultiplyMatrices(const float first[16], const float second[16], float result[16]) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += first[4 * i + k] * second[4 * k + j];
      result[4 * i + j] = sum;
    }
}

ClipVertex RasterTransformVertex(const float m[16], const LitVertex& v) {
  ClipVertex c;
  RasterTransformPosition(m, v, c);
  RasterUnpackAttributes(v, c);
  return c;
}

void RasterTransformPosition(const float m[16], const LitVertex& v, ClipVertex& c) {
  c.x = v.x * m[0] + v.y * m[4] + v.z * m[8] + m[12];
  c.y = v.x * m[1] + v.y * m[5] + v.z * m[9] + m[13];
  c.z = v.x * m[2] + v.y * m[6] + v.z * m[10] + m[14];
  c.w = v.x * m[3] + v.y * m[7] + v.z * m[11] + m[15];
}

void RasterUnpackAttributes(const LitVertex& v, ClipVertex& c) {
  c.attr[kAttrA] = static_cast<float>(v.color >> 24);
  c.attr[kAttrR] = static_cast<float>((v.color >> 16) & 0xFF);
  c.attr[kAttrG] = static_cast<float>((v.color >> 8) & 0xFF);
  c.attr[kAttrB] = static_cast<float>(v.color & 0xFF);
  c.attr[kAttrSR] = static_cast<float>((v.specular >> 16) & 0xFF);
  c.attr[kAttrSG] = static_cast<float>((v.specular >> 8) & 0xFF);
  c.attr[kAttrSB] = static_cast<float>(v.specular & 0xFF);
  c.attr[kAttrU] = v.tu;
  c.attr[kAttrV] = v.tv;
}

namespace {

// Nearest whole number, halves to even (as lrintf in the default rounding mode).
int32_t RoundToInt(float x) {
#if defined(__SSE2__)
  return _mm_cvtss_si32(_mm_set_ss(x));
#else
  return static_cast<int32_t>(std::lrintf(x));
#endif
}

}  // namespace

bool RasterProjectPosition(const ClipVertex& in, const RasterViewport& viewport, ScreenVertex& out) {
  if (!(in.w > 0.0f)) return false;
  const float invW = 1.0f / in.w;
  // x/w -1..1 -> 0..width; y/w 0.75..-0.75 -> 0..height; z/w -> depth 0..1.
  const float sx = (in.x * invW + 1.0f) * (static_cast<float>(viewport.width) * 0.5f);
  const float sy = (0.75f - in.y * invW) * (static_cast<float>(viewport.height) / 1.5f);
  // The guard band keeps fixed-point edge arithmetic in range; anything beyond it (or not a
  // number) was not clipped properly and is refused rather than wrapped around.
  const float limit = (kRasterGuardBand + 1.0f) * static_cast<float>(std::max(viewport.width, viewport.height));
  if (!(std::fabs(sx) <= limit) || !(std::fabs(sy) <= limit)) return false;
  out.x = RoundToInt(sx * kSubpixelOne);
  out.y = RoundToInt(sy * kSubpixelOne);
  return std::isfinite(in.z * invW);
}

bool RasterProjectVertex(const ClipVertex& in, const RasterViewport& viewport, ScreenVertex& out) {
  if (!RasterProjectPosition(in, viewport, out)) return false;
  RasterProjectAttributes(in, out);
  return true;
}

void RasterProjectAttributes(const ClipVertex& in, ScreenVertex& out) {
  const float invW = 1.0f / in.w;
  float z = in.z * invW;
  out.value[kInterpZ] = std::clamp(z, 0.0f, 1.0f);
  out.value[kInterpInvW] = invW;
  out.value[kInterpUW] = in.attr[kAttrU] * invW;
  out.value[kInterpVW] = in.attr[kAttrV] * invW;
  out.value[kInterpR] = in.attr[kAttrR];
  out.value[kInterpG] = in.attr[kAttrG];
  out.value[kInterpB] = in.attr[kAttrB];
  out.value[kInterpA] = in.attr[kAttrA];
  out.value[kInterpSR] = in.attr[kAttrSR];
  out.value[kInterpSG] = in.attr[kAttrSG];
  out.value[kInterpSB] = in.attr[kAttrSB];
  out.value[kInterpPad] = 0.0f;
}

void RasterWrapCoordinates(float& a, float& b, float& c) {
  const float top = std::max(a, std::max(b, c));
  if (top - a > 0.5f) a += 1.0f;
  if (top - b > 0.5f) b += 1.0f;
  if (top - c > 0.5f) c += 1.0f;
}
