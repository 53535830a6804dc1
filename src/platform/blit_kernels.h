// blit_kernels.h - the 32-bit row loops of BlitSurface, one struct of them per vector width
// (see cpu_features.h for how a width is chosen). The plain loops live in surface.cpp, the
// 128-bit ones in blit_kernels_128.cpp, the 256-bit ones in blit_kernels_256.cpp; every width
// writes the same bytes. Only surface.cpp calls them.
#pragma once
#include <cstdint>

#include "platform/cpu_features.h"

struct BlitKernels {
  // count 32-bit pixels, colour bits only: the destination's top bytes become 0.
  void (*copyRow32)(uint8_t* dst, const uint8_t* src, int count);
  // The same, leaving the destination pixel where the source's colour bits equal `key`.
  void (*keyRow32)(uint8_t* dst, const uint8_t* src, int count, uint32_t key);
  // stretched[i] = the raw 32-bit source pixel at column columns[i].
  void (*stretchRow32)(uint32_t* stretched, const uint8_t* src, const int32_t* columns, int count);
};

// The widest loops the usable width allows.
const BlitKernels& UsableBlitKernels();

// Defined in blit_kernels_128.cpp and blit_kernels_256.cpp, where the build has those loops.
extern const BlitKernels baselineBlitKernels, wideBlitKernels;

// The plain loops, also the tails of the vector loops.
void CopyRow32Plain(uint8_t* dst, const uint8_t* src, int count);
void KeyRow32Plain(uint8_t* dst, const uint8_t* src, int count, uint32_t key);
void StretchRow32Plain(uint32_t* stretched, const uint8_t* src, const int32_t* columns, int count);
