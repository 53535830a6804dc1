#include "platform/raster_spans.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/device3d.h"
#include "platform/surface.h"

namespace {

// x / 255 rounded to nearest, exact for x in 0 .. 255 x 255.
inline uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Packed linear blend of two 0x00RRGGBB texels, f in 0..255 (weight of b, out of 256).
inline uint32_t LerpTexel(uint32_t a, uint32_t b, uint32_t f) {
  const uint32_t rb = ((a & 0xFF00FFu) * (256 - f) + (b & 0xFF00FFu) * f) >> 8;
  const uint32_t g = ((a & 0x00FF00u) * (256 - f) + (b & 0x00FF00u) * f) >> 8;
  return (rb & 0xFF00FFu) | (g & 0x00FF00u);
}

int64_t FloorDiv(int64_t n, int64_t d) {  // d > 0
  int64_t q = n / d;
  if ((n % d) != 0 && n < 0) --q;
  return q;
}

int64_t CeilDiv(int64_t n, int64_t d) { return -FloorDiv(-n, d); }

// First pixel row whose centre lies at or below y (1/16 pixel).
int RowAtOrBelow(int32_t y) { return static_cast<int>(CeilDiv(int64_t{y} - kSubpixelOne / 2, kSubpixelOne)); }

// Walks one edge from row to row: x is the first pixel whose centre lies at or right of
// the edge, kept exactly as quotient and remainder of a rational number.
struct EdgeWalker {
  int32_t x;
  int32_t stepX;
  int64_t remainder, denominator, stepRemainder;

  void Start(const ScreenVertex& top, const ScreenVertex& bottom, int row) {
    const int64_t dy = int64_t{bottom.y} - top.y;
    const int64_t dx = int64_t{bottom.x} - top.x;
    const int64_t centreY = int64_t{row} * kSubpixelOne + kSubpixelOne / 2;
    // Pixel px is at or right of the edge when 16 px + 8 >= top.x + (centreY - top.y) dx / dy.
    const int64_t n = (int64_t{top.x} - kSubpixelOne / 2) * dy + (centreY - top.y) * dx;
    denominator = dy * kSubpixelOne;
    const int64_t q = CeilDiv(n, denominator);
    x = static_cast<int32_t>(q);
    remainder = q * denominator - n;
    const int64_t stepN = dx * kSubpixelOne;
    const int64_t sq = FloorDiv(stepN, denominator);
    stepX = static_cast<int32_t>(sq);
    stepRemainder = stepN - sq * denominator;
  }

