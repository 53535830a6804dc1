// Blits against a plain pixel-by-pixel reference: every depth pair, keyed and plain, the same
// size and stretched, clipped at each edge of the destination.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/cpu_features.h"
#include "platform/surface.h"
#include "support/every_width.h"

namespace {


uint32_t Mix(uint32_t seed) {
  seed ^= seed >> 16;
  seed *= 0x7FEB352Du;
  seed ^= seed >> 15;
  seed *= 0x846CA68Bu;
  return seed ^ (seed >> 16);
}

// Raw bytes with every byte varied, stray top bytes in 32-bit pixels included; about one
// pixel in three is the key colour.
void Scribble(Surface& s, uint32_t seed, bool withKey) {
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = static_cast<uint8_t>(Mix(seed + static_cast<uint32_t>(i)));
  if (!withKey) return;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (Mix(seed * 31 + static_cast<uint32_t>(y * 1000 + x)) % 3 == 0) {
        uint8_t* p = s.pixels.data() + static_cast<size_t>(y) * s.pitch + static_cast<size_t>(x) * s.BytesPerPixel();
        p[0] = 0xFF, p[1] = 0, p[2] = 0;  // blue, whatever the top byte says
      }
}

// The mapping written out the long way: destination pixel centre back into the source.
void ReferenceBlit(Surface& dst, const PixelRect& d, const Surface& src, const PixelRect& s, bool useKey) {
  const int64_t dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
  for (int y = d.top; y < d.bottom; ++y) {
    if (y < 0 || y >= dst.height) continue;
    for (int x = d.left; x < d.right; ++x) {
      if (x < 0 || x >= dst.width) continue;
      const int sx = s.left + static_cast<int>(((x - d.left) * 2 + 1) * sw / (dw * 2));
      const int sy = s.top + static_cast<int>(((y - d.top) * 2 + 1) * sh / (dh * 2));
      const uint8_t* p = src.pixels.data() + static_cast<size_t>(sy) * src.pitch + static_cast<size_t>(sx) * src.BytesPerPixel();
      const uint32_t colour = p[0] | p[1] << 8 | p[2] << 16;
      if (useKey && colour == 0x0000FF) continue;
      uint8_t* q = dst.pixels.data() + static_cast<size_t>(y) * dst.pitch + static_cast<size_t>(x) * dst.BytesPerPixel();
      q[0] = p[0], q[1] = p[1], q[2] = p[2];
      if (dst.bitsPerPixel == 32) q[3] = 0;
    }
  }
}

class SurfaceBlit : public EveryWidth {};

TEST_P(SurfaceBlit, MatchesPixelByPixelReference) {
  // Destination 40 x 30; the source rectangle is 13 x 9 inside a 17 x 11 picture.
  const PixelRect source{3, 1, 16, 10};
  const PixelRect places[] = {
      {5, 4, 18, 13},     // same size, inside
      {-6, 2, 7, 11},     // same size, cut at the left
      {33, 25, 46, 34},   // same size, cut at the right and the bottom
      {10, -4, 23, 5},    // same size, cut at the top
      {-3, -2, 45, 33},   // stretched past every edge
      {4, 6, 11, 10},     // shrunk
      {2, 3, 39, 29},     // stretched to odd sizes
      {20, 14, 21, 15},   // a single pixel
  };
  int cases = 0;
  for (const int srcBits : {24, 32})
    for (const int dstBits : {24, 32})
      for (const bool keyed : {false, true})
        for (const PixelRect& place : places) {
          // Pitches wider than the rows, so a row-at-a-time copy must respect them.
          Surface src(17, 11, srcBits, 17 * srcBits / 8 + 5);
          Surface got(40, 30, dstBits, 40 * dstBits / 8 + 7);
          Scribble(src, static_cast<uint32_t>(cases) * 7919u, true);
          Scribble(got, 17u + static_cast<uint32_t>(cases), false);
          Surface want = got;
          ReferenceBlit(want, place, src, source, keyed);
          EXPECT_TRUE(BlitSurface(got, &place, src, &source, keyed, 0x0000FF));
          EXPECT_EQ(got.pixels, want.pixels) << srcBits << " -> " << dstBits << (keyed ? " keyed" : " plain")
                                             << " at " << place.left << "," << place.top << "," << place.right
                                             << "," << place.bottom;
          ++cases;
        }
  EXPECT_EQ(cases, 64);
}

TEST_P(SurfaceBlit, WholeSurfacesAndLongRows) {
  // Full-width rows exercise the wide copy loops and their leftover pixels (width not a
  // multiple of eight); blits with no rectangles cover both surfaces whole.
  // Rows without padding put a row's last pixel at the very end of the buffer at 24 bits.
  for (const int bits : {32, 24})
  for (const int width : {320, 201, 97, 7}) {
    for (const bool keyed : {false, true}) {
      Surface src(width, 5, bits), got(width, 5, bits);
      Scribble(src, static_cast<uint32_t>(width), true);
      Scribble(got, static_cast<uint32_t>(width) + 1, false);
      Surface want = got;
      ReferenceBlit(want, PixelRect{0, 0, width, 5}, src, PixelRect{0, 0, width, 5}, keyed);
      EXPECT_TRUE(BlitSurface(got, nullptr, src, nullptr, keyed, 0xFF0000FF));
      EXPECT_EQ(got.pixels, want.pixels) << width << (keyed ? " keyed" : " plain") << " " << bits << " bits";
    }
  }
  // A surface too small for its rectangle blits nothing and touches nothing.
  Surface src(8, 8, 32), dst(8, 8, 32);
  Scribble(src, 1, false);
  Scribble(dst, 2, false);
  const std::vector<uint8_t> before = dst.pixels;
  const PixelRect tooWide{0, 0, 9, 8};
  EXPECT_FALSE(BlitSurface(dst, nullptr, src, &tooWide, true, 0x0000FF));
  EXPECT_EQ(dst.pixels, before);
}

INSTANTIATE_TEST_SUITE_P(Widths, SurfaceBlit, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

}  // namespace
