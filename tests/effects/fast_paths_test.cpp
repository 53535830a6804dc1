// The tunnels, plasmas and fades against their formulas written out pixel by pixel, over whole
// frames at times that move every wrap point, at every vector width (the plain loops included):
// the drawing code takes shortcuts (paired texels, shared cosines, vector rows) that must not
// change a single value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"
#include "effects/swirl_angles.h"
#include "effects/texel_pairs.h"
#include "platform/cpu_features.h"
#include "support/every_width.h"

namespace {

uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }
uint32_t SineByte(int32_t k) { return static_cast<uint8_t>(SineTable[k & 1023]); }

class EffectFormulas : public EveryWidth {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
  void SetUp() override {
    EveryWidth::SetUp();
    // Stray top bytes included: the effects must drop them where the formulas do.
    for (int i = 0; i < TEXTURE_PIXELS; ++i) {
      Texture1[i] = (static_cast<uint32_t>(i) * 2654435761u) ^ 0x5A000000u;
      Texture2[i] = static_cast<uint32_t>(i) * 40503u + 0x12345u;
      Texture4[i] = static_cast<uint32_t>(i) * 69069u + 1u;
    }
  }
};

TEST_P(EffectFormulas, PerspectiveTunnelWholeFrames) {
  // Offsets 0, 511, one past half the texture and one just short of wrapping all the way.
  for (const float t : {0.0f, 0.2f, 13.7f, 64.2f, 95.9f}) {
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

TEST_P(EffectFormulas, PlasmasWholeFrames) {
  for (const float t : {0.0f, 0.35f, 1.0f, 13.7f, 95.95f, 191.9f}) {
    const int32_t n = static_cast<int32_t>(static_cast<double>(t) * 10.0);

    DrawPlasmaBlend(t);
    std::vector<uint32_t> entries(SCREEN_PIXELS);
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        const uint32_t v = (SineByte(2 * n + 2 * x) - SineByte(2 * x - 2 * n - 200) + y) & 0xFF;
        const uint32_t u = (SineByte(2 * x - 4 * n) + SineByte(4 * y - 4 * n) + x) & 0xFF;
        entries[y * SCREEN_WIDTH + x] = v * 256 + u;
      }
    for (int k = 0; k < SCREEN_PIXELS; ++k) {
      ASSERT_EQ(PlasmaBuffer[k], entries[k]) << "blend t = " << t << ", k = " << k;
      ASSERT_EQ(FrameBuffer[k], Half(Texture1[entries[k]]) + Half(Texture2[entries[SCREEN_PIXELS - 1 - k]]))
          << "blend t = " << t << ", k = " << k;
    }

    DrawPlasmaShade(t);
    const uint32_t a = SineByte(4 * n + 256), b = SineByte(4 * n);
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        const int32_t rowBase = SineTable[(4 * n + 4 * y) & 1023] + 2 * n;
        const int32_t c = static_cast<int8_t>(SineByte(rowBase + 2 * x));
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

TEST_P(EffectFormulas, SwirlTableEveryEntry) {
  for (const float t : {0.0f, 6.0f, 37.3f, 95.9f}) {
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

// The swirl's vector loops work its quotients out another way and take the angle only where no
// rounding could change it, so the frames of the whole segment are compared at every width: as
// the main loop times them from a millisecond clock (every 4th tick), and at random times.
TEST(SwirlFrames, TheWholeSegmentAtEveryWidth) {
  BuildLookupTables([](unsigned) {});
  std::vector<float> times;
  for (uint32_t ticks = 81000; ticks < 89000; ticks += 4) {
    const float position = static_cast<float>(ticks / 1000.0 * 1.2);
    if (position >= 98.0f && position < 106.0f) times.push_back(position * 12.0f - 1176.0f);
  }
  std::mt19937 random(106);
  std::uniform_real_distribution<float> anyTime(0.0f, 96.0f);
  for (int i = 0; i < 300; ++i) times.push_back(anyTime(random));
  ASSERT_GT(times.size(), 1900u);

  const VectorWidth saved = vectorWidthCap;
  static uint16_t want[240][106];
  for (const float t : times) {
    for (int y = 0; y < 240; ++y)
      for (int j = 0; j < 106; ++j) want[y][j] = SwirlEntry(t, y, j);
    for (const VectorWidth width : EveryVectorWidth()) {
      vectorWidthCap = width;
      DrawSwirlTunnel(t);
      for (int y = 0; y < 240; ++y)
        for (int j = 0; j < 106; ++j)
          if (SwirlTable[y][j] != want[y][j]) {
            vectorWidthCap = saved;
            FAIL() << VectorWidthLabel(width) << ", t = " << t << ": " << y << ", " << j << ": " << SwirlTable[y][j]
                   << " for " << want[y][j];
          }
    }
  }
  vectorWidthCap = saved;
}

// Where a quotient lies on an angle's step the vector loops cannot tell its angle from their own
// quotient and must fall back on the formula: a twist is chosen to put one entry on each of a
// few steps (and its mirror row, which shares the bend, next to it).
TEST_P(EffectFormulas, SwirlEntriesOnSteps) {
  const SwirlAngleSteps& steps = SwirlAngles();
  const double phase = 6.0;  // about this entry's own turn: its cosine near 1
  for (const int step : {100, 126, 127, 128, 150, 200}) {
    const int y = 37, j = 61;
    const double h = static_cast<double>(DistanceTable[y * 160 + SWIRL_FIRST_X + j]);
    const double slope = static_cast<double>(SWIRL_FIRST_X + j - 160) / (static_cast<double>(y) - 120.00000001);
    const double twist = (steps.first[step] - slope) / std::cos(h * 0.06365372374283895 - phase);
    ASSERT_LE(std::fabs(twist), 1.0) << step;
    UsableEffectKernels().swirlTable(phase, twist);
    for (int r = 0; r < 240; ++r)
      for (int c = 0; c < 106; ++c)
        ASSERT_EQ(SwirlTable[r][c], SwirlEntryPlain(r, c, phase, twist)) << step << ": " << r << ", " << c;
    // And the entry is on (or within a rounding of) the step.
    const double q = twist * std::cos(h * 0.06365372374283895 - phase) + slope;
    EXPECT_NEAR(q, steps.first[step], 1e-14) << step;
  }
}

TEST_P(EffectFormulas, FadesWholeFrames) {
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    Pixel2[i] = static_cast<uint32_t>(i) * 2654435761u;  // stray top bytes too
    Pixel3[i] = static_cast<uint32_t>(i) * 40503u + 0xFF000000u;
    Lastpic[i] = static_cast<uint32_t>(i) * 69069u;
    Bilde[i] = static_cast<uint32_t>(i) * 1103515245u;
  }
  CrossFadePixelPictures(72.0f);  // b = 127
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const int i = y * SCREEN_WIDTH + x;
      const uint32_t want = (x < 165 ? DarkenPixel(Pixel2[i], 127) : 0) + (x >= 145 ? DarkenPixel(Pixel3[i], 128) : 0);
      ASSERT_EQ(FrameBuffer[i], want) << x << ", " << y;
    }
  CrossFadePixelPictures(100.0f);  // b = 255: Pixel3 alone, darkened by 0
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const int i = y * SCREEN_WIDTH + x;
      ASSERT_EQ(FrameBuffer[i], x >= 145 ? DarkenPixel(Pixel3[i], 0) : 0) << x << ", " << y;
    }
  FadeOutLastPicture(60.0f);  // c = 127
  for (int i = 0; i < SCREEN_PIXELS; ++i) ASSERT_EQ(FrameBuffer[i], DarkenPixel(Lastpic[i], 127)) << i;

  // Bilde is added onto what the frame holds (the stars) in its 215 columns, and uploaded; the
  // frame is left black. A 24-bit back buffer and one whose rows are not on 4-byte boundaries
  // get the same colours.
  Surface back(SCREEN_WIDTH, SCREEN_HEIGHT, 32), packed(SCREEN_WIDTH, SCREEN_HEIGHT, 24, 1000),
      odd(SCREEN_WIDTH, SCREEN_HEIGHT, 32, 1282);
  for (Surface* surface : {&back, &packed, &odd}) {
    displayContext.backBuffer = surface;
    displayContext.backBufferBits = static_cast<uint32_t>(surface->bitsPerPixel);
    for (int i = 0; i < SCREEN_PIXELS; ++i) FrameBuffer[i] = static_cast<uint32_t>(i) * 40503u;
    FadeBildePicture(30.0f);  // v = 97
    displayContext.backBuffer = nullptr;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 0; x < SCREEN_WIDTH; ++x) {
        const int i = y * SCREEN_WIDTH + x;
        const uint32_t under = static_cast<uint32_t>(i) * 40503u;
        const uint32_t want = under + (x < 215 ? DarkenPixel(Bilde[i], 255 - 97) : 0);
        uint32_t got = surface->GetPixel(x, y);
        if (surface->bitsPerPixel == 32) std::memcpy(&got, surface->Row(y) + 4 * x, sizeof(got));  // top byte too
        ASSERT_EQ(got, surface->bitsPerPixel == 32 ? want : want & 0xFFFFFFu) << surface->pitch << ": " << x << ", " << y;
        ASSERT_EQ(FrameBuffer[i], 0u) << surface->pitch << ": " << x << ", " << y;
      }
  }
}

// Every run of the split at the wraps, for shifts at and around them.
TEST_P(EffectFormulas, TexelPairsFollowBothShifts) {
  for (const auto& [firstShift, secondShift] :
       {std::pair<uint16_t, uint16_t>{0, 0}, {511, 65025}, {65535, 1}, {32771, 32765}, {7, 7}}) {
    PairTexels(Texture1, firstShift, Texture2, secondShift);
    for (int i = 0; i < TEXTURE_PIXELS; ++i) {
      const uint64_t want = Texture1[static_cast<uint16_t>(i + firstShift)] |
                            static_cast<uint64_t>(Texture2[static_cast<uint16_t>(i + secondShift)]) << 32;
      ASSERT_EQ(TexelPairs[i], want) << firstShift << ", " << secondShift << ": " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, EffectFormulas, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

}  // namespace
