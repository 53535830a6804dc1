// The software 3D device on its own: a lit, textured, half-transparent 2,000-triangle mesh
// (torus_mesh.h), and 12,500 blended points per frame as the starfield draws them. Each frame clears the
// depth buffer (and the 24/32-bit target) first, as the display does after presenting.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/maths.h"
#include "platform/surface.h"
#include "raster/software_device.h"
#include "torus_mesh.h"

namespace {

void ClearFrame(Surface& surface, DepthBuffer& depth) {
  std::memset(surface.pixels.data(), 0, surface.pixels.size());
  std::fill(depth.depth.begin(), depth.depth.end(), 1.0f);
}

void BM_DeviceTexturedMesh(benchmark::State& state) {
  Surface surface(320, 240, static_cast<int>(state.range(0)));
  DepthBuffer depth(320, 240);
  SoftwareDevice device(&surface, &depth);
  const std::vector<uint32_t> texels = MakeTorusTexture();
  device.SetTextureHandle(device.CreateTexture(256, 256, texels.data()));
  device.SetTransform(TransformState::View, TorusView().m);
  device.SetTransform(TransformState::Projection, TorusProjection().m);
  const std::vector<LitVertex> mesh = MakeTorusMesh();
  for (auto _ : state) {
    ClearFrame(surface, depth);
    device.Begin(PrimitiveType::TriangleList);
    for (const LitVertex& v : mesh) device.Vertex(v);
    device.End();
    benchmark::DoNotOptimize(surface.pixels.data());
  }
  int covered = 0;
  for (float d : depth.depth) covered += d < 1.0f;
  state.counters["triangles"] = static_cast<double>(mesh.size() / 3);
  state.counters["pixels_covered"] = covered;
}
BENCHMARK(BM_DeviceTexturedMesh)->Arg(32)->Arg(24)->Unit(benchmark::kMicrosecond);

// 2,500 stars in a cube of side 1,000 around a turning camera, five points each.
void BM_DeviceStarPoints(benchmark::State& state) {
  Surface surface(320, 240, 32);
  DepthBuffer depth(320, 240);
  SoftwareDevice device(&surface, &depth);
  std::vector<float> stars;
  uint32_t seed = 1;
  for (int i = 0; i < 2500 * 3; ++i) {
    seed = seed * 214013u + 2531011u;
    stars.push_back(static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f * 1000.0f - 500.0f);
  }
  const Matrix4x4 projection = MakePerspective(10.0f, 500.0f, 1.5707964f);
  float t = 0;
  for (auto _ : state) {
    ClearFrame(surface, depth);
    t += 1.0f;
    const Vector3 target = SetVector(std::sin(t / 12), std::sin(t / 13.13f), std::cos(t / 14.164f));
    const Matrix4x4 view = MakeLookAt(SetVector(0, 0, 0), target, SetVector(0, 1, 0));
    device.SetTransform(TransformState::View, view.m);
    device.SetTransform(TransformState::Projection, projection.m);
    device.Begin(PrimitiveType::PointList);
    for (size_t i = 0; i < stars.size(); i += 3) {
      const float x = stars[i], y = stars[i + 1], z = stars[i + 2];
      const float b = std::sqrt(x * x + y * y + z * z) / 866.0f;
      const uint32_t alpha = static_cast<uint32_t>(std::fmin(255.0f, b * 255.0f)), half = alpha / 2;
      device.Vertex(LitVertex{x, y, z, 0, alpha << 24 | 0xFFFFFF, 0, 0, 0});
      device.Vertex(LitVertex{x + 0.5f, y, z, 0, half << 24 | 0xFFFFFF, 0, 0, 0});
      device.Vertex(LitVertex{x - 0.5f, y, z, 0, half << 24 | 0xFFFFFF, 0, 0, 0});
      device.Vertex(LitVertex{x, y + 0.5f, z, 0, half << 24 | 0xFFFFFF, 0, 0, 0});
      device.Vertex(LitVertex{x, y - 0.5f, z, 0, half << 24 | 0xFFFFFF, 0, 0, 0});
    }
    device.End();
    benchmark::DoNotOptimize(surface.pixels.data());
  }
  state.counters["points"] = 12500;
}
BENCHMARK(BM_DeviceStarPoints)->Unit(benchmark::kMicrosecond);

// The clear alone, to read the two above against.
void BM_DeviceClearOnly(benchmark::State& state) {
  Surface surface(320, 240, 32);
  DepthBuffer depth(320, 240);
  for (auto _ : state) {
    ClearFrame(surface, depth);
    benchmark::DoNotOptimize(surface.pixels.data());
  }
}
BENCHMARK(BM_DeviceClearOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
