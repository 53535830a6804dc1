// clip.h - clipping in homogeneous space.
//
//   uint32_t codes = RasterOutcode(v);                       // per vertex
//   if (a & b & c) -> wholly outside one plane: nothing to draw
//   if ((a | b | c) & kClipMustClip) n = RasterClipPolygon(in, 3, out);
//
// Triangles are clipped against the near (z = 0) and far (z = w) planes and against a guard
// band a few viewport widths out (so screen positions stay in fixed-point range); the
// viewport itself is a scissor in the span stage. The viewport bits only serve to reject
// triangles wholly outside it.
#pragma once
#include <cstdint>

#include "raster/vertex.h"

constexpr float kRasterGuardBand = 4.0f;  // in clip-volume half-widths

enum RasterClipCode : uint32_t {
  kClipNear = 1u << 0,    // z < 0
  kClipFar = 1u << 1,     // z > w
  kClipGuardLeft = 1u << 2,
  kClipGuardRight = 1u << 3,
  kClipGuardBottom = 1u << 4,
  kClipGuardTop = 1u << 5,
  kClipLeft = 1u << 6,    // x < -w
  kClipRight = 1u << 7,   // x > w
  kClipBottom = 1u << 8,  // y < -0.75 w
  kClipTop = 1u << 9,     // y > 0.75 w
  kClipMustClip = 0x3Fu,
};

// Which planes the vertex lies outside. A vertex with a coordinate that is not a number is
// outside every plane.
uint32_t RasterOutcode(const ClipVertex& v);

// A convex polygon of at most 3 + 6 vertices after clipping a triangle.
constexpr int kMaxClippedVertices = 9;

// Clips the convex polygon `in` (count vertices, at most 3) against the near, far and
// guard-band planes into `out` (room for kMaxClippedVertices); returns the vertex count,
// 0 when nothing is left. Intersections are computed from the inside vertex towards the
// outside one, so two triangles sharing an edge get the same new vertex.
int RasterClipPolygon(const ClipVertex* in, int count, ClipVertex* out);

// A triangle's three corners through the first stages at once, with the very numbers the
// one-vertex functions give: RasterTransformPosition into clip[i] (positions only) and
// RasterOutcode into code[i].
void RasterTransformCorners(const float m[16], const LitVertex* in, ClipVertex* clip, uint32_t code[3]);
// RasterProjectPosition for the three corners: false when any of them cannot be placed.
bool RasterProjectCorners(const ClipVertex* clip, const RasterViewport& viewport, ScreenVertex* out);
