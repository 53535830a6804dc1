#include "raster/spans.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/surface.h"
#include "raster/device3d.h"

namespace {

#if defined(__GNUC__)
#define RASTER_INLINE inline __attribute__((always_inline))
#else
#define RASTER_INLINE inline
#endif

// x / 255 rounded to nearest, exact for x in 0 .. 255 x 255.
RASTER_INLINE uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Packed linear blend of two 0x00RRGGBB texels, f in 0..255 (weight of b, out of 256).
RASTER_INLINE uint32_t LerpTexel(uint32_t a, uint32_t b, uint32_t f) {
  const uint32_t rb = ((a & 0xFF00FFu) * (256 - f) + (b & 0xFF00FFu) * f) >> 8;
  const uint32_t g = ((a & 0x00FF00u) * (256 - f) + (b & 0x00FF00u) * f) >> 8;
  return (rb & 0xFF00FFu) | (g & 0x00FF00u);
}

// source x a + destination x (255 - a), divided by 255 and rounded, for 0x00RRGGBB pixels:
// red and blue side by side in one multiply (each lane stays below 65,536), green alone.
RASTER_INLINE uint32_t Blend(uint32_t source, uint32_t destination, uint32_t a) {
  const uint32_t na = 255 - a;
  uint32_t rb = (source & 0xFF00FFu) * a + (destination & 0xFF00FFu) * na + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  const uint32_t g = Div255(((source >> 8) & 0xFF) * a + ((destination >> 8) & 0xFF) * na);
  return rb | g << 8;
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

// What the per-pixel lookup needs, taken out of the texture once per span.
struct Sampler {
  const uint32_t* texels = nullptr;
  uint32_t width = 1, height = 1, widthMask = 0, heightMask = 0;
  float uLimit = 0, vLimit = 0;
  float uScale = 0, vScale = 0;  // size x 256: texel coordinates in 24.8 fixed point
  float uBias = 0, vBias = 0;    // one texture size added (less half a texel for bilinear)

  Sampler() = default;
  Sampler(const RasterTexture& t, bool bilinear)
      : texels(t.texels.data()),
        width(static_cast<uint32_t>(t.width)),
        height(static_cast<uint32_t>(t.height)),
        widthMask(t.widthMask),
        heightMask(t.heightMask),
        uLimit(t.uLimit),
        vLimit(t.vLimit) {
    uScale = static_cast<float>(t.width) * 256.0f;
    vScale = static_cast<float>(t.height) * 256.0f;
    uBias = uScale - (bilinear ? 128.0f : 0.0f);
    vBias = vScale - (bilinear ? 128.0f : 0.0f);
  }

  // Coordinates are kept non-negative and below the texture's limit (NaN becomes 0), so
  // the conversion is always defined and the result is positive with room to spare; the
  // added texture size makes the left neighbour of texel 0 wrap like any other.
  RASTER_INLINE int32_t FixedU(float u) const {
    return static_cast<int32_t>(std::min(uLimit, std::max(0.0f, u)) * uScale + uBias);
  }
  RASTER_INLINE int32_t FixedV(float v) const {
    return static_cast<int32_t>(std::min(vLimit, std::max(0.0f, v)) * vScale + vBias);
  }

  template <bool kPowerOfTwo>
  RASTER_INLINE uint32_t Texel(uint32_t x, uint32_t y) const {
    if constexpr (kPowerOfTwo) return texels[(y & heightMask) * width + (x & widthMask)];
    else return texels[(y % height) * width + x % width];
  }

  template <unsigned kTexture, bool kPowerOfTwo>
  RASTER_INLINE uint32_t Sample(int32_t fixedU, int32_t fixedV) const {
    const uint32_t fu = static_cast<uint32_t>(fixedU), fv = static_cast<uint32_t>(fixedV);
    const uint32_t x0 = fu >> 8, y0 = fv >> 8;
    if constexpr (kTexture == kNearest) {
      return Texel<kPowerOfTwo>(x0, y0);
    } else {
      const uint32_t ax = fu & 255, ay = fv & 255;
      const uint32_t top = LerpTexel(Texel<kPowerOfTwo>(x0, y0), Texel<kPowerOfTwo>(x0 + 1, y0), ax);
      const uint32_t bottom = LerpTexel(Texel<kPowerOfTwo>(x0, y0 + 1), Texel<kPowerOfTwo>(x0 + 1, y0 + 1), ax);
      return LerpTexel(top, bottom, ay);
    }
  }
};

// Texture coordinates are divided exactly every kPerspectiveRun pixels and stepped linearly
// in between: one division per run instead of one per pixel, invisible at this size.
constexpr int kPerspectiveRun = 8;

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
  const Sampler sampler = kTexture != kNoTexture ? Sampler(*c.texture, kTexture == kBilinear) : Sampler();
  const float dx = static_cast<float>(x0) + 0.5f - t.originX;
  const float dy = static_cast<float>(y) + 0.5f - t.originY;
  const int count = x1 - x0;
  auto at = [&](int i, float px) { return t.base[i] + t.ddx[i] * px + t.ddy[i] * dy; };

  float z = at(kInterpZ, dx);
  const float zStep = t.ddx[kInterpZ];
  // Texture position in 24.8 fixed point, exact at the start of each run.
  int32_t fu = 0, fv = 0, fuStep = 0, fvStep = 0, nextU = 0, nextV = 0;
  int runLeft = 0;
  auto exactAt = [&](float px, int32_t& u, int32_t& v) {
    const float w = 1.0f / at(kInterpInvW, px);
    u = sampler.FixedU(at(kInterpUW, px) * w);
    v = sampler.FixedV(at(kInterpVW, px) * w);
  };
  if constexpr (kTexture != kNoTexture) exactAt(dx, fu, fv);
  const float lastDx = dx + static_cast<float>(count - 1);
  const float invSteps = count > 1 ? 1.0f / static_cast<float>(count - 1) : 0.0f;
  // Separate locals rather than an array keep the ramps in registers.
  int32_t r = 0, g = 0, b = 0, a = 0, sr = 0, sg = 0, sb = 0;
  int32_t rStep = 0, gStep = 0, bStep = 0, aStep = 0, srStep = 0, sgStep = 0, sbStep = 0;
  ColourRamp(at(kInterpR, dx), at(kInterpR, lastDx), invSteps, r, rStep);
  ColourRamp(at(kInterpG, dx), at(kInterpG, lastDx), invSteps, g, gStep);
  ColourRamp(at(kInterpB, dx), at(kInterpB, lastDx), invSteps, b, bStep);
  if constexpr (kBlend) ColourRamp(at(kInterpA, dx), at(kInterpA, lastDx), invSteps, a, aStep);
  if constexpr (kSpecular) {
    ColourRamp(at(kInterpSR, dx), at(kInterpSR, lastDx), invSteps, sr, srStep);
    ColourRamp(at(kInterpSG, dx), at(kInterpSG, lastDx), invSteps, sg, sgStep);
    ColourRamp(at(kInterpSB, dx), at(kInterpSB, lastDx), invSteps, sb, sbStep);
  }

  uint8_t* p = target.pixels + static_cast<size_t>(y) * static_cast<size_t>(target.pitch) +
               static_cast<size_t>(x0) * kBytes;
  float* depth = target.depth ? target.depth + static_cast<size_t>(y) * static_cast<size_t>(target.width) + x0
                              : nullptr;
  for (int i = 0; i < count; ++i, p += kBytes) {
    if constexpr (kTexture != kNoTexture) {
      if (runLeft == 0) {
        runLeft = std::min(kPerspectiveRun, count - i);
        if (i + runLeft < count) {
          exactAt(dx + static_cast<float>(i + runLeft), nextU, nextV);
          fuStep = (nextU - fu) / kPerspectiveRun;
          fvStep = (nextV - fv) / kPerspectiveRun;
        } else if (runLeft > 1) {
          // The last run ends on the span's last pixel, not past it: outside the triangle
          // 1/w may reach zero.
          int32_t endU, endV;
          exactAt(lastDx, endU, endV);
          fuStep = (endU - fu) / (runLeft - 1);
          fvStep = (endV - fv) / (runLeft - 1);
        }
      }
    }
    if (!depth || z <= depth[i]) {
      if (depth) depth[i] = z;
      uint32_t red = static_cast<uint32_t>(r >> 16);
      uint32_t green = static_cast<uint32_t>(g >> 16);
      uint32_t blue = static_cast<uint32_t>(b >> 16);
      if constexpr (kTexture != kNoTexture) {
        const uint32_t texel = sampler.Sample<kTexture, kPowerOfTwo>(fu, fv);
        red = Div255(red * ((texel >> 16) & 0xFF));
        green = Div255(green * ((texel >> 8) & 0xFF));
        blue = Div255(blue * (texel & 0xFF));
      }
      if constexpr (kSpecular) {
        red = std::min(255u, red + static_cast<uint32_t>(sr >> 16));
        green = std::min(255u, green + static_cast<uint32_t>(sg >> 16));
        blue = std::min(255u, blue + static_cast<uint32_t>(sb >> 16));
      }
      uint32_t pixel = blue | green << 8 | red << 16;
      if constexpr (kBlend) {
        uint32_t old;
        if constexpr (kBytes == 4) std::memcpy(&old, p, 4);
        else old = p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
        pixel = Blend(pixel, old, static_cast<uint32_t>(a >> 16));
      }
      if constexpr (kBytes == 4) {
        std::memcpy(p, &pixel, 4);
      } else {
        p[0] = static_cast<uint8_t>(pixel);
        p[1] = static_cast<uint8_t>(pixel >> 8);
        p[2] = static_cast<uint8_t>(pixel >> 16);
      }
    }
    z += zStep;
    if constexpr (kTexture != kNoTexture) {
      if (--runLeft > 0) {
        fu += fuStep;
        fv += fvStep;
      } else {
        fu = nextU;  // the next run starts from its exact value
        fv = nextV;
      }
    }
    r += rStep;
    g += gStep;
    b += bStep;
    if constexpr (kBlend) a += aStep;
    if constexpr (kSpecular) {
      sr += srStep;
      sg += sgStep;
      sb += sbStep;
    }
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
