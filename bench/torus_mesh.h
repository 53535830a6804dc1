// torus_mesh.h - the device benchmarks' mesh: a lit, textured, half-transparent torus of 25 x 40
// quads (2,000 triangles) in front of the camera, its texture and its camera, so that the
// software device and other renderers draw exactly the same thing.
#pragma once
#include <cstdint>
#include <vector>

#include "base/maths.h"
#include "raster/device3d.h"

// Triangle list (6,000 vertices): vertex colours shaded from a fixed light, alpha 128, a dark
// specular, texture coordinates tiling 6 x 5 times around.
std::vector<LitVertex> MakeTorusMesh();

// 256 x 256 texels, 0x00RRGGBB.
std::vector<uint32_t> MakeTorusTexture();

// View (looking down +z from the origin) and projection (near 10, far 500, field of view 1).
Matrix4x4 TorusView();
Matrix4x4 TorusProjection();
