#include "scene3d/lighting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

SceneLight MakeLight(uint32_t type, SceneColor color, Vector3 position, Vector3 direction) {
  SceneLight light{};
  light.type = type;
  light.color = color;
  light.position = position;
  light.direction = direction;
  return light;
}

// Colours of vertices at the given positions, all with the same normal, under these lights.
std::vector<WorkVertex> Light(std::vector<SceneLight> lights, const std::vector<Vector3>& at,
                              Vector3 normal, SceneColor diffuse = {1.0f, 1.0f, 1.0f}) {
  Scene scene{};
  scene.lights = lights.data();
  scene.lightCount = static_cast<uint32_t>(lights.size());
  std::vector<WorkVertex> work(at.size());
  for (size_t i = 0; i < at.size(); i++) {
    work[i] = WorkVertex{at[i].x, at[i].y, at[i].z, -9.0f, -9.0f, -9.0f,
                         normal.x, normal.y, normal.z};
  }
  SceneObject object{};
  object.workVertices = work.data();
  object.vertexCount = static_cast<uint32_t>(work.size());
  LightObjectVertices(&scene, &object, diffuse);
  return work;
}

const SceneColor WHITE = {1.0f, 1.0f, 1.0f};
const Vector3 UP = {0.0f, 0.0f, 1.0f};

}  // namespace

TEST(VertexLighting, PointLightRangeAndAttenuation) {
  // The light sits on the normal's side, at 50, 100 and 101 units from the vertices.
  SceneLight light = MakeLight(LIGHT_POINT, {0.8f, 0.6f, 0.4f}, {0.0f, 0.0f, 0.0f}, {});
  light.range = 100.0f;
  std::vector<Vector3> at = {{0.0f, 0.0f, -50.0f}, {0.0f, 0.0f, -100.0f},
                             {0.0f, 0.0f, -101.0f}, {80.0f, 80.0f, 0.0f}};

  // No multiplier: all attenuation terms 0, no light anywhere.
  for (const WorkVertex& w : Light({light}, at, UP)) {
    EXPECT_EQ(w.r, 0.0f);
    EXPECT_EQ(w.g, 0.0f);
    EXPECT_EQ(w.b, 0.0f);
  }

  light.attenuation1 = 1.0f;
  std::vector<WorkVertex> lit = Light({light}, at, UP, {1.0f, 0.5f, 0.25f});
  EXPECT_FLOAT_EQ(lit[0].r, 0.5f * 0.8f);
  EXPECT_FLOAT_EQ(lit[0].g, 0.5f * 0.6f * 0.5f);
  EXPECT_FLOAT_EQ(lit[0].b, 0.5f * 0.4f * 0.25f);
  EXPECT_EQ(lit[1].r, 0.0f);  // at the range: f = 0
  EXPECT_EQ(lit[2].r, 0.0f);  // beyond it

  // Inside the range cube but outside the sphere: rejected even with a constant term.
  light.attenuation0 = 1.0f;
  std::vector<WorkVertex> corner = Light({light}, {{80.0f, 80.0f, 0.0f}}, {-1.0f, -1.0f, 0.0f});
  EXPECT_EQ(corner[0].r, 0.0f);

  // Normals are not renormalised: length 2 doubles the light.
  light.attenuation0 = 0.0f;
  light.color = {0.2f, 0.2f, 0.2f};
  std::vector<WorkVertex> twice = Light({light}, {{0.0f, 0.0f, -50.0f}}, {0.0f, 0.0f, 2.0f});
  EXPECT_FLOAT_EQ(twice[0].r, 0.2f);

  // Facing away: nothing (no negative contribution).
  std::vector<WorkVertex> away = Light({light}, {{0.0f, 0.0f, -50.0f}}, {0.0f, 0.0f, -1.0f});
  EXPECT_EQ(away[0].r, 0.0f);
}

