// glow.cpp - forty soft green light spots circling over the plasma. Their phases come from
// the runtime generator, reseeded every frame so each spot keeps its own for the segment. The
// vector versions of GlowStampPlain are in kernels_128.cpp and kernels_256.cpp.
#include <cmath>

#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"
#include "platform/rng.h"

namespace {

// What one stamp adds to each pixel under the sprite, per channel capped at 255 (adding a
// capped amount with saturation gives the same as adding the full amount and capping), and
// which pixels it touches at all: entries of weight 0 leave their pixel, top byte included.
struct GlowStamp {
  alignas(16) uint32_t add[16][16];
  alignas(16) uint32_t keep[16][16];  // 0x00FFFFFF where the stamp writes, else all ones
};

uint32_t CappedShare(int32_t g, int32_t weight) {
  const int32_t share = (g * weight) >> 16;
  return static_cast<uint32_t>(share > 255 ? 255 : share);
}

void PrepareStamp(GlowStamp* stamp, int32_t weightR, int32_t weightG, int32_t weightB) {
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const int32_t g = GlowSprite[r][c];
      stamp->add[r][c] = g == 0 ? 0
                                : CappedShare(g, weightR) << 16 | CappedShare(g, weightG) << 8 |
                                      CappedShare(g, weightB);
      stamp->keep[r][c] = g == 0 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    }
  }
}

inline uint32_t AddSaturated(uint32_t pixel, uint32_t add) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t sum = ((pixel >> shift) & 0xFF) + ((add >> shift) & 0xFF);
    out |= (sum > 255 ? 255 : sum) << shift;
  }
  return out;
}

void ApplyStamp(const EffectKernels& kernels, const GlowStamp& stamp, int32_t cx, int32_t cy) {
  if (cx >= 8 && cx <= SCREEN_WIDTH - 8 && cy >= 8 && cy <= SCREEN_HEIGHT - 8) {
    kernels.glowStamp(FrameBuffer + (cy - 8) * SCREEN_WIDTH + cx - 8, stamp.add, stamp.keep);
    return;
  }
  // Near or past the edge (never for the show's particles): only the pixels inside the frame.
  for (int r = 0; r < 16; ++r) {
    const int32_t y = cy - 8 + r;
    if (y < 0 || y >= SCREEN_HEIGHT) continue;
    for (int c = 0; c < 16; ++c) {
      const int32_t x = cx - 8 + c;
      if (x < 0 || x >= SCREEN_WIDTH || stamp.keep[r][c] == 0xFFFFFFFFu) continue;
      uint32_t& pixel = FrameBuffer[y * SCREEN_WIDTH + x];
      pixel = AddSaturated(pixel, stamp.add[r][c]);
    }
  }
}

}  // namespace

void GlowStampPlain(uint32_t* topLeft, const uint32_t (*add)[16], const uint32_t (*keep)[16]) {
  for (int r = 0; r < 16; ++r) {
    uint32_t* row = topLeft + r * SCREEN_WIDTH;
    for (int c = 0; c < 16; ++c)
      if (keep[r][c] != 0xFFFFFFFFu) row[c] = AddSaturated(row[c], add[r][c]);
  }
}

void StampGlow(int32_t cx, int32_t cy, int32_t weightR, int32_t weightG, int32_t weightB) {
  GlowStamp stamp;
  PrepareStamp(&stamp, weightR, weightG, weightB);
  ApplyStamp(UsableEffectKernels(), stamp, cx, cy);
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
  // Every particle has the same weights: prepare the stamp once.
  GlowStamp stamp;
  PrepareStamp(&stamp, 127, 255, 63);
  const EffectKernels& kernels = UsableEffectKernels();
  for (int i = 0; i < count; ++i) ApplyStamp(kernels, stamp, centres[i].x, centres[i].y);
}
