// The tunnels and plasmas against their formulas written out pixel by pixel, over whole frames
// at times that move every wrap point: the drawing code takes shortcuts (paired texels, shared
// cosines, vector rows) that must not change a single value.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "platform/cpu_features.h"
#include "support/vector_widths.h"

namespace {


uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }
uint32_t S(int32_t k) { return static_cast<uint8_t>(SineTable[k & 1023]); }

class EffectFormulas : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
  void SetUp() override {
    // Stray top bytes included: the effects must drop them where the formulas do.
    for (int i = 0; i < TEXTURE_PIXELS; ++i) {
      Texture1[i] = (static_cast<uint32_t>(i) * 2654435761u) ^ 0x5A000000u;
      Texture2[i] = static_cast<uint32_t>(i) * 40503u + 0x12345u;
      Texture4[i] = static_cast<uint32_t>(i) * 69069u + 1u;
    }
  }
};

TEST_F(EffectFormulas, PerspectiveTunnelWholeFrames) {
  // Offsets 0, 511, one past half the texture and one just short of wrapping all the way.
  for (const VectorWidth width : Widths())
  for (const float t : {0.0f, 0.2f, 13.7f, 64.2f, 95.9f}) {
    const WidthCap cap(width);
    DrawPerspectiveTunnel(t);
    const uint16_t d = static_cast<uint16_t>(511 * static_cast<int32_t>(static_cast<double>(t) * 5.0));
    for (int i = 0; i < SCREEN_PIXELS; ++i) {
      const uint32_t shade = TunnelShadeTable[i];
      const uint32_t a = DarkenPixel(Texture1[static_cast<uint16_t>(TunnelTable[i] + d)], shade);
      const uint32_t b = DarkenPixel(Texture2[static_cast<uint16_t>(TunnelTable[i] - d)], shade);
      ASSERT_EQ(FrameBuffer[i], Half(a) + Half(b)) << "t = " << t << ", i = " << i;
    }
  }
}

TEST_F(EffectFormulas, PlasmasWholeFrames) {
  for (const VectorWidth width : Widths())
  for (const float t : {0.0f, 0.35f, 1.0f, 13.7f, 95.95f, 191.9f}) {
    const WidthCap cap(width);
    const int32_t n = static_cast<int32_t>(static_cast<double>(t) * 10.0);

    DrawPlasmaBlend(t);
    std::vector<uint32_t> entries(SCREEN_PIXELS);
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        const uint32_t v = (S(2 * n + 2 * x) - S(2 * x - 2 * n - 200) + y) & 0xFF;
        const uint32_t u = (S(2 * x - 4 * n) + S(4 * y - 4 * n) + x) & 0xFF;
        entries[y * SCREEN_WIDTH + x] = v * 256 + u;
      }
    for (int k = 0; k < SCREEN_PIXELS; ++k) {
      ASSERT_EQ(PlasmaBuffer[k], entries[k]) << "blend t = " << t << ", k = " << k;
      ASSERT_EQ(FrameBuffer[k], Half(Texture1[entries[k]]) + Half(Texture2[entries[SCREEN_PIXELS - 1 - k]]))
          << "blend t = " << t << ", k = " << k;
    }

    DrawPlasmaShade(t);
    const uint32_t a = S(4 * n + 256), b = S(4 * n);
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        const int32_t rowBase = SineTable[(4 * n + 4 * y) & 1023] + 2 * n;
        const int32_t c = static_cast<int8_t>(S(rowBase + 2 * x));
        const uint32_t level = static_cast<uint32_t>(c + 128);
        const uint32_t v = (a + y + c) & 0xFF, u = (b + x + c) & 0xFF;
        const uint32_t e = level * 65536 + v * 256 + u;
        const int k = y * SCREEN_WIDTH + x;
        ASSERT_EQ(PlasmaBuffer[k], e) << "shade t = " << t << ", k = " << k;
        ASSERT_EQ(FrameBuffer[k], DarkenPixel(Texture2[e & 0xFFFF], level)) << "shade t = " << t << ", k = " << k;
      }
  }
}

