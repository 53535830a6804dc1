// tables.h - the lookup tables built once at start-up, read-only afterwards, and DarkenPixel,
// the one way the effects darken a pixel.
//
//   BuildLookupTables(ShowLoadProgress);   // calls progress(0), (2), (4), (8), (15)
//   uint32_t dim = DarkenPixel(pixel, amount);       // every channel max(c - amount, 0)
//   uint32_t faded = DarkenPixel(pixel, 255 - v);    // brightness v: every channel loses the
//                                                    // same 255 - v (not a scale), 0 is black
#pragma once
#include <cstdint>

#include "base/screen.h"

extern int32_t SineTable[1024];            // trunc(sin(i * 2pi / 1024) * 50)
extern uint8_t SubtractTable[256 * 256];   // [j * 256 + k] = max(j - k, 0)
extern int32_t GlowSprite[16][16];         // fixed-point glow weights, centre [8][8]
extern uint16_t TunnelTable[SCREEN_PIXELS];      // high byte depth, low byte angle
extern float DistanceTable[160 * 120];           // distance to the centre, top-left quarter
extern uint8_t TunnelShadeTable[SCREEN_PIXELS];  // amount subtracted by the perspective tunnel

using ProgressFunction = void (*)(unsigned percentage);
void BuildLookupTables(ProgressFunction progress);

inline uint32_t DarkenPixel(uint32_t p, uint32_t k) {
  return static_cast<uint32_t>(SubtractTable[((p >> 16) & 0xFF) * 256 + k]) << 16 |
         static_cast<uint32_t>(SubtractTable[((p >> 8) & 0xFF) * 256 + k]) << 8 |
         SubtractTable[(p & 0xFF) * 256 + k];
}
