#include "raster/software_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/surface.h"
#include "support/every_width.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A vertex placed by screen position (pixels) under the identity transforms.
LitVertex At(float sx, float sy, float z = 0.5f, uint32_t color = kWhite, float tu = 0, float tv = 0,
             uint32_t specular = 0) {
  return LitVertex{sx / 160.0f - 1.0f, 0.75f - sy / 160.0f, z, 0, color, specular, tu, tv};
}

struct Rig {
  explicit Rig(int bits = 32, int pitch = 0) : surface(320, 240, bits, pitch), depth(320, 240), device(&surface, &depth) {}
  void Triangle(const LitVertex& a, const LitVertex& b, const LitVertex& c) {
    device.Begin(PrimitiveType::TriangleList);
    device.Vertex(a);
    device.Vertex(b);
    device.Vertex(c);
    device.End();
  }
  // Clockwise quad: top-left, top-right, bottom-right, bottom-left.
  void Quad(const LitVertex& a, const LitVertex& b, const LitVertex& c, const LitVertex& d) {
    Triangle(a, b, c);
    Triangle(a, c, d);
  }
  void Point(const LitVertex& v) {
    device.Begin(PrimitiveType::PointList);
    device.Vertex(v);
    device.End();
  }
  uint32_t Pixel(int x, int y) const { return surface.GetPixel(x, y); }
  Surface surface;
  DepthBuffer depth;
  SoftwareDevice device;
};

// Direct3D-style perspective: row vectors, w = z sin(h), z' = q (z - near).
std::vector<float> Perspective(float nearPlane, float farPlane, float fov) {
  const float c = std::cos(fov * 0.5f), s = std::sin(fov * 0.5f), q = s / (1.0f - nearPlane / farPlane);
  std::vector<float> m(16, 0.0f);
  m[0] = c;
  m[5] = c;
  m[10] = q;
  m[11] = s;
  m[14] = -q * nearPlane;
  return m;
}

// Every test runs at every vector width: the span loops of each width must keep every
// property.
class SoftwareDeviceTest : public EveryWidth {};
INSTANTIATE_TEST_SUITE_P(Widths, SoftwareDeviceTest, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

}  // namespace

TEST_P(SoftwareDeviceTest, SharedEdgesCoverEachPixelExactlyOnce) {
  // A jittered grid reaching past the screen, drawn half-transparent over black: a crack
  // leaves 0, a pixel blended twice reaches about 191.
  Rig rig;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> jitter(-9.0f, 9.0f);
  constexpr int kColumns = 11, kRows = 9;
  float gx[kRows + 1][kColumns + 1], gy[kRows + 1][kColumns + 1];
  for (int j = 0; j <= kRows; ++j)
    for (int i = 0; i <= kColumns; ++i) {
      const bool border = i == 0 || j == 0 || i == kColumns || j == kRows;
      gx[j][i] = -20.0f + i * 360.0f / kColumns + (border ? 0.0f : jitter(random));
      gy[j][i] = -20.0f + j * 280.0f / kRows + (border ? 0.0f : jitter(random));
    }
  const uint32_t half = 0x80FFFFFFu;
  for (int j = 0; j < kRows; ++j)
    for (int i = 0; i < kColumns; ++i)
      rig.Quad(At(gx[j][i], gy[j][i], 0.5f, half), At(gx[j][i + 1], gy[j][i + 1], 0.5f, half),
               At(gx[j + 1][i + 1], gy[j + 1][i + 1], 0.5f, half), At(gx[j + 1][i], gy[j + 1][i], 0.5f, half));
  int wrong = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) wrong += rig.Pixel(x, y) != 0x808080u;
  EXPECT_EQ(wrong, 0);

  // A fan of thin slivers around one vertex, and edges through pixel centres exactly.
  Rig fan;
  const float cx = 160.25f, cy = 120.5f;
  for (int k = 0; k < 37; ++k) {
    const float a0 = k * 6.2831853f / 37, a1 = (k + 1) * 6.2831853f / 37;
    fan.Triangle(At(cx, cy, 0.5f, half), At(cx + 100 * std::cos(a0), cy + 100 * std::sin(a0), 0.5f, half),
                 At(cx + 100 * std::cos(a1), cy + 100 * std::sin(a1), 0.5f, half));
  }
  fan.Quad(At(10.5f, 10.5f, 0.5f, half), At(20.5f, 10.5f, 0.5f, half), At(20.5f, 20.5f, 0.5f, half),
           At(10.5f, 20.5f, 0.5f, half));
  int covered = 0, doubled = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      const uint32_t p = fan.Pixel(x, y);
      covered += p == 0x808080u;
      doubled += p != 0 && p != 0x808080u;
    }
  EXPECT_EQ(doubled, 0);
  EXPECT_EQ(fan.Pixel(160, 120), 0x808080u);
  EXPECT_EQ(fan.Pixel(10, 10), 0x808080u);   // centres on the top and left edges are in
  EXPECT_EQ(fan.Pixel(20, 15), 0u);          // on the right edge, out
  EXPECT_EQ(fan.Pixel(15, 20), 0u);          // on the bottom edge, out
  EXPECT_GT(covered, 30000);
}

