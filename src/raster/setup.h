// setup.h - triangle set-up: culling, edge order, interpolant gradients, filter.
//
//   RasterTriangle tri;
//   if (RasterSetupTriangle(a, b, c, texture, tri)) RasterDrawTriangle(tri, target, texture);
//
// Culling: a triangle whose screen winding (y down) is counter-clockwise, or whose snapped
// area is zero, is not drawn. The filter is chosen per triangle from the texel-to-pixel
// ratio: bilinear when the texture is minified, nearest when it is magnified.
#pragma once
#include <cstdint>
#include <vector>

#include "raster/vertex.h"

// A registered texture: 0x00RRGGBB texels, `pitch` = width + 1 to a row: the extra texel
// repeats the row's first, so that a texel and its right neighbour (wrapping) always lie
// side by side in memory and bilinear filtering fetches them as one pair.
struct RasterTexture {
  int width = 0, height = 0, pitch = 0;
  bool powerOfTwo = false;
  uint32_t widthMask = 0, heightMask = 0;
  // Largest coordinate kept after the per-triangle shift, so texel addresses in 24.8 fixed
  // point stay inside 32 bits.
  float uLimit = 0.0f, vLimit = 0.0f;
  std::vector<uint32_t> texels;
};

// Largest accepted texture side.
constexpr int kRasterMaxTextureSize = 4096;

// Copies the texels; false (texture left empty) for a bad size or null pixels.
bool RasterMakeTexture(int width, int height, const uint32_t* pixels, RasterTexture& texture);

enum class RasterFilter { None, Nearest, Bilinear };

struct RasterTriangle {
  ScreenVertex v[3];      // sorted by y, top first
  bool longEdgeOnLeft;    // the edge v[0] -> v[2] bounds the spans on the left
  float originX, originY; // v[0] in pixels; the gradients are taken from here
  float base[kInterpolantCount];
  float ddx[kInterpolantCount];
  float ddy[kInterpolantCount];
  RasterFilter filter;
  bool opaque;            // every vertex alpha is 255: no blending needed
  bool specular;          // some vertex has a specular colour
};

// Whether the triangle winds clockwise on screen (y down) with a non-zero area: the only
// triangles drawn.
bool RasterFacesViewer(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);

// False when the triangle is culled (counter-clockwise or zero area).
bool RasterSetupTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                         const RasterTexture* texture, RasterTriangle& out);
