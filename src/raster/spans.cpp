#include "raster/spans.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/surface.h"
#include "raster/device3d.h"
#include "raster/span_kernels.h"

namespace {

int64_t FloorDiv(int64_t n, int64_t d) {  // d > 0
  int64_t q = n / d;
  if ((n % d) != 0 && n < 0) --q;
  return q;
}

int64_t CeilDiv(int64_t n, int64_t d) { return -FloorDiv(-n, d); }

// First pixel row whose centre lies at or below y (1/16 pixel).
int RowAtOrBelow(int32_t y) { return static_cast<int>(CeilDiv(int64_t{y} - kSubpixelOne / 2, kSubpixelOne)); }

// Walks one edge from row to row: x is the first pixel whose centre lies at or right of
// the edge, kept exactly as quotient and remainder of a rational number.
struct EdgeWalker {
  int32_t x;
  int32_t stepX;
  int64_t remainder, denominator, stepRemainder;

  void Start(const ScreenVertex& top, const ScreenVertex& bottom, int row) {
    const int64_t dy = int64_t{bottom.y} - top.y;
    const int64_t dx = int64_t{bottom.x} - top.x;
    const int64_t centreY = int64_t{row} * kSubpixelOne + kSubpixelOne / 2;
    // Pixel px is at or right of the edge when 16 px + 8 >= top.x + (centreY - top.y) dx / dy.
    const int64_t n = (int64_t{top.x} - kSubpixelOne / 2) * dy + (centreY - top.y) * dx;
    denominator = dy * kSubpixelOne;
    const int64_t q = CeilDiv(n, denominator);
    x = static_cast<int32_t>(q);
    remainder = q * denominator - n;
    const int64_t stepN = dx * kSubpixelOne;
    const int64_t sq = FloorDiv(stepN, denominator);
    stepX = static_cast<int32_t>(sq);
    stepRemainder = stepN - sq * denominator;
  }

  void Next() {
    // Without a branch: whether the remainder borrows is as good as random from row to row.
    x += stepX;
    remainder -= stepRemainder;
    const int64_t borrow = remainder >> 63;  // -1 when the remainder went below zero
    x -= static_cast<int32_t>(borrow);
    remainder += denominator & borrow;
  }
};

// A triangle's spans, handed to the span loop a batch at a time.
class SpanBatch {
 public:
  SpanBatch(const SpanSetup& setup, SpanFunction fill) : setup_(setup), fill_(fill) {}
  void Add(int y, int x0, int x1) {
    spans_[count_++] = RasterSpan{y, x0, x1};
    if (count_ == kSpanBatch) Flush();
  }
  void Flush() {
    if (count_ > 0) fill_(setup_, spans_, count_);
    count_ = 0;
  }

 private:
  const SpanSetup& setup_;
  SpanFunction fill_;
  RasterSpan spans_[kSpanBatch];
  int count_ = 0;
};

void WalkRows(SpanBatch& batch, int width, EdgeWalker& left, EdgeWalker& right, int rowBegin, int rowEnd) {
  for (int row = rowBegin; row < rowEnd; ++row) {
    const int x0 = std::max(left.x, 0);
    const int x1 = std::min(right.x, width);
    if (x0 < x1) batch.Add(row, x0, x1);
    left.Next();
    right.Next();
  }
}

}  // namespace

bool RasterMakeTarget(Surface* surface, DepthBuffer* depth, RasterTarget& target) {
  target = RasterTarget{};
  if (!surface || (surface->bitsPerPixel != 32 && surface->bitsPerPixel != 24)) return false;
  const int bytes = surface->bitsPerPixel / 8;
  if (surface->width <= 0 || surface->height <= 0 || surface->pitch < surface->width * bytes) return false;
  if (surface->pixels.size() < static_cast<size_t>(surface->pitch) * static_cast<size_t>(surface->height))
    return false;
  target.pixels = surface->pixels.data();
  target.pitch = surface->pitch;
  target.bytesPerPixel = bytes;
  target.width = surface->width;
  target.height = surface->height;
  if (depth && depth->width == surface->width && depth->height == surface->height &&
      depth->depth.size() >= static_cast<size_t>(depth->width) * static_cast<size_t>(depth->height))
    target.depth = depth->depth.data();
  return true;
}

void RasterDrawTriangle(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture) {
  RasterDrawTriangle(tri, target, texture, UsableSpanKernels());
}

