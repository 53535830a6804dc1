// glow.cpp - forty soft green light spots circling over the plasma. Their phases come from
// the runtime generator, reseeded every frame so each spot keeps its own for the segment.
#include <cmath>

#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "platform/rng.h"

namespace {

inline uint32_t AddSaturated(uint32_t channel, int32_t weight, int32_t g) {
  const uint32_t sum = channel + static_cast<uint32_t>((g * weight) >> 16);
  return sum > 255 ? 255 : sum;
}

}  // namespace

void StampGlow(int32_t cx, int32_t cy, int32_t weightR, int32_t weightG, int32_t weightB) {
  // The particles always lie well inside the frame, but a stamp must never write outside it.
  for (int32_t dy = -8; dy < 8; ++dy) {
    const int32_t y = cy + dy;
    if (y < 0 || y >= SCREEN_HEIGHT) continue;
    for (int32_t dx = -8; dx < 8; ++dx) {
      const int32_t x = cx + dx;
      if (x < 0 || x >= SCREEN_WIDTH) continue;
      const int32_t g = GlowSprite[dy + 8][dx + 8];
      if (g == 0) continue;
      uint32_t& pixel = FrameBuffer[y * SCREEN_WIDTH + x];
      const uint32_t r = AddSaturated((pixel >> 16) & 0xFF, weightR, g);
      const uint32_t gr = AddSaturated((pixel >> 8) & 0xFF, weightG, g);
      const uint32_t b = AddSaturated(pixel & 0xFF, weightB, g);
      pixel = r << 16 | gr << 8 | b;
    }
  }
}

int PlaceGlowParticles(float t, GlowCentre centres[GLOW_PARTICLE_COUNT]) {
  RuntimeSrand(0);
  const double p = static_cast<double>(t) * 0.2;
  int count = 0;
  float a = 0.0f;
  do {
    const int r1 = RuntimeRand();
    const int r2 = RuntimeRand();
    const int r3 = RuntimeRand();
    const double ad = a;
    const float sx = static_cast<float>(std::sin(r1 + ad + p) * 100.0);
    const float cy = static_cast<float>(
        std::cos(r2 + ad * static_cast<double>(0.7692308f) + p) * 100.0);
    const double g =
        std::sin(r3 + static_cast<double>(t) / (ad * static_cast<double>(0.8333333f) + 5.0)) *
            0.6666666666666666 +
        static_cast<double>(0.1f);
    if (count < GLOW_PARTICLE_COUNT) {
      centres[count] = GlowCentre{160 + static_cast<int32_t>(g * static_cast<double>(sx)),
                                  120 + static_cast<int32_t>(g * static_cast<double>(cy))};
    }
    ++count;
    a = a + 0.157f;
  } while (a < 6.28f);
  return count < GLOW_PARTICLE_COUNT ? count : GLOW_PARTICLE_COUNT;
}

void DrawGlowParticles(float t) {
  GlowCentre centres[GLOW_PARTICLE_COUNT];
  const int count = PlaceGlowParticles(t, centres);
  for (int i = 0; i < count; ++i) StampGlow(centres[i].x, centres[i].y, 127, 255, 63);
}
