// Fuzzes the 3D Studio scene reader over bytes, with no display device: every count, length
// and index it reads comes from the input. What the renderer and the animations rely on is
// checked afterwards: every array as long as its count, every face naming a vertex that
// exists, every name terminated inside its field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "assets/scene.h"
#include "assets/tds_reader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Terminated(const char* name) { return std::memchr(name, '\0', SCENE_NAME_SIZE) != nullptr; }

// Reading every element lets the address sanitizer catch an array shorter than its count.
float Touch(const Scene& scene) {
  float sum = 0;
  Require(scene.materialCount >= 1 && scene.materials != nullptr);
  Require(Terminated(scene.cameraName));
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    const SceneMaterial& material = scene.materials[i];
    Require(Terminated(material.name) && Terminated(material.textureFile));
    if (material.texture) sum += static_cast<float>(material.texture->handle);
    sum += material.diffuse.r;
  }
  Require(scene.objectCount == 0 || scene.objects != nullptr);
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    const SceneObject& object = scene.objects[i];
    Require(Terminated(object.name));
    Require(object.vertexCount == 0 || (object.vertices && object.workVertices));
    Require(object.faceCount == 0 || object.faces);
    for (uint32_t v = 0; v < object.vertexCount; ++v) sum += object.vertices[v].nx + object.workVertices[v].x;
    for (uint32_t f = 0; f < object.faceCount; ++f)
      for (uint32_t corner : object.faces[f].index) Require(corner < object.vertexCount);
  }
  Require(scene.lightCount == 0 || scene.lights != nullptr);
  for (uint32_t i = 0; i < scene.lightCount; ++i) {
    Require(Terminated(scene.lights[i].name));
    sum += scene.lights[i].range;
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Scene scene{};
  Read3dsScene(data, size, &scene, nullptr);
  volatile float sink = Touch(scene);
  (void)sink;
  FreeScene(&scene);
  return 0;
}