void RasterDrawTriangle(const RasterTriangle& tri, const RasterTarget& target, const RasterTexture* texture,
                        const SpanKernels& kernels) {
  if (!target.pixels) return;
  unsigned mode = kSpanNoTexture;
  if (texture && !texture->texels.empty() && tri.filter != RasterFilter::None)
    mode = tri.filter == RasterFilter::Bilinear ? kSpanBilinear : kSpanNearest;
  if (mode == kSpanNoTexture) texture = nullptr;
  const SpanFunction fill = kernels.fill[SpanVariant(mode, !tri.opaque, tri.specular, texture && texture->powerOfTwo,
                                                     target.bytesPerPixel)];
  const ScreenVertex& v0 = tri.v[0];
  const ScreenVertex& v1 = tri.v[1];
  const ScreenVertex& v2 = tri.v[2];
  const int row0 = std::max(RowAtOrBelow(v0.y), 0);
  const int row1 = std::clamp(RowAtOrBelow(v1.y), 0, target.height);
  const int row2 = std::min(RowAtOrBelow(v2.y), target.height);
  if (row0 >= row2) return;

  SpanSetup context;
  RasterPrepareSpans(tri, target, texture, context);
  SpanBatch batch(context, fill);

  EdgeWalker longEdge, shortEdge;
  longEdge.Start(v0, v2, row0);
  EdgeWalker& left = tri.longEdgeOnLeft ? longEdge : shortEdge;
  EdgeWalker& right = tri.longEdgeOnLeft ? shortEdge : longEdge;
  if (row0 < row1) {
    shortEdge.Start(v0, v1, row0);
    WalkRows(batch, target.width, left, right, row0, row1);
  }
  const int lower = std::max(row0, row1);
  if (lower < row2) {
    shortEdge.Start(v1, v2, lower);
    WalkRows(batch, target.width, left, right, lower, row2);
  }
  batch.Flush();
}

void RasterDrawPoint(const ScreenVertex& vertex, const RasterTarget& target, const RasterTexture* texture) {
  if (!target.pixels) return;
  const int x = vertex.x >> kSubpixelBits;
  const int y = vertex.y >> kSubpixelBits;
  if (x < 0 || y < 0 || x >= target.width || y >= target.height) return;
  const float z = vertex.value[kInterpZ];
  if (target.depth) {
    float& stored = target.depth[static_cast<size_t>(y) * static_cast<size_t>(target.width) + x];
    if (!(z <= stored)) return;
    stored = z;
  }
  auto level = [](float f) { return static_cast<uint32_t>(std::min(255.0f, std::max(0.0f, f))); };
  uint32_t r = level(vertex.value[kInterpR]), g = level(vertex.value[kInterpG]);
  uint32_t b = level(vertex.value[kInterpB]);
  const uint32_t a = level(vertex.value[kInterpA]);
  if (texture && !texture->texels.empty()) {
    const float w = 1.0f / vertex.value[kInterpInvW];
    float u = vertex.value[kInterpUW] * w, v = vertex.value[kInterpVW] * w;
    u -= std::floor(u);
    v -= std::floor(v);
    if (!(u >= 0.0f && u < 1.0f)) u = 0.0f;
    if (!(v >= 0.0f && v < 1.0f)) v = 0.0f;
    const int tx = std::min(texture->width - 1, static_cast<int>(u * static_cast<float>(texture->width)));
    const int ty = std::min(texture->height - 1, static_cast<int>(v * static_cast<float>(texture->height)));
    const uint32_t texel = texture->texels[static_cast<size_t>(ty) * static_cast<size_t>(texture->pitch) + tx];
    r = SpanDiv255(r * ((texel >> 16) & 0xFF));
    g = SpanDiv255(g * ((texel >> 8) & 0xFF));
    b = SpanDiv255(b * (texel & 0xFF));
  }
  r = std::min(255u, r + level(vertex.value[kInterpSR]));
  g = std::min(255u, g + level(vertex.value[kInterpSG]));
  b = std::min(255u, b + level(vertex.value[kInterpSB]));
  uint8_t* p = target.pixels + static_cast<size_t>(y) * static_cast<size_t>(target.pitch) +
               static_cast<size_t>(x) * static_cast<size_t>(target.bytesPerPixel);
  p[0] = static_cast<uint8_t>(SpanDiv255(b * a + p[0] * (255 - a)));
  p[1] = static_cast<uint8_t>(SpanDiv255(g * a + p[1] * (255 - a)));
  p[2] = static_cast<uint8_t>(SpanDiv255(r * a + p[2] * (255 - a)));
  if (target.bytesPerPixel == 4) p[3] = 0;
}
