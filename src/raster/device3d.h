// device3d.h - the 3D device the scenes and the starfield draw through.
//
// It keeps the contract of the era's immediate-mode device: view and projection set as
// row-vector matrices (v' = v x M, element (row i, column j) at 4*i + j), world = identity,
// Direct3D clip space (0 <= z <= w), a 320 x 240 viewport of the 4:3 clip volume, triangle
// and point lists of pre-lit vertices between Begin and End, a texture chosen by handle
// (0 = none). The fixed render states (depth test less-or-equal with writes, source-alpha
// blending, counter-clockwise culling, Gouraud shading, perspective-correct wrapped textures,
// bilinear minification) are the device's own behaviour.
//
// Device3D is an interface so that tests can record the calls a renderer makes;
// SoftwareDevice (software_device.h) is the rasterizer that draws into the back buffer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/display_object.h"
#include "platform/surface.h"

// A pre-lit vertex: position, colour 0xAARRGGBB, specular 0xFFRRGGBB, texture coordinates.
struct LitVertex {
  float x, y, z;
  uint32_t reserved;
  uint32_t color;
  uint32_t specular;
  float tu, tv;
};

enum class PrimitiveType { TriangleList, PointList };
enum class TransformState { View, Projection };

class Device3D : public DisplayObject {
 public:
  const char* ObjectKind() const override { return "Device"; }
  virtual void SetTransform(TransformState state, const float matrix[16]) = 0;
  virtual void SetTextureHandle(uint32_t handle) = 0;
  virtual void Begin(PrimitiveType type) = 0;
  virtual void Vertex(const LitVertex& vertex) = 0;
  virtual void End() = 0;
  // A triangle list given once per shared vertex: triangle i has the corners
  // vertices[corners[3i]], vertices[corners[3i + 1]] and vertices[corners[3i + 2]]; one naming
  // a vertex at or past vertexCount is skipped. Between Begin and End it draws exactly what
  // passing the corners one by one to Vertex draws (which is all this default does); a device
  // may do the per-vertex work once for every triangle sharing the vertex.
  virtual void Triangles(const LitVertex* vertices, uint32_t vertexCount, const uint32_t* corners,
                         uint32_t triangleCount) {
    for (uint32_t t = 0; t < triangleCount; ++t) {
      const uint32_t* c = corners + 3 * static_cast<size_t>(t);
      if (c[0] >= vertexCount || c[1] >= vertexCount || c[2] >= vertexCount) continue;
      for (int i = 0; i < 3; ++i) Vertex(vertices[c[i]]);
    }
  }
  virtual void BeginScene() {}
  virtual void EndScene() {}
  // Registers a texture of 0x00RRGGBB pixels (copied); returns its handle, 0 on failure.
  virtual uint32_t CreateTexture(int width, int height, const uint32_t* pixels) = 0;
  virtual void ReleaseTexture(uint32_t handle) = 0;
};
