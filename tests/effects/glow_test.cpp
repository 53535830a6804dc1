#include <gtest/gtest.h>

#include <algorithm>

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "platform/rng.h"
#include "support/every_width.h"

namespace {

class GlowParticles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
  void SetUp() override { std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u); }
};

uint32_t At(int x, int y) { return FrameBuffer[y * SCREEN_WIDTH + x]; }

// The stamps away from the edges, at every vector width.
class GlowStamps : public EveryWidth {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
  void SetUp() override {
    EveryWidth::SetUp();
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
  }
};

TEST_P(GlowStamps, StampAddsAndSaturatesPerChannel) {
  StampGlow(160, 120, 127, 255, 63);
  EXPECT_EQ(At(160, 120), 0x00FFFFECu);  // red 476 and green 956 saturate; blue 236
  EXPECT_EQ(At(152, 120), 0x00030601u);  // weight 1779 at dx = -8
  EXPECT_EQ(At(152, 112), 0u);           // corner of the sprite is empty
  EXPECT_EQ(At(168, 120), 0u);           // +8 is outside the sprite
  const long lit = std::count_if(std::begin(FrameBuffer), std::end(FrameBuffer),
                                 [](uint32_t p) { return p != 0; });
  EXPECT_EQ(lit, 195);

  StampGlow(160, 120, 127, 255, 63);
  EXPECT_EQ(At(160, 120), 0x00FFFFFFu);

  FrameBuffer[50 * 320 + 50] = 0xFF000000u;  // the stamp clears the top byte it touches
  StampGlow(50, 50, 0, 0, 0);
  EXPECT_EQ(At(50, 50), 0u);
}

TEST_P(GlowStamps, StampFollowsTheSpriteOverAnyBackground) {
  for (int i = 0; i < SCREEN_PIXELS; ++i) FrameBuffer[i] = (i * 2654435761u) & 0xFFFFFFFFu;
  uint32_t saved[16][16];
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) saved[r][c] = At(92 + c, 92 + r);
  StampGlow(100, 100, 200, 30, 255);
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const int32_t g = GlowSprite[r][c];
      const uint32_t p = saved[r][c];
      uint32_t expected = p;
      if (g != 0) {
        const auto channel = [&](int shift, int32_t weight) {
          const uint32_t sum = ((p >> shift) & 0xFF) + static_cast<uint32_t>((g * weight) >> 16);
          return std::min(sum, 255u) << shift;
        };
        expected = channel(16, 200) | channel(8, 30) | channel(0, 255);
      }
      ASSERT_EQ(At(92 + c, 92 + r), expected) << "r = " << r << ", c = " << c;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, GlowStamps, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

TEST_F(GlowParticles, StampNearTheEdgeStaysInsideTheFrame) {
  StampGlow(2, 3, 255, 255, 255);
  StampGlow(318, 238, 255, 255, 255);
  EXPECT_EQ(At(2, 3), 0x00FFFFFFu);
  EXPECT_EQ(At(318, 238), 0x00FFFFFFu);
  StampGlow(-100, 5000, 255, 255, 255);  // wholly outside: nothing at all
  const long lit = std::count_if(std::begin(FrameBuffer), std::end(FrameBuffer),
                                 [](uint32_t p) { return p != 0; });
  EXPECT_LT(lit, 2 * 195);
}

TEST_F(GlowParticles, ParticlesComeFromTheReseededGenerator) {
  GlowCentre first[GLOW_PARTICLE_COUNT];
  ASSERT_EQ(PlaceGlowParticles(0.0f, first), GLOW_PARTICLE_COUNT);
  EXPECT_EQ(first[0].x, 177);
  EXPECT_EQ(first[0].y, 61);
  for (const GlowCentre& c : first) {
    EXPECT_LE(std::abs(c.x - 160), 76);
    EXPECT_LE(std::abs(c.y - 120), 76);
  }

  // Whatever drew from the generator before, the same t gives the same particles.
  RuntimeSrand(12345);
  RuntimeRand();
  GlowCentre again[GLOW_PARTICLE_COUNT];
  PlaceGlowParticles(0.0f, again);
  for (int i = 0; i < GLOW_PARTICLE_COUNT; ++i) {
    EXPECT_EQ(again[i].x, first[i].x);
    EXPECT_EQ(again[i].y, first[i].y);
  }

  DrawGlowParticles(0.0f);
  EXPECT_EQ((At(177, 61) >> 8) & 0xFF, 255u);  // green saturates under every centre

  GlowCentre later[GLOW_PARTICLE_COUNT];
  PlaceGlowParticles(40.0f, later);
  EXPECT_FALSE(later[0].x == first[0].x && later[0].y == first[0].y);
}

}  // namespace
