#include "torus_mesh.h"

#include <cmath>

namespace {
constexpr float kPi = 3.14159265f;
}  // namespace

std::vector<LitVertex> MakeTorusMesh() {
  constexpr int kRings = 25, kSides = 40;
  std::vector<LitVertex> grid((kRings + 1) * (kSides + 1));
  for (int i = 0; i <= kRings; ++i)
    for (int j = 0; j <= kSides; ++j) {
      const float a = 2 * kPi * i / kRings, b = 2 * kPi * j / kSides;
      const float nx = std::cos(a) * std::cos(b), ny = std::sin(b), nz = std::sin(a) * std::cos(b);
      const float x = (60 + 25 * std::cos(b)) * std::cos(a), y = 25 * std::sin(b), z = (60 + 25 * std::cos(b)) * std::sin(a);
      const float light = std::fmax(0.2f, 0.3f * nx + 0.8f * ny - 0.5f * nz);
      const uint32_t level = static_cast<uint32_t>(std::fmin(1.0f, light) * 255.0f);
      LitVertex& v = grid[i * (kSides + 1) + j];
      // Turned to face the camera a little from above, pushed back along z.
      v = LitVertex{x, y * 0.8f + z * 0.6f, 200 - y * 0.6f + z * 0.8f, 0, 0x80000000u | level << 16 | level << 8 | 255u,
                    0xFF101010u, i * 0.25f, j * 0.125f};
    }
  std::vector<LitVertex> list;
  for (int i = 0; i < kRings; ++i)
    for (int j = 0; j < kSides; ++j) {
      const LitVertex& a = grid[i * (kSides + 1) + j];
      const LitVertex& b = grid[(i + 1) * (kSides + 1) + j];
      const LitVertex& c = grid[(i + 1) * (kSides + 1) + j + 1];
      const LitVertex& d = grid[i * (kSides + 1) + j + 1];
      for (const LitVertex* v : {&a, &b, &c, &a, &c, &d}) list.push_back(*v);
    }
  return list;
}

std::vector<uint32_t> MakeTorusTexture() {
  std::vector<uint32_t> texels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      texels[y * 256 + x] = static_cast<uint32_t>((x ^ y) & 0xFF) << 16 | static_cast<uint32_t>(x) << 8 | static_cast<uint32_t>(y);
  return texels;
}

Matrix4x4 TorusView() { return MakeLookAt(SetVector(0, 0, 0), SetVector(0, 0, 1), SetVector(0, 1, 0)); }

Matrix4x4 TorusProjection() { return MakePerspective(10.0f, 500.0f, 1.0f); }