TEST_P(SoftwareDeviceTest, CullsCounterClockwiseTriangles) {
  Rig rig;
  rig.Triangle(At(10, 10), At(10, 100), At(100, 10));  // counter-clockwise on screen
  EXPECT_EQ(rig.Pixel(30, 30), 0u);
  rig.Triangle(At(10, 10), At(100, 10), At(10, 100));
  EXPECT_EQ(rig.Pixel(30, 30), 0xFFFFFFu);
}

TEST_P(SoftwareDeviceTest, DepthTestIsLessOrEqualWithWrites) {
  Rig rig;
  auto square = [&](float z, uint32_t color) {
    rig.Quad(At(0, 0, z, color), At(50, 0, z, color), At(50, 50, z, color), At(0, 50, z, color));
  };
  square(0.5f, 0xFFFF0000u);
  EXPECT_FLOAT_EQ(rig.depth.depth[20 * 320 + 20], 0.5f);
  square(0.5f, 0xFF00FF00u);  // same depth draws
  EXPECT_EQ(rig.Pixel(20, 20), 0x00FF00u);
  square(0.7f, 0xFF0000FFu);  // farther does not
  EXPECT_EQ(rig.Pixel(20, 20), 0x00FF00u);
  EXPECT_FLOAT_EQ(rig.depth.depth[20 * 320 + 20], 0.5f);
  square(0.25f, 0xFF0000FFu);
  EXPECT_EQ(rig.Pixel(20, 20), 0x0000FFu);
  EXPECT_FLOAT_EQ(rig.depth.depth[20 * 320 + 20], 0.25f);
  // A transparent pixel still writes depth.
  square(0.1f, 0x00FFFFFFu);
  EXPECT_EQ(rig.Pixel(20, 20), 0x0000FFu);
  EXPECT_FLOAT_EQ(rig.depth.depth[20 * 320 + 20], 0.1f);
}

