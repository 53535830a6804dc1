#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"
#include "support/every_width.h"

namespace {

class PictureFades : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
  void TearDown() override { displayContext.backBuffer = nullptr; }
};

uint32_t At(int x, int y) { return FrameBuffer[y * SCREEN_WIDTH + x]; }

class RowDarkening : public EveryWidth {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
};

TEST_P(RowDarkening, MatchesTheTable) {
  // 259 pixels: every channel value, a non-zero top byte, and a tail that is not a multiple of 4.
  uint32_t source[259], darkened[259], added[259];
  for (int i = 0; i < 259; ++i)
    source[i] = (static_cast<uint32_t>(i) * 0x01000000u) | ((i & 255) << 16) | (((i * 7) & 255) << 8) |
                (255 - (i & 255));
  for (uint32_t k = 0; k < 256; ++k) {
    DarkenPixels(darkened, source, 259, k);
    std::fill(std::begin(added), std::end(added), 0x00010101u);
    AddDarkenedPixels(added, source, 259, k);
    for (int i = 0; i < 259; ++i) {
      ASSERT_EQ(darkened[i], DarkenPixel(source[i], k)) << "k = " << k << ", i = " << i;
      ASSERT_EQ(added[i], 0x00010101u + DarkenPixel(source[i], k)) << "k = " << k << ", i = " << i;
    }
  }
  // Short runs, and nothing written past the end of one.
  for (int count = 0; count <= 17; ++count) {
    std::fill(std::begin(darkened), std::end(darkened), 0xDEADBEEFu);
    std::fill(std::begin(added), std::end(added), 0xDEADBEEFu);
    DarkenPixels(darkened + 1, source, count, 9);
    AddDarkenedPixels(added + 1, source, count, 9);
    for (int i = 0; i < 20; ++i) {
      const bool inside = i >= 1 && i <= count;
      ASSERT_EQ(darkened[i], inside ? DarkenPixel(source[i - 1], 9) : 0xDEADBEEFu) << count << ": " << i;
      ASSERT_EQ(added[i], inside ? 0xDEADBEEFu + DarkenPixel(source[i - 1], 9) : 0xDEADBEEFu) << count << ": " << i;
    }
  }
}

// A frame row handed to the screen: the picture added where it covers (the block that straddles
// its edge included), the frame's own pixels beyond with their top bytes, and the row cleared;
// nothing read from the picture past `covered`.
TEST_P(RowDarkening, HandOverRowAddsCopiesAndClears) {
  const EffectKernels& kernels = UsableEffectKernels();
  std::vector<uint32_t> picture(SCREEN_WIDTH), frame(SCREEN_WIDTH), out(SCREEN_WIDTH);
  for (int x = 0; x < SCREEN_WIDTH; ++x) picture[x] = 0xA5000000u | ((static_cast<uint32_t>(x) * 0x00071D3Bu) & 0xFFFFFFu);
  for (const int covered : {0, 1, 7, 8, 9, 215, 319, 320}) {
    for (const uint32_t k : {0u, 40u, 255u}) {
      for (int x = 0; x < SCREEN_WIDTH; ++x) frame[x] = static_cast<uint32_t>(x) * 0x01030507u;
      std::fill(out.begin(), out.end(), 0xDEADBEEFu);
      // The picture ends where it covers: a read beyond would be caught by the sanitizers.
      std::vector<uint32_t> owned(picture.begin(), picture.begin() + covered);
      kernels.handOverRow(out.data(), frame.data(), owned.data(), covered, k);
      for (int x = 0; x < SCREEN_WIDTH; ++x) {
        const uint32_t under = static_cast<uint32_t>(x) * 0x01030507u;
        ASSERT_EQ(out[x], under + (x < covered ? DarkenPixel(picture[x], k) : 0u)) << covered << ", " << k << ": " << x;
        ASSERT_EQ(frame[x], 0u) << covered << ", " << k << ": " << x;
      }
    }
  }
}