// One entry as the formula has it: its own cosine and its own quotient.
uint16_t SwirlEntry(float t, int y, int j) {
  const double c = static_cast<double>(t) * 0.16666666666666666;
  const double w = std::cos(static_cast<double>(t) * static_cast<double>(0.083333336f) * 6.283185307179586);
  const int x = 54 + j;
  const float h = y < 120    ? DistanceTable[y * 160 + x]
                  : y > 120 ? DistanceTable[(240 - y) * 160 + x]
                            : static_cast<float>(160 - x);
  const double e = static_cast<double>(y) - 120.00000001;
  const double q = w * std::cos(static_cast<double>(h) * 0.06365372374283895 - c) + static_cast<double>(x - 160) / e;
  const uint32_t angle = static_cast<uint8_t>(static_cast<int32_t>(std::atan(q) * 81.48733085));
  const uint32_t radius = static_cast<uint8_t>(static_cast<int32_t>(h));
  return static_cast<uint16_t>(radius * 256 + angle);
}

TEST_F(EffectFormulas, SwirlTableEveryEntry) {
  for (const VectorWidth width : Widths())
  for (const float t : {0.0f, 6.0f, 37.3f, 95.9f}) {
    const WidthCap cap(width);
    DrawSwirlTunnel(t);
    for (int y = 0; y < 240; ++y)
      for (int j = 0; j < 106; ++j) ASSERT_EQ(SwirlTable[y][j], SwirlEntry(t, y, j)) << t << ": " << y << ", " << j;
  }
  // Entries at the same distance share work; an entry whose distance differs from its
  // neighbours' (here one altered by hand) still gets its own cosine.
  const float saved = DistanceTable[30 * 160 + 100];
  DistanceTable[30 * 160 + 100] = 57.25f;
  DrawSwirlTunnel(11.0f);
  const uint16_t altered = SwirlTable[30][46], mirrored = SwirlTable[210][46];
  const uint16_t wantAltered = SwirlEntry(11.0f, 30, 46), wantMirrored = SwirlEntry(11.0f, 210, 46);
  // (70, 60) lies at the same unaltered distance, 60^2 + 90^2 = 90^2 + 60^2.
  const uint16_t partner = SwirlTable[60][16], wantPartner = SwirlEntry(11.0f, 60, 16);
  DistanceTable[30 * 160 + 100] = saved;
  EXPECT_EQ(altered, wantAltered);
  EXPECT_EQ(mirrored, wantMirrored);
  EXPECT_EQ(partner, wantPartner);
  EXPECT_EQ(altered >> 8, 57);
}

TEST_F(EffectFormulas, FadesWholeFrames) {
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    Pixel2[i] = static_cast<uint32_t>(i) * 2654435761u;  // stray top bytes too
    Pixel3[i] = static_cast<uint32_t>(i) * 40503u + 0xFF000000u;
    Lastpic[i] = static_cast<uint32_t>(i) * 69069u;
  }
  for (const VectorWidth width : Widths()) {
    const WidthCap cap(width);
    CrossFadePixelPictures(72.0f);  // b = 127
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 0; x < SCREEN_WIDTH; ++x) {
        const int i = y * SCREEN_WIDTH + x;
        const uint32_t want = (x < 165 ? DarkenPixel(Pixel2[i], 127) : 0) + (x >= 145 ? DarkenPixel(Pixel3[i], 128) : 0);
        ASSERT_EQ(FrameBuffer[i], want) << static_cast<int>(width) << ": " << x << ", " << y;
      }
    FadeOutLastPicture(60.0f);  // c = 127
    for (int i = 0; i < SCREEN_PIXELS; ++i)
      ASSERT_EQ(FrameBuffer[i], DarkenPixel(Lastpic[i], 127)) << static_cast<int>(width) << ": " << i;
  }
}

}  // namespace
