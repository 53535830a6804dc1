// The rasterizer's stages one at a time: clipping, projection, the wrap rule, set-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "raster/clip.h"
#include "raster/setup.h"
#include "raster/vertex.h"

namespace {

ClipVertex Clip(float x, float y, float z, float w, float u = 0) {
  ClipVertex v{x, y, z, w, {}};
  v.attr[kAttrU] = u;
  return v;
}

ScreenVertex Screen(float px, float py, float value = 0) {
  ScreenVertex s{};
  s.x = static_cast<int32_t>(std::lrintf(px * kSubpixelOne));
  s.y = static_cast<int32_t>(std::lrintf(py * kSubpixelOne));
  s.value[kInterpInvW] = 1.0f;
  s.value[kInterpR] = value;
  return s;
}

}  // namespace

TEST(RasterStages, ClipsAgainstNearFarAndGuardPlanes) {
  ClipVertex out[kMaxClippedVertices];
  const ClipVertex inside[3] = {Clip(0, 0, 0.5f, 1), Clip(0.5f, 0, 0.5f, 1), Clip(0, 0.5f, 0.5f, 1)};
  EXPECT_EQ(RasterOutcode(inside[0]) & kClipMustClip, 0u);
  ASSERT_EQ(RasterClipPolygon(inside, 3, out), 3);
  EXPECT_EQ(out[1].x, 0.5f);

  // One vertex in front of the near plane: a quadrilateral, every vertex with z >= 0, the
  // new ones carrying interpolated attributes.
  const ClipVertex crossing[3] = {Clip(0, 0, -1, 1, 0), Clip(1, 0, 1, 2, 1), Clip(0, 1, 1, 2, 1)};
  EXPECT_NE(RasterOutcode(crossing[0]) & kClipNear, 0u);
  const int n = RasterClipPolygon(crossing, 3, out);
  ASSERT_EQ(n, 4);
  for (int i = 0; i < n; ++i) {
    EXPECT_GE(out[i].z, 0.0f);
    EXPECT_LE(out[i].z, out[i].w);
  }
  EXPECT_FLOAT_EQ(out[0].attr[kAttrU], 0.5f);  // halfway from z = -1 to z = 1

  // Through both near and far: five vertices.
  const ClipVertex both[3] = {Clip(0, 0, -1, 1), Clip(1, 0, 3, 1), Clip(0, 1, 0.5f, 1)};
  EXPECT_EQ(RasterClipPolygon(both, 3, out), 5);
  // Wholly behind, or not a number: nothing.
  const ClipVertex behind[3] = {Clip(0, 0, -1, 1), Clip(1, 0, -2, 1), Clip(0, 1, -0.5f, 1)};
  EXPECT_EQ(RasterOutcode(behind[0]) & RasterOutcode(behind[1]) & RasterOutcode(behind[2]) & kClipNear,
            kClipNear);
  EXPECT_EQ(RasterClipPolygon(behind, 3, out), 0);
  const ClipVertex broken[3] = {Clip(NAN, 0, 0.5f, 1), Clip(1, 0, 0.5f, 1), Clip(0, 1, 0.5f, 1)};
  EXPECT_EQ(RasterOutcode(broken[0]), 0x3FFu);
  // Far outside the guard band the polygon is cut down to it.
  const ClipVertex wide[3] = {Clip(-100, 0, 0.5f, 1), Clip(100, 0, 0.5f, 1), Clip(0, 1, 0.5f, 1)};
  const int m = RasterClipPolygon(wide, 3, out);
  ASSERT_GE(m, 3);
  for (int i = 0; i < m; ++i) EXPECT_LE(std::fabs(out[i].x), kRasterGuardBand * out[i].w * 1.0001f);

  // Two triangles sharing a clipped edge get the very same new vertex.
  const ClipVertex a = Clip(0.3f, 0.1f, -0.7f, 1.3f), b = Clip(-0.2f, 0.4f, 0.9f, 1.1f);
  const ClipVertex first[3] = {a, b, Clip(0.5f, 0.5f, 0.5f, 1)};
  const ClipVertex second[3] = {b, a, Clip(-0.5f, -0.5f, 0.5f, 1)};
  ClipVertex outA[kMaxClippedVertices], outB[kMaxClippedVertices];
  const int na = RasterClipPolygon(first, 3, outA), nb = RasterClipPolygon(second, 3, outB);
  bool shared = false;
  for (int i = 0; i < na; ++i)
    for (int j = 0; j < nb; ++j)
      if (outA[i].z == 0.0f && outB[j].z == 0.0f && outA[i].x == outB[j].x && outA[i].y == outB[j].y &&
          outA[i].w == outB[j].w)
        shared = true;
  EXPECT_TRUE(shared);
}

