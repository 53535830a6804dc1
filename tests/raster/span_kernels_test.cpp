// The span loops at every vector width against the plain loop: whole scenes of random
// triangles (every texture mode, blending, specular, 24 and 32 bits, power-of-two and odd
// texture sizes, spans of every length, with and without a depth buffer) must leave the very
// same bytes and depths. The vector loops take shortcuts (a span's ends worked out side by
// side, masked tails, gathered texels) that must not move one value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/cpu_features.h"
#include "platform/surface.h"
#include "raster/span_kernels.h"
#include "raster/software_device.h"
#include "support/every_width.h"

namespace {

struct Picture {
  std::vector<uint8_t> pixels;
  std::vector<float> depth;
};

struct Scene {
  int bits = 32;
  bool depthBuffer = true;
  int textureWidth = 256, textureHeight = 256;
  uint32_t seed = 1;
};

// Triangles of every size from sub-pixel slivers to the whole screen, through a perspective
// camera, some crossing the near plane and the screen's edges, over a textured background.
Picture Draw(const Scene& scene, VectorWidth width) {
  const VectorWidth saved = vectorWidthCap;
  vectorWidthCap = width;
  Surface surface(320, 240, scene.bits);
  DepthBuffer depth(320, 240);
  for (size_t i = 0; i < surface.pixels.size(); ++i) surface.pixels[i] = static_cast<uint8_t>(i * 7 + i / 960);
  SoftwareDevice device(&surface, scene.depthBuffer ? &depth : nullptr);
  std::mt19937 random(scene.seed);
  std::vector<uint32_t> texels(static_cast<size_t>(scene.textureWidth) * static_cast<size_t>(scene.textureHeight));
  for (uint32_t& t : texels) t = random();
  const uint32_t texture = device.CreateTexture(scene.textureWidth, scene.textureHeight, texels.data());
  // Direct3D-style perspective: near 1, far 100.
  const float q = 0.6f / 0.99f;
  const float projection[16] = {0.8f, 0, 0, 0, 0, 0.8f, 0, 0, 0, 0, q, 0.6f, 0, 0, -q, 0};
  device.SetTransform(TransformState::Projection, projection);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<uint32_t> byte(0, 255);
  for (int batch = 0; batch < 24; ++batch) {
    device.SetTextureHandle(batch % 6 == 5 ? 0 : texture);
    const float sizes[4] = {0.05f, 0.3f, 3.0f, 30.0f};
    const float size = sizes[batch % 4];
    const float uvScale = batch % 2 ? 0.05f : 4.0f;  // magnified and minified
    const bool opaque = batch % 5 == 1, shiny = batch % 4 != 0;
    device.Begin(PrimitiveType::TriangleList);
    for (int i = 0; i < 120; ++i) {
      const float cz = 0.5f + unit(random) * 30;
      const float cx = (unit(random) * 2 - 1) * cz * 0.8f, cy = (unit(random) * 2 - 1) * cz * 0.6f;
      for (int k = 0; k < 3; ++k) {
        const uint32_t alpha = opaque ? 255 : byte(random);
        const uint32_t colour = alpha << 24 | byte(random) << 16 | byte(random) << 8 | byte(random);
        const uint32_t specular = shiny ? 0xFF000000u | byte(random) << 16 | byte(random) << 8 | byte(random) : 0;
        device.Vertex(LitVertex{cx + (unit(random) - 0.5f) * size * cz, cy + (unit(random) - 0.5f) * size * cz,
                                cz + (unit(random) - 0.5f) * size * 2, 0, colour, specular, unit(random) * uvScale,
                                unit(random) * uvScale});
      }
    }
    device.End();
  }
  vectorWidthCap = saved;
  return Picture{surface.pixels, depth.depth};
}

}  // namespace

TEST(SpanKernels, EveryWidthDrawsThePlainLoopsPixels) {
  const std::vector<Scene> scenes = {
      {32, true, 256, 256, 1}, {32, true, 64, 32, 2},  {24, true, 256, 256, 3},
      {24, true, 5, 7, 4},     {32, false, 128, 128, 5}, {32, true, 3, 300, 6},
  };
  for (const Scene& scene : scenes) {
    const Picture plain = Draw(scene, VectorWidth::Scalar);
    int drawn = 0;
    for (float d : plain.depth) drawn += d < 1.0f;
    if (scene.depthBuffer) {
      EXPECT_GT(drawn, 20000) << "seed " << scene.seed;
    }
    for (const VectorWidth width : EveryVectorWidth()) {
      if (width == VectorWidth::Scalar) continue;
      const Picture wide = Draw(scene, width);
      size_t differentBytes = 0, differentDepths = 0;
      for (size_t i = 0; i < plain.pixels.size(); ++i) differentBytes += plain.pixels[i] != wide.pixels[i];
      for (size_t i = 0; i < plain.depth.size(); ++i) differentDepths += plain.depth[i] != wide.depth[i];
      EXPECT_EQ(differentBytes, 0u) << "seed " << scene.seed << ", width " << static_cast<int>(width);
      EXPECT_EQ(differentDepths, 0u) << "seed " << scene.seed << ", width " << static_cast<int>(width);
    }
  }
}

TEST(SpanKernels, WidthsAreChosenByTheCap) {
  const VectorWidth saved = vectorWidthCap;
  vectorWidthCap = VectorWidth::Scalar;
  EXPECT_EQ(&UsableSpanKernels(), &plainSpanKernels);
  vectorWidthCap = VectorWidth::Wide;
  if (DetectedVectorWidth() == VectorWidth::Scalar) EXPECT_EQ(&UsableSpanKernels(), &plainSpanKernels);
  else EXPECT_NE(&UsableSpanKernels(), &plainSpanKernels);
  vectorWidthCap = saved;
}
