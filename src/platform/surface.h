// surface.h - pixel surfaces: the back buffer, picture surfaces and their blits.
//
// A Surface is width x height pixels at 32 bits (0x00RRGGBB, little-endian in memory: blue,
// green, red, 0) or 24 bits (blue, green, red) per pixel, rows `pitch` bytes apart.
// Every operation works at both depths.
//
//   Surface s(320, 240, 32);
//   SurfaceLock lock;  if (LockSurface(s, lock)) { ... lock.pixels, lock.pitch ... UnlockSurface(s); }
//   FillSurface(s, nullptr, 0);                                  // black
//   BlitSurface(dst, &dstRect, src, nullptr, true, 0x0000FF);    // stretched, blue keyed
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/display_object.h"

// Left, top, right, bottom; right and bottom exclusive.
struct PixelRect {
  int32_t left, top, right, bottom;
};

class Surface : public DisplayObject {
 public:
  Surface(int width, int height, int bitsPerPixel, int pitch = 0);
  const char* ObjectKind() const override { return "Surface"; }

  int width;
  int height;
  int bitsPerPixel;  // 32 or 24
  int pitch;         // bytes per row, at least width * bytes per pixel
  std::vector<uint8_t> pixels;

  // Test hooks: a surface can refuse to be locked or to give a text context, as a lost
  // surface would.
  bool refuseLock = false;
  bool refuseText = false;
  bool locked = false;

  int BytesPerPixel() const { return bitsPerPixel / 8; }
  uint32_t GetPixel(int x, int y) const;          // 0x00RRGGBB
  void SetPixel(int x, int y, uint32_t color);    // color 0x00RRGGBB

  // First byte of row y (no bounds check, like the pixel accessors).
  uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch); }
  const uint8_t* Row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch);
  }
};

// Inline: text, presentation and picture conversion call these once per pixel.
inline uint32_t Surface::GetPixel(int x, int y) const {
  const uint8_t* p = Row(y) + static_cast<std::size_t>(x) * static_cast<std::size_t>(BytesPerPixel());
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16;
}

inline void Surface::SetPixel(int x, int y, uint32_t color) {
  uint8_t* p = Row(y) + static_cast<std::size_t>(x) * static_cast<std::size_t>(BytesPerPixel());
  p[0] = static_cast<uint8_t>(color);
  p[1] = static_cast<uint8_t>(color >> 8);
  p[2] = static_cast<uint8_t>(color >> 16);
  if (bitsPerPixel == 32) p[3] = 0;
}

struct SurfaceLock {
  uint8_t* pixels = nullptr;
  int pitch = 0;
};

bool LockSurface(Surface& surface, SurfaceLock& lock);
void UnlockSurface(Surface& surface);

// Fills `rect` (or the whole surface) with 0x00RRGGBB, clipped to the surface.
void FillSurface(Surface& surface, const PixelRect* rect, uint32_t color);

// Copies `source` (whole, or `sourceRect`) onto `destination` (whole, or `destRect`),
// stretched nearest-neighbour, clipped to the destination. With `useKey`, source pixels whose
// 24 colour bits equal `key` are skipped. Returns false when nothing could be blitted
// (empty or invalid rectangles).
bool BlitSurface(Surface& destination, const PixelRect* destRect, const Surface& source,
                 const PixelRect* sourceRect, bool useKey, uint32_t key);

// 32-bit float depth, 0 (near) .. 1 (far); cleared to 1. The 3D device tests and writes it.
class DepthBuffer : public DisplayObject {
 public:
  DepthBuffer(int w, int h) : width(w), height(h), depth(static_cast<size_t>(w) * h, 1.0f) {}
  const char* ObjectKind() const override { return "ZBuffer"; }
  int width, height;
  std::vector<float> depth;
};
