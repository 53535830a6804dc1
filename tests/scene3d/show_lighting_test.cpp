// The lighting's cone shortcuts held against the arc cosine they stand in for: through many
// frames of the show's own scenes, and at the edges of cones of every shape.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "assets/tds_reader.h"
#include "base/file.h"
#include "display/display.h"
#include "raster/device3d.h"
#include "scene3d/animation.h"
#include "scene3d/lighting.h"
#include "scene3d/scenes.h"
#include "support/show_scenes.h"
#include "test_paths.h"

namespace {

// Takes the renderer's calls and draws nothing: only the lit work vertices matter here.
class NoDevice : public Device3D {
 public:
  void SetTransform(TransformState, const float*) override {}
  void SetTextureHandle(uint32_t) override {}
  void Begin(PrimitiveType) override {}
  void Vertex(const LitVertex&) override {}
  void End() override {}
  uint32_t CreateTexture(int, int, const uint32_t*) override { return 0; }
  void ReleaseTexture(uint32_t) override {}
};

// The angle the lighting takes for a cosine, and whether the cone rules it out or lights it
// unscaled.
float AngleOf(float cosine) { return static_cast<float>(std::acos(static_cast<double>(cosine))); }
bool Outside(const SceneLight& light, float cosine) { return AngleOf(cosine) > light.phi; }
bool Unscaled(const SceneLight& light, float cosine) {
  const float angle = AngleOf(cosine);
  return !(angle > light.phi) && !(angle > light.theta && light.phi > light.theta);
}

// Every float cosine within `reach` floats of `around`, with the angle the formula gives.
void ExpectConeHolds(const SceneLight& light, float around, int reach, int& undecided) {
  const SpotCosines cone = SpotCosinesOf(light);
  float c = around;
  for (int i = 0; i < reach && c > -1.0f; ++i) c = std::nextafter(c, -2.0f);
  for (int i = 0; i < 2 * reach && c <= 1.0f; ++i, c = std::nextafter(c, 2.0f)) {
    if (c < cone.outside) {
      ASSERT_TRUE(Outside(light, c)) << "phi " << light.phi << " cosine " << c;
    } else if (c > cone.inside) {
      ASSERT_TRUE(Unscaled(light, c)) << "theta " << light.theta << " phi " << light.phi << " cosine " << c;
    } else {
      ++undecided;
    }
  }
}

SceneLight Cone(float theta, float phi) {
  SceneLight light{};
  light.type = LIGHT_SPOT;
  light.color = {1.0f, 1.0f, 1.0f};
  light.direction = {0.0f, 0.0f, 1.0f};
  light.falloff = 1.0f;
  light.theta = theta;
  light.phi = phi;
  return light;
}

}  // namespace

TEST(SpotShortcut, EveryCosineAroundEveryConeEdge) {
  // The show's cones and cones of every other shape: narrow, wide, nearly closed or open,
  // inner wider than outer, both equal, and angles that are not numbers.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<std::pair<float, float>> cones = {
      {0.26178f, 0.52356f}, {0.17452f, 0.39267f}, {0.2617799f, 0.4363f}, {0.4363f, 0.69808f}, {0.13089f, 0.30541f},
      {0.0011f, 0.0012f},   {0.5f, 3.1405f},      {3.0f, 3.1f},          {0.4f, 0.3f},        {0.7f, 0.7f},
      {0.0f, 0.5f},         {0.2f, 0.0f},         {nan, 0.4f},           {0.2f, nan},         {2.0f, 3.14159f}};
  for (const auto& [theta, phi] : cones) {
    const SceneLight light = Cone(theta, phi);
    const SpotCosines cone = SpotCosinesOf(light);
    ASSERT_LE(cone.outside, cone.inside) << theta << " " << phi;
    int undecided = 0;
    // Each edge float by float, far enough out that the formula's answer has settled.
    for (float edge : {phi, theta})
      if (std::isfinite(edge)) ExpectConeHolds(light, static_cast<float>(std::cos(double{edge})), 40000, undecided);
    // And the whole range, sampled.
    std::mt19937 random(static_cast<uint32_t>(theta * 1000 + phi * 7));
    std::uniform_real_distribution<float> any(-1.0f, 1.0f);
    for (int i = 0; i < 20000; ++i) {
      const float c = any(random);
      if (c < cone.outside) {
        ASSERT_TRUE(Outside(light, c)) << c;
      } else if (c > cone.inside) {
        ASSERT_TRUE(Unscaled(light, c)) << c;
      }
    }
    // A usable cone is decided by comparison all but a hair's breadth from its edges (a
    // few dozen floats at these angles); the others always take the arc cosine.
    const bool usable = phi >= 0.001f && phi <= 3.1405f;
    if (usable) {
      EXPECT_GT(cone.outside, std::cos(double{phi} + 1e-5)) << phi;
      EXPECT_GT(undecided, 0) << "the edges themselves must fall back";
    } else {
      EXPECT_EQ(cone.outside, -2.0) << phi;
      EXPECT_EQ(cone.inside, 2.0) << phi;
    }
    if (usable && theta >= 0.001f && theta <= 3.1405f)
      EXPECT_LT(cone.inside, std::cos(double{std::min(theta, phi)} - 1e-5)) << theta;
    else
      EXPECT_EQ(cone.inside, 2.0) << theta;
  }
}

