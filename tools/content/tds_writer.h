// tds_writer.h - 3D Studio (.3ds) chunk files: materials, triangle meshes, point and spot
// lights, cameras. Everything is given in the file's own axes (right-handed, z up); faces
// wind counter-clockwise seen from outside, as the format expects.
//
//   TdsScene scene;
//   scene.materials.push_back({"Steel", {40, 40, 48}, {200, 200, 220}, {30, 30, 30}, "Metal.bmp"});
//   scene.meshes.push_back(mesh);              // mesh.material = "Steel"
//   WriteTds("Scenes/Scene9.3ds", scene, &error);
//
// Layout (parents list their children in this order):
//   4D4D { 0002 version, 3D3D { 3D3E mesh version, 0100 scale, AFFF..., 4000{4700}...,
//          4000{4600{0010, 465A, 465B, 4610}}..., 4000{4100{4110, 4140, 4160, 4120{4130}}}... } }
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TdsVec3 {
  float x = 0, y = 0, z = 0;
};

struct TdsRgb {
  uint8_t r = 0, g = 0, b = 0;
};

struct TdsMaterial {
  std::string name;
  TdsRgb ambient, diffuse, specular;
  std::string textureFile;      // empty: no texture map chunk
  uint16_t texturePercent = 100;
};

struct TdsMesh {
  std::string name;
  std::vector<TdsVec3> vertices;                 // at most 65535
  std::vector<std::array<float, 2>> uvs;         // empty, or one (u, v) per vertex, v up
  std::vector<std::array<uint16_t, 3>> faces;    // counter-clockwise seen from outside
  std::string material;                          // empty: no face material group
};

struct TdsLight {
  std::string name;
  TdsVec3 position;
  std::array<float, 3> color = {1, 1, 1};
  float outerRange = 0;   // 0: no outer-range chunk
  float multiplier = 0;   // 0: no multiplier chunk
  bool spot = false;
  TdsVec3 target;         // spot lights only
  float hotspot = 0;      // cone angles in degrees, spot lights only
  float falloff = 0;
};

struct TdsCamera {
  std::string name;
  TdsVec3 position, target;
  float roll = 0;
  float lens = 35;  // millimetres
};

struct TdsScene {
  std::vector<TdsMaterial> materials;
  std::vector<TdsMesh> meshes;
  std::vector<TdsLight> lights;
  std::vector<TdsCamera> cameras;
};

// The whole file. On bad input (a face index past the vertex list, more than 65535 vertices
// or faces, a uv list of the wrong size, a name longer than 127 characters or holding a NUL)
// returns an empty vector and sets *error.
std::vector<uint8_t> EncodeTds(const TdsScene& scene, std::string* error);

bool WriteTds(const std::string& path, const TdsScene& scene, std::string* error);
