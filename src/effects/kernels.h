// kernels.h - the effects' inner loops, one struct of them per vector width (see
// platform/cpu_features.h for how a width is chosen). The plain loops are the effects' formulas
// and live beside them (tunnels.cpp, plasma.cpp, fades.cpp, glow.cpp, texel_pairs.cpp); the
// 128-bit loops are in kernels_128.cpp, the 256-bit ones in kernels_256.cpp. Every width writes
// the same values.
//
//   const EffectKernels& kernels = UsableEffectKernels();   // once per frame
//   kernels.perspectiveTunnel(d);
#pragma once
#include <cstdint>

#include "effects/tables.h"
#include "platform/cpu_features.h"

struct EffectKernels {
  // The perspective tunnel's frame, Texture1 read at entry + d and Texture2 at entry - d.
  void (*perspectiveTunnel)(uint16_t d);
  // The swirl's SwirlTable for one frame's phase and twist (the formula: SwirlEntryPlain).
  void (*swirlTable)(double phase, double twist);
  // The swirl's middle third from SwirlTable with Texture4 scrolled by `scroll`, and the right
  // third, its point mirror.
  void (*swirlPixels)(uint16_t scroll);
  // One row of the blended plasma's entries: v = columnV[x] + y and u = columnU[x] + rowTerm,
  // each 8 bits; out[x] = v << 8 | u.
  void (*plasmaBlendRow)(uint32_t* out, const uint32_t* columnV, const uint32_t* columnU, int32_t y,
                         uint32_t rowTerm);
  // The blended plasma's frame from PlasmaBuffer: Texture1 at entry k, Texture2 at the
  // mirrored entry, halved and added.
  void (*plasmaBlendPixels)();
  // One row of the shaded plasma: entries (level << 16 | v << 8 | u from the row's wave) and
  // pixels (Texture2 at the entry, darkened by the level).
  void (*plasmaShadeRow)(const int32_t* wave, uint32_t rowV, uint32_t b, uint32_t* entries, uint32_t* out);
  // DarkenPixels and AddDarkenedPixels (effects.h).
  void (*darken)(uint32_t* destination, const uint32_t* source, int count, uint32_t k);
  void (*addDarkened)(uint32_t* destination, const uint32_t* source, int count, uint32_t k);
  // One row handed from the frame to the screen and cleared behind: destination[x] = frame[x] +
  // DarkenPixel(picture[x], k) (a plain 32-bit addition) for x < covered, frame[x] beyond, up
  // to SCREEN_WIDTH; then the frame's row is 0.
  void (*handOverRow)(uint32_t* destination, uint32_t* frame, const uint32_t* picture, int covered, uint32_t k);
  // One run of PairTexels: out[i] = first[i] | second[i] << 32.
  void (*pairRun)(uint64_t* out, const uint32_t* first, const uint32_t* second, int count);
  // One glow stamp wholly inside the frame, its top-left pixel at `topLeft`: channels added with
  // saturation where keep is 0x00FFFFFF (top byte cleared), pixels left alone where it is all ones.
  void (*glowStamp)(uint32_t* topLeft, const uint32_t (*add)[16], const uint32_t (*keep)[16]);
};

// The widest loops the usable width allows.
const EffectKernels& UsableEffectKernels();

// Defined in kernels.cpp, kernels_128.cpp and kernels_256.cpp, where the build has those loops.
extern const EffectKernels plainEffectKernels, baselineEffectKernels, wideEffectKernels;

// The plain loops: the formulas, and the tails of the vector loops.
void PerspectiveTunnelPlain(uint16_t d);
void SwirlTablePlain(double phase, double twist);
// One entry of the swirl's SwirlTable, y = 0..239, j = 0..105, by the formula.
uint16_t SwirlEntryPlain(int y, int j, double phase, double twist);
void SwirlPixelsPlain(uint16_t scroll);
void PlasmaBlendRowPlain(uint32_t* out, const uint32_t* columnV, const uint32_t* columnU, int32_t y,
                         uint32_t rowTerm);
void PlasmaBlendPixelsPlain();
void PlasmaShadeRowPlain(const int32_t* wave, uint32_t rowV, uint32_t b, uint32_t* entries, uint32_t* out);
void DarkenPixelsPlain(uint32_t* destination, const uint32_t* source, int count, uint32_t k);
void AddDarkenedPixelsPlain(uint32_t* destination, const uint32_t* source, int count, uint32_t k);
void HandOverRowPlain(uint32_t* destination, uint32_t* frame, const uint32_t* picture, int covered, uint32_t k);
void PairRunPlain(uint64_t* out, const uint32_t* first, const uint32_t* second, int count);
void GlowStampPlain(uint32_t* topLeft, const uint32_t (*add)[16], const uint32_t (*keep)[16]);

// The swirl's columns: 106 from x = 54, the half left of the centre; the rows of its bend terms,
// 0..120, which rows 121..239 mirror.
constexpr int SWIRL_COLUMNS = 106;
constexpr int SWIRL_FIRST_X = 54;
constexpr int SWIRL_BEND_ROWS = 121;

// What the vector loops make the swirl's bend terms from: for every entry of the bend rows (and
// two columns of padding), the cosine and sine of a = h x 0.06365372374283895, h its distance,
// so that a frame's cos(a - phase) is cos a cos phase + sin a sin phase.
constexpr int SWIRL_PADDED_COLUMNS = 108;
struct SwirlTurnTable {
  alignas(32) float distance[SWIRL_BEND_ROWS][SWIRL_PADDED_COLUMNS];  // what they were made for
  alignas(32) double cosine[SWIRL_BEND_ROWS][SWIRL_PADDED_COLUMNS];
  alignas(32) double sine[SWIRL_BEND_ROWS][SWIRL_PADDED_COLUMNS];
};
// The table, remade first wherever an entry's distance is not the one it was made for (so
// everywhere on the first call).
const SwirlTurnTable& UpdatedSwirlTurns();

// The swirl's distance h for column 54 + j of quarter-table row 0..120.
inline float SwirlDistance(int tableRow, int j) {
  // The quarter table does not hold the centre row; there the distance is the column's.
  return tableRow == 120 ? static_cast<float>(160 - SWIRL_FIRST_X - j)
                         : DistanceTable[tableRow * 160 + SWIRL_FIRST_X + j];
}
