#include "display/pictures.h"

#include <cstdint>
#include <cstring>

#include "assets/bmp.h"
#include "base/screen.h"
#include "platform/display_results.h"

constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);

namespace {

enum class UploadFormat { None, ThirtyTwo, TwentyFour };

// What the back buffer takes an upload as. It is at least the screen's size; a smaller one
// would be written past its end.
UploadFormat FormatOf(const DisplayContext& context, const Surface& back) {
  if (back.width < SCREEN_WIDTH || back.height < SCREEN_HEIGHT) return UploadFormat::None;
  if (context.backBufferBits == 32 && back.bitsPerPixel == 32) return UploadFormat::ThirtyTwo;
  if (context.backBufferBits == 24 && back.bitsPerPixel == 24) return UploadFormat::TwentyFour;
  return UploadFormat::None;
}

void PackRow(uint8_t* out, const uint32_t* in) {
  for (int x = 0; x < SCREEN_WIDTH; ++x, out += 3) {
    const uint32_t p = in[x];
    out[0] = static_cast<uint8_t>(p);
    out[1] = static_cast<uint8_t>(p >> 8);
    out[2] = static_cast<uint8_t>(p >> 16);
  }
}

}  // namespace

void UploadFrameBuffer(DisplayContext* context, const uint32_t* pixels) {
  Surface* back = context ? context->backBuffer : nullptr;
  if (!back || !pixels) return;
  SurfaceLock lock;
  if (!LockSurface(*back, lock)) return;
  switch (FormatOf(*context, *back)) {
    case UploadFormat::ThirtyTwo:
      if (lock.pitch == SCREEN_WIDTH * 4) {
        std::memcpy(lock.pixels, pixels, SCREEN_PIXELS * 4);
      } else {
        for (int y = 0; y < SCREEN_HEIGHT; ++y)
          std::memcpy(lock.pixels + static_cast<size_t>(y) * lock.pitch, pixels + y * SCREEN_WIDTH, SCREEN_WIDTH * 4);
      }
      break;
    case UploadFormat::TwentyFour:
      for (int y = 0; y < SCREEN_HEIGHT; ++y)
        PackRow(lock.pixels + static_cast<size_t>(y) * lock.pitch, pixels + y * SCREEN_WIDTH);
      break;
    case UploadFormat::None:
      break;
  }
  UnlockSurface(*back);
}

bool UploadFrameRows(DisplayContext* context, FrameRowMaker makeRow, void* user) {
  Surface* back = context ? context->backBuffer : nullptr;
  if (!back || !makeRow) return false;
  SurfaceLock lock;
  if (!LockSurface(*back, lock)) return false;
  const UploadFormat format = FormatOf(*context, *back);
  // Rows are written in place where they are whole 32-bit pixels on 4-byte boundaries.
  const bool inPlace = format == UploadFormat::ThirtyTwo && lock.pitch % 4 == 0 &&
                       reinterpret_cast<uintptr_t>(lock.pixels) % alignof(uint32_t) == 0;
  uint32_t own[SCREEN_WIDTH];
  for (int y = 0; format != UploadFormat::None && y < SCREEN_HEIGHT; ++y) {
    uint8_t* out = lock.pixels + static_cast<size_t>(y) * lock.pitch;
    if (inPlace) {
      makeRow(reinterpret_cast<uint32_t*>(out), y, user);
      continue;
    }
    makeRow(own, y, user);
    if (format == UploadFormat::ThirtyTwo) {
      std::memcpy(out, own, sizeof(own));
    } else {
      PackRow(out, own);
    }
  }
  UnlockSurface(*back);
  return format != UploadFormat::None;
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
