#include "scene3d/renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/maths.h"
#include "raster/device3d.h"

namespace {

// Logs every call the renderer makes, in order.
class RecordingDevice : public Device3D {
 public:
  std::vector<std::string> calls;
  std::vector<uint32_t> textures;
  std::vector<LitVertex> vertices;
  Matrix4x4 view{}, projection{};

  void SetTransform(TransformState state, const float matrix[16]) override {
    calls.push_back(state == TransformState::View ? "view" : "projection");
    std::memcpy((state == TransformState::View ? view : projection).m, matrix, 64);
  }
  void SetTextureHandle(uint32_t handle) override {
    calls.push_back("texture " + std::to_string(handle));
    textures.push_back(handle);
  }
  void Begin(PrimitiveType type) override {
    calls.push_back(type == PrimitiveType::TriangleList ? "begin" : "begin points");
  }
  void Vertex(const LitVertex& vertex) override {
    // Objects in these tests are told apart by their vertices' x.
    if (calls.back().rfind("begin", 0) == 0) calls.back() += " " + std::to_string(int(vertex.x));
    vertices.push_back(vertex);
  }
  void End() override { calls.push_back("end"); }
  uint32_t CreateTexture(int, int, const uint32_t*) override { return 0; }
  void ReleaseTexture(uint32_t) override {}
};

template <typename T>
T* Append(T*& array, uint32_t& count) {
  array = static_cast<T*>(realloc(array, (count + 1) * sizeof(T)));
  std::memset(&array[count], 0, sizeof(T));
  return &array[count++];
}

SceneMaterial* AddMaterial(Scene& scene, uint32_t handle) {
  SceneMaterial* material = Append(scene.materials, scene.materialCount);
  material->texture = static_cast<MaterialTexture*>(calloc(1, sizeof(MaterialTexture)));
  material->texture->handle = handle;
  material->diffuse = {1.0f, 1.0f, 1.0f};
  return material;
}

// One triangle whose vertices sit at x = tag, tag + 1, tag + 2, normals along +z.
SceneObject* AddObject(Scene& scene, uint32_t materialIndex, float tag) {
  SceneObject* object = Append(scene.objects, scene.objectCount);
  object->alpha = 1.0f;
  object->materialIndex = materialIndex;
  object->matrix = MakeIdentity();
  object->vertexCount = 3;
  object->vertices = static_cast<SceneVertex*>(calloc(3, sizeof(SceneVertex)));
  object->workVertices = static_cast<WorkVertex*>(calloc(3, sizeof(WorkVertex)));
  for (int i = 0; i < 3; i++) {
    object->vertices[i] = SceneVertex{tag + i, 1.0f, 1.0f, 0.25f * i, 0.125f * i,
                                      0.0f, 0.0f, 1.0f};
  }
  object->faceCount = 1;
  object->faces = static_cast<SceneFace*>(calloc(1, sizeof(SceneFace)));
  object->faces[0] = SceneFace{{2, 1, 0}};
  return object;
}

void AddAmbient(Scene& scene, SceneColor color) {
  SceneLight* light = Append(scene.lights, scene.lightCount);
  light->type = LIGHT_AMBIENT;
  light->color = color;
}

struct TestScene : Scene {
  TestScene() : Scene{} {
    cameraEye = {0.0f, 0.0f, -100.0f};
    cameraFov = 1.0f;
  }
  ~TestScene() { FreeScene(this); }
};

}  // namespace