TEST_P(SoftwareDeviceTest, ClipsAgainstNearAndFarPlanes) {
  // Rows padded with a marker: nothing may be written outside the 320 pixels of a row.
  Rig rig(32, 1300);
  for (int y = 0; y < 240; ++y)
    for (int i = 1280; i < 1300; ++i) rig.surface.pixels[static_cast<size_t>(y) * 1300 + i] = 0xAB;
  const std::vector<float> projection = Perspective(1.0f, 100.0f, 1.5707964f);
  rig.device.SetTransform(TransformState::Projection, projection.data());
  // From behind the camera (z = -50) to well in front (z = 10): a naive divide by w would
  // fold the part behind the eye onto the screen.
  auto v = [](float x, float y, float z) { return LitVertex{x, y, z, 0, kWhite, 0, 0, 0}; };
  rig.Triangle(v(-30, -2, 10), v(30, -2, 10), v(0, 5, -50));
  // What is visible lies on the triangle's plane in front of z = 1; check two rows by ray.
  int drawn = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) drawn += rig.Pixel(x, y) != 0;
  EXPECT_GT(drawn, 0);
  for (int y = 0; y < 240; ++y)
    for (int i = 1280; i < 1300; ++i) ASSERT_EQ(rig.surface.pixels[static_cast<size_t>(y) * 1300 + i], 0xAB);
  for (float d : rig.depth.depth) ASSERT_TRUE(d >= 0.0f && d <= 1.0f);
  // The plane y = -2 + 7 (10 - z) / 60 seen along the ray through a pixel centre.
  for (int x : {40, 160, 280}) {
    for (int y : {5, 119, 125, 200}) {
      const float px = (x + 0.5f) / 160.0f - 1.0f, py = 0.75f - (y + 0.5f) / 160.0f;  // x/z, y/z
      const float z = (-2.0f + 70.0f / 60.0f) / (py + 7.0f / 60.0f);
      const bool inside = z >= 1.0f && z <= 10.0f && std::fabs(px * z) <= 30.0f - 30.0f * (10.0f - z) / 60.0f;
      if (std::fabs(z - 1.0f) > 0.05f && std::fabs(z - 10.0f) > 0.05f) {
        EXPECT_EQ(rig.Pixel(x, y) != 0, inside) << x << "," << y << " z=" << z;
      }
    }
  }
  // Wholly behind the eye, or wholly beyond the far plane: nothing.
  Rig behind;
  behind.device.SetTransform(TransformState::Projection, projection.data());
  behind.Triangle(v(-30, -20, -10), v(30, -20, -10), v(0, 20, -10));
  behind.Triangle(v(-30, 20, -10), v(30, 20, -10), v(0, -20, -10));
  behind.Triangle(v(-300, -200, 150), v(0, 200, 150), v(300, -200, 150));
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) ASSERT_EQ(behind.Pixel(x, y), 0u);
}

TEST_P(SoftwareDeviceTest, TexturesArePerspectiveCorrect) {
  Rig rig;
  std::vector<uint32_t> ramp(256);
  for (uint32_t i = 0; i < 256; ++i) ramp[i] = i << 16;
  const uint32_t handle = rig.device.CreateTexture(256, 1, ramp.data());
  ASSERT_NE(handle, 0u);
  rig.device.SetTextureHandle(handle);
  const std::vector<float> projection = Perspective(1.0f, 100.0f, 1.5707964f);
  rig.device.SetTransform(TransformState::Projection, projection.data());
  // A wall from (x -4, z 4) on the left edge of the screen to (x 4, z 20); u from 0 to 0.5
  // (wrapping folds anything wider within one triangle).
  auto v = [](float x, float y, float z, float u) { return LitVertex{x, y, z, 0, kWhite, 0, u, 0}; };
  rig.Quad(v(-4, 3, 4, 0), v(4, 3, 20, 0.5f), v(4, -3, 20, 0.5f), v(-4, -3, 4, 0));
  for (int x : {20, 60, 96, 150, 185}) {
    const float sx = (x + 0.5f) / 160.0f - 1.0f;
    const float u = 0.5f * (4.0f + 4.0f * sx) / (8.0f - 16.0f * sx);  // where the ray meets the wall
    const float red = static_cast<float>(rig.Pixel(x, 120) >> 16);
    EXPECT_NEAR(red, u * 256.0f, 1.5f) << "x=" << x;
  }
  // Affine interpolation would give u = 0.25 in the middle of the span; the wall says 1/12.
  EXPECT_LT(rig.Pixel(96, 120) >> 16, 30u);
}

TEST_P(SoftwareDeviceTest, WrappedCoordinatesGoTheShortWay) {
  Rig rig;
  // Ten texels: white below 0.2 and from 0.8, black between.
  std::vector<uint32_t> texels = {0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF};
  rig.device.SetTextureHandle(rig.device.CreateTexture(10, 1, texels.data()));
  rig.Quad(At(50, 50, 0.5f, kWhite, 0.9f, 0), At(250, 50, 0.5f, kWhite, 0.1f, 0),
           At(250, 100, 0.5f, kWhite, 0.1f, 1), At(50, 100, 0.5f, kWhite, 0.9f, 1));
  int black = 0;
  for (int x = 50; x < 250; ++x) black += rig.Pixel(x, 75) != 0xFFFFFFu;
  EXPECT_EQ(black, 0);  // 0.9 -> 1.0 -> 1.1, never through 0.5

  // Whole-number coordinates beyond 1 tile.
  Rig tiled;
  const uint32_t two[2] = {0xFF0000, 0x0000FF};
  tiled.device.SetTextureHandle(tiled.device.CreateTexture(2, 1, two));
  tiled.Quad(At(0, 0, 0.5f, kWhite, 3.0f, 0), At(40, 0, 0.5f, kWhite, 3.4f, 0),
             At(40, 10, 0.5f, kWhite, 3.4f, 0), At(0, 10, 0.5f, kWhite, 3.0f, 0));
  EXPECT_EQ(tiled.Pixel(5, 5), 0xFF0000u);
}

