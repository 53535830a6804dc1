#include "raster/clip.h"

#include <cmath>

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