TEST(RasterStages, ProjectsTheFourByThreeClipVolume) {
  const RasterViewport viewport{320, 240};
  ScreenVertex s;
  ASSERT_TRUE(RasterProjectVertex(Clip(-2, 1.5f, 0, 2), viewport, s));  // top-left corner
  EXPECT_EQ(s.x, 0);
  EXPECT_EQ(s.y, 0);
  EXPECT_FLOAT_EQ(s.value[kInterpZ], 0.0f);
  EXPECT_FLOAT_EQ(s.value[kInterpInvW], 0.5f);
  ASSERT_TRUE(RasterProjectVertex(Clip(4, -3, 4, 4), viewport, s));  // bottom-right, far
  EXPECT_EQ(s.x, 320 * kSubpixelOne);
  EXPECT_EQ(s.y, 240 * kSubpixelOne);
  EXPECT_FLOAT_EQ(s.value[kInterpZ], 1.0f);
  ASSERT_TRUE(RasterProjectVertex(Clip(0.25f, 0, 0.5f, 1), viewport, s));
  EXPECT_EQ(s.x, 200 * kSubpixelOne);
  EXPECT_EQ(s.y, 120 * kSubpixelOne);
  EXPECT_FALSE(RasterProjectVertex(Clip(0, 0, 0, 0), viewport, s));
  EXPECT_FALSE(RasterProjectVertex(Clip(0, 0, 0, -1), viewport, s));
  EXPECT_FALSE(RasterProjectVertex(Clip(1e30f, 0, 0.5f, 1), viewport, s));
}

TEST(RasterStages, WrapRuleTakesTheShortWay) {
  float a = 0.9f, b = 0.1f, c = 0.5f;
  RasterWrapCoordinates(a, b, c);
  EXPECT_FLOAT_EQ(a, 0.9f);
  EXPECT_FLOAT_EQ(b, 1.1f);
  EXPECT_FLOAT_EQ(c, 0.5f);
  a = 0.2f, b = 0.4f, c = 0.6f;
  RasterWrapCoordinates(a, b, c);
  EXPECT_FLOAT_EQ(a, 0.2f);
  EXPECT_FLOAT_EQ(c, 0.6f);
  a = 0.05f, b = 0.95f, c = 0.0f;
  RasterWrapCoordinates(a, b, c);
  EXPECT_FLOAT_EQ(a, 1.05f);
  EXPECT_FLOAT_EQ(b, 0.95f);
  EXPECT_FLOAT_EQ(c, 1.0f);
}

TEST(RasterStages, SetUpCullsSortsAndTakesGradients) {
  RasterTriangle tri;
  // Counter-clockwise on screen, and degenerate: culled.
  EXPECT_FALSE(RasterSetupTriangle(Screen(0, 0), Screen(0, 10), Screen(10, 0), nullptr, tri));
  EXPECT_FALSE(RasterSetupTriangle(Screen(0, 0), Screen(5, 5), Screen(10, 10), nullptr, tri));
  // Clockwise; the values reproduce at the vertices through the gradients.
  ASSERT_TRUE(RasterSetupTriangle(Screen(10, 30, 30), Screen(2, 2, 10), Screen(30, 10, 50), nullptr, tri));
  EXPECT_EQ(tri.v[0].y, 2 * kSubpixelOne);
  EXPECT_EQ(tri.v[2].y, 30 * kSubpixelOne);
  EXPECT_TRUE(tri.longEdgeOnLeft);  // the middle vertex (30, 10) lies right of (2,2)-(10,30)
  for (const auto& [x, y, value] : {std::tuple{10.0f, 30.0f, 30.0f}, {30.0f, 10.0f, 50.0f}}) {
    const float at = tri.base[kInterpR] + tri.ddx[kInterpR] * (x - tri.originX) + tri.ddy[kInterpR] * (y - tri.originY);
    EXPECT_NEAR(at, value, 1e-3f);
  }
  EXPECT_EQ(tri.filter, RasterFilter::None);

  // Filter: 64 texels across 16 pixels is minified, 64 across 256 magnified.
  RasterTexture texture;
  std::vector<uint32_t> texels(64 * 64, 0);
  ASSERT_TRUE(RasterMakeTexture(64, 64, texels.data(), texture));
  EXPECT_TRUE(texture.powerOfTwo);
  auto uv = [](ScreenVertex s, float u, float v) {
    s.value[kInterpUW] = u;
    s.value[kInterpVW] = v;
    return s;
  };
  ASSERT_TRUE(RasterSetupTriangle(uv(Screen(0, 0), 0, 0), uv(Screen(16, 0), 1, 0), uv(Screen(0, 16), 0, 1), &texture, tri));
  EXPECT_EQ(tri.filter, RasterFilter::Bilinear);
  ASSERT_TRUE(RasterSetupTriangle(uv(Screen(0, 0), 0, 0), uv(Screen(256, 0), 1, 0), uv(Screen(0, 256), 0, 1), &texture, tri));
  EXPECT_EQ(tri.filter, RasterFilter::Nearest);
  EXPECT_FALSE(RasterMakeTexture(48, 0, texels.data(), texture));
  ASSERT_TRUE(RasterMakeTexture(48, 3, texels.data(), texture));
  EXPECT_FALSE(texture.powerOfTwo);
}

