#include <gtest/gtest.h>

#include <algorithm>

#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {

class Plasma : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
};

uint32_t Entry(int x, int y) { return PlasmaBuffer[y * SCREEN_WIDTH + x]; }
uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

void FillDistinct(uint32_t* texture, uint32_t salt) {
  for (int i = 0; i < TEXTURE_PIXELS; ++i) texture[i] = (i * 2654435761u + salt) & 0xFFFFFFu;
}

TEST_F(Plasma, BlendCoordinatesWrapInEightBits) {
  FillDistinct(Texture1, 1);
  FillDistinct(Texture2, 977);
  DrawPlasmaBlend(0.0f);
  EXPECT_EQ(Entry(0, 0), 12032u);     // v = 47 (0 - 209 wraps), u = 0
  EXPECT_EQ(Entry(319, 239), 47113u); // v = 184, u = 9
  EXPECT_TRUE(std::all_of(std::begin(PlasmaBuffer), std::end(PlasmaBuffer),
                          [](uint32_t e) { return e <= 0xFFFF; }));
  // Texture2 follows the point-mirrored coordinates.
  EXPECT_EQ(FrameBuffer[0], Half(Texture1[12032]) + Half(Texture2[47113]));
  EXPECT_EQ(FrameBuffer[SCREEN_PIXELS - 1], Half(Texture1[47113]) + Half(Texture2[12032]));

  DrawPlasmaBlend(1.0f);
  EXPECT_EQ(Entry(0, 0), 14056u);  // v = 54, u = 232
  for (int k = 0; k < SCREEN_PIXELS; ++k) {
    ASSERT_EQ(FrameBuffer[k], Half(Texture1[PlasmaBuffer[k]]) +
                                  Half(Texture2[PlasmaBuffer[SCREEN_PIXELS - 1 - k]]))
        << "k = " << k;
  }
}

TEST_F(Plasma, BlendOfWhiteNeverCarries) {
  std::fill(std::begin(Texture1), std::end(Texture1), 0x00FFFFFFu);
  std::fill(std::begin(Texture2), std::end(Texture2), 0x00FFFFFFu);
  DrawPlasmaBlend(12.3f);
  EXPECT_TRUE(std::all_of(std::begin(FrameBuffer), std::end(FrameBuffer),
                          [](uint32_t p) { return p == 0x00FEFEFEu; }));
}

TEST_F(Plasma, ShadeEntriesAndBounds) {
  std::fill(std::begin(Texture2), std::end(Texture2), 0x00FFFFFFu);
  DrawPlasmaShade(0.0f);
  EXPECT_EQ(Entry(0, 0), 8401408u);  // L = 128, v = 50, u = 0
  EXPECT_EQ(Entry(10, 5), (135u << 16) | (62u << 8) | 17u);
  EXPECT_EQ(FrameBuffer[0], 0x007F7F7Fu);  // white darkened by 128

  DrawPlasmaShade(1.0f);
  EXPECT_EQ(Entry(0, 0), (137u << 16) | (57u << 8) | 21u);

  FillDistinct(Texture2, 31);
  DrawPlasmaShade(7.3f);
  for (int k = 0; k < SCREEN_PIXELS; ++k) {
    const uint32_t e = PlasmaBuffer[k];
    ASSERT_EQ(FrameBuffer[k], DarkenPixel(Texture2[e & 0xFFFF], (e >> 16) & 0xFF)) << "k = " << k;
  }
  std::fill(std::begin(Texture2), std::end(Texture2), 0x00FFFFFFu);

  // The shade stays within 78..178, so no channel of white passes 177 or drops below 77.
  for (float t : {0.0f, 3.7f, 55.5f, 191.9f}) {
    DrawPlasmaShade(t);
    for (int k = 0; k < SCREEN_PIXELS; ++k) {
      const uint32_t level = (PlasmaBuffer[k] >> 16) & 0xFF;
      ASSERT_GE(level, 78u);
      ASSERT_LE(level, 178u);
      const uint32_t blue = FrameBuffer[k] & 0xFF;
      ASSERT_LE(blue, 177u);
      ASSERT_GE(blue, 77u);
      ASSERT_EQ(FrameBuffer[k], blue * 0x010101u);
    }
  }
}

}  // namespace
