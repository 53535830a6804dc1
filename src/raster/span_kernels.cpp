// span_kernels.cpp - the plain span loop, one pixel at a time: the reference the vector loops
// are held to. Also the per-triangle span set-up and the choice of loops.
#include "raster/span_kernels.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

#if defined(__GNUC__)
#define RASTER_INLINE inline __attribute__((always_inline))
#else
#define RASTER_INLINE inline
#endif

RASTER_INLINE uint32_t Div255(uint32_t x) { return SpanDiv255(x); }

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

template <bool kPowerOfTwo>
RASTER_INLINE uint32_t Texel(const SpanSampler& s, uint32_t x, uint32_t y) {
  if constexpr (kPowerOfTwo) return s.texels[(y & s.heightMask) * s.pitch + (x & s.widthMask)];
  else return s.texels[(y % s.height) * s.pitch + x % s.width];
}

template <unsigned kTexture, bool kPowerOfTwo>
RASTER_INLINE uint32_t Sample(const SpanSampler& s, int32_t fixedU, int32_t fixedV) {
  const uint32_t fu = static_cast<uint32_t>(fixedU), fv = static_cast<uint32_t>(fixedV);
  const uint32_t x0 = fu >> 8, y0 = fv >> 8;
  if constexpr (kTexture == kSpanNearest) {
    return Texel<kPowerOfTwo>(s, x0, y0);
  } else {
    const uint32_t ax = fu & 255, ay = fv & 255;
    const uint32_t top = LerpTexel(Texel<kPowerOfTwo>(s, x0, y0), Texel<kPowerOfTwo>(s, x0 + 1, y0), ax);
    const uint32_t bottom = LerpTexel(Texel<kPowerOfTwo>(s, x0, y0 + 1), Texel<kPowerOfTwo>(s, x0 + 1, y0 + 1), ax);
    return LerpTexel(top, bottom, ay);
  }
}

// Colours step in 16.16 fixed point from the span's clamped first to its clamped last
// value, with half a unit added so the top 16 bits round; the margin also absorbs the
// rounding of the step, so a channel never leaves 0..255.
RASTER_INLINE void ColourRamp(float first, float last, float invSteps, int32_t& value, int32_t& step) {
  first = std::min(255.0f, std::max(0.0f, first));
  last = std::min(255.0f, std::max(0.0f, last));
  value = static_cast<int32_t>(first * 65536.0f) + 32768;
  const int32_t end = static_cast<int32_t>(last * 65536.0f) + 32768;
  step = static_cast<int32_t>(static_cast<float>(end - value) * invSteps);
}

