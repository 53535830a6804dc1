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

// What a triangle needs of a corner before its attributes: the clip-space position and its
// outcode, and for a corner that needs no clipping its snapped screen position, or that it
// could not be placed. A pure function of the vertex, so a vertex shared by many triangles
// is placed once.
struct PlacedCorner {
  float x, y, z, w;
  uint32_t code;
  bool placed;
  int32_t sx, sy;
};

void PlaceCorner(const float viewProjection[16], const RasterViewport& viewport, const LitVertex& vertex,
                 PlacedCorner& out) {
  ClipVertex clip;
  RasterTransformPosition(viewProjection, vertex, clip);
  out.x = clip.x;
  out.y = clip.y;
  out.z = clip.z;
  out.w = clip.w;
  out.code = RasterOutcode(clip);
  out.placed = false;
  out.sx = out.sy = 0;
  if (!(out.code & kClipMustClip)) {
    ScreenVertex screen;
    screen.x = screen.y = 0;
    out.placed = RasterProjectPosition(clip, viewport, screen);
    out.sx = screen.x;
    out.sy = screen.y;
  }
}

// A triangle's three corners side by side. The screen positions are only looked at when no
// corner is clipped, and then a triangle with one corner that cannot be placed is dropped
// whichever it is: so all three are placed or none.
void PlaceCorners(const float viewProjection[16], const RasterViewport& viewport, const LitVertex* vertices,
                  PlacedCorner* out) {
  ClipVertex clip[3];
  uint32_t code[3];
  RasterTransformCorners(viewProjection, vertices, clip, code);
  ScreenVertex screen[3];
  const bool placed =
      !((code[0] | code[1] | code[2]) & kClipMustClip) && RasterProjectCorners(clip, viewport, screen);
  for (int i = 0; i < 3; ++i)
    out[i] = PlacedCorner{clip[i].x,    clip[i].y, clip[i].z, clip[i].w, code[i], placed, placed ? screen[i].x : 0,
                          placed ? screen[i].y : 0};
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
  std::vector<PlacedCorner> placed;  // Triangles' vertices, kept between calls for the room

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
static void DrawListTriangle(const RasterTarget& target, const SpanKernels& kernels, const RasterTexture* texture,
                             const LitVertex* const in[3], const PlacedCorner* const corner[3]) {
  const uint32_t a = corner[0]->code, b = corner[1]->code, c = corner[2]->code;
  if (a & b & c) return;  // wholly outside one plane
  const bool mustClip = (a | b | c) & kClipMustClip;
  ScreenVertex screen[3];
  if (!mustClip) {
    for (int i = 0; i < 3; ++i) {
      if (!corner[i]->placed) return;
      screen[i].x = corner[i]->sx;
      screen[i].y = corner[i]->sy;
    }
    if (!RasterFacesViewer(screen[0], screen[1], screen[2])) return;
  }
  LitVertex v[3] = {*in[0], *in[1], *in[2]};
  if (texture) {
    RasterWrapCoordinates(v[0].tu, v[1].tu, v[2].tu);
    RasterWrapCoordinates(v[0].tv, v[1].tv, v[2].tv);
    RebaseCoordinates(v[0].tu, v[1].tu, v[2].tu, texture->uLimit);
    RebaseCoordinates(v[0].tv, v[1].tv, v[2].tv, texture->vLimit);
  }
  ClipVertex clip[3];
  for (int i = 0; i < 3; ++i) {
    clip[i].x = corner[i]->x;
    clip[i].y = corner[i]->y;
    clip[i].z = corner[i]->z;
    clip[i].w = corner[i]->w;
    RasterUnpackAttributes(v[i], clip[i]);
  }
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
  PlacedCorner corners[3];
  PlaceCorners(s.viewProjection, RasterViewport{s.target.width, s.target.height}, s.pending, corners);
  const LitVertex* const in[3] = {&s.pending[0], &s.pending[1], &s.pending[2]};
  const PlacedCorner* const placed[3] = {&corners[0], &corners[1], &corners[2]};
  DrawListTriangle(s.target, *s.kernels, texture, in, placed);
}

void SoftwareDevice::Triangles(const LitVertex* vertices, uint32_t vertexCount, const uint32_t* corners,
                               uint32_t triangleCount) {
  State& s = *state;
  if (!s.begun || !s.targetOk) return;
  // Points, or a triangle left open by Vertex calls, take the corner-by-corner way.
  if (s.primitive != PrimitiveType::TriangleList || s.pendingCount != 0 || vertices == nullptr ||
      corners == nullptr) {
    if (vertices != nullptr && corners != nullptr)
      Device3D::Triangles(vertices, vertexCount, corners, triangleCount);
    return;
  }
  const RasterTexture* texture = s.CurrentTexture();
  const RasterViewport viewport{s.target.width, s.target.height};
  if (s.placed.size() < vertexCount) s.placed.resize(vertexCount);
  for (uint32_t i = 0; i < vertexCount; ++i) PlaceCorner(s.viewProjection, viewport, vertices[i], s.placed[i]);
  for (uint32_t t = 0; t < triangleCount; ++t) {
    const uint32_t* c = corners + 3 * static_cast<size_t>(t);
    if (c[0] >= vertexCount || c[1] >= vertexCount || c[2] >= vertexCount) continue;
    const LitVertex* const in[3] = {&vertices[c[0]], &vertices[c[1]], &vertices[c[2]]};
    const PlacedCorner* const placed[3] = {&s.placed[c[0]], &s.placed[c[1]], &s.placed[c[2]]};
    DrawListTriangle(s.target, *s.kernels, texture, in, placed);
  }
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
