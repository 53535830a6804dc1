#include "scene3d/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "display/display.h"
#include "scene3d/scenes.h"
#include "support/show_scenes.h"

namespace {

// Each test starts with the show's scenes empty and no device to draw on.
class SceneAnimation : public ::testing::Test {
 protected:
  static constexpr auto& kScenes = BorrowedShowScenes::kScenes;
  BorrowedShowScenes scenes_{nullptr};

  // `count` objects of which only the first `used` are the scene's: the rest show whether an
  // animation writes past the scene's own objects.
  static void AddObjects(Scene& scene, uint32_t count, uint32_t used, uint32_t vertices = 0) {
    scene.objects = static_cast<SceneObject*>(std::calloc(count, sizeof(SceneObject)));
    scene.objectCount = used;
    for (uint32_t j = 0; j < count; ++j) {
      SceneObject& o = scene.objects[j];
      o.alpha = 1.0f;
      o.matrix = MakeIdentity();
      o.vertexCount = vertices;
      o.vertices = static_cast<SceneVertex*>(std::calloc(vertices + 1, sizeof(SceneVertex)));
      o.workVertices = static_cast<WorkVertex*>(std::calloc(vertices + 1, sizeof(WorkVertex)));
    }
  }
  static void AddMaterial(Scene& scene) {
    scene.materials = static_cast<SceneMaterial*>(std::calloc(1, sizeof(SceneMaterial)));
    scene.materialCount = 1;
  }
  static void AddLight(Scene& scene, uint32_t type) {
    scene.lights = static_cast<SceneLight*>(std::calloc(1, sizeof(SceneLight)));
    scene.lightCount = 1;
    scene.lights[0].type = type;
  }
  static void SetVertex(SceneVertex& v, float x, float y, float z, float nx, float ny, float nz) {
    v.x = x, v.y = y, v.z = z, v.nx = nx, v.ny = ny, v.nz = nz;
  }

  // Everything an animation may write, as one list of numbers.
  static std::vector<float> Snapshot(const Scene& s) {
    std::vector<float> out = {s.cameraEye.x, s.cameraEye.y, s.cameraEye.z, s.cameraTarget.x, s.cameraTarget.y,
                              s.cameraTarget.z, s.cameraRoll};
    for (uint32_t j = 0; j < s.objectCount; ++j) {
      const SceneObject& o = s.objects[j];
      out.insert(out.end(), o.matrix.m, o.matrix.m + 16);
      out.push_back(o.alpha);
      for (uint32_t i = 0; i < o.vertexCount; ++i)
        out.insert(out.end(), {o.vertices[i].x, o.vertices[i].y, o.vertices[i].z});
    }
    for (uint32_t i = 0; i < s.materialCount; ++i) out.push_back(static_cast<float>(s.materials[i].flags));
    for (uint32_t i = 0; i < s.lightCount; ++i) out.push_back(static_cast<float>(s.lights[i].type));
    return out;
  }

};

void ExpectMatrix(const Matrix4x4& actual, const Matrix4x4& expected) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-6f) << "element " << i;
}

TEST_F(SceneAnimation, ValuesAtTheFirstFrame) {
  AddObjects(Scene1, 1, 1);
  Scene1.objects[0].matrix.m[11] = 7.0f;  // not Scene1's to write
  AnimateScene1(0.0f);
  const Matrix4x4& m1 = Scene1.objects[0].matrix;
  EXPECT_FLOAT_EQ(Scene1.objects[0].alpha, 0.75f);
  EXPECT_FLOAT_EQ(m1.m[0], std::cos(0.5f));
  EXPECT_FLOAT_EQ(m1.m[5], std::cos(0.5f));
  EXPECT_FLOAT_EQ(m1.m[1], std::sin(0.5f));
  EXPECT_FLOAT_EQ(m1.m[4], -std::sin(0.5f));
  EXPECT_FLOAT_EQ(m1.m[3], 10.0f);
  EXPECT_FLOAT_EQ(m1.m[7], 0.0f);
  EXPECT_EQ(m1.m[10], 1.0f);
  EXPECT_EQ(m1.m[11], 7.0f);

  AddObjects(Scene4, 3, 3);
  AnimateScene4(0.0f);
  for (uint32_t j = 0; j < 3; ++j) {
    Matrix4x4 expected = MakeIdentity();
    expected.m[7] = 10.0f;  // translation (0, 10, 0)
    ExpectMatrix(Scene4.objects[j].matrix, expected);
    EXPECT_FLOAT_EQ(Scene4.objects[j].alpha, 0.6f);
  }

  // At t = 0 the weight is 1: every object shares the first one's turn, RotationY(1).
  AddObjects(Scene7, 3, 3);
  AnimateScene7(0.0f);
  ExpectMatrix(Scene7.objects[0].matrix, RotationY(1.0f));
  ExpectMatrix(Scene7.objects[1].matrix, Scene7.objects[0].matrix);
  ExpectMatrix(Scene7.objects[2].matrix, Scene7.objects[0].matrix);
}

