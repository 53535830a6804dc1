// plasma.cpp - textures warped by sums of sine waves. A first pass stores every pixel's
// texture coordinates (and shade) in PlasmaBuffer, a second samples the textures. All
// coordinate arithmetic is 8-bit and wraps, so the textures tile. The vector versions of the
// loops marked Plain are in kernels_128.cpp and kernels_256.cpp.
#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"

uint32_t PlasmaBuffer[SCREEN_PIXELS];

namespace {

// The sine wave as an 8-bit value that wraps (-47 reads as 209); negative k wraps too.
inline uint32_t SineByte(int32_t k) { return static_cast<uint8_t>(SineTable[k & 1023]); }

inline uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

int32_t PlasmaStep(float t) { return static_cast<int32_t>(static_cast<double>(t) * 10.0); }

}  // namespace

void PlasmaBlendRowPlain(uint32_t* out, const uint32_t* columnV, const uint32_t* columnU, int32_t y,
                         uint32_t rowTerm) {
  for (int x = 0; x < SCREEN_WIDTH; ++x) {
    const uint32_t v = (columnV[x] + static_cast<uint32_t>(y)) & 0xFF;
    const uint32_t u = (columnU[x] + rowTerm) & 0xFF;
    out[x] = v << 8 | u;
  }
}

// Texture2 follows the same plasma turned by 180 degrees: pixel k reads Texture1 at entry k
// and Texture2 at the mirrored entry.
void PlasmaBlendPixelsPlain() {
  for (int k = 0; k < SCREEN_PIXELS; ++k) {
    const uint32_t p = PlasmaBuffer[k] & 0xFFFF;
    const uint32_t q = PlasmaBuffer[SCREEN_PIXELS - 1 - k] & 0xFFFF;
    FrameBuffer[k] = Half(Texture1[p]) + Half(Texture2[q]);
  }
}

void DrawPlasmaBlend(float t) {
  const int32_t n = PlasmaStep(t);
  // The column terms are the same on every row: compute them once per frame.
  alignas(32) uint32_t columnV[SCREEN_WIDTH];
  alignas(32) uint32_t columnU[SCREEN_WIDTH];
  for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
    columnV[x] = SineByte(2 * n + 2 * x) - SineByte(2 * x - 2 * n - 200);
    columnU[x] = SineByte(2 * x - 4 * n) + x;
  }
  const EffectKernels& kernels = UsableEffectKernels();
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
    kernels.plasmaBlendRow(PlasmaBuffer + y * SCREEN_WIDTH, columnV, columnU, y, SineByte(4 * y - 4 * n));
  kernels.plasmaBlendPixels();
}

// The darkness follows the same wave c that bends the coordinates: level = c + 128.
void PlasmaShadeRowPlain(const int32_t* wave, uint32_t rowV, uint32_t b, uint32_t* entries, uint32_t* out) {
  for (int x = 0; x < SCREEN_WIDTH; ++x) {
    const int32_t c = wave[x];                              // -50..50
    const uint32_t level = static_cast<uint32_t>(c + 128);  // 78..178
    const uint32_t v = (rowV + static_cast<uint32_t>(c)) & 0xFF;
    const uint32_t u = (b + static_cast<uint32_t>(x) + static_cast<uint32_t>(c)) & 0xFF;
    const uint32_t e = level << 16 | v << 8 | u;
    entries[x] = e;
    out[x] = DarkenPixel(Texture2[e & 0xFFFF], (e >> 16) & 0xFF);
  }
}

void DrawPlasmaShade(float t) {
  const int32_t n = PlasmaStep(t);
  const uint32_t a = SineByte(4 * n + 256);
  const uint32_t b = SineByte(4 * n);
  // Row y's wave is SineTable[(rowBase + 2x) & 1023]: from some start in steps of two. The
  // table split by parity and run on past its end makes every row one contiguous span.
  alignas(32) int32_t strided[2][512 + SCREEN_WIDTH];
  for (int parity = 0; parity < 2; ++parity)
    for (int j = 0; j < 512 + SCREEN_WIDTH; ++j) strided[parity][j] = SineTable[(2 * j + parity) & 1023];

  const EffectKernels& kernels = UsableEffectKernels();
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    const int32_t rowBase = SineTable[(4 * n + 4 * y) & 1023] + 2 * n;
    const int32_t start = rowBase & 1023;
    const int32_t* wave = strided[start & 1] + (start >> 1);
    kernels.plasmaShadeRow(wave, a + static_cast<uint32_t>(y), b, PlasmaBuffer + y * SCREEN_WIDTH,
                           FrameBuffer + y * SCREEN_WIDTH);
  }
}