  void Next() {
    x += stepX;
    remainder -= stepRemainder;
    if (remainder < 0) {
      ++x;
      remainder += denominator;
    }
  }
};

struct SpanContext {
  const RasterTriangle* tri;
  const RasterTarget* target;
  const RasterTexture* texture;
};

using SpanFunction = void (*)(const SpanContext&, int y, int x0, int x1);

enum TextureMode : unsigned { kNoTexture = 0, kNearest = 1, kBilinear = 2 };

template <bool kPowerOfTwo>
inline uint32_t Texel(const RasterTexture& t, uint32_t x, uint32_t y) {
  if constexpr (kPowerOfTwo) {
    return t.texels[((y & t.heightMask) * static_cast<uint32_t>(t.width)) + (x & t.widthMask)];
  } else {
    return t.texels[(y % static_cast<uint32_t>(t.height)) * static_cast<uint32_t>(t.width) +
                    x % static_cast<uint32_t>(t.width)];
  }
}

template <unsigned kTexture, bool kPowerOfTwo>
inline uint32_t Sample(const RasterTexture& t, float u, float v) {
  // Coordinates are kept non-negative and below the texture's limit (and NaN becomes 0),
  // so the integer conversions below are always defined.
  u = std::min(t.uLimit, std::max(0.0f, u));
  v = std::min(t.vLimit, std::max(0.0f, v));
  const float w = static_cast<float>(t.width), h = static_cast<float>(t.height);
  if constexpr (kTexture == kNearest) {
    return Texel<kPowerOfTwo>(t, static_cast<uint32_t>(u * w), static_cast<uint32_t>(v * h));
  } else {
    // Texel centres sit at half-texel positions; one texture size is added so that the
    // left neighbour of texel 0 wraps like any other.
    const int32_t fu = static_cast<int32_t>(u * (w * 256.0f) + (w * 256.0f - 128.0f));
    const int32_t fv = static_cast<int32_t>(v * (h * 256.0f) + (h * 256.0f - 128.0f));
    const uint32_t x0 = static_cast<uint32_t>(fu >> 8), y0 = static_cast<uint32_t>(fv >> 8);
    const uint32_t ax = static_cast<uint32_t>(fu & 255), ay = static_cast<uint32_t>(fv & 255);
    const uint32_t top = LerpTexel(Texel<kPowerOfTwo>(t, x0, y0), Texel<kPowerOfTwo>(t, x0 + 1, y0), ax);
    const uint32_t bottom =
        LerpTexel(Texel<kPowerOfTwo>(t, x0, y0 + 1), Texel<kPowerOfTwo>(t, x0 + 1, y0 + 1), ax);
    return LerpTexel(top, bottom, ay);
  }
}

// Colours step in 16.16 fixed point from the span's clamped first to its clamped last
// value, with half a unit added so the top 16 bits round; the margin also absorbs the
// rounding of the step, so a channel never leaves 0..255.
inline void ColourRamp(float first, float last, float invSteps, int32_t& value, int32_t& step) {
  first = std::min(255.0f, std::max(0.0f, first));
  last = std::min(255.0f, std::max(0.0f, last));
  value = static_cast<int32_t>(first * 65536.0f) + 32768;
  const int32_t end = static_cast<int32_t>(last * 65536.0f) + 32768;
  step = static_cast<int32_t>(static_cast<float>(end - value) * invSteps);
}

template <unsigned kTexture, bool kBlend, bool kSpecular, bool kPowerOfTwo, int kBytes>
void FillSpan(const SpanContext& c, int y, int x0, int x1) {
  const RasterTriangle& t = *c.tri;
  const RasterTarget& target = *c.target;
  const float dx = static_cast<float>(x0) + 0.5f - t.originX;
  const float dy = static_cast<float>(y) + 0.5f - t.originY;
  const int count = x1 - x0;
  auto at = [&](int i, float px) { return t.base[i] + t.ddx[i] * px + t.ddy[i] * dy; };

  float z = at(kInterpZ, dx);
  const float zStep = t.ddx[kInterpZ];
  float q = 0, uq = 0, vq = 0, qStep = 0, uqStep = 0, vqStep = 0;
  if constexpr (kTexture != kNoTexture) {
    q = at(kInterpInvW, dx);
    uq = at(kInterpUW, dx);
    vq = at(kInterpVW, dx);
    qStep = t.ddx[kInterpInvW];
    uqStep = t.ddx[kInterpUW];
    vqStep = t.ddx[kInterpVW];
  }
  const float lastDx = dx + static_cast<float>(count - 1);
  const float invSteps = count > 1 ? 1.0f / static_cast<float>(count - 1) : 0.0f;
  constexpr int kColours = kSpecular ? 7 : (kBlend ? 4 : 3);
  int32_t colour[7] = {}, colourStep[7] = {};
  for (int i = 0; i < kColours; ++i)
    ColourRamp(at(kInterpR + i, dx), at(kInterpR + i, lastDx), invSteps, colour[i], colourStep[i]);

  uint8_t* p = target.pixels + static_cast<size_t>(y) * static_cast<size_t>(target.pitch) +
               static_cast<size_t>(x0) * kBytes;
  float* depth = target.depth ? target.depth + static_cast<size_t>(y) * static_cast<size_t>(target.width) + x0
                              : nullptr;
  for (int i = 0; i < count; ++i, p += kBytes) {
    if (!depth || z <= depth[i]) {
      if (depth) depth[i] = z;
      uint32_t r = static_cast<uint32_t>(colour[0] >> 16);
      uint32_t g = static_cast<uint32_t>(colour[1] >> 16);
      uint32_t b = static_cast<uint32_t>(colour[2] >> 16);
      if constexpr (kTexture != kNoTexture) {
        const float w = 1.0f / q;
        const uint32_t texel = Sample<kTexture, kPowerOfTwo>(*c.texture, uq * w, vq * w);
        r = Div255(r * ((texel >> 16) & 0xFF));
        g = Div255(g * ((texel >> 8) & 0xFF));
        b = Div255(b * (texel & 0xFF));
      }
      if constexpr (kSpecular) {
        r = std::min(255u, r + static_cast<uint32_t>(colour[4] >> 16));
        g = std::min(255u, g + static_cast<uint32_t>(colour[5] >> 16));
        b = std::min(255u, b + static_cast<uint32_t>(colour[6] >> 16));
      }
      if constexpr (kBlend) {
        const uint32_t a = static_cast<uint32_t>(colour[3] >> 16), na = 255 - a;
        b = Div255(b * a + p[0] * na);
        g = Div255(g * a + p[1] * na);
        r = Div255(r * a + p[2] * na);
      }
      if constexpr (kBytes == 4) {
        const uint32_t pixel = b | g << 8 | r << 16;
        std::memcpy(p, &pixel, 4);
      } else {
        p[0] = static_cast<uint8_t>(b);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(r);
      }
    }
    z += zStep;
    if constexpr (kTexture != kNoTexture) {
      q += qStep;
      uq += uqStep;
      vq += vqStep;
    }
    for (int k = 0; k < kColours; ++k) colour[k] += colourStep[k];
  }
}

// Index: bit 0 four bytes per pixel, bit 1 power-of-two texture, bit 2 specular,
// bit 3 blending, bits 4-5 texture mode.
template <size_t kIndex>
constexpr SpanFunction SpanFor() {
  return &FillSpan<static_cast<unsigned>(kIndex >> 4), ((kIndex >> 3) & 1) != 0, ((kIndex >> 2) & 1) != 0,
                   ((kIndex >> 1) & 1) != 0, (kIndex & 1) ? 4 : 3>;
}

template <size_t... kIndex>
constexpr std::array<SpanFunction, sizeof...(kIndex)> MakeSpanTable(std::index_sequence<kIndex...>) {
  return {SpanFor<kIndex>()...};
}

constexpr auto kSpanTable = MakeSpanTable(std::make_index_sequence<48>());

void WalkRows(const SpanContext& c, SpanFunction fill, EdgeWalker& left, EdgeWalker& right, int rowBegin,
              int rowEnd) {
  const int width = c.target->width;
  for (int row = rowBegin; row < rowEnd; ++row) {
    const int x0 = std::max(left.x, 0);
    const int x1 = std::min(right.x, width);
    if (x0 < x1) fill(c, row, x0, x1);
    left.Next();
    right.Next();
  }
}

}  // namespace

