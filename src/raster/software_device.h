// software_device.h - the software rasterizer behind Device3D.
//
// Draws into a Surface (32 or 24 bits per pixel) with a DepthBuffer of the same size.
// Pipeline: transform -> clip (near z = 0, far z = w, homogeneous) -> project to the 320 x 240
// viewport -> set up -> rasterize spans (top-left fill rule, sub-pixel precision).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/device3d.h"

class Surface;

class SoftwareDevice : public Device3D {
 public:
  SoftwareDevice(Surface* target, DepthBuffer* depth);
  ~SoftwareDevice() override;

  void SetTransform(TransformState state, const float matrix[16]) override;
  void SetTextureHandle(uint32_t handle) override;
  void Begin(PrimitiveType type) override;
  void Vertex(const LitVertex& vertex) override;
  void Triangles(const LitVertex* vertices, uint32_t vertexCount, const uint32_t* corners,
                 uint32_t triangleCount) override;
  void End() override;
  uint32_t CreateTexture(int width, int height, const uint32_t* pixels) override;
  void ReleaseTexture(uint32_t handle) override;

  // The surfaces drawn into; the display may retarget them.
  Surface* target;
  DepthBuffer* depth;

 private:
  struct State;
  std::unique_ptr<State> state;
};

// A DeviceMaker for the display driver: the software device as the era's RGB device.
Device3D* MakeSoftwareDevice(Surface* target, DepthBuffer* depth);