TEST_P(RowDarkening, InPlace) {
  // A run ending in a partial block is worked out whole before its last block is stored.
  for (const int count : {8, 9, 15, 16, 21, 259}) {
    uint32_t pixels[259], added[259], source[259];
    for (int i = 0; i < count; ++i) source[i] = pixels[i] = added[i] = static_cast<uint32_t>(i) * 0x00030507u + 0x00402010u;
    DarkenPixels(pixels, pixels, count, 40);
    AddDarkenedPixels(added, added, count, 40);
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(pixels[i], DarkenPixel(source[i], 40)) << count << ": " << i;
      ASSERT_EQ(added[i], source[i] + DarkenPixel(source[i], 40)) << count << ": " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, RowDarkening, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

TEST_F(PictureFades, BildeLevelFollowsHalfASine) {
  EXPECT_EQ(FadeBildeLevel(10.0f), 0);
  EXPECT_EQ(FadeBildeLevel(24.0f), 0);
  EXPECT_EQ(FadeBildeLevel(72.0f), 0);
  EXPECT_EQ(FadeBildeLevel(25.0f), 16);
  EXPECT_EQ(FadeBildeLevel(30.0f), 97);
  EXPECT_EQ(FadeBildeLevel(36.0f), 180);
  EXPECT_EQ(FadeBildeLevel(48.0f), 254);  // the widened 1/48 lands just past the peak
  EXPECT_EQ(FadeBildeLevel(60.0f), 180);
}

TEST_F(PictureFades, BildeLeavesTheFrameAloneWhenDarkAndClearsItAfterDrawing) {
  std::fill(std::begin(Bilde), std::end(Bilde), 0x00F01005u);
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x00123456u);
  FadeBildePicture(10.0f);
  FadeBildePicture(72.0f);
  EXPECT_EQ(At(0, 0), 0x00123456u);
  EXPECT_EQ(At(319, 239), 0x00123456u);

  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
  FadeBildePicture(48.0f);
  EXPECT_TRUE(std::all_of(std::begin(FrameBuffer), std::end(FrameBuffer),
                          [](uint32_t p) { return p == 0; }));
}

TEST_F(PictureFades, BildeReachesTheScreenDarkenedInItsColumnsOnly) {
  Surface back(320, 240, 32);
  displayContext.backBuffer = &back;
  displayContext.backBufferBits = 32;
  FillSurface(back, nullptr, 0x00ABCDEF);
  std::fill(std::begin(Bilde), std::end(Bilde), 0x00F01005u);
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);

  FadeBildePicture(24.0f);  // dark: nothing uploaded
  EXPECT_EQ(back.GetPixel(0, 0), 0x00ABCDEFu);

  FadeBildePicture(25.0f);  // v = 16: every channel max(c - 239, 0)
  EXPECT_EQ(back.GetPixel(0, 0), 0x00010000u);
  EXPECT_EQ(back.GetPixel(214, 239), 0x00010000u);
  EXPECT_EQ(back.GetPixel(215, 0), 0u);

  FadeBildePicture(48.0f);  // v = 254: one lower, zero stays zero
  EXPECT_EQ(back.GetPixel(100, 100), 0x00EF0F04u);
}

TEST_F(PictureFades, CrossFadeMovesFromPixel2ToPixel3) {
  EXPECT_EQ(CrossFadeLevel(10.0f), 0);
  EXPECT_EQ(CrossFadeLevel(48.0f), 0);
  EXPECT_EQ(CrossFadeLevel(72.0f), 127);
  EXPECT_EQ(CrossFadeLevel(95.9f), 254);
  EXPECT_EQ(CrossFadeLevel(96.0f), 255);

  std::fill(std::begin(Pixel2), std::end(Pixel2), 0xFFC86432u);  // top byte must not survive
  std::fill(std::begin(Pixel3), std::end(Pixel3), 0x00FFFFFFu);
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x00123456u);

  CrossFadePixelPictures(10.0f);
  EXPECT_EQ(At(0, 0), 0x00C86432u);
  EXPECT_EQ(At(164, 239), 0x00C86432u);
  EXPECT_EQ(At(165, 0), 0u);
  EXPECT_EQ(At(319, 239), 0u);

  CrossFadePixelPictures(72.0f);  // Pixel2 darkened by 127, Pixel3 by 128
  EXPECT_EQ(At(100, 10), 0x00490000u);
  EXPECT_EQ(At(150, 10), 0x00C87F7Fu);
  EXPECT_EQ(At(200, 10), 0x007F7F7Fu);

  CrossFadePixelPictures(100.0f);
  EXPECT_EQ(At(144, 0), 0u);
  EXPECT_EQ(At(145, 0), 0x00FFFFFFu);
  EXPECT_EQ(At(319, 239), 0x00FFFFFFu);
}

TEST_F(PictureFades, CrossFadeOverlapNeverCarriesBetweenChannels) {
  std::fill(std::begin(Pixel2), std::end(Pixel2), 0x00FFFFFFu);
  std::fill(std::begin(Pixel3), std::end(Pixel3), 0x00FFFFFFu);
  for (float t = 0.0f; t < 192.0f; t += 0.37f) {
    CrossFadePixelPictures(t);
    ASSERT_EQ(At(155, 120), 0x00FFFFFFu) << "t = " << t;
  }
}

TEST_F(PictureFades, LastPictureFadesToBlack) {
  uint8_t c = 99;
  EXPECT_FALSE(FadeOutLastAmount(0.0f, &c));
  EXPECT_FALSE(FadeOutLastAmount(24.0f, &c));
  EXPECT_FALSE(FadeOutLastAmount(96.0f, &c));
  ASSERT_TRUE(FadeOutLastAmount(25.0f, &c));
  EXPECT_EQ(c, 3);
  ASSERT_TRUE(FadeOutLastAmount(60.0f, &c));
  EXPECT_EQ(c, 127);
  ASSERT_TRUE(FadeOutLastAmount(95.9f, &c));
  EXPECT_EQ(c, 254);

  for (int i = 0; i < SCREEN_PIXELS; ++i) Lastpic[i] = (i * 2654435761u) & 0xFFFFFFu;
  FadeOutLastPicture(24.0f);
  EXPECT_TRUE(std::equal(std::begin(Lastpic), std::end(Lastpic), std::begin(FrameBuffer)));

  Lastpic[0] = 0x00FF8040u;
  FadeOutLastPicture(60.0f);
  EXPECT_EQ(FrameBuffer[0], 0x00800100u);
  FadeOutLastPicture(95.9f);
  EXPECT_EQ(FrameBuffer[0], 0x00010000u);
}

}  // namespace