bool RasterMakeTarget(Surface* surface, DepthBuffer* depth, RasterTarget& target) {
  target = RasterTarget{};
  if (!surface || (surface->bitsPerPixel != 32 && surface->bitsPerPixel != 24)) return false;
  const int bytes = surface->bitsPerPixel / 8;
  if (surface->width <= 0 || surface->height <= 0 || surface->pitch < surface->width * bytes) return false;
  if (surface->pixels.size() < static_cast<size_t>(surface->pitch) * static_cast<size_t>(surface->height))
    return false;
  target.pixels = surface->pixels.data();
  target.pitch = surface->pitch;
  target.bytesPerPixel = bytes;
  target.width = surface->width;
  target.height = surface->height;
  if (depth && depth->width == surface->width && depth->height == surface->height &&
      depth->depth.size() >= static_cast<size_t>(depth->width) * static_cast<size_t>(depth->height))
    target.depth = depth->depth.data();
  return true;
}

void RasterDrawTriangle(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture) {
  if (!target.pixels) return;
  unsigned mode = kNoTexture;
  if (texture && !texture->texels.empty() && tri.filter != RasterFilter::None)
    mode = tri.filter == RasterFilter::Bilinear ? kBilinear : kNearest;
  const size_t index = (size_t{mode} << 4) | (tri.opaque ? 0u : 8u) | (tri.specular ? 4u : 0u) |
                       (mode != kNoTexture && texture->powerOfTwo ? 2u : 0u) |
                       (target.bytesPerPixel == 4 ? 1u : 0u);
  const SpanContext context{&tri, &target, mode != kNoTexture ? texture : nullptr};
  const SpanFunction fill = kSpanTable[index];

  const ScreenVertex& v0 = tri.v[0];
  const ScreenVertex& v1 = tri.v[1];
  const ScreenVertex& v2 = tri.v[2];
  const int row0 = std::max(RowAtOrBelow(v0.y), 0);
  const int row1 = std::clamp(RowAtOrBelow(v1.y), 0, target.height);
  const int row2 = std::min(RowAtOrBelow(v2.y), target.height);
  if (row0 >= row2) return;

  EdgeWalker longEdge, shortEdge;
  longEdge.Start(v0, v2, row0);
  EdgeWalker& left = tri.longEdgeOnLeft ? longEdge : shortEdge;
  EdgeWalker& right = tri.longEdgeOnLeft ? shortEdge : longEdge;
  if (row0 < row1) {
    shortEdge.Start(v0, v1, row0);
    WalkRows(context, fill, left, right, row0, row1);
  }
  const int lower = std::max(row0, row1);
  if (lower < row2) {
    shortEdge.Start(v1, v2, lower);
    WalkRows(context, fill, left, right, lower, row2);
  }
}