TEST(SceneRenderer, DrawOrderAndTextureSelection) {
  TestScene scene;
  AddMaterial(scene, 10);
  AddMaterial(scene, 11);
  AddMaterial(scene, 12);
  AddObject(scene, 2, 0.0f);
  AddObject(scene, 0, 100.0f);
  AddObject(scene, 1, 200.0f);
  AddObject(scene, 0, 300.0f);

  uint32_t order[4] = {0, 1, 2, 3};
  SortObjectsByMaterial(&scene, order);
  EXPECT_EQ(std::vector<uint32_t>(order, order + 4), (std::vector<uint32_t>{1, 3, 2, 0}));

  RecordingDevice device;
  RenderScene(&scene, &device);
  // One selection per run of a material, one Begin/End per object, faces' stored order.
  std::vector<std::string> expected = {
      "view", "projection", "texture 10", "begin 102 101 100", "end", "begin 302 301 300", "end",
      "texture 11", "begin 202 201 200", "end", "texture 12", "begin 2 1 0", "end"};
  EXPECT_EQ(device.calls, expected);
  ASSERT_EQ(device.vertices.size(), 12u);
  EXPECT_EQ(device.vertices[0].x, 102.0f);
  EXPECT_EQ(device.vertices[1].x, 101.0f);
  EXPECT_EQ(device.vertices[2].x, 100.0f);
  EXPECT_EQ(device.vertices[0].tu, 0.5f);
  EXPECT_EQ(device.vertices[0].tv, 0.25f);

  // Three objects on the same material still select the texture once; a later switch
  // selects again, even back to an earlier material.
  TestScene same;
  AddMaterial(same, 0);
  AddMaterial(same, 7);
  AddObject(same, 1, 0.0f);
  AddObject(same, 1, 10.0f);
  AddObject(same, 1, 20.0f);
  AddObject(same, 0, 30.0f);
  RecordingDevice sameDevice;
  RenderScene(&same, &sameDevice);
  EXPECT_EQ(sameDevice.textures, (std::vector<uint32_t>{0, 7}));

  // A single object is drawn without reordering; no objects: only the transforms.
  TestScene single;
  AddMaterial(single, 3);
  AddObject(single, 0, 5.0f);
  uint32_t one[1] = {0};
  SortObjectsByMaterial(&single, one);
  EXPECT_EQ(one[0], 0u);
  RecordingDevice singleDevice;
  RenderScene(&single, &singleDevice);
  EXPECT_EQ(singleDevice.calls,
            (std::vector<std::string>{"view", "projection", "texture 3", "begin 7 6 5", "end"}));

  TestScene empty;
  AddMaterial(empty, 3);
  RecordingDevice emptyDevice;
  RenderScene(&empty, &emptyDevice);
  EXPECT_EQ(emptyDevice.calls, (std::vector<std::string>{"view", "projection"}));
}

TEST(SceneRenderer, CameraTransforms) {
  TestScene scene;
  AddMaterial(scene, 0);
  scene.cameraEye = {10.0f, 20.0f, -30.0f};
  scene.cameraTarget = {1.0f, 2.0f, 3.0f};
  scene.cameraRoll = 0.3f;
  scene.cameraFov = 0.9f;
  RecordingDevice device;
  RenderScene(&scene, &device);

  Matrix4x4 view = MakeLookAt(scene.cameraEye, scene.cameraTarget,
                              SetVector(std::sin(0.3f), std::cos(0.3f), 0.0f));
  Matrix4x4 projection = MakePerspective(10.0f, 500.0f, 0.9f);
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ(device.view.m[i], view.m[i]) << i;
    EXPECT_EQ(device.projection.m[i], projection.m[i]) << i;
  }
}

TEST(SceneRenderer, TransformPaths) {
  TestScene scene;
  AddMaterial(scene, 0);
  SceneObject* object = AddObject(scene, 0, 1.0f);
  object->vertices[0] = SceneVertex{1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.6f, 0.8f, 0.0f};

  // Ones on the diagonal: translated only, the off-diagonal 0.5 is ignored.
  object->matrix.m[1] = 0.5f;
  object->matrix.m[3] = 1.0f;
  object->matrix.m[7] = 2.0f;
  object->matrix.m[11] = 3.0f;
  RecordingDevice device;
  RenderScene(&scene, &device);
  WorkVertex w = object->workVertices[0];
  EXPECT_EQ(w.x, 2.0f);
  EXPECT_EQ(w.y, 3.0f);
  EXPECT_EQ(w.z, 4.0f);
  EXPECT_EQ(w.nx, 0.6f);
  EXPECT_EQ(w.ny, 0.8f);
  EXPECT_EQ(w.nz, 0.0f);
  EXPECT_EQ(device.vertices[2].x, 2.0f);  // the face lists vertex 0 last

  // Anything else on the diagonal takes the full path, normals included (not renormalised).
  object->matrix.m[0] = 0.999f;
  RenderScene(&scene, &device);
  w = object->workVertices[0];
  EXPECT_EQ(w.x, 0.999f + 0.5f + 1.0f);
  EXPECT_EQ(w.y, 3.0f);
  EXPECT_EQ(w.nx, 0.999f * 0.6f + 0.5f * 0.8f);
  EXPECT_EQ(w.ny, 0.8f);

  // A quarter turn about z carries positions and normals.
  object->matrix = MakeIdentity();
  object->matrix.m[0] = 0.0f;
  object->matrix.m[1] = 1.0f;
  object->matrix.m[4] = -1.0f;
  object->matrix.m[5] = 0.0f;
  object->matrix.m[11] = -5.0f;
  RenderScene(&scene, &device);
  w = object->workVertices[0];
  EXPECT_EQ(w.x, 1.0f);
  EXPECT_EQ(w.y, -1.0f);
  EXPECT_EQ(w.z, -4.0f);
  EXPECT_EQ(w.nx, 0.8f);
  EXPECT_EQ(w.ny, -0.6f);
}

