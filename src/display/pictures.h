// pictures.h - how pictures reach the back buffer: the frame upload, picture surfaces made
// from BMP files, and the keyed and plain blits.
//
//   UploadFrameBuffer(&displayContext, FrameBuffer);          // whole 320 x 240 frame
//   ImageSurface face = LoadImageSurface("Images\\Face.bmp", &displayContext);
//   KeyedBlit(&rect, face, nullptr);                          // pure blue is transparent
//   PlainBlit(nullptr, backdrop);                             // whole back buffer
#pragma once
#include <cstdint>

#include "display/display.h"

// An off-screen picture surface in the display's format; null when it could not be made.
using ImageSurface = Surface*;

// The source colour key: pure blue, transparent in keyed blits.
constexpr uint32_t KEYED_BLIT_COLOR = 0x000000FF;

// Copies 320 x 240 pixels of 0x00RRGGBB into the back buffer at its depth (32 or 24 bits)
// and pitch; nothing when the back buffer is missing or cannot be locked.
void UploadFrameBuffer(DisplayContext* context, const uint32_t* pixels);

// The same upload for a frame made row by row, so that an effect writes its pixels once, into
// the back buffer, instead of into a frame that is then copied: makeRow(row, y, user) fills the
// 320 pixels of row y (0x00RRGGBB), in place in a 32-bit back buffer, through a row of its own
// for a 24-bit one. Returns false, having made no row, where UploadFrameBuffer copies nothing.
using FrameRowMaker = void (*)(uint32_t* row, int y, void* user);
bool UploadFrameRows(DisplayContext* context, FrameRowMaker makeRow, void* user);

ImageSurface LoadImageSurface(const char* path, DisplayContext* context);

// Draws `bitmap` (or its part at x, y of width x height; 0 = the bitmap's own size) over the
// whole of `surface`, stretched. Returns 0, or a failure code (E_FAIL for a null argument).
int32_t CopyBitmapToSurface(Surface* surface, const Surface* bitmap, int x, int y, int width, int height);

// Blits onto the back buffer; a null rectangle means the whole surface.
void KeyedBlit(const PixelRect* destination, ImageSurface image, const PixelRect* source);
void PlainBlit(const PixelRect* destination, ImageSurface image);
