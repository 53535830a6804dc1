// texture_art.h - the procedural texture bitmaps the scene materials name. Every picture
// tiles in both directions (the renderer wraps mapping coordinates) and comes out the same
// on every run: noise is hashed from lattice points, never drawn from a runtime generator.
//
//   Image chrome = MakeReflectionMap(256, kChromeTones);
//   IndexedImage marble = MakeMarble(256);   // 8-bit: indices plus a colour table
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image.h"

struct IndexedImage {
  Image indices;                  // palette index in the low byte of each pixel
  std::vector<uint32_t> palette;  // 0x00RRGGBB
};

// Colours of a reflection map, top of the sky down to the floor.
struct ReflectionTones {
  uint32_t zenith, horizon, ground, floor;
};
extern const ReflectionTones kChromeTones;
extern const ReflectionTones kGoldTones;

// Environment map addressed by ((nx + 1) / 2, (ny + 1) / 2) of a unit normal, y up: normals
// that face up land in the lower rows, so the sky is painted there.
Image MakeReflectionMap(int size, const ReflectionTones& tones);
IndexedImage MakeMarble(int size);   // white stone with dark green veins
IndexedImage MakeTiles(int size);    // glazed ceramic tiles, 4 by 4
Image MakeBrushedMetal(int size);    // steel panels with rivets
Image MakeLava(int size);            // molten surface for a sun
Image MakeGasBands(int size);        // banded planet
Image MakeWood(int size);            // lacquered wood grain
Image MakeCircuit(int size);         // dark green board with copper traces

// Tileable fractal value noise in 0..1 at pixel (x, y) of a picture `size` wide, with the
// coarsest lattice of `cells` cells across; the same seed gives the same field.
float TileNoise(int x, int y, int size, int cells, int octaves, uint32_t seed);