void RasterDrawPoint(const ScreenVertex& vertex, const RasterTarget& target, const RasterTexture* texture) {
  if (!target.pixels) return;
  const int x = vertex.x >> kSubpixelBits;
  const int y = vertex.y >> kSubpixelBits;
  if (x < 0 || y < 0 || x >= target.width || y >= target.height) return;
  const float z = vertex.value[kInterpZ];
  if (target.depth) {
    float& stored = target.depth[static_cast<size_t>(y) * static_cast<size_t>(target.width) + x];
    if (!(z <= stored)) return;
    stored = z;
  }
  auto level = [](float f) { return static_cast<uint32_t>(std::min(255.0f, std::max(0.0f, f))); };
  uint32_t r = level(vertex.value[kInterpR]), g = level(vertex.value[kInterpG]);
  uint32_t b = level(vertex.value[kInterpB]);
  const uint32_t a = level(vertex.value[kInterpA]);
  if (texture && !texture->texels.empty()) {
    const float w = 1.0f / vertex.value[kInterpInvW];
    float u = vertex.value[kInterpUW] * w, v = vertex.value[kInterpVW] * w;
    u -= std::floor(u);
    v -= std::floor(v);
    if (!(u >= 0.0f && u < 1.0f)) u = 0.0f;
    if (!(v >= 0.0f && v < 1.0f)) v = 0.0f;
    const int tx = std::min(texture->width - 1, static_cast<int>(u * static_cast<float>(texture->width)));
    const int ty = std::min(texture->height - 1, static_cast<int>(v * static_cast<float>(texture->height)));
    const uint32_t texel = texture->texels[static_cast<size_t>(ty) * static_cast<size_t>(texture->width) + tx];
    r = Div255(r * ((texel >> 16) & 0xFF));
    g = Div255(g * ((texel >> 8) & 0xFF));
    b = Div255(b * (texel & 0xFF));
  }
  r = std::min(255u, r + level(vertex.value[kInterpSR]));
  g = std::min(255u, g + level(vertex.value[kInterpSG]));
  b = std::min(255u, b + level(vertex.value[kInterpSB]));
  uint8_t* p = target.pixels + static_cast<size_t>(y) * static_cast<size_t>(target.pitch) +
               static_cast<size_t>(x) * static_cast<size_t>(target.bytesPerPixel);
  p[0] = static_cast<uint8_t>(Div255(b * a + p[0] * (255 - a)));
  p[1] = static_cast<uint8_t>(Div255(g * a + p[1] * (255 - a)));
  p[2] = static_cast<uint8_t>(Div255(r * a + p[2] * (255 - a)));
  if (target.bytesPerPixel == 4) p[3] = 0;
}