TEST_F(SceneAnimation, RotationsAndTheirOrder) {
  const Matrix4x4 z = RotationZ(0.3f);
  EXPECT_FLOAT_EQ(z.m[1], std::sin(0.3f));
  EXPECT_FLOAT_EQ(z.m[4], -std::sin(0.3f));
  EXPECT_EQ(z.m[10], 1.0f);
  const Matrix4x4 y = RotationY(0.3f);
  EXPECT_FLOAT_EQ(y.m[2], std::sin(0.3f));
  EXPECT_FLOAT_EQ(y.m[8], -std::sin(0.3f));
  EXPECT_EQ(y.m[5], 1.0f);

  // Scene5's object at t: RotationY(t/8) x RotationZ(t/7), applied to column vectors, turns
  // the x axis about z first (sin in element 1 turns it towards -y), then about y:
  // (1, 0, 0) -> (cos a, -sin a, 0) -> (cos b cos a, -sin a, -sin b cos a).
  AddObjects(Scene5, 1, 1);
  AnimateScene5(14.0f);
  const float a = 2.0f, b = 1.75f;
  const Matrix4x4& m = Scene5.objects[0].matrix;
  EXPECT_NEAR(m.m[0], std::cos(b) * std::cos(a), 1e-6f);
  EXPECT_NEAR(m.m[4], -std::sin(a), 1e-6f);
  EXPECT_NEAR(m.m[8], -std::sin(b) * std::cos(a), 1e-6f);
}

TEST_F(SceneAnimation, Scene3PushesVerticesAlongTheirNormals) {
  AddObjects(Scene3, 1, 1, 3);
  AddObjects(Scene3Rest, 1, 1, 3);
  AddMaterial(Scene3);
  SceneVertex* v = Scene3.objects[0].vertices;
  SetVertex(v[0], 0, 0, 0, 1, 0, 0);
  SetVertex(v[1], 0, 0, 0, 0, 1, 0);
  SetVertex(v[2], 0, 0, 0, 0, 0, -1);
  SceneVertex* rest = Scene3Rest.objects[0].vertices;
  SetVertex(rest[0], 2, 4, 6, 0, 0, 0);
  SetVertex(rest[1], 1, 2, 3, 0, 0, 0);
  SetVertex(rest[2], 8, 8, 8, 0, 0, 0);
  Scene3.objects[0].alpha = 0.25f;
  Scene3.cameraTarget = SetVector(1, 2, 3);

  AnimateScene3(0.0f);  // d = (1, 0, 0)
  EXPECT_FLOAT_EQ(v[0].x, 3.0f);
  EXPECT_FLOAT_EQ(v[0].y, 6.0f);
  EXPECT_FLOAT_EQ(v[0].z, 9.0f);
  EXPECT_FLOAT_EQ(v[1].x, 1.0f);
  EXPECT_FLOAT_EQ(v[1].y, 2.0f);
  EXPECT_FLOAT_EQ(v[1].z, 3.0f);
  EXPECT_FLOAT_EQ(v[2].x, 8.0f);
  EXPECT_EQ(Scene3.objects[0].alpha, 1.0f);
  EXPECT_EQ(Scene3.materials[0].flags, 1u);
  EXPECT_FLOAT_EQ(Scene3.cameraEye.x, 0.0f);
  EXPECT_FLOAT_EQ(Scene3.cameraEye.y, 0.0f);
  EXPECT_FLOAT_EQ(Scene3.cameraEye.z, 50.0f);
  EXPECT_EQ(Scene3.cameraTarget.z, 3.0f);  // the target stays as loaded
  ExpectMatrix(Scene3.objects[0].matrix, MakeIdentity());

  // At t = 15 the direction is (0, 1, 1) / sqrt 2: the second and third normals get
  // k = (1/sqrt2 + 2) / 2, the first none.
  AnimateScene3(15.0f);
  EXPECT_NEAR(v[2].x, 8.0f * (1.0f / std::sqrt(2.0f) + 2.0f) * 0.5f, 1e-4f);
  EXPECT_NEAR(v[1].x, 1.0f * (1.0f / std::sqrt(2.0f) + 2.0f) * 0.5f, 1e-5f);
  EXPECT_NEAR(v[0].x, 2.0f, 1e-5f);  // normal across the direction: back at rest

  // A rest copy with fewer vertices than the drawn one leaves the vertices as they are.
  Scene3Rest.objects[0].vertexCount = 2;
  const std::vector<float> before = Snapshot(Scene3);
  AnimateScene3(15.0f);
  EXPECT_EQ(Snapshot(Scene3), before);
}

