#include "effects/tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned> progressCalls;
void RecordProgress(unsigned percentage) { progressCalls.push_back(percentage); }

class TablesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    progressCalls.clear();
    BuildLookupTables(RecordProgress);
  }
  static uint16_t Tunnel(int x, int y) { return TunnelTable[y * SCREEN_WIDTH + x]; }
  static uint8_t Shade(int x, int y) { return TunnelShadeTable[y * SCREEN_WIDTH + x]; }
};

TEST_F(TablesTest, ProgressIsShownBetweenTheSteps) {
  EXPECT_EQ(progressCalls, (std::vector<unsigned>{0, 2, 4, 8, 15}));
}

TEST_F(TablesTest, SineTruncatesTowardZero) {
  EXPECT_EQ(SineTable[0], 0);
  EXPECT_EQ(SineTable[64], 19);
  EXPECT_EQ(SineTable[128], 35);
  EXPECT_EQ(SineTable[256], 50);
  EXPECT_EQ(SineTable[512], 0);
  EXPECT_EQ(SineTable[768], -50);
  EXPECT_EQ(SineTable[1023], 0);  // a small negative sine truncates to 0
  EXPECT_EQ(SineTable[640], -35);
  for (int i = 0; i < 1024; ++i) ASSERT_TRUE(SineTable[i] >= -50 && SineTable[i] <= 50) << i;
}

TEST_F(TablesTest, SubtractSaturatesAndDarkenPixelUsesIt) {
  EXPECT_EQ(SubtractTable[200 * 256 + 55], 145);
  EXPECT_EQ(SubtractTable[55 * 256 + 200], 0);
  EXPECT_EQ(SubtractTable[255 * 256 + 0], 255);
  for (int j = 0; j < 256; ++j) ASSERT_EQ(SubtractTable[j * 256 + j], 0) << j;

  EXPECT_EQ(DarkenPixel(0xFF102030u, 0x20), 0x00000010u);
  EXPECT_EQ(DarkenPixel(0xFF102030u, 0), 0x00102030u);
  // Scaling toward black by a level: 255 keeps the pixel, 0 makes it black.
  EXPECT_EQ(DarkenPixel(0x00C08040u, 255 - 255), 0x00C08040u);
  EXPECT_EQ(DarkenPixel(0x00C08040u, 255 - 0), 0u);
  EXPECT_EQ(DarkenPixel(0x00C08040u, 255 - 128), 0x00410100u);
}

TEST_F(TablesTest, GlowSpriteWeights) {
  EXPECT_EQ(GlowSprite[8][8], 245760);
  EXPECT_EQ(GlowSprite[7][7], 128040);
  EXPECT_EQ(GlowSprite[8][0], 1779);
  EXPECT_EQ(GlowSprite[0][8], 1779);
  EXPECT_EQ(GlowSprite[0][0], 0);
  EXPECT_EQ(GlowSprite[15][15], 0);
  const int32_t row8[16] = {1779,   6621,   13021, 21855, 34784, 55310, 91793, 164181,
                            245760, 164181, 91793, 55310, 34784, 21855, 13021, 6621};
  for (int c = 0; c < 16; ++c) EXPECT_EQ(GlowSprite[8][c], row8[c]) << c;
  int nonZero = 0;
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) {
      ASSERT_GE(GlowSprite[r][c], 0);
      nonZero += GlowSprite[r][c] != 0;
      EXPECT_EQ(GlowSprite[r][c], GlowSprite[c][r]) << r << "," << c;  // symmetric in dx, dy
    }
  EXPECT_EQ(nonZero, 195);
}

TEST_F(TablesTest, TunnelDepthAndAngle) {
  EXPECT_EQ(Tunnel(160, 120), 126);
  EXPECT_EQ(Tunnel(0, 0), 4811);
  EXPECT_EQ(Tunnel(160, 0), 7806);
  EXPECT_EQ(Tunnel(159, 120), 30464);
  EXPECT_EQ(Tunnel(161, 120), 30718);
  EXPECT_EQ(Tunnel(160, 121), 30591);
  EXPECT_EQ(Tunnel(0, 120), 5888);
}

TEST_F(TablesTest, ShadeAndDistance) {
  EXPECT_EQ(Shade(160, 120), 255);
  EXPECT_EQ(Shade(161, 120), 253);
  EXPECT_EQ(Shade(160, 0), 75);
  EXPECT_EQ(Shade(100, 100), 160);
  EXPECT_EQ(Shade(0, 0), 0);
  EXPECT_EQ(Shade(319, 239), 0);

  EXPECT_EQ(DistanceTable[0], 200.0f);
  EXPECT_EQ(DistanceTable[119 * 160 + 159], 1.4142135f);
  EXPECT_EQ(DistanceTable[119 * 160 + 0], 160.00313f);  // single-precision rounding of sqrt(25601)
}

}  // namespace
