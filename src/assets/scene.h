// scene.h - the in-memory form of one 3D Studio scene: materials, mesh objects, lights and
// the camera. Plain records of fixed layout; the 3DS reader fills them, the texture loader
// attaches textures, the renderer and the scene animations read and change them in place.
//
// Positions, directions and normals are in the show's axes (the file's y and z exchanged);
// every face lists its vertex indices in the reverse of the file's order. A Scene owns its
// arrays, each SceneObject its faces, vertices and workVertices, each SceneMaterial its
// MaterialTexture: all are malloc/calloc/realloc blocks, released with free() (FreeScene).
#pragma once
#include <cstdint>

#include "base/maths.h"

class Device3D;

constexpr int SCENE_NAME_SIZE = 128;  // names hold at most 127 characters and a NUL

// Red, green, blue, 0.0 to 1.0.
struct SceneColor {
  float r, g, b;
};

// What the renderer selects to texture a material. Zero-filled means "no texture".
struct MaterialTexture {
  Device3D* device;  // the device that issued handle; null when there is none
  int32_t width;     // size of the loaded bitmap, 0 when there is none
  int32_t height;
  uint32_t handle;   // the device's texture handle; 0 draws untextured
};

constexpr uint32_t MATERIAL_ENVIRONMENT_MAPPED = 1;  // SceneMaterial::flags bit 0

struct SceneMaterial {
  uint32_t flags;              // bit 0: u, v come from the transformed normal
  MaterialTexture* texture;    // never null after a successful allocation
  char textureFile[SCENE_NAME_SIZE];  // texture map file name as stored; empty when none
  SceneColor ambient;
  SceneColor diffuse;
  SceneColor specular;
  char name[SCENE_NAME_SIZE];  // faces find their material by exact comparison with it
};

struct SceneVertex {
  float x, y, z;
  float u, v;
  float nx, ny, nz;  // mean of the unit normals of the faces using it; not renormalised
};

// Per-frame results of the renderer: transformed position, lit colour, transformed normal.
struct WorkVertex {
  float x, y, z;
  float r, g, b;
  float nx, ny, nz;
};

struct SceneFace {
  uint32_t index[3];  // vertex indices, reversed from the file's order
};

struct SceneObject {
  float alpha;                  // 1.0 after loading; every vertex gets alpha x 255
  uint32_t materialIndex;       // into Scene::materials
  SceneFace* faces;
  uint32_t faceCount;
  SceneVertex* vertices;
  WorkVertex* workVertices;     // vertexCount records, zero-filled at load
  uint32_t vertexCount;
  Matrix4x4 matrix;             // applied as M x p, p a column vector
  char name[SCENE_NAME_SIZE];
};

// Light types understood by the vertex lighting.
constexpr uint32_t LIGHT_POINT = 0;        // with range and attenuation
constexpr uint32_t LIGHT_SPOT = 1;
constexpr uint32_t LIGHT_DIRECTIONAL = 2;
constexpr uint32_t LIGHT_AMBIENT = 3;
constexpr uint32_t LIGHT_POINT_PLAIN = 4;  // without range or attenuation

struct SceneLight {
  uint32_t type;
  SceneColor color;
  Vector3 position;
  Vector3 direction;   // unit vector towards a spot's target; (0, 0, 0) for a point light
  float range;         // outer range; 0 when the file gives none
  float falloff;       // 1.0 for a spot light, 0 for a point light
  float attenuation0;
  float attenuation1;  // the light's multiplier
  float attenuation2;
  float theta;         // hotspot half-angle, radians
  float phi;           // falloff half-angle, radians
  char name[SCENE_NAME_SIZE];
};

struct Scene {
  SceneMaterial* materials;  // element 0 is the built-in "Default"
  uint32_t materialCount;
  SceneObject* objects;      // file order; null when there are none
  uint32_t objectCount;
  SceneLight* lights;        // file order; null when there are none
  uint32_t lightCount;
  Vector3 cameraEye;
  Vector3 cameraTarget;
  float cameraRoll;          // as stored in the file; the renderer uses it as radians
  float cameraFov;           // radians
  char cameraName[SCENE_NAME_SIZE];
};

// Frees every heap block the scene owns (arrays, per-object blocks, texture records) and
// leaves the record all zero. Device textures are not released here: they belong to the
// device, which may already be gone when a scene is freed. Safe on an all-zero Scene.
void FreeScene(Scene* scene);
