#include "raster/setup.h"

#include <algorithm>
#include <cmath>
#include <utility>

bool RasterMakeTexture(int width, int height, const uint32_t* pixels, RasterTexture& texture) {
  texture = RasterTexture{};
  if (!pixels || width <= 0 || height <= 0 || width > kRasterMaxTextureSize ||
      height > kRasterMaxTextureSize)
    return false;
  texture.width = width;
  texture.height = height;
  texture.powerOfTwo = (width & (width - 1)) == 0 && (height & (height - 1)) == 0;
  texture.widthMask = static_cast<uint32_t>(width - 1);
  texture.heightMask = static_cast<uint32_t>(height - 1);
  // Texel addresses are (coordinate x size + size) x 256 in a signed 32-bit integer.
  texture.uLimit = std::floor(2147483647.0f / (256.0f * static_cast<float>(width))) - 2.0f;
  texture.vLimit = std::floor(2147483647.0f / (256.0f * static_cast<float>(height))) - 2.0f;
  texture.pitch = width + 1;
  texture.texels.resize(static_cast<size_t>(texture.pitch) * static_cast<size_t>(height));
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    uint32_t* row = texture.texels.data() + y * static_cast<size_t>(texture.pitch);
    for (size_t x = 0; x < static_cast<size_t>(width); ++x) row[x] = pixels[y * static_cast<size_t>(width) + x] & 0xFFFFFFu;
    row[width] = row[0];
  }
  return true;
}

bool RasterFacesViewer(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
  // Twice the signed area with y down: positive is clockwise on screen.
  const int64_t area2 = (int64_t{b.x} - a.x) * (int64_t{c.y} - a.y) -
                        (int64_t{c.x} - a.x) * (int64_t{b.y} - a.y);
  return area2 > 0;
}

bool RasterSetupTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                         const RasterTexture* texture, RasterTriangle& out) {
  if (!RasterFacesViewer(a, b, c)) return false;

  const ScreenVertex* s[3] = {&a, &b, &c};
  if (s[1]->y < s[0]->y) std::swap(s[0], s[1]);
  if (s[2]->y < s[1]->y) std::swap(s[1], s[2]);
  if (s[1]->y < s[0]->y) std::swap(s[0], s[1]);
  out.v[0] = *s[0];
  out.v[1] = *s[1];
  out.v[2] = *s[2];
  const ScreenVertex& v0 = out.v[0];
  const ScreenVertex& v1 = out.v[1];
  const ScreenVertex& v2 = out.v[2];
  // Which side of the long edge v0 -> v2 the middle vertex lies on.
  const int64_t side = (int64_t{v2.x} - v0.x) * (int64_t{v1.y} - v0.y) -
                       (int64_t{v2.y} - v0.y) * (int64_t{v1.x} - v0.x);
  out.longEdgeOnLeft = side < 0;

  // Plane gradients from the snapped positions, in pixels.
  const float scale = 1.0f / kSubpixelOne;
  const float x1 = static_cast<float>(v1.x - v0.x) * scale, y1 = static_cast<float>(v1.y - v0.y) * scale;
  const float x2 = static_cast<float>(v2.x - v0.x) * scale, y2 = static_cast<float>(v2.y - v0.y) * scale;
  const float det = x1 * y2 - x2 * y1;
  if (det == 0.0f) return false;
  const float inv = 1.0f / det;
  out.originX = static_cast<float>(v0.x) * scale;
  out.originY = static_cast<float>(v0.y) * scale;
  for (int i = 0; i < kInterpolantCount; ++i) {
    const float d1 = v1.value[i] - v0.value[i], d2 = v2.value[i] - v0.value[i];
    out.base[i] = v0.value[i];
    out.ddx[i] = (d1 * y2 - d2 * y1) * inv;
    out.ddy[i] = (d2 * x1 - d1 * x2) * inv;
  }

  out.opaque = a.value[kInterpA] >= 255.0f && b.value[kInterpA] >= 255.0f && c.value[kInterpA] >= 255.0f;
  out.specular = false;
  for (const ScreenVertex* v : s)
    if (v->value[kInterpSR] > 0.0f || v->value[kInterpSG] > 0.0f || v->value[kInterpSB] > 0.0f)
      out.specular = true;

  out.filter = RasterFilter::None;
  if (texture && !texture->texels.empty()) {
    // Texels per pixel from the affine gradients of u and v: above one the texture is
    // minified and is filtered, below it each texel is shown as a sharp block.
    float u[3], v[3];
    for (int i = 0; i < 3; ++i) {
      const float w = 1.0f / out.v[i].value[kInterpInvW];
      u[i] = out.v[i].value[kInterpUW] * w * static_cast<float>(texture->width);
      v[i] = out.v[i].value[kInterpVW] * w * static_cast<float>(texture->height);
    }
    const float dudx = ((u[1] - u[0]) * y2 - (u[2] - u[0]) * y1) * inv;
    const float dudy = ((u[2] - u[0]) * x1 - (u[1] - u[0]) * x2) * inv;
    const float dvdx = ((v[1] - v[0]) * y2 - (v[2] - v[0]) * y1) * inv;
    const float dvdy = ((v[2] - v[0]) * x1 - (v[1] - v[0]) * x2) * inv;
    const float rho2 = std::max(dudx * dudx + dvdx * dvdx, dudy * dudy + dvdy * dvdy);
    out.filter = rho2 > 1.0f ? RasterFilter::Bilinear : RasterFilter::Nearest;
  }
  return true;
}
