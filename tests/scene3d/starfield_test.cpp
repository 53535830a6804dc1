#include "scene3d/starfield.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/maths.h"
#include "display/display.h"
#include "platform/rng.h"
#include "raster/device3d.h"

namespace {

class PointRecorder : public Device3D {
 public:
  int transforms = 0, textures = 0, begins = 0, ends = 0;
  bool points = false;
  Matrix4x4 view{}, projection{};
  std::vector<LitVertex> vertices;

  void SetTransform(TransformState state, const float matrix[16]) override {
    transforms++;
    std::memcpy((state == TransformState::View ? view : projection).m, matrix, 64);
  }
  void SetTextureHandle(uint32_t) override { textures++; }
  void Begin(PrimitiveType type) override {
    begins++;
    points = type == PrimitiveType::PointList;
  }
  void Vertex(const LitVertex& vertex) override { vertices.push_back(vertex); }
  void End() override { ends++; }
  uint32_t CreateTexture(int, int, const uint32_t*) override { return 0; }
  void ReleaseTexture(uint32_t) override {}
};

// Draws with the recorder as the display's device, restoring the display afterwards.
PointRecorder Draw(float t) {
  PointRecorder recorder;
  Device3D* saved = displayContext.device;
  displayContext.device = &recorder;
  DrawStarfield(t);
  displayContext.device = saved;
  return recorder;
}

}  // namespace

TEST(Starfield, PlacesStarsFromTheRuntimeSequence) {
  RuntimeSrand(1);  // the state the show starts in
  InitStarfield();
  EXPECT_NEAR(Starfield[0].x, -498.75f, 0.005f);
  EXPECT_NEAR(Starfield[0].y, 63.59f, 0.005f);
  EXPECT_NEAR(Starfield[0].z, -306.70f, 0.005f);
  EXPECT_NEAR(Starfield[0].brightness, 0.6801f, 0.00005f);
  for (const Star& star : Starfield) {
    EXPECT_GE(star.x, -500.0f);
    EXPECT_LE(star.x, 500.0f);
    EXPECT_GE(star.z, -500.0f);
    EXPECT_LE(star.z, 500.0f);
    float distance = std::sqrt(star.x * star.x + star.y * star.y + star.z * star.z);
    EXPECT_NEAR(star.brightness, distance / 866.0f, 1e-5f);
  }
  // The generator moved on by three draws per star.
  RuntimeSrand(1);
  for (int i = 0; i < 3 * STAR_COUNT; i++) RuntimeRand();
  int next = RuntimeRand();
  RuntimeSrand(1);
  InitStarfield();
  EXPECT_EQ(RuntimeRand(), next);
}

TEST(Starfield, DrawsFivePointsPerStar) {
  RuntimeSrand(1);
  InitStarfield();
  PointRecorder r = Draw(0.0f);
  EXPECT_EQ(r.transforms, 2);
  EXPECT_EQ(r.textures, 0);
  EXPECT_EQ(r.begins, 1);
  EXPECT_EQ(r.ends, 1);
  EXPECT_TRUE(r.points);
  ASSERT_EQ(r.vertices.size(), 5u * STAR_COUNT);

  // At t = 0 the camera at the origin looks along +z with y up.
  Matrix4x4 identity = MakeIdentity();
  Matrix4x4 projection = MakePerspective(10.0f, 500.0f, 1.5707964f);
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ(r.view.m[i], identity.m[i]) << i;
    EXPECT_EQ(r.projection.m[i], projection.m[i]) << i;
  }

  // First star, brightness 0.6801: alpha 173 at the centre, 86 around it.
  const Star& s = Starfield[0];
  const LitVertex* v = r.vertices.data();
  EXPECT_EQ(v[0].color, 0xADFFFFFFu);
  for (int i = 1; i < 5; i++) EXPECT_EQ(v[i].color, 0x56FFFFFFu) << i;
  for (int i = 0; i < 5; i++) EXPECT_EQ(v[i].specular, 0u) << i;
  EXPECT_EQ(v[0].x, s.x);
  EXPECT_EQ(v[0].y, s.y);
  EXPECT_EQ(v[0].z, s.z);
  EXPECT_EQ(v[1].x, s.x + 0.5f);
  EXPECT_EQ(v[2].x, s.x + 0.5f - 1.0f);
  EXPECT_EQ(v[3].x, s.x + 0.5f - 1.0f + 0.5f);
  EXPECT_EQ(v[3].y, s.y + 0.5f);
  EXPECT_EQ(v[4].y, s.y + 0.5f - 1.0f);
  EXPECT_EQ(v[4].z, s.z);
  EXPECT_EQ(r.vertices[5].x, Starfield[1].x);

  // The camera turns with t, and the same t gives the same calls.
  PointRecorder later = Draw(18.0f);
  PointRecorder again = Draw(18.0f);
  EXPECT_NE(std::memcmp(later.view.m, r.view.m, 64), 0);
  EXPECT_EQ(std::memcmp(later.view.m, again.view.m, 64), 0);
  // Looking along sin(18/12), sin(18/13.13), cos(18/14.164), normalised.
  Vector3 d = SetVector(std::sin(1.5f), std::sin(18.0f / 13.13f), std::cos(18.0f / 14.164f));
  float length = std::sqrt(LengthSquared(d));
  EXPECT_NEAR(later.view.m[2], d.x / length, 1e-6f);
  EXPECT_NEAR(later.view.m[6], d.y / length, 1e-6f);
  EXPECT_NEAR(later.view.m[10], d.z / length, 1e-6f);
}

TEST(Starfield, ExtremeStarsAndNoDevice) {
  Star saved[2] = {Starfield[0], Starfield[1]};
  Starfield[0] = Star{0.0f, 0.0f, 0.0f, 0.0f};
  Starfield[1] = Star{500.0f, 500.0f, 500.0f, 0.0f};
  Starfield[1].brightness = std::sqrt(750000.0f) * 0.0011547344f;
  EXPECT_GT(Starfield[1].brightness, 1.0f);

  PointRecorder r = Draw(3.0f);
  for (int i = 0; i < 5; i++) EXPECT_EQ(r.vertices[i].color, 0x00FFFFFFu) << i;
  EXPECT_EQ(r.vertices[5].color, 0xFFFFFFFFu);
  for (int i = 6; i < 10; i++) EXPECT_EQ(r.vertices[i].color, 0x7FFFFFFFu) << i;
  Starfield[0] = saved[0];
  Starfield[1] = saved[1];

  Device3D* previous = displayContext.device;
  displayContext.device = nullptr;
  DrawStarfield(1.0f);  // nothing to draw on: nothing happens
  displayContext.device = previous;
}
