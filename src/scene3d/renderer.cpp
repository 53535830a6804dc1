#include "scene3d/renderer.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/maths.h"
#include "raster/device3d.h"
#include "scene3d/lighting.h"

namespace {

constexpr float NEAR_PLANE = 10.0f;
constexpr float FAR_PLANE = 500.0f;

// Truncation toward zero, then the low byte. Values the cast cannot represent (NaN, huge)
// give the processor's conversion result, 0x80000000 (low byte 0), without undefined
// behaviour.
uint32_t LevelByte(float value) {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
  return static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFu;
}

uint32_t PackColor(float alpha, float r, float g, float b) {
  return LevelByte(alpha * 255.0f) << 24 | LevelByte(r * 255.0f) << 16 |
         LevelByte(g * 255.0f) << 8 | LevelByte(b * 255.0f);
}

// A material index the scene does not have draws untextured, white and unmapped rather
// than reading past the materials array.
const SceneMaterial* MaterialOf(const Scene* scene, const SceneObject& object) {
  if (scene->materials == nullptr || object.materialIndex >= scene->materialCount)
    return nullptr;
  return &scene->materials[object.materialIndex];
}

uint32_t TextureHandleOf(const SceneMaterial* material) {
  if (material == nullptr || material->texture == nullptr) return 0;
  return material->texture->handle;
}

void TransformVertices(SceneObject& object) {
  const Matrix4x4 m = object.matrix;
  const SceneVertex* in = object.vertices;
  WorkVertex* out = object.workVertices;
  // Ones on the diagonal mean no visible rotation: skip the nine multiplications.
  if (m.m[0] == 1.0f && m.m[5] == 1.0f && m.m[10] == 1.0f) {
    for (uint32_t i = 0; i < object.vertexCount; i++) {
      out[i].x = in[i].x + m.m[3];
      out[i].y = in[i].y + m.m[7];
      out[i].z = in[i].z + m.m[11];
      out[i].nx = in[i].nx;
      out[i].ny = in[i].ny;
      out[i].nz = in[i].nz;
    }
    return;
  }
  for (uint32_t i = 0; i < object.vertexCount; i++) {
    float x = in[i].x, y = in[i].y, z = in[i].z;
    out[i].x = m.m[0] * x + m.m[1] * y + m.m[2] * z + m.m[3];
    out[i].y = m.m[4] * x + m.m[5] * y + m.m[6] * z + m.m[7];
    out[i].z = m.m[8] * x + m.m[9] * y + m.m[10] * z + m.m[11];
    float nx = in[i].nx, ny = in[i].ny, nz = in[i].nz;
    out[i].nx = m.m[0] * nx + m.m[1] * ny + m.m[2] * nz;
    out[i].ny = m.m[4] * nx + m.m[5] * ny + m.m[6] * nz;
    out[i].nz = m.m[8] * nx + m.m[9] * ny + m.m[10] * nz;
  }
}

// u, v follow the object's own rotation, not the camera.
void EnvironmentMap(SceneObject& object) {
  for (uint32_t i = 0; i < object.vertexCount; i++) {
    object.vertices[i].u = (object.workVertices[i].nx + 1.0f) * 0.5f;
    object.vertices[i].v = (object.workVertices[i].ny + 1.0f) * 0.5f;
  }
}

void DrawObject(const Scene* scene, SceneObject& object, Device3D* device) {
  const SceneMaterial* material = MaterialOf(scene, object);
  SceneColor diffuse = material != nullptr ? material->diffuse : SceneColor{1.0f, 1.0f, 1.0f};
  SceneColor specular = material != nullptr ? material->specular : SceneColor{0.0f, 0.0f, 0.0f};
  uint32_t packedSpecular = PackColor(1.0f, specular.r, specular.g, specular.b);

  // An object without its vertex arrays draws no faces, but still gets its Begin and End.
  bool hasVertices = object.vertices != nullptr && object.workVertices != nullptr;
  uint32_t vertexCount = hasVertices ? object.vertexCount : 0;
  if (hasVertices) {
    TransformVertices(object);
    if (material != nullptr && (material->flags & MATERIAL_ENVIRONMENT_MAPPED) != 0)
      EnvironmentMap(object);
    LightObjectVertices(scene, &object, diffuse);
  }

  device->Begin(PrimitiveType::TriangleList);
  if (object.faces != nullptr && vertexCount > 0) {
    // One device vertex per shared vertex; the faces index them.
    thread_local std::vector<LitVertex> lit;
    if (lit.size() < vertexCount) lit.resize(vertexCount);
    for (uint32_t i = 0; i < vertexCount; i++) {
      const WorkVertex& work = object.workVertices[i];
      LitVertex& vertex = lit[i];
      vertex.x = work.x;
      vertex.y = work.y;
      vertex.z = work.z;
      vertex.reserved = 0;
      vertex.color = PackColor(object.alpha, work.r, work.g, work.b);
      vertex.specular = packedSpecular;
      vertex.tu = object.vertices[i].u;
      vertex.tv = object.vertices[i].v;
    }
    static_assert(sizeof(SceneFace) == 3 * sizeof(uint32_t), "faces are read as packed index triples");
    // The device skips a face naming a missing vertex: the 3DS reader drops those, but a
    // record made or changed another way may still hold one.
    device->Triangles(lit.data(), vertexCount, object.faces[0].index, object.faceCount);
  }
  device->End();
}

}  // namespace

void SortObjectsByMaterial(const Scene* scene, uint32_t* drawOrder) {
  uint32_t count = scene->objects != nullptr ? scene->objectCount : 0;
  if (count < 2) return;
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (uint32_t i = 1; i < count; i++) {
      uint32_t left = drawOrder[i - 1], right = drawOrder[i];
      if (scene->objects[left].materialIndex > scene->objects[right].materialIndex) {
        drawOrder[i - 1] = right;
        drawOrder[i] = left;
        swapped = true;
      }
    }
  }
}

void RenderScene(Scene* scene, Device3D* device) {
  if (scene == nullptr || device == nullptr) return;

  float roll = scene->cameraRoll;
  Vector3 up = SetVector(static_cast<float>(std::sin(static_cast<double>(roll))),
                         static_cast<float>(std::cos(static_cast<double>(roll))), 0.0f);
  Matrix4x4 view = MakeLookAt(scene->cameraEye, scene->cameraTarget, up);
  Matrix4x4 projection = MakePerspective(NEAR_PLANE, FAR_PLANE, scene->cameraFov);
  device->SetTransform(TransformState::View, view.m);
  device->SetTransform(TransformState::Projection, projection.m);

  uint32_t objectCount = scene->objects != nullptr ? scene->objectCount : 0;
  if (objectCount == 0) return;
  auto* drawOrder = static_cast<uint32_t*>(malloc(objectCount * sizeof(uint32_t)));
  if (drawOrder == nullptr) return;  // nothing drawn this frame
  for (uint32_t i = 0; i < objectCount; i++) drawOrder[i] = i;
  SortObjectsByMaterial(scene, drawOrder);

  uint32_t currentMaterial = scene->objects[drawOrder[0]].materialIndex;
  device->SetTextureHandle(TextureHandleOf(MaterialOf(scene, scene->objects[drawOrder[0]])));
  for (uint32_t n = 0; n < objectCount; n++) {
    SceneObject& object = scene->objects[drawOrder[n]];
    if (object.materialIndex != currentMaterial) {
      currentMaterial = object.materialIndex;
      device->SetTextureHandle(TextureHandleOf(MaterialOf(scene, object)));
    }
    DrawObject(scene, object, device);
  }
  free(drawOrder);
}
