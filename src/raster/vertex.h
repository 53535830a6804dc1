// vertex.h - the first stages of the software rasterizer: transform and projection.
//
//   RasterMultiplyMatrices(view, projection, viewProjection);   // once per SetTransform
//   ClipVertex c = RasterTransformVertex(viewProjection, litVertex);
//   ... clip (clip.h) ...
//   ScreenVertex s;  RasterProjectVertex(c, RasterViewport{320, 240}, s);
//
// Clip space is Direct3D's: a vertex is visible when 0 <= z <= w and x, y lie inside the
// 4:3 clip volume (x/w in -1..1, y/w in -0.75..0.75).
#pragma once
#include <cstdint>

#include "raster/device3d.h"

// Attributes carried through clipping, linear in homogeneous space.
enum RasterAttribute {
  kAttrR, kAttrG, kAttrB, kAttrA,    // vertex colour, 0..255
  kAttrSR, kAttrSG, kAttrSB,         // specular colour, 0..255
  kAttrU, kAttrV,                    // texture coordinates
  kClipAttributeCount
};

struct ClipVertex {
  float x, y, z, w;
  float attr[kClipAttributeCount];
};

// Interpolants after projection. Depth and 1/w are affine in screen space, so are u/w and
// v/w; colours are interpolated affinely in screen space (Gouraud).
enum RasterInterpolant {
  kInterpZ, kInterpInvW, kInterpUW, kInterpVW,
  kInterpR, kInterpG, kInterpB, kInterpA,
  kInterpSR, kInterpSG, kInterpSB,
  kInterpPad,  // always 0: twelve interpolants set up three vectors of four at a time
  kInterpolantCount
};

// Screen positions are snapped to 1/16 pixel (4 bits of sub-pixel precision).
constexpr int kSubpixelBits = 4;
constexpr int kSubpixelOne = 1 << kSubpixelBits;

struct ScreenVertex {
  int32_t x, y;  // 1/16 pixel; pixel (i, j) has its centre at (16i + 8, 16j + 8)
  float value[kInterpolantCount];
};

struct RasterViewport {
  int width, height;
};

// result = first x second for row vectors (v x first x second), summed in order.
void RasterMultiplyMatrices(const float first[16], const float second[16], float result[16]);

// v' = (x, y, z, 1) x m, with the colours unpacked to 0..255 floats.
ClipVertex RasterTransformVertex(const float m[16], const LitVertex& vertex);
// The same in two halves: the position alone, then the attributes.
void RasterTransformPosition(const float m[16], const LitVertex& vertex, ClipVertex& out);
void RasterUnpackAttributes(const LitVertex& vertex, ClipVertex& out);

// Projects a clipped vertex onto the viewport. False when the vertex cannot be placed
// (w not positive, or a coordinate not finite or too far outside the guard band).
bool RasterProjectVertex(const ClipVertex& in, const RasterViewport& viewport, ScreenVertex& out);
// The same in two halves: the screen position (out.x, out.y) with the test, enough to cull a
// triangle, then the interpolants of a vertex whose position was placed.
bool RasterProjectPosition(const ClipVertex& in, const RasterViewport& viewport, ScreenVertex& out);
void RasterProjectAttributes(const ClipVertex& in, ScreenVertex& out);

// The wrap-u / wrap-v rule: within one triangle a coordinate goes the short way across
// whole numbers (0.9 -> 0.1 passes through 1.0). Vertices more than 0.5 below the largest
// value are moved up by one.
void RasterWrapCoordinates(float& a, float& b, float& c);
