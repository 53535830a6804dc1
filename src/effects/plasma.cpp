// plasma.cpp - textures warped by sums of sine waves. A first pass stores every pixel's
// texture coordinates (and shade) in PlasmaBuffer, a second samples the textures. All
// coordinate arithmetic is 8-bit and wraps, so the textures tile.
#include "effects/effects.h"
#include "effects/show_pictures.h"

uint32_t PlasmaBuffer[320 * 240];

namespace {

// The sine wave as an 8-bit value that wraps (-47 reads as 209); negative k wraps too.
inline uint32_t S(int32_t k) { return static_cast<uint8_t>(SineTable[k & 1023]); }

inline uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

int32_t PlasmaStep(float t) { return static_cast<int32_t>(static_cast<double>(t) * 10.0); }

}  // namespace

void DrawPlasmaBlend(float t) {
  const int32_t n = PlasmaStep(t);
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    const uint32_t rowTerm = S(4 * y - 4 * n);
    uint32_t* out = PlasmaBuffer + y * SCREEN_WIDTH;
    for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
      const uint32_t v = (S(2 * n + 2 * x) - S(2 * x - 2 * n - 200) + y) & 0xFF;
      const uint32_t u = (S(2 * x - 4 * n) + rowTerm + x) & 0xFF;
      out[x] = v << 8 | u;
    }
  }
  // Texture2 follows the same plasma turned by 180 degrees.
  for (int k = 0; k < SCREEN_PIXELS; ++k) {
    const uint32_t p = PlasmaBuffer[k] & 0xFFFF;
    const uint32_t q = PlasmaBuffer[SCREEN_PIXELS - 1 - k] & 0xFFFF;
    FrameBuffer[k] = Half(Texture1[p]) + Half(Texture2[q]);
  }
}

void DrawPlasmaShade(float t) {
  const int32_t n = PlasmaStep(t);
  const uint32_t a = S(4 * n + 256);
  const uint32_t b = S(4 * n);
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    const int32_t rowBase = SineTable[(4 * n + 4 * y) & 1023] + 2 * n;
    uint32_t* out = PlasmaBuffer + y * SCREEN_WIDTH;
    for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
      const int32_t c = SineTable[(rowBase + 2 * x) & 1023];  // -50..50
      const uint32_t level = static_cast<uint32_t>(c + 128);  // 78..178
      const uint32_t v = (a + y + c) & 0xFF;
      const uint32_t u = (b + x + c) & 0xFF;
      out[x] = level << 16 | v << 8 | u;
    }
  }
  // The darkness follows the same wave that bends the coordinates.
  for (int k = 0; k < SCREEN_PIXELS; ++k) {
    const uint32_t e = PlasmaBuffer[k];
    FrameBuffer[k] = DarkenPixel(Texture2[e & 0xFFFF], (e >> 16) & 0xFF);
  }
}