// The three-corner stage against the one-vertex functions it stands for: the same clip
// positions to the bit, the same outcodes, the same screen positions and the same refusals,
// over ordinary corners and corners behind the camera, beyond the guard band, at infinity and
// not a number.
TEST(RasterStages, CornersMatchTheOneVertexStages) {
  std::mt19937 random(11);
  const float special[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, 1e30f, -1e30f, std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
  std::uniform_real_distribution<float> spread(-3.0f, 3.0f), depth(-0.5f, 40.0f);
  std::uniform_int_distribution<int> pick(0, 99);
  const auto coordinate = [&](float ordinary) {
    const int p = pick(random);
    return p < 4 ? special[static_cast<size_t>(p) % std::size(special)] : ordinary;
  };
  const float projection[16] = {0.8f, 0, 0, 0, 0, 0.8f, 0, 0, 0, 0, 0.6f / 0.99f, 0.6f, 0, 0, -0.6f / 0.99f, 0};
  const float view[16] = {0.8f, 0.1f, -0.6f, 0, -0.1f, 0.99f, 0, 0, 0.6f, 0, 0.8f, 0, 0.5f, -2.0f, 3.0f, 1};
  float m[16];
  RasterMultiplyMatrices(view, projection, m);
  int projected = 0, refused = 0, clipped = 0;
  for (int n = 0; n < 20000; ++n) {
    LitVertex in[3];
    for (LitVertex& v : in) {
      const float z = coordinate(depth(random));
      v = LitVertex{coordinate(spread(random) * z), coordinate(spread(random) * z), z, 0, 0, 0, 0, 0};
    }
    ClipVertex corners[3], single[3];
    uint32_t code[3];
    RasterTransformCorners(m, in, corners, code);
    bool fits = true;
    for (int i = 0; i < 3; ++i) {
      RasterTransformPosition(m, in[i], single[i]);
      ASSERT_EQ(std::memcmp(&corners[i].x, &single[i].x, 4 * sizeof(float)), 0) << "triangle " << n << " corner " << i;
      ASSERT_EQ(code[i], RasterOutcode(single[i])) << "triangle " << n << " corner " << i;
      fits = fits && !(code[i] & kClipMustClip);
    }
    clipped += !fits;
    // Projected whether or not the outcodes would have it clipped first, so that corners
    // behind the camera and beyond the guard band are refused the same way.
    for (const RasterViewport viewport : {RasterViewport{320, 240}, RasterViewport{640, 480}}) {
      ScreenVertex together[3], apart[3];
      bool placed = true;
      for (int i = 0; i < 3; ++i) placed = RasterProjectPosition(single[i], viewport, apart[i]) && placed;
      ASSERT_EQ(RasterProjectCorners(corners, viewport, together), placed) << "triangle " << n;
      if (!placed) {
        ++refused;
        continue;
      }
      ++projected;
      for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(together[i].x, apart[i].x) << "triangle " << n << " corner " << i;
        EXPECT_EQ(together[i].y, apart[i].y) << "triangle " << n << " corner " << i;
      }
    }
  }
  // Every path was taken.
  EXPECT_GT(projected, 1000);
  EXPECT_GT(refused, 100);
  EXPECT_GT(clipped, 1000);
}
