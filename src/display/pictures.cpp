#include "display/pictures.h"

#include <cstring>

#include "assets/bmp.h"
#include "base/screen.h"
#include "platform/display_results.h"

constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);

void UploadFrameBuffer(DisplayContext* context, const uint32_t* pixels) {
  Surface* back = context ? context->backBuffer : nullptr;
  if (!back || !pixels) return;
  SurfaceLock lock;
  if (!LockSurface(*back, lock)) return;
  // The back buffer is at least the screen's size; a smaller one would be written past its end.
  if (back->width >= SCREEN_WIDTH && back->height >= SCREEN_HEIGHT) {
    if (context->backBufferBits == 32 && back->bitsPerPixel == 32) {
      if (lock.pitch == SCREEN_WIDTH * 4) {
        std::memcpy(lock.pixels, pixels, SCREEN_PIXELS * 4);
      } else {
        for (int y = 0; y < SCREEN_HEIGHT; ++y)
          std::memcpy(lock.pixels + static_cast<size_t>(y) * lock.pitch, pixels + y * SCREEN_WIDTH, SCREEN_WIDTH * 4);
      }
    } else if (context->backBufferBits == 24 && back->bitsPerPixel == 24) {
      for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        uint8_t* out = lock.pixels + static_cast<size_t>(y) * lock.pitch;
        const uint32_t* in = pixels + y * SCREEN_WIDTH;
        for (int x = 0; x < SCREEN_WIDTH; ++x, out += 3) {
          const uint32_t p = in[x];
          out[0] = static_cast<uint8_t>(p);
          out[1] = static_cast<uint8_t>(p >> 8);
          out[2] = static_cast<uint8_t>(p >> 16);
        }
      }
    }
  }
  UnlockSurface(*back);
}

ImageSurface LoadImageSurface(const char* path, DisplayContext* context) {
  BmpPicture picture;
  if (LoadBmpPicture(path, &picture) != BmpResult::Decoded) return nullptr;
  const uint32_t bits = context ? context->backBufferBits : 0;
  Surface* surface = new Surface(picture.width, picture.height, bits == 24 ? 24 : 32);
  const uint32_t* pixel = picture.pixels.data();
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) surface->SetPixel(x, y, *pixel++);
  return surface;
}

int32_t CopyBitmapToSurface(Surface* surface, const Surface* bitmap, int x, int y, int width, int height) {
  if (!surface || !bitmap) return E_FAIL;
  if (width == 0) width = bitmap->width;
  if (height == 0) height = bitmap->height;
  // A device context of a locked or lost surface cannot be had; the surface stays undrawn.
  if (surface->refuseText || surface->locked) return DDERR_CANTCREATEDC;
  // The part asked for is kept inside the bitmap: nothing is read outside it.
  PixelRect source{x, y, x + width, y + height};
  if (source.left < 0) source.left = 0;
  if (source.top < 0) source.top = 0;
  if (source.right > bitmap->width) source.right = bitmap->width;
  if (source.bottom > bitmap->height) source.bottom = bitmap->height;
  if (source.left < source.right && source.top < source.bottom)
    BlitSurface(*surface, nullptr, *bitmap, &source, false, 0);
  return DD_OK;
}

void KeyedBlit(const PixelRect* destination, ImageSurface image, const PixelRect* source) {
  if (!image || !displayContext.backBuffer) return;
  BlitSurface(*displayContext.backBuffer, destination, *image, source, true, KEYED_BLIT_COLOR);
}

void PlainBlit(const PixelRect* destination, ImageSurface image) {
  if (!image || !displayContext.backBuffer) return;
  BlitSurface(*displayContext.backBuffer, destination, *image, nullptr, false, 0);
}