template <unsigned kTexture, bool kBlend, bool kSpecular, bool kPowerOfTwo, int kBytes>
void FillSpan(const SpanSetup& c, int y, int x0, int x1) {
  const RasterTriangle& t = *c.tri;
  const RasterTarget& target = *c.target;
  const SpanSampler& sampler = c.sampler;
  const float dx = static_cast<float>(x0) + 0.5f - t.originX;
  const float dy = static_cast<float>(y) + 0.5f - t.originY;
  const int count = x1 - x0;

  float z = SpanAt(t, kInterpZ, dx, dy);
  const float zStep = t.ddx[kInterpZ];
  // Texture position in 24.8 fixed point, exact at the start of each run.
  int32_t fu = 0, fv = 0, fuStep = 0, fvStep = 0, nextU = 0, nextV = 0;
  int runLeft = 0;
  if constexpr (kTexture != kSpanNoTexture) SpanExactTexel(c, dx, dy, fu, fv);
  const float lastDx = dx + static_cast<float>(count - 1);
  const float invSteps = count > 1 ? 1.0f / static_cast<float>(count - 1) : 0.0f;
  // Separate locals rather than an array keep the ramps in registers.
  int32_t r = 0, g = 0, b = 0, a = 0, sr = 0, sg = 0, sb = 0;
  int32_t rStep = 0, gStep = 0, bStep = 0, aStep = 0, srStep = 0, sgStep = 0, sbStep = 0;
  ColourRamp(SpanAt(t, kInterpR, dx, dy), SpanAt(t, kInterpR, lastDx, dy), invSteps, r, rStep);
  ColourRamp(SpanAt(t, kInterpG, dx, dy), SpanAt(t, kInterpG, lastDx, dy), invSteps, g, gStep);
  ColourRamp(SpanAt(t, kInterpB, dx, dy), SpanAt(t, kInterpB, lastDx, dy), invSteps, b, bStep);
  if constexpr (kBlend) ColourRamp(SpanAt(t, kInterpA, dx, dy), SpanAt(t, kInterpA, lastDx, dy), invSteps, a, aStep);
  if constexpr (kSpecular) {
    ColourRamp(SpanAt(t, kInterpSR, dx, dy), SpanAt(t, kInterpSR, lastDx, dy), invSteps, sr, srStep);
    ColourRamp(SpanAt(t, kInterpSG, dx, dy), SpanAt(t, kInterpSG, lastDx, dy), invSteps, sg, sgStep);
    ColourRamp(SpanAt(t, kInterpSB, dx, dy), SpanAt(t, kInterpSB, lastDx, dy), invSteps, sb, sbStep);
  }

  uint8_t* p = target.pixels + static_cast<size_t>(y) * static_cast<size_t>(target.pitch) +
               static_cast<size_t>(x0) * kBytes;
  float* depth = target.depth ? target.depth + static_cast<size_t>(y) * static_cast<size_t>(target.width) + x0
                              : nullptr;
  for (int i = 0; i < count; ++i, p += kBytes) {
    if constexpr (kTexture != kSpanNoTexture) {
      if (runLeft == 0) {
        runLeft = std::min(kSpanRun, count - i);
        if (i + runLeft < count) {
          SpanExactTexel(c, dx + static_cast<float>(i + runLeft), dy, nextU, nextV);
          fuStep = (nextU - fu) / kSpanRun;
          fvStep = (nextV - fv) / kSpanRun;
        } else if (runLeft > 1) {
          // The last run ends on the span's last pixel, not past it: outside the triangle
          // 1/w may reach zero.
          int32_t endU, endV;
          SpanExactTexel(c, lastDx, dy, endU, endV);
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
      if constexpr (kTexture != kSpanNoTexture) {
        const uint32_t texel = Sample<kTexture, kPowerOfTwo>(sampler, fu, fv);
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
    if constexpr (kTexture != kSpanNoTexture) {
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

template <unsigned kTexture, bool kBlend, bool kSpecular, bool kPowerOfTwo, int kBytes>
void FillSpans(const SpanSetup& c, const RasterSpan* spans, int count) {
  for (int i = 0; i < count; ++i)
    FillSpan<kTexture, kBlend, kSpecular, kPowerOfTwo, kBytes>(c, spans[i].y, spans[i].x0, spans[i].x1);
}

template <size_t kIndex>
constexpr SpanFunction SpanFor() {
  return &FillSpans<static_cast<unsigned>(kIndex >> 4), ((kIndex >> 3) & 1) != 0, ((kIndex >> 2) & 1) != 0,
                   ((kIndex >> 1) & 1) != 0, (kIndex & 1) ? 4 : 3>;
}

template <size_t... kIndex>
constexpr SpanKernels MakeSpanKernels(std::index_sequence<kIndex...>) {
  return SpanKernels{{SpanFor<kIndex>()...}};
}

}  // namespace

const SpanKernels plainSpanKernels = MakeSpanKernels(std::make_index_sequence<kSpanVariants>());

namespace {

constinit const KernelTables<SpanKernels> spanKernels(&plainSpanKernels, BASELINE_KERNELS(baselineSpanKernels),
                                                      WIDE_KERNELS(wideSpanKernels));

}  // namespace

const SpanKernels& UsableSpanKernels() { return spanKernels.Usable(); }

void RasterPrepareSpans(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture,
                        SpanSetup& setup) {
  setup.tri = &tri;
  setup.target = &target;
  for (int i = 0; i < 4; ++i) {
    const int uv = (i & 1) ? kInterpVW : kInterpUW;
    setup.texelBase[i] = tri.base[uv];
    setup.texelDdx[i] = tri.ddx[uv];
    setup.texelDdy[i] = tri.ddy[uv];
    setup.invWBase[i] = tri.base[kInterpInvW];
    setup.invWDdx[i] = tri.ddx[kInterpInvW];
    setup.invWDdy[i] = tri.ddy[kInterpInvW];
  }
  SpanSampler& s = setup.sampler;
  s = SpanSampler{};
  if (!texture) return;
  const bool bilinear = tri.filter == RasterFilter::Bilinear;
  s.texels = texture->texels.data();
  s.width = static_cast<uint32_t>(texture->width);
  s.height = static_cast<uint32_t>(texture->height);
  s.widthMask = texture->widthMask;
  s.heightMask = texture->heightMask;
  s.pitch = static_cast<uint32_t>(texture->pitch);
  s.uLimit = texture->uLimit;
  s.vLimit = texture->vLimit;
  s.uScale = static_cast<float>(texture->width) * 256.0f;
  s.vScale = static_cast<float>(texture->height) * 256.0f;
  s.uBias = s.uScale - (bilinear ? 128.0f : 0.0f);
  s.vBias = s.vScale - (bilinear ? 128.0f : 0.0f);
  for (int i = 0; i < 4; ++i) {
    setup.texelLimit[i] = (i & 1) ? s.vLimit : s.uLimit;
    setup.texelScale[i] = (i & 1) ? s.vScale : s.uScale;
    setup.texelBias[i] = (i & 1) ? s.vBias : s.uBias;
  }
}