TEST(VertexLighting, SpotCone) {
  // Light at the origin pointing along +z; vertices 10 units away at a given angle, their
  // normals facing the light.
  SceneLight spot = MakeLight(LIGHT_SPOT, WHITE, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
  spot.theta = 0.2f;
  spot.phi = 0.4f;
  spot.falloff = 1.0f;
  auto at = [](float angle) {
    return SetVector(10.0f * std::sin(angle), 0.0f, 10.0f * std::cos(angle));
  };
  Vector3 facing = {0.0f, 0.0f, -1.0f};

  std::vector<WorkVertex> w = Light({spot}, {at(0.1f), at(0.3f), at(0.45f), at(0.0f)}, facing);
  EXPECT_FLOAT_EQ(w[0].r, 1.0f);
  EXPECT_NEAR(w[1].r, 0.5f, 1e-5f);
  EXPECT_EQ(w[2].r, 0.0f);
  EXPECT_FLOAT_EQ(w[3].r, 1.0f);

  // The power form for any other falloff.
  spot.falloff = 2.0f;
  std::vector<WorkVertex> p = Light({spot}, {at(0.3f)}, facing);
  float s = 0.5f * 1.570796f;
  EXPECT_NEAR(p[0].r, std::cos(s * s), 1e-4f);

  // A vertex straight down an oblique axis: the cosine can round past 1, and the vertex must
  // still get the full light.
  Vector3 axis = DivideVector(SetVector(1.0f, 2.0f, 3.0f), std::sqrt(14.0f));
  spot = MakeLight(LIGHT_SPOT, WHITE, {1.0f, 1.0f, 1.0f}, axis);
  spot.theta = 0.05f;
  spot.phi = 0.1f;
  spot.falloff = 1.0f;
  std::vector<Vector3> onAxis;
  for (float k : {1.0f, 3.3f, 7.0f, 17.1f, 123.0f})
    onAxis.push_back(SetVector(1.0f + axis.x * k, 1.0f + axis.y * k, 1.0f + axis.z * k));
  Vector3 back = SetVector(-axis.x, -axis.y, -axis.z);
  for (const WorkVertex& v : Light({spot}, onAxis, back)) EXPECT_NEAR(v.r, 1.0f, 1e-5f);

  // phi not above theta: no soft edge, full light inside phi.
  spot = MakeLight(LIGHT_SPOT, WHITE, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
  spot.theta = 0.4f;
  spot.phi = 0.3f;
  spot.falloff = 1.0f;
  std::vector<WorkVertex> hard = Light({spot}, {at(0.25f), at(0.35f)}, facing);
  EXPECT_FLOAT_EQ(hard[0].r, 1.0f);
  EXPECT_EQ(hard[1].r, 0.0f);
}

TEST(VertexLighting, OtherTypesSumAndClamp) {
  // Directional: the direction points towards the light, no sign change.
  SceneLight sun = MakeLight(LIGHT_DIRECTIONAL, {0.5f, 0.5f, 0.5f}, {}, {0.0f, 0.6f, 0.8f});
  std::vector<WorkVertex> w = Light({sun}, {{3.0f, 4.0f, 5.0f}}, UP);
  EXPECT_FLOAT_EQ(w[0].g, 0.4f);
  w = Light({sun}, {{3.0f, 4.0f, 5.0f}}, {0.0f, 0.0f, -1.0f});
  EXPECT_EQ(w[0].g, 0.0f);

  // Plain point light: no range, no attenuation, only the angle.
  SceneLight bulb = MakeLight(LIGHT_POINT_PLAIN, WHITE, {0.0f, 0.0f, 1000.0f}, {});
  w = Light({bulb}, {{0.0f, 0.0f, 0.0f}, {1000.0f, 0.0f, 0.0f}}, UP);
  EXPECT_FLOAT_EQ(w[0].r, 1.0f);
  EXPECT_NEAR(w[1].r, std::sqrt(0.5f), 1e-6f);

  // Ambient adds its colour whatever the normal; unknown types add nothing.
  SceneLight ambient = MakeLight(LIGHT_AMBIENT, {0.3f, 0.3f, 0.3f}, {}, {});
  SceneLight unknown = MakeLight(5, WHITE, {}, {0.0f, 0.0f, 1.0f});
  w = Light({sun, ambient, unknown}, {{0.0f, 0.0f, 0.0f}}, {0.0f, 0.0f, -1.0f},
            {0.5f, 1.0f, 1.0f});
  EXPECT_FLOAT_EQ(w[0].r, 0.15f);
  EXPECT_FLOAT_EQ(w[0].g, 0.3f);

  // Ambient 0.3 plus 0.9 clamps to 1: the vertex takes the diffuse colour.
  SceneLight strong = MakeLight(LIGHT_DIRECTIONAL, {0.9f, 0.9f, 0.9f}, {}, {0.0f, 0.0f, 1.0f});
  w = Light({ambient, strong}, {{0.0f, 0.0f, 0.0f}}, UP, {0.2f, 0.4f, 0.6f});
  EXPECT_EQ(w[0].r, 0.2f);
  EXPECT_EQ(w[0].g, 0.4f);
  EXPECT_EQ(w[0].b, 0.6f);

  // No lights: black.
  w = Light({}, {{0.0f, 0.0f, 0.0f}}, UP);
  EXPECT_EQ(w[0].r, 0.0f);
  EXPECT_EQ(w[0].g, 0.0f);
  EXPECT_EQ(w[0].b, 0.0f);
}

// A vertex right at a light has no direction towards it: a point light gives it nothing (the
// division used to give NaN, which never counted), a spot light lights it unscaled, as inside
// its inner cone (the NaN angle passed both cone tests).
TEST(VertexLighting, AVertexAtTheLightItself) {
  SceneLight point = MakeLight(LIGHT_POINT, WHITE, {1.0f, 2.0f, 3.0f}, {});
  point.range = 10.0f;
  point.attenuation0 = 1.0f;
  EXPECT_EQ(Light({point}, {{1.0f, 2.0f, 3.0f}}, UP)[0].r, 0.0f);
  point.range = 0.0f;
  EXPECT_EQ(Light({point}, {{1.0f, 2.0f, 3.0f}}, UP)[0].r, 0.0f);
  SceneLight plain = MakeLight(LIGHT_POINT_PLAIN, WHITE, {1.0f, 2.0f, 3.0f}, {});
  EXPECT_EQ(Light({plain}, {{1.0f, 2.0f, 3.0f}}, UP)[0].r, 0.0f);

  SceneLight spot = MakeLight(LIGHT_SPOT, {0.5f, 0.5f, 0.5f}, {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, -0.8f});
  spot.theta = 0.1f;
  spot.phi = 0.2f;
  spot.falloff = 1.0f;
  const std::vector<WorkVertex> at = Light({spot}, {{1.0f, 2.0f, 3.0f}}, UP);
  EXPECT_FLOAT_EQ(at[0].r, 0.8f * 0.5f);
}