TEST_P(SoftwareDeviceTest, ModulatesAddsSpecularAndBlends) {
  Rig rig;
  const uint32_t texel = 0xC86432;  // 200, 100, 50
  rig.device.SetTextureHandle(rig.device.CreateTexture(1, 1, &texel));
  auto quad = [&](int x, uint32_t color, uint32_t specular) {
    rig.Quad(At(x, 0, 0.5f, color, 0, 0, specular), At(x + 20, 0, 0.5f, color, 0, 0, specular),
             At(x + 20, 20, 0.5f, color, 0, 0, specular), At(x, 20, 0.5f, color, 0, 0, specular));
  };
  quad(0, 0xFF80FF00u, 0);
  EXPECT_EQ(rig.Pixel(10, 10), 0x646400u);  // 200 x 128/255, 100 x 1, 50 x 0
  quad(40, 0xFF80FF00u, 0xFF40FF10u);
  EXPECT_EQ(rig.Pixel(50, 10), 0xA4FF10u);  // + specular, green saturates
  rig.device.SetTextureHandle(0);
  quad(80, 0xFF102030u, 0xFFF0F0F0u);
  EXPECT_EQ(rig.Pixel(90, 10), 0xFFFFFFu);
  FillSurface(rig.surface, nullptr, 0x0000FF);
  quad(120, 0x40FF0000u, 0);  // a quarter of red over blue
  EXPECT_EQ(rig.Pixel(130, 10), 0x4000BFu);
}

TEST_P(SoftwareDeviceTest, FiltersMinifiedTexturesOnly) {
  // One-texel checks: magnified they stay sharp, minified eight times they average out.
  std::vector<uint32_t> checks(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) checks[y * 256 + x] = ((x + y) & 1) ? 0xFFFFFF : 0;
  Rig rig;
  rig.device.SetTextureHandle(rig.device.CreateTexture(256, 256, checks.data()));
  rig.Quad(At(0, 0, 0.5f, kWhite, 0, 0), At(160, 0, 0.5f, kWhite, 0.0625f, 0),
           At(160, 160, 0.5f, kWhite, 0.0625f, 0.0625f), At(0, 160, 0.5f, kWhite, 0, 0.0625f));
  rig.Quad(At(200, 0, 0.5f, kWhite, 0, 0), At(216, 0, 0.5f, kWhite, 0.5f, 0),
           At(216, 16, 0.5f, kWhite, 0.5f, 0.5f), At(200, 16, 0.5f, kWhite, 0, 0.5f));
  for (int y = 0; y < 160; y += 7)
    for (int x = 0; x < 160; x += 7) {
      const uint32_t p = rig.Pixel(x, y);
      ASSERT_TRUE(p == 0 || p == 0xFFFFFFu) << x << "," << y;
    }
  for (int y = 0; y < 16; ++y)
    for (int x = 200; x < 216; ++x) ASSERT_NEAR(static_cast<int>(rig.Pixel(x, y) & 0xFF), 128, 8);
}

TEST_P(SoftwareDeviceTest, PointsAreDepthTestedBlendedAndDroppedOutside) {
  Rig rig;
  rig.Point(At(10.5f, 20.5f, 0.5f, 0x80FFFFFFu));
  EXPECT_EQ(rig.Pixel(10, 20), 0x808080u);
  rig.Point(At(10.9f, 20.1f, 0.5f, 0x80FFFFFFu));  // same pixel, blended again
  EXPECT_EQ(rig.Pixel(10, 20), 0xC0C0C0u);
  EXPECT_EQ(rig.Pixel(11, 20), 0u);
  rig.Point(At(100, 100, 0.2f, 0xFFFF0000u));
  rig.Point(At(100, 100, 0.6f, 0xFF00FF00u));  // behind: hidden
  EXPECT_EQ(rig.Pixel(100, 100), 0xFF0000u);
  // Outside x, y, before the near plane or past the far plane: dropped.
  Rig outside;
  outside.Point(At(-0.5f, 10, 0.5f));
  outside.Point(At(320.5f, 10, 0.5f));
  outside.Point(At(10, 240.5f, 0.5f));
  outside.Point(At(10, 10, -0.01f));
  outside.Point(At(10, 10, 1.01f));
  for (uint8_t byte : outside.surface.pixels) ASSERT_EQ(byte, 0);
}