// The show's scenes, loaded here from the content pack and put back after.
class ShowLighting : public ::testing::Test {
 protected:
  static constexpr auto& kScenes = BorrowedShowScenes::kScenes;
  static bool Load(Scene* scene, int number) {
    std::vector<uint8_t> bytes;
    const std::string path = std::string(TAVRINE_CONTENT_DIR) + "/Scenes/Scene" + std::to_string(number) + ".3ds";
    if (!ReadWholeFile(path.c_str(), TDS_FILE_LIMIT, bytes)) return false;
    Read3dsScene(bytes.data(), bytes.size(), scene, nullptr);
    return scene->objectCount > 0;
  }

  NoDevice device_;
  BorrowedShowScenes scenes_{&device_};
};

TEST_F(ShowLighting, ShortcutsLightEveryFrameAsTheArcCosine) {
  for (int i = 0; i < 7; ++i)
    if (!Load(kScenes[i], i + 1)) GTEST_SKIP() << "no content pack at " << TAVRINE_CONTENT_DIR;
  ASSERT_TRUE(Load(&Scene3Rest, 3));
  void (*const animate[7])(float) = {AnimateScene1, AnimateScene2, AnimateScene3, AnimateScene4,
                                     AnimateScene5, AnimateScene6, AnimateScene7};
  int64_t compared = 0, outside = 0, inside = 0;
  for (int n = 0; n < 7; ++n) {
    Scene& scene = *kScenes[n];
    // Frames spread over each scene's time in the show and beyond it.
    for (int frame = 0; frame < 120; ++frame) {
      animate[n](static_cast<float>(frame) * 1.7f + 0.013f * n);
      for (uint32_t j = 0; j < scene.objectCount; ++j) {
        SceneObject& object = scene.objects[j];
        const bool known = scene.materials != nullptr && object.materialIndex < scene.materialCount;
        const SceneColor diffuse = known ? scene.materials[object.materialIndex].diffuse : SceneColor{1.0f, 1.0f, 1.0f};
        const std::vector<WorkVertex> shortcut(object.workVertices, object.workVertices + object.vertexCount);
        LightObjectVertices(&scene, &object, diffuse, LightingShortcuts::Off);
        for (uint32_t v = 0; v < object.vertexCount; ++v) {
          const WorkVertex& a = shortcut[v];
          const WorkVertex& b = object.workVertices[v];
          ASSERT_TRUE(std::memcmp(&a.r, &b.r, 3 * sizeof(float)) == 0)
              << "scene " << n + 1 << " frame " << frame << " object " << j << " vertex " << v;
          // How many the shortcut decided, as a check that it ran at all.
          for (uint32_t l = 0; l < scene.lightCount; ++l) {
            const SceneLight& light = scene.lights[l];
            if (light.type != LIGHT_SPOT) continue;
            const Vector3 d = SubtractVectors(SetVector(a.x, a.y, a.z), light.position);
            const double cosine = DotProduct(d, light.direction) / std::sqrt(double{DotProduct(d, d)});
            const SpotCosines cone = SpotCosinesOf(light);
            outside += cosine < cone.outside;
            inside += cosine > cone.inside;
          }
        }
        compared += object.vertexCount;
      }
    }
  }
  // Most spot-lit vertices of these scenes lie in an inner cone, a few outside the outer one.
  EXPECT_GT(compared, 1000000);
  EXPECT_GT(outside, 1000);
  EXPECT_GT(inside, 500000);
}
