// Processor cost of the scene pipeline without rasterization: vertex lighting, the whole
// renderer (transform, lighting, packing, submission) and the starfield's submission, all
// into a device that only counts what it is given.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/scene.h"
#include "base/maths.h"
#include "display/display.h"
#include "platform/rng.h"
#include "raster/device3d.h"
#include "scene3d/lighting.h"
#include "scene3d/renderer.h"
#include "scene3d/starfield.h"

namespace {

class CountingDevice : public Device3D {
 public:
  uint64_t vertices = 0;
  uint32_t checksum = 0;
  void SetTransform(TransformState, const float*) override {}
  void SetTextureHandle(uint32_t) override {}
  void Begin(PrimitiveType) override {}
  void Vertex(const LitVertex& vertex) override {
    vertices++;
    checksum += vertex.color;
  }
  void End() override {}
  uint32_t CreateTexture(int, int, const uint32_t*) override { return 1; }
  void ReleaseTexture(uint32_t) override {}
};

void AddLights(Scene& scene) {
  scene.lightCount = 4;
  scene.lights = static_cast<SceneLight*>(calloc(4, sizeof(SceneLight)));
  SceneLight* l = scene.lights;
  l[0].type = LIGHT_POINT;
  l[0].color = {1.0f, 0.8f, 0.6f};
  l[0].position = {40.0f, 30.0f, -20.0f};
  l[0].range = 150.0f;
  l[0].attenuation1 = 1.0f;
  l[1].type = LIGHT_SPOT;
  l[1].color = {0.3f, 0.4f, 1.0f};
  l[1].position = {0.0f, 0.0f, -120.0f};
  l[1].direction = {0.0f, 0.0f, 1.0f};
  l[1].theta = 0.2f;
  l[1].phi = 0.5f;
  l[1].falloff = 1.0f;
  l[2].type = LIGHT_DIRECTIONAL;
  l[2].color = {0.2f, 0.2f, 0.2f};
  l[2].direction = {0.0f, 0.6f, -0.8f};
  l[3].type = LIGHT_AMBIENT;
  l[3].color = {0.1f, 0.1f, 0.1f};
}

// A torus of `rings` x `sides` quads (two triangles each) around the origin.
SceneObject MakeTorus(uint32_t rings, uint32_t sides) {
  SceneObject object{};
  object.alpha = 0.5f;
  object.matrix = MakeIdentity();
  object.vertexCount = rings * sides;
  object.vertices = static_cast<SceneVertex*>(calloc(object.vertexCount, sizeof(SceneVertex)));
  object.workVertices = static_cast<WorkVertex*>(calloc(object.vertexCount, sizeof(WorkVertex)));
  for (uint32_t r = 0; r < rings; r++) {
    for (uint32_t s = 0; s < sides; s++) {
      float a = 6.2831853f * r / rings, b = 6.2831853f * s / sides;
      Vector3 n = SetVector(std::cos(a) * std::cos(b), std::sin(b), std::sin(a) * std::cos(b));
      SceneVertex& v = object.vertices[r * sides + s];
      v = SceneVertex{std::cos(a) * 40.0f + n.x * 15.0f, n.y * 15.0f,
                      std::sin(a) * 40.0f + n.z * 15.0f, float(r) / rings, float(s) / sides,
                      n.x, n.y, n.z};
    }
  }
  object.faceCount = 2 * rings * sides;
  object.faces = static_cast<SceneFace*>(calloc(object.faceCount, sizeof(SceneFace)));
  for (uint32_t r = 0; r < rings; r++) {
    for (uint32_t s = 0; s < sides; s++) {
      uint32_t a = r * sides + s, b = ((r + 1) % rings) * sides + s;
      uint32_t c = r * sides + (s + 1) % sides, d = ((r + 1) % rings) * sides + (s + 1) % sides;
      object.faces[2 * a] = SceneFace{{a, b, d}};
      object.faces[2 * a + 1] = SceneFace{{a, d, c}};
    }
  }
  return object;
}

void BM_LightObjectVertices(benchmark::State& state) {
  Scene scene{};
  AddLights(scene);
  scene.objectCount = 1;
  scene.objects = static_cast<SceneObject*>(calloc(1, sizeof(SceneObject)));
  SceneObject& object = scene.objects[0];
  object = MakeTorus(100, 50);  // 5,000 vertices
  for (uint32_t i = 0; i < object.vertexCount; i++) {
    const SceneVertex& v = object.vertices[i];
    object.workVertices[i] = WorkVertex{v.x, v.y, v.z, 0, 0, 0, v.nx, v.ny, v.nz};
  }
  for (auto _ : state) {
    LightObjectVertices(&scene, &object, SceneColor{1.0f, 0.9f, 0.8f});
    benchmark::DoNotOptimize(object.workVertices[object.vertexCount / 2].r);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * object.vertexCount);
  FreeScene(&scene);
}
BENCHMARK(BM_LightObjectVertices);

void BM_RenderScene2000Triangles(benchmark::State& state) {
  Scene scene{};
  scene.materialCount = 1;
  scene.materials = static_cast<SceneMaterial*>(calloc(1, sizeof(SceneMaterial)));
  scene.materials[0].texture = static_cast<MaterialTexture*>(calloc(1, sizeof(MaterialTexture)));
  scene.materials[0].texture->handle = 1;
  scene.materials[0].diffuse = {1.0f, 1.0f, 1.0f};
  scene.materials[0].specular = {0.1f, 0.1f, 0.1f};
  scene.materials[0].flags = static_cast<uint32_t>(state.range(0));
  AddLights(scene);
  scene.objectCount = 1;
  scene.objects = static_cast<SceneObject*>(calloc(1, sizeof(SceneObject)));
  scene.objects[0] = MakeTorus(40, 25);  // 2,000 triangles
  // A rotation, so the full transform path runs.
  scene.objects[0].matrix.m[0] = std::cos(0.3f);
  scene.objects[0].matrix.m[1] = std::sin(0.3f);
  scene.objects[0].matrix.m[4] = -std::sin(0.3f);
  scene.objects[0].matrix.m[5] = std::cos(0.3f);
  scene.cameraEye = {0.0f, 40.0f, -150.0f};
  scene.cameraFov = 0.9f;

  CountingDevice device;
  for (auto _ : state) {
    RenderScene(&scene, &device);
    benchmark::DoNotOptimize(device.checksum);
  }
  state.SetItemsProcessed(state.iterations() * scene.objects[0].faceCount);
  state.counters["vertices/frame"] = double(device.vertices) / double(state.iterations());
  FreeScene(&scene);
}
BENCHMARK(BM_RenderScene2000Triangles)->Arg(0)->Arg(MATERIAL_ENVIRONMENT_MAPPED);

void BM_DrawStarfieldSubmission(benchmark::State& state) {
  RuntimeSrand(1);
  InitStarfield();
  CountingDevice device;
  Device3D* saved = displayContext.device;
  displayContext.device = &device;
  float t = 0.0f;
  for (auto _ : state) {
    DrawStarfield(t);
    t += 0.2f;
    benchmark::DoNotOptimize(device.checksum);
  }
  displayContext.device = saved;
  state.SetItemsProcessed(state.iterations() * 5 * STAR_COUNT);
}
BENCHMARK(BM_DrawStarfieldSubmission);

}  // namespace
