// span_kernels.h - the pixel loops of the software device: one span of a set-up triangle
// depth-tested, shaded and written. The plain loop (span_kernels.cpp) is the reference; the
// 128-bit (span_kernels_128.cpp) and 256-bit (span_kernels_256.cpp) loops shade several pixels
// at a time and write the very same bytes and depths. spans.cpp takes one set per triangle
// list and calls it once per span:
//
//   const SpanKernels& kernels = UsableSpanKernels();
//   SpanSetup setup;  RasterPrepareSpans(tri, target, texture, setup);
//   kernels.fill[SpanVariant(...)](setup, spans, count);   // up to kSpanBatch spans
//
// Everything a span needs that does not depend on its row is worked out once per triangle in
// SpanSetup; what depends on the row is computed per span with the same float operations, in
// the same order, at every width.
#pragma once
#include <algorithm>
#include <cstdint>

#include "platform/cpu_features.h"
#include "raster/setup.h"
#include "raster/spans.h"

// The texture constants of one triangle, as the pixel loops address texels.
struct SpanSampler {
  const uint32_t* texels = nullptr;
  uint32_t width = 1, height = 1, pitch = 2, widthMask = 0, heightMask = 0;
  float uLimit = 0, vLimit = 0;
  float uScale = 0, vScale = 0;  // size x 256: texel coordinates in 24.8 fixed point
  float uBias = 0, vBias = 0;    // one texture size added (less half a texel for bilinear)
};

// The colour interpolants lie side by side in a triangle's arrays (red, green, blue, alpha,
// specular red, green, blue, and the zero pad), so that a span's ramps are set up in one go.
constexpr int kSpanColours = 8;
constexpr int kSpanColourFirst = kInterpR;
static_assert(kSpanColourFirst + kSpanColours == kInterpolantCount, "the colours end the interpolants");

struct SpanSetup {
  const RasterTriangle* tri = nullptr;
  const RasterTarget* target = nullptr;
  SpanSampler sampler;
  // u/w, v/w twice over and 1/w four times, and the sampler's limits, scales and biases for
  // (u, v, u, v): a span's first and last texel positions are worked out side by side.
  alignas(16) float texelBase[4], texelDdx[4], texelDdy[4];
  alignas(16) float invWBase[4], invWDdx[4], invWDdy[4];
  alignas(16) float texelLimit[4], texelScale[4], texelBias[4];
};

// Pixels x0 .. x1 - 1 of row y (inside the target, x0 < x1).
struct RasterSpan {
  int32_t y, x0, x1;
};

// Shades a batch of a triangle's spans. Batches let the vector loops work out every span's
// ramps and texel steps first, each independent of the others, and then shade them all, so
// the processor overlaps the spans instead of waiting out each one's divisions and fetches.
using SpanFunction = void (*)(const SpanSetup&, const RasterSpan* spans, int count);
constexpr int kSpanBatch = 32;

enum SpanTexture : unsigned { kSpanNoTexture = 0, kSpanNearest = 1, kSpanBilinear = 2 };

// Index of a variant: bit 0 four bytes per pixel, bit 1 power-of-two texture, bit 2 specular,
// bit 3 blending, bits 4-5 the texture mode.
constexpr int kSpanVariants = 48;
constexpr unsigned SpanVariant(unsigned texture, bool blend, bool specular, bool powerOfTwo, int bytes) {
  return texture << 4 | (blend ? 8u : 0u) | (specular ? 4u : 0u) | (powerOfTwo ? 2u : 0u) | (bytes == 4 ? 1u : 0u);
}

struct SpanKernels {
  SpanFunction fill[kSpanVariants];
};

// The widest loops the usable vector width allows.
const SpanKernels& UsableSpanKernels();

// Defined in span_kernels.cpp, span_kernels_128.cpp and span_kernels_256.cpp, where the build
// has those loops.
extern const SpanKernels plainSpanKernels, baselineSpanKernels, wideSpanKernels;

// Fills `setup` for the triangle's spans; the texture is null when it is drawn untextured.
void RasterPrepareSpans(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture,
                        SpanSetup& setup);

// --- Arithmetic every width shares, so that all of them round alike. ---------------------

// x / 255 rounded to nearest, exact for x in 0 .. 255 x 255.
inline uint32_t SpanDiv255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// An interpolant at (px, dy) from the triangle's origin, summed in this order.
inline float SpanAt(const RasterTriangle& t, int i, float px, float dy) {
  return t.base[i] + t.ddx[i] * px + t.ddy[i] * dy;
}

// Coordinates are kept non-negative and below the texture's limit (NaN becomes 0), so the
// conversion is always defined and the result positive with room to spare; the added texture
// size makes the left neighbour of texel 0 wrap like any other.
inline int32_t SpanFixedU(const SpanSampler& s, float u) {
  return static_cast<int32_t>(std::min(s.uLimit, std::max(0.0f, u)) * s.uScale + s.uBias);
}
inline int32_t SpanFixedV(const SpanSampler& s, float v) {
  return static_cast<int32_t>(std::min(s.vLimit, std::max(0.0f, v)) * s.vScale + s.vBias);
}

// The perspective-correct texel position at (px, dy), 24.8 fixed point: exact at the start of
// every run of kSpanRun pixels and at a span's last pixel, stepped linearly in between.
inline void SpanExactTexel(const SpanSetup& c, float px, float dy, int32_t& u, int32_t& v) {
  const RasterTriangle& t = *c.tri;
  const float w = 1.0f / SpanAt(t, kInterpInvW, px, dy);
  u = SpanFixedU(c.sampler, SpanAt(t, kInterpUW, px, dy) * w);
  v = SpanFixedV(c.sampler, SpanAt(t, kInterpVW, px, dy) * w);
}

// Texture coordinates are divided exactly every kSpanRun pixels: one division per run instead
// of one per pixel, invisible at this size.
constexpr int kSpanRun = 8;
