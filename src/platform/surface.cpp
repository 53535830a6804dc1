#include "platform/surface.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

// Anything but 24 bits is held as 32; a negative size is an empty surface.
Surface::Surface(int w, int h, int bits, int rowPitch)
    : width(std::max(w, 0)), height(std::max(h, 0)), bitsPerPixel(bits == 24 ? 24 : 32),
      pitch(std::max(rowPitch, width * (bitsPerPixel / 8))),
      pixels(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0) {}

uint32_t Surface::GetPixel(int x, int y) const {
  const uint8_t* p = pixels.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * BytesPerPixel();
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16;
}

void Surface::SetPixel(int x, int y, uint32_t color) {
  uint8_t* p = pixels.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * BytesPerPixel();
  p[0] = static_cast<uint8_t>(color);
  p[1] = static_cast<uint8_t>(color >> 8);
  p[2] = static_cast<uint8_t>(color >> 16);
  if (bitsPerPixel == 32) p[3] = 0;
}

bool LockSurface(Surface& surface, SurfaceLock& lock) {
  if (surface.refuseLock || surface.locked) return false;
  surface.locked = true;
  lock.pixels = surface.pixels.data();
  lock.pitch = surface.pitch;
  return true;
}

void UnlockSurface(Surface& surface) { surface.locked = false; }

static bool ClipRect(PixelRect& r, int width, int height) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width);
  r.bottom = std::min(r.bottom, height);
  return r.left < r.right && r.top < r.bottom;
}

void FillSurface(Surface& surface, const PixelRect* rect, uint32_t color) {
  PixelRect r = rect ? *rect : PixelRect{0, 0, surface.width, surface.height};
  if (!ClipRect(r, surface.width, surface.height)) return;
  // One row is made pixel by pixel, the others are copies of it (the fill clears the back
  // buffer every frame).
  const size_t bpp = static_cast<size_t>(surface.BytesPerPixel());
  const size_t rowBytes = static_cast<size_t>(r.right - r.left) * bpp;
  uint8_t* first = surface.pixels.data() + static_cast<size_t>(r.top) * surface.pitch + r.left * bpp;
  for (int x = r.left; x < r.right; ++x) surface.SetPixel(x, r.top, color & 0xFFFFFF);
  for (int y = r.top + 1; y < r.bottom; ++y)
    std::memcpy(first + static_cast<size_t>(y - r.top) * surface.pitch, first, rowBytes);
}

bool BlitSurface(Surface& destination, const PixelRect* destRect, const Surface& source,
                 const PixelRect* sourceRect, bool useKey, uint32_t key) {
  const PixelRect dst = destRect ? *destRect : PixelRect{0, 0, destination.width, destination.height};
  const PixelRect src = sourceRect ? *sourceRect : PixelRect{0, 0, source.width, source.height};
  const int64_t dstW = int64_t{dst.right} - dst.left, dstH = int64_t{dst.bottom} - dst.top;
  const int64_t srcW = int64_t{src.right} - src.left, srcH = int64_t{src.bottom} - src.top;
  if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return false;
  if (src.left < 0 || src.top < 0 || src.right > source.width || src.bottom > source.height)
    return false;
  PixelRect clipped = dst;
  if (!ClipRect(clipped, destination.width, destination.height)) return true;
  key &= 0xFFFFFF;
  for (int y = clipped.top; y < clipped.bottom; ++y) {
    // Nearest neighbour: destination pixel centre mapped back into the source.
    const int sy = src.top + static_cast<int>(((int64_t{y} - dst.top) * 2 + 1) * srcH / (dstH * 2));
    for (int x = clipped.left; x < clipped.right; ++x) {
      const int sx = src.left + static_cast<int>(((int64_t{x} - dst.left) * 2 + 1) * srcW / (dstW * 2));
      const uint32_t color = source.GetPixel(sx, sy);
      if (useKey && color == key) continue;
      destination.SetPixel(x, y, color);
    }
  }
  return true;
}

Surface* LoadBmpSurface(const char* path, int bitsPerPixel) {
  SDL_Surface* loaded = SDL_LoadBMP(path);
  if (!loaded) return nullptr;
  SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE);
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  if (!converted) return nullptr;
  Surface* surface = new Surface(converted->w, converted->h, bitsPerPixel);
  SDL_LockSurface(converted);
  for (int y = 0; y < converted->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                        static_cast<size_t>(y) * converted->pitch);
    for (int x = 0; x < converted->w; ++x) surface->SetPixel(x, y, row[x] & 0xFFFFFF);
  }
  SDL_UnlockSurface(converted);
  SDL_FreeSurface(converted);
  return surface;
}
