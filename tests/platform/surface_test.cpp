#include "platform/surface.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Surface, LayoutLockAndFill) {
  Surface s24(5, 3, 24, 20);
  EXPECT_EQ(s24.pitch, 20);
  EXPECT_EQ(s24.pixels.size(), 60u);
  Surface narrow(5, 3, 32, 4);  // a pitch too small for the row is widened
  EXPECT_EQ(narrow.pitch, 20);
  Surface empty(-4, -2, 32);
  EXPECT_EQ(empty.width, 0);
  EXPECT_TRUE(empty.pixels.empty());
  FillSurface(empty, nullptr, 0xFFFFFF);  // nothing to fill, no crash

  SurfaceLock lock;
  ASSERT_TRUE(LockSurface(s24, lock));
  EXPECT_EQ(lock.pixels, s24.pixels.data());
  EXPECT_EQ(lock.pitch, 20);
  EXPECT_FALSE(LockSurface(s24, lock));  // already locked
  UnlockSurface(s24);
  s24.refuseLock = true;
  EXPECT_FALSE(LockSurface(s24, lock));

  std::fill(s24.pixels.begin(), s24.pixels.end(), 0xAA);
  const PixelRect r{-2, 1, 3, 9};  // clipped to columns 0..2, rows 1..2
  FillSurface(s24, &r, 0xFF123456);
  EXPECT_EQ(s24.GetPixel(0, 1), 0x123456u);
  EXPECT_EQ(s24.GetPixel(2, 2), 0x123456u);
  EXPECT_EQ(s24.GetPixel(3, 1), 0xAAAAAAu);
  EXPECT_EQ(s24.GetPixel(0, 0), 0xAAAAAAu);
  for (int y = 0; y < 3; ++y)
    for (int b = 15; b < 20; ++b) EXPECT_EQ(s24.pixels[y * 20 + b], 0xAA);

  Surface s32(4, 2, 32);
  std::fill(s32.pixels.begin(), s32.pixels.end(), 0xAA);
  FillSurface(s32, nullptr, 0xFF010203);
  EXPECT_EQ(s32.pixels[0], 0x03);
  EXPECT_EQ(s32.pixels[2], 0x01);
  EXPECT_EQ(s32.pixels[3], 0x00);  // the top byte of a 32-bit pixel is 0
  EXPECT_EQ(s32.GetPixel(3, 1), 0x010203u);
}

TEST(Surface, BlitAcrossDepthsWithKeyAndBadRectangles) {
  Surface src(3, 1, 24);
  src.SetPixel(0, 0, 0x0000FF);
  src.SetPixel(1, 0, 0x00FF00);
  src.SetPixel(2, 0, 0xFF0000);
  Surface dst(6, 2, 32);
  FillSurface(dst, nullptr, 0x111111);
  EXPECT_TRUE(BlitSurface(dst, nullptr, src, nullptr, true, 0xFF0000FF));  // key compares 24 bits
  const uint32_t row[6] = {0x111111, 0x111111, 0x00FF00, 0x00FF00, 0xFF0000, 0xFF0000};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.GetPixel(x, y), row[x]) << x << "," << y;

  const PixelRect outside{0, 0, 4, 1};  // wider than the source
  EXPECT_FALSE(BlitSurface(dst, nullptr, src, &outside, false, 0));
  const PixelRect negative{-1, 0, 2, 1};
  EXPECT_FALSE(BlitSurface(dst, nullptr, src, &negative, false, 0));
  const PixelRect flipped{4, 0, 2, 1};
  EXPECT_FALSE(BlitSurface(dst, &flipped, src, nullptr, false, 0));
  const PixelRect offscreen{10, 10, 20, 20};
  EXPECT_TRUE(BlitSurface(dst, &offscreen, src, nullptr, false, 0));  // valid, all clipped
  Surface none(0, 0, 32);
  EXPECT_FALSE(BlitSurface(dst, nullptr, none, nullptr, false, 0));
  EXPECT_EQ(dst.GetPixel(0, 0), 0x111111u);

  // A huge destination rectangle keeps its stretch arithmetic in range.
  const PixelRect huge{-2000000000, 0, 2000000000, 2};
  EXPECT_TRUE(BlitSurface(dst, &huge, src, nullptr, false, 0));
  EXPECT_EQ(dst.GetPixel(0, 0), 0x00FF00u);
}

}  // namespace
