#include "raster/software_device.h"

#include <cmath>
#include <memory>
#include <vector>

#include "platform/surface.h"
#include "raster/clip.h"
#include "raster/setup.h"
#include "raster/span_kernels.h"
#include "raster/spans.h"
#include "raster/vertex.h"

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The largest-magnitude whole number at or below x; whole numbers (infinities, NaN and zeros
// of either sign included) come back as they are.
float FloorOf(float x) {
  if (!(std::fabs(x) < 8388608.0f) || x == 0.0f) return x;
  const float whole = static_cast<float>(static_cast<int32_t>(x));
  return whole > x ? whole - 1.0f : whole;
}

// The smaller of two numbers, the other one when one is not a number (as fmin).
float SmallerOf(float x, float y) {
  if (std::isnan(x)) return y;
  if (std::isnan(y)) return x;
  return y < x ? y : x;
}

// Shifts a triangle's coordinate so that its smallest value lies in 0..1 (tiling makes
// that invisible) and keeps the rest within the texture's addressable range.
void RebaseCoordinates(float& a, float& b, float& c, float limit) {
  const float base = FloorOf(SmallerOf(a, SmallerOf(b, c)));
  for (float* value : {&a, &b, &c}) {
    float shifted = std::isfinite(base) ? *value - base : 0.0f;
    if (!(shifted >= 0.0f)) shifted = 0.0f;
    if (!(shifted <= limit)) shifted = limit;
    *value = shifted;
  }
}

}  // namespace

struct SoftwareDevice::State {
  float view[16];
  float projection[16];
  float viewProjection[16];
  uint32_t textureHandle = 0;
  std::vector<std::unique_ptr<RasterTexture>> textures;  // handle h lives at h - 1

  bool begun = false;
  PrimitiveType primitive = PrimitiveType::TriangleList;
  RasterTarget target;
  bool targetOk = false;
  const SpanKernels* kernels = &plainSpanKernels;
  LitVertex pending[3];
  int pendingCount = 0;

  const RasterTexture* CurrentTexture() const {
    if (textureHandle == 0 || textureHandle > textures.size()) return nullptr;
    return textures[textureHandle - 1].get();
  }
};

SoftwareDevice::SoftwareDevice(Surface* t, DepthBuffer* d) : target(t), depth(d), state(new State) {
  for (int i = 0; i < 16; ++i) state->view[i] = state->projection[i] = state->viewProjection[i] = kIdentity[i];
}

SoftwareDevice::~SoftwareDevice() = default;

Device3D* MakeSoftwareDevice(Surface* target, DepthBuffer* depth) { return new SoftwareDevice(target, depth); }

void SoftwareDevice::SetTransform(TransformState which, const float matrix[16]) {
  if (!matrix) return;
  float* destination = which == TransformState::View ? state->view : state->projection;
  for (int i = 0; i < 16; ++i) destination[i] = matrix[i];
  RasterMultiplyMatrices(state->view, state->projection, state->viewProjection);
}

void SoftwareDevice::SetTextureHandle(uint32_t handle) { state->textureHandle = handle; }

void SoftwareDevice::Begin(PrimitiveType type) {
  state->begun = true;
  state->primitive = type;
  state->pendingCount = 0;
  // The display may retarget the device between frames, so the target is read here.
  state->targetOk = RasterMakeTarget(target, depth, state->target);
  state->kernels = &UsableSpanKernels();
}

static void DrawClippedTriangle(const RasterTarget& target, const SpanKernels& kernels, const RasterTexture* texture,
                                const ClipVertex* in, uint32_t a, uint32_t b, uint32_t c) {
  const RasterViewport viewport{target.width, target.height};
  ClipVertex clipped[kMaxClippedVertices];
  const ClipVertex* polygon = in;
  int count = 3;
  if ((a | b | c) & kClipMustClip) {
    count = RasterClipPolygon(in, 3, clipped);
    polygon = clipped;
  }
  ScreenVertex screen[kMaxClippedVertices];
  for (int i = 0; i < count; ++i)
    if (!RasterProjectVertex(polygon[i], viewport, screen[i])) return;
  // The clipped polygon is convex: a fan from its first vertex covers it, and the fill rule
  // keeps the fan's inner edges from being drawn twice.
  RasterTriangle tri;
  for (int i = 1; i + 1 < count; ++i)
    if (RasterSetupTriangle(screen[0], screen[i], screen[i + 1], texture, tri))
      RasterDrawTriangle(tri, target, texture, kernels);
}

