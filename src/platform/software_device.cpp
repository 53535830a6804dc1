#include "platform/software_device.h"

#include "platform/surface.h"

// Placeholder until the rasterizer lands: accepts everything, draws nothing.
struct SoftwareDevice::State {};

SoftwareDevice::SoftwareDevice(Surface* t, DepthBuffer* d) : target(t), depth(d), state(new State) {}
SoftwareDevice::~SoftwareDevice() = default;
void SoftwareDevice::SetTransform(TransformState, const float[16]) {}
void SoftwareDevice::SetTextureHandle(uint32_t) {}
void SoftwareDevice::Begin(PrimitiveType) {}
void SoftwareDevice::Vertex(const LitVertex&) {}
void SoftwareDevice::End() {}
uint32_t SoftwareDevice::CreateTexture(int, int, const uint32_t*) { return 0; }
void SoftwareDevice::ReleaseTexture(uint32_t) {}