TEST_P(SoftwareDeviceTest, Writes24BitTargetsWithinEachRow) {
  Rig rig(24, 964);  // four spare bytes at the end of each row
  for (int y = 0; y < 240; ++y)
    for (int i = 960; i < 964; ++i) rig.surface.pixels[static_cast<size_t>(y) * 964 + i] = 0xAB;
  rig.Quad(At(-5, -5, 0.5f, 0xFF102030u), At(330, -5, 0.5f, 0xFF102030u), At(330, 250, 0.5f, 0xFF102030u),
           At(-5, 250, 0.5f, 0xFF102030u));
  rig.Point(At(319.5f, 239.5f, 0.1f, 0xFFFFFFFFu));
  for (int y = 0; y < 240; ++y) {
    const uint8_t* row = rig.surface.pixels.data() + static_cast<size_t>(y) * 964;
    for (int x = 0; x < 320; ++x) {
      if (x == 319 && y == 239) continue;
      ASSERT_EQ(row[3 * x], 0x30);
      ASSERT_EQ(row[3 * x + 1], 0x20);
      ASSERT_EQ(row[3 * x + 2], 0x10);
    }
    for (int i = 960; i < 964; ++i) ASSERT_EQ(row[i], 0xAB);
  }
  EXPECT_EQ(rig.Pixel(319, 239), 0xFFFFFFu);
}

TEST_P(SoftwareDeviceTest, TextureHandlesAndBadInput) {
  Rig rig;
  const uint32_t pixels[15] = {0x00FF00};
  EXPECT_EQ(rig.device.CreateTexture(0, 4, pixels), 0u);
  EXPECT_EQ(rig.device.CreateTexture(4, -1, pixels), 0u);
  EXPECT_EQ(rig.device.CreateTexture(4, 4, nullptr), 0u);
  EXPECT_EQ(rig.device.CreateTexture(100000, 1, pixels), 0u);
  const uint32_t a = rig.device.CreateTexture(3, 5, pixels);  // any size works
  const uint32_t b = rig.device.CreateTexture(1, 1, pixels + 1);
  EXPECT_GE(a, 1u);
  EXPECT_NE(a, b);
  rig.device.SetTextureHandle(a);
  // u 0.9 .. 1.4 over three texels: column 2, then column 3 wrapping to 0, then 1.
  rig.Quad(At(0, 0, 0.5f, kWhite, 0.9f, 0), At(30, 0, 0.5f, kWhite, 1.4f, 0), At(30, 30, 0.5f, kWhite, 1.4f, 0.1f),
           At(0, 30, 0.5f, kWhite, 0.9f, 0.1f));
  EXPECT_EQ(rig.Pixel(2, 2), 0u);
  EXPECT_EQ(rig.Pixel(15, 2), 0x00FF00u);
  EXPECT_EQ(rig.Pixel(29, 2), 0u);
  // A released or unknown handle draws untextured.
  rig.device.ReleaseTexture(a);
  rig.device.ReleaseTexture(999);
  rig.device.SetTextureHandle(a);
  rig.Quad(At(40, 0), At(70, 0), At(70, 30), At(40, 30));
  EXPECT_EQ(rig.Pixel(50, 10), 0xFFFFFFu);

  // Not-a-number and huge positions or coordinates draw nothing harmful; an unfinished
  // triangle is dropped; vertices outside Begin/End are ignored.
  Rig odd;
  const float nan = std::nanf("");
  odd.device.SetTextureHandle(odd.device.CreateTexture(3, 5, pixels));
  odd.Triangle(At(nan, 0), At(10, 0), At(10, 10));
  odd.Triangle(At(0, 0, 0.5f, kWhite, 1e30f, nan), At(1e9f, 0, 0.5f, kWhite, -1e30f, 0), At(0, 1e9f));
  odd.device.Begin(PrimitiveType::TriangleList);
  odd.device.Vertex(At(100, 100));
  odd.device.Vertex(At(150, 100));
  odd.device.End();
  odd.device.Vertex(At(100, 150));
  EXPECT_EQ(odd.Pixel(120, 105), 0u);
  // A target of unknown depth is not drawn into; one without a depth buffer is drawn
  // without a depth test, its own size being the viewport.
  Surface small(16, 16, 32);
  SoftwareDevice device(&small, nullptr);
  auto draw = [&] {
    device.Begin(PrimitiveType::TriangleList);
    device.Vertex(LitVertex{-1, 0.75f, 0.5f, 0, kWhite, 0, 0, 0});
    device.Vertex(LitVertex{1, 0.75f, 0.5f, 0, kWhite, 0, 0, 0});
    device.Vertex(LitVertex{-1, -0.75f, 0.5f, 0, kWhite, 0, 0, 0});
    device.End();
  };
  small.bitsPerPixel = 16;
  draw();
  for (uint8_t byte : small.pixels) ASSERT_EQ(byte, 0);
  small.bitsPerPixel = 32;
  draw();
  EXPECT_EQ(small.GetPixel(2, 2), 0xFFFFFFu);
  EXPECT_EQ(small.GetPixel(14, 14), 0u);
}