TEST(SceneRenderer, VertexPacking) {
  TestScene scene;
  SceneMaterial* material = AddMaterial(scene, 4);
  material->specular = {1.0f, 0.5f, 0.0f};
  material->diffuse = {1.0f, 1.0f, 0.5f};
  AddAmbient(scene, {0.5f, 0.25f, 1.0f});
  SceneObject* object = AddObject(scene, 0, 0.0f);
  object->alpha = 0.5f;

  RecordingDevice device;
  RenderScene(&scene, &device);
  ASSERT_EQ(device.vertices.size(), 3u);
  // 127.5, 63.75, 127.5 and 127.5 truncate to 127, 63, 127, 127.
  EXPECT_EQ(device.vertices[0].color, 0x7F7F3F7Fu);
  EXPECT_EQ(device.vertices[0].specular, 0xFFFF7F00u);
  EXPECT_EQ(device.vertices[2].specular, 0xFFFF7F00u);

  object->alpha = 1.0f;
  RenderScene(&scene, &device);
  EXPECT_EQ(device.vertices[3].color >> 24, 0xFFu);

  // No lights at all: black vertices, the specular glow still sent.
  TestScene dark;
  AddMaterial(dark, 0)->specular = {0.0f, 0.0f, 0.2f};
  AddObject(dark, 0, 0.0f);
  RecordingDevice darkDevice;
  RenderScene(&dark, &darkDevice);
  EXPECT_EQ(darkDevice.vertices[0].color, 0xFF000000u);
  EXPECT_EQ(darkDevice.vertices[0].specular, 0xFF000033u);
}

TEST(SceneRenderer, EnvironmentMapping) {
  TestScene scene;
  SceneMaterial* material = AddMaterial(scene, 9);
  material->flags = MATERIAL_ENVIRONMENT_MAPPED;
  SceneObject* object = AddObject(scene, 0, 0.0f);
  object->vertices[1].nx = 1.0f;
  object->vertices[1].nz = 0.0f;
  object->vertices[2].nx = 0.0f;
  object->vertices[2].ny = -1.0f;
  object->vertices[2].nz = 0.0f;

  RecordingDevice device;
  RenderScene(&scene, &device);
  EXPECT_EQ(object->vertices[0].u, 0.5f);
  EXPECT_EQ(object->vertices[0].v, 0.5f);
  EXPECT_EQ(object->vertices[1].u, 1.0f);
  EXPECT_EQ(object->vertices[1].v, 0.5f);
  EXPECT_EQ(object->vertices[2].v, 0.0f);
  // Sent in the face's order: vertex 2, 1, 0.
  EXPECT_EQ(device.vertices[1].tu, 1.0f);
  EXPECT_EQ(device.vertices[2].tu, 0.5f);

  // The coordinates follow the object's rotation, and stay when the flag goes away.
  object->matrix = MakeIdentity();
  object->matrix.m[0] = 0.0f;
  object->matrix.m[1] = 1.0f;
  object->matrix.m[4] = -1.0f;
  object->matrix.m[5] = 0.0f;
  RenderScene(&scene, &device);
  EXPECT_EQ(object->vertices[1].u, 0.5f);
  EXPECT_EQ(object->vertices[1].v, 0.0f);
  material->flags = 0;
  object->matrix = MakeIdentity();
  RenderScene(&scene, &device);
  EXPECT_EQ(object->vertices[1].v, 0.0f);
}

TEST(SceneRenderer, BadRecordsDoNotReadOutOfBounds) {
  TestScene scene;
  AddMaterial(scene, 5);
  SceneObject* object = AddObject(scene, 0, 0.0f);
  // A second face pointing past the vertices is skipped; the good one is drawn.
  object->faces = static_cast<SceneFace*>(realloc(object->faces, 2 * sizeof(SceneFace)));
  object->faces[1] = SceneFace{{0, 1, 3}};
  object->faceCount = 2;
  SceneObject* stray = AddObject(scene, 0, 50.0f);
  stray->materialIndex = 7;  // no such material
  SceneObject* bare = AddObject(scene, 0, 80.0f);
  free(bare->faces);
  bare->faces = nullptr;
  bare->faceCount = 0;

  RecordingDevice device;
  RenderScene(&scene, &device);
  EXPECT_EQ(device.calls, (std::vector<std::string>{"view", "projection", "texture 5",
                                                    "begin 2 1 0", "end", "begin", "end",
                                                    "texture 0", "begin 52 51 50", "end"}));
  EXPECT_EQ(device.vertices.size(), 6u);

  // No device, no scene: nothing happens.
  RenderScene(&scene, nullptr);
  RenderScene(nullptr, &device);
  EXPECT_EQ(device.calls.size(), 10u);
}
