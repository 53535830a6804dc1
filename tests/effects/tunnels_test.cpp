#include <gtest/gtest.h>

#include <algorithm>

#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {

class Tunnels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
};

uint32_t At(int x, int y) { return FrameBuffer[y * SCREEN_WIDTH + x]; }

TEST_F(Tunnels, PerspectiveAveragesTwoShadedTextures) {
  EXPECT_EQ(PerspectiveTunnelOffset(0.0f), 0);
  EXPECT_EQ(PerspectiveTunnelOffset(0.2f), 511);
  EXPECT_EQ(PerspectiveTunnelOffset(1.0f), 2555);
  EXPECT_EQ(PerspectiveTunnelOffset(95.9f), static_cast<uint16_t>(511 * 479));

  std::fill(std::begin(Texture1), std::end(Texture1), 0x00FEFEFEu);
  std::fill(std::begin(Texture2), std::end(Texture2), 0x00020202u);
  DrawPerspectiveTunnel(0.0f);
  EXPECT_EQ(At(160, 120), 0u);          // fully shaded centre
  EXPECT_EQ(At(0, 0), 0x00808080u);     // unshaded corner: 0x7F + 0x01 per channel
  EXPECT_EQ(At(161, 120), 0x00000000u); // shade 253 leaves 1 + 0 after halving
  // (100, 100) is darkened by 160: 254 - 160 = 94 -> 47, 2 -> 0.
  EXPECT_EQ(At(100, 100), 0x002F2F2Fu);
}

TEST_F(Tunnels, PerspectiveMatchesPixelByPixelShading) {
  for (int i = 0; i < TEXTURE_PIXELS; ++i) {
    Texture1[i] = 0xFF000000u | ((i * 2654435761u) & 0xFFFFFFu);  // stray top bytes too
    Texture2[i] = (i * 40503u + 12345u) & 0xFFFFFFu;
  }
  DrawPerspectiveTunnel(13.7f);
  const uint16_t d = 511 * 68;
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    const uint32_t shade = TunnelShadeTable[i];
    const uint32_t a = DarkenPixel(Texture1[static_cast<uint16_t>(TunnelTable[i] + d)], shade);
    const uint32_t b = DarkenPixel(Texture2[static_cast<uint16_t>(TunnelTable[i] - d)], shade);
    ASSERT_EQ(FrameBuffer[i], ((a >> 1) & 0x7F7F7Fu) + ((b >> 1) & 0x7F7F7Fu)) << "i = " << i;
  }
}

TEST_F(Tunnels, PerspectiveScrollsTheTexturesApart) {
  const uint16_t savedEntry = TunnelTable[0];
  const uint8_t savedShade = TunnelShadeTable[0];
  TunnelTable[0] = 0x0305;
  TunnelShadeTable[0] = 0;
  std::fill(std::begin(Texture1), std::end(Texture1), 0u);
  std::fill(std::begin(Texture2), std::end(Texture2), 0u);
  Texture1[0x0504] = 0x00FE0000u;  // two rows forward, one column back
  Texture2[0x0106] = 0x000000FEu;  // two rows back, one column forward
  DrawPerspectiveTunnel(0.2f);
  const uint32_t got = FrameBuffer[0];
  TunnelTable[0] = savedEntry;
  TunnelShadeTable[0] = savedShade;
  EXPECT_EQ(got, 0x007F007Fu);
}

TEST_F(Tunnels, SwirlTableAtKnownTimes) {
  DrawSwirlTunnel(0.0f);
  EXPECT_EQ(SwirlTable[0][0], 40973);     // (54, 0): radius 160, angle 13
  EXPECT_EQ(SwirlTable[0][105], 30737);   // (159, 0)
  EXPECT_EQ(SwirlTable[119][105], 346);   // (159, 119)
  EXPECT_EQ(SwirlTable[121][105], 256);   // (159, 121): the mirrored quarter
  EXPECT_EQ(SwirlTable[120][46], 15487);  // (100, 120): the row the quarter lacks
  DrawSwirlTunnel(6.0f);
  EXPECT_EQ(SwirlTable[0][0], 41047);     // radius 160, angle 87
}

TEST_F(Tunnels, SwirlScrollsAndMirrorsThroughAPoint) {
  for (int i = 0; i < TEXTURE_PIXELS; ++i) Texture4[i] = 0x00A00000u | static_cast<uint32_t>(i);
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x00ABCDEFu);

  DrawSwirlTunnel(1.0f);  // scroll 12
  for (int y = 0; y < 240; y += 7)
    for (int j = 0; j < 106; j += 5)
      ASSERT_EQ(At(108 + j, y), 0x00A00000u | static_cast<uint16_t>(SwirlTable[y][j] + 12));

  DrawSwirlTunnel(37.3f);
  for (int r = 0; r < 240; ++r) {
    for (int j = 0; j < 106; ++j) ASSERT_EQ(At(214 + j, r), At(108 + (105 - j), 239 - r));
    for (int x = 0; x < 108; ++x) ASSERT_EQ(At(x, r), 0x00ABCDEFu);
  }
}

}  // namespace