TEST_P(SoftwareDeviceTest, RandomGeometryStaysInsideTheTarget) {
  // Wild positions, coordinates and colours through a perspective camera: padding bytes at
  // the end of each row stay untouched and every depth stays within 0..1.
  Rig rig(24, 970);
  for (int y = 0; y < 240; ++y)
    for (int i = 960; i < 970; ++i) rig.surface.pixels[static_cast<size_t>(y) * 970 + i] = 0xAB;
  const std::vector<float> projection = Perspective(10.0f, 500.0f, 1.2f);
  rig.device.SetTransform(TransformState::Projection, projection.data());
  std::vector<uint32_t> texels(5 * 7, 0x123456);
  rig.device.SetTextureHandle(rig.device.CreateTexture(5, 7, texels.data()));
  std::mt19937 random(11);
  std::uniform_real_distribution<float> near(-60.0f, 60.0f), far(-1e6f, 1e6f), uv(-50.0f, 50.0f);
  std::uniform_int_distribution<uint32_t> colour;
  rig.device.Begin(PrimitiveType::TriangleList);
  for (int i = 0; i < 6000; ++i) {
    auto& pick = (i % 7 == 0) ? far : near;
    rig.device.Vertex(LitVertex{pick(random), pick(random), pick(random) + 40.0f, 0, colour(random), colour(random),
                                uv(random), uv(random)});
  }
  rig.device.End();
  rig.device.Begin(PrimitiveType::PointList);
  for (int i = 0; i < 2000; ++i)
    rig.device.Vertex(LitVertex{near(random), near(random), near(random) + 40.0f, 0, colour(random), 0, uv(random), 0});
  rig.device.End();
  for (int y = 0; y < 240; ++y)
    for (int i = 960; i < 970; ++i) ASSERT_EQ(rig.surface.pixels[static_cast<size_t>(y) * 970 + i], 0xAB);
  int drawn = 0;
  for (float d : rig.depth.depth) {
    ASSERT_TRUE(d >= 0.0f && d <= 1.0f);
    drawn += d < 1.0f;
  }
  EXPECT_GT(drawn, 1000);
}