TEST_F(SceneAnimation, Scene5PansToTheMiddleAndLightsAmbient) {
  AddObjects(Scene5, 1, 1);
  AddMaterial(Scene5);
  AddLight(Scene5, LIGHT_SPOT);
  Scene5.cameraTarget = SetVector(9, 4, 5);
  AnimateScene5(76.0f);
  EXPECT_EQ(Scene5.cameraTarget.x, 0.0f);
  EXPECT_EQ(Scene5.cameraTarget.y, 4.0f);
  EXPECT_EQ(Scene5.cameraTarget.z, 5.0f);
  EXPECT_EQ(Scene5.lights[0].type, LIGHT_AMBIENT);
  EXPECT_EQ(Scene5.materials[0].flags, 1u);
  EXPECT_FLOAT_EQ(Scene5.objects[0].alpha, 0.7f);
  AnimateScene5(0.0f);
  EXPECT_EQ(Scene5.cameraTarget.x, -19.0f);

  // Without a light or objects the scene is animated as far as it goes.
  FreeScene(&Scene5);
  AnimateScene5(10.0f);
  EXPECT_EQ(Scene5.cameraTarget.x, (10.0f - 76.0f) * 0.25f);
}

TEST_F(SceneAnimation, SameTimeTwiceChangesNothing) {
  Scene* scenes[7] = {&Scene1, &Scene2, &Scene3, &Scene4, &Scene5, &Scene6, &Scene7};
  void (*animate[7])(float) = {AnimateScene1, AnimateScene2, AnimateScene3, AnimateScene4,
                               AnimateScene5, AnimateScene6, AnimateScene7};
  for (Scene* s : scenes) {
    AddObjects(*s, 2, 2, 2);
    AddMaterial(*s);
    AddLight(*s, LIGHT_POINT);
    SetVertex(s->objects[0].vertices[0], 1, 2, 3, 0.6f, 0.8f, 0);
    SetVertex(s->objects[0].vertices[1], -1, 0, 2, 0, 0, 1);
  }
  AddObjects(Scene3Rest, 1, 1, 2);
  SetVertex(Scene3Rest.objects[0].vertices[0], 1, 2, 3, 0, 0, 0);
  SetVertex(Scene3Rest.objects[0].vertices[1], -1, 0, 2, 0, 0, 0);
  for (int i = 0; i < 7; ++i) {
    animate[i](37.5f);
    const std::vector<float> once = Snapshot(*scenes[i]);
    animate[i](37.5f);
    EXPECT_EQ(Snapshot(*scenes[i]), once) << "AnimateScene" << i + 1;
    // And an earlier frame between them leaves no trace either.
    animate[i](3.0f);
    animate[i](37.5f);
    EXPECT_EQ(Snapshot(*scenes[i]), once) << "AnimateScene" << i + 1;
  }
}

TEST_F(SceneAnimation, SingleObjectScenesTouchOnlyTheirObject) {
  AddObjects(Scene6, 2, 1);
  AddObjects(Scene7, 2, 1);
  AddObjects(Scene2, 2, 1);
  AnimateScene6(20.0f);
  AnimateScene7(20.0f);
  AnimateScene2(20.0f);
  ExpectMatrix(Scene6.objects[1].matrix, MakeIdentity());
  ExpectMatrix(Scene7.objects[1].matrix, MakeIdentity());
  ExpectMatrix(Scene2.objects[1].matrix, MakeIdentity());
  EXPECT_EQ(Scene2.objects[1].alpha, 1.0f);
  // Scene6's first object turns the other way round, and the camera rolls.
  EXPECT_NEAR(Scene6.objects[0].matrix.m[2], -std::sin(2.0f), 1e-6f);
  EXPECT_NEAR(Scene6.objects[0].matrix.m[8], std::sin(2.0f), 1e-6f);
  EXPECT_FLOAT_EQ(Scene6.cameraRoll, 1.0f);
  EXPECT_FLOAT_EQ(Scene2.objects[0].alpha, 0.5f);
  EXPECT_NEAR(Scene2.objects[0].matrix.m[2], std::sin(2.0f), 1e-6f);
  // The extra objects are the scenes' again, so that they are freed with them.
  Scene2.objectCount = Scene6.objectCount = Scene7.objectCount = 2;
}

}  // namespace