// One triangle of a list. Most are unclipped, and half of a closed mesh faces away: the
// positions alone decide those before any attribute is touched.
static void DrawListTriangle(const float viewProjection[16], const RasterTarget& target, const SpanKernels& kernels,
                             const RasterTexture* texture, const LitVertex* in) {
  ClipVertex clip[3];
  for (int i = 0; i < 3; ++i) RasterTransformPosition(viewProjection, in[i], clip[i]);
  const uint32_t a = RasterOutcode(clip[0]), b = RasterOutcode(clip[1]), c = RasterOutcode(clip[2]);
  if (a & b & c) return;  // wholly outside one plane
  const bool mustClip = (a | b | c) & kClipMustClip;
  ScreenVertex screen[3];
  if (!mustClip) {
    const RasterViewport viewport{target.width, target.height};
    for (int i = 0; i < 3; ++i)
      if (!RasterProjectPosition(clip[i], viewport, screen[i])) return;
    if (!RasterFacesViewer(screen[0], screen[1], screen[2])) return;
  }
  LitVertex v[3] = {in[0], in[1], in[2]};
  if (texture) {
    RasterWrapCoordinates(v[0].tu, v[1].tu, v[2].tu);
    RasterWrapCoordinates(v[0].tv, v[1].tv, v[2].tv);
    RebaseCoordinates(v[0].tu, v[1].tu, v[2].tu, texture->uLimit);
    RebaseCoordinates(v[0].tv, v[1].tv, v[2].tv, texture->vLimit);
  }
  for (int i = 0; i < 3; ++i) RasterUnpackAttributes(v[i], clip[i]);
  if (mustClip) {
    DrawClippedTriangle(target, kernels, texture, clip, a, b, c);
    return;
  }
  for (int i = 0; i < 3; ++i) RasterProjectAttributes(clip[i], screen[i]);
  RasterTriangle tri;
  if (RasterSetupTriangle(screen[0], screen[1], screen[2], texture, tri)) RasterDrawTriangle(tri, target, texture, kernels);
}

void SoftwareDevice::Vertex(const LitVertex& vertex) {
  State& s = *state;
  if (!s.begun || !s.targetOk) return;
  const RasterTexture* texture = s.CurrentTexture();
  if (s.primitive == PrimitiveType::PointList) {
    const ClipVertex c = RasterTransformVertex(s.viewProjection, vertex);
    // Points are not clipped: one outside the clip volume is dropped.
    if (RasterOutcode(c) & (kClipNear | kClipFar | kClipLeft | kClipRight | kClipBottom | kClipTop)) return;
    ScreenVertex p;
    if (RasterProjectVertex(c, RasterViewport{s.target.width, s.target.height}, p))
      RasterDrawPoint(p, s.target, texture);
    return;
  }
  s.pending[s.pendingCount++] = vertex;
  if (s.pendingCount < 3) return;
  s.pendingCount = 0;
  DrawListTriangle(s.viewProjection, s.target, *s.kernels, texture, s.pending);
}

void SoftwareDevice::End() {
  // An unfinished triangle at the end of a list is dropped.
  state->begun = false;
  state->pendingCount = 0;
}

uint32_t SoftwareDevice::CreateTexture(int width, int height, const uint32_t* pixels) {
  auto texture = std::make_unique<RasterTexture>();
  if (!RasterMakeTexture(width, height, pixels, *texture)) return 0;
  auto& list = state->textures;
  for (size_t i = 0; i < list.size(); ++i)
    if (!list[i]) {
      list[i] = std::move(texture);
      return static_cast<uint32_t>(i + 1);
    }
  list.push_back(std::move(texture));
  return static_cast<uint32_t>(list.size());
}

void SoftwareDevice::ReleaseTexture(uint32_t handle) {
  if (handle == 0 || handle > state->textures.size()) return;
  state->textures[handle - 1].reset();
}
