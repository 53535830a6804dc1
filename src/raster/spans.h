// spans.h - the last stage: walking a set-up triangle's edges and filling spans,
// and single points.
//
//   RasterTarget target;  if (RasterMakeTarget(surface, depth, target)) ...
//   RasterDrawTriangle(tri, target, texture);  RasterDrawPoint(vertex, target, texture);
//
// Coverage follows the top-left rule on pixel centres: a centre exactly on a left or top
// edge belongs to the triangle, on a right or bottom edge it does not, so triangles sharing
// an edge cover each pixel once. Every pixel is depth-tested (less or equal) and written,
// then shaded (texel x colour, plus specular, saturating) and blended with the interpolated
// vertex alpha: result = source x a + destination x (1 - a).
#pragma once
#include <cstdint>

#include "raster/setup.h"

class Surface;
class DepthBuffer;

struct RasterTarget {
  uint8_t* pixels = nullptr;
  int pitch = 0;
  int bytesPerPixel = 0;  // 3 or 4
  int width = 0, height = 0;
  float* depth = nullptr; // width x height, or null: no depth test
};

// False when the surface cannot be drawn into (no pixels, unknown depth, short storage).
// A depth buffer of another size is not used.
bool RasterMakeTarget(Surface* surface, DepthBuffer* depth, RasterTarget& target);

// Spans are shaded by the widest loops the usable vector width allows, or by `kernels`
// (span_kernels.h) when given; every set writes the same pixels.
struct SpanKernels;
void RasterDrawTriangle(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture);
void RasterDrawTriangle(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture,
                        const SpanKernels& kernels);

// One pixel at the vertex's projected position (the pixel whose square holds it); nothing
// when that lies outside the target.
void RasterDrawPoint(const ScreenVertex& vertex, const RasterTarget& target, const RasterTexture* texture);
