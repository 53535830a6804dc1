// texel_pairs.h - two textures' texels side by side for one frame, so that an effect reading
// both at indices that come from the same entry makes one scattered read instead of two.
//
//   PairTexels(Texture1, d, Texture2, -d);   // TexelPairs[i]: Texture1[i + d], Texture2[i - d]
//   uint64_t both = TexelPairs[entry];        // first texel low, second texel high
#pragma once
#include <cstdint>

// Rebuilt by every effect that uses it, before it reads it; nothing carries between frames.
extern uint64_t TexelPairs[256 * 256];

// TexelPairs[i] = first[(i + firstShift) mod 65536] | second[(i + secondShift) mod 65536] << 32.
void PairTexels(const uint32_t* first, uint16_t firstShift, const uint32_t* second, uint16_t secondShift);
