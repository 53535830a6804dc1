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
  virtual void BeginScene() {}
  virtual void EndScene() {}
  // Registers a texture of 0x00RRGGBB pixels (copied); returns its handle, 0 on failure.
  virtual uint32_t CreateTexture(int width, int height, const uint32_t* pixels) = 0;
  virtual void ReleaseTexture(uint32_t handle) = 0;
};