TEST_P(SoftwareDeviceTest, SharedVerticesDrawWhatTheirCornersDraw) {
  // Meshes whose vertices are shared by many triangles, some crossing the near plane and the
  // guard band, some not a number, some faces naming missing vertices: drawn from the shared
  // vertices they must give the bytes and depths of the same corners passed one by one.
  const std::vector<float> projection = Perspective(10.0f, 500.0f, 1.2f);
  std::vector<uint32_t> texels(8 * 8);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<uint32_t>(i * 0x050307u);
  Rig shared, cornered;
  for (Rig* rig : {&shared, &cornered}) {
    rig->device.SetTransform(TransformState::Projection, projection.data());
    rig->device.SetTextureHandle(rig->device.CreateTexture(8, 8, texels.data()));
  }
  std::mt19937 random(5);
  std::uniform_real_distribution<float> jitter(-3.0f, 3.0f), uv(-4.0f, 4.0f);
  std::uniform_int_distribution<uint32_t> colour;
  auto mesh = [&](int side, float depth, std::vector<LitVertex>& vertices, std::vector<uint32_t>& corners) {
    vertices.clear();
    corners.clear();
    for (int j = 0; j <= side; ++j)
      for (int i = 0; i <= side; ++i)
        vertices.push_back(LitVertex{(i - side / 2) * 90.0f / side + jitter(random),
                                     (j - side / 2) * 70.0f / side + jitter(random),
                                     depth + (i + j) * 4.0f + jitter(random), 0, colour(random) | 0x40000000u,
                                     colour(random) & 0xFF3F3F3Fu, uv(random), uv(random)});
    vertices[5].x = std::nanf("");
    for (int j = 0; j < side; ++j)
      for (int i = 0; i < side; ++i) {
        const uint32_t a = j * (side + 1) + i, b = a + 1, c = a + side + 1, d = c + 1;
        for (uint32_t k : {a, c, d, a, d, b, a, d, c}) corners.push_back(k);  // both windings
      }
    corners.insert(corners.end(), {0, 1, static_cast<uint32_t>(vertices.size()), 3, 0xFFFFFFFFu, 2});
  };
  std::vector<LitVertex> vertices;
  std::vector<uint32_t> corners;
  shared.device.Begin(PrimitiveType::TriangleList);
  cornered.device.Begin(PrimitiveType::TriangleList);
  // Several lists in one Begin .. End, growing, then smaller with other positions: nothing of
  // an earlier list's vertices may be used again.
  for (const auto& [side, depth] : {std::pair{6, -20.0f}, std::pair{14, 5.0f}, std::pair{9, 30.0f}}) {
    mesh(side, depth, vertices, corners);
    const uint32_t triangles = static_cast<uint32_t>(corners.size() / 3);
    shared.device.Triangles(vertices.data(), static_cast<uint32_t>(vertices.size()), corners.data(), triangles);
    for (uint32_t t = 0; t < triangles; ++t) {
      const uint32_t* c = &corners[3 * t];
      if (c[0] < vertices.size() && c[1] < vertices.size() && c[2] < vertices.size())
        for (int k = 0; k < 3; ++k) cornered.device.Vertex(vertices[c[k]]);
    }
  }
  // A triangle left open by Vertex calls is finished by the list's first corners.
  for (Rig* rig : {&shared, &cornered}) rig->device.Vertex(vertices[20]);
  const uint32_t open[6] = {21, 31, 40, 41, 50, 22};
  shared.device.Triangles(vertices.data(), static_cast<uint32_t>(vertices.size()), open, 2);
  for (uint32_t k : open) cornered.device.Vertex(vertices[k]);
  shared.device.End();
  cornered.device.End();
  // As points, every listed corner is a point; outside Begin .. End nothing is drawn.
  for (Rig* rig : {&shared, &cornered}) rig->device.Begin(PrimitiveType::PointList);
  shared.device.Triangles(vertices.data(), static_cast<uint32_t>(vertices.size()), corners.data(), 12);
  for (int k = 0; k < 36; ++k) cornered.device.Vertex(vertices[corners[k]]);
  for (Rig* rig : {&shared, &cornered}) rig->device.End();
  shared.device.Triangles(vertices.data(), static_cast<uint32_t>(vertices.size()), corners.data(), 12);
  shared.device.Begin(PrimitiveType::TriangleList);
  shared.device.Triangles(nullptr, 4, corners.data(), 1);
  shared.device.Triangles(vertices.data(), 4, nullptr, 1);
  shared.device.End();

  ASSERT_EQ(shared.surface.pixels, cornered.surface.pixels);
  ASSERT_EQ(shared.depth.depth, cornered.depth.depth);
  int drawn = 0;
  for (float d : shared.depth.depth) drawn += d < 1.0f;
  EXPECT_GT(drawn, 5000);
}
