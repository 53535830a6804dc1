#include "display/pictures.h"

// Placeholder until the picture module lands.
void UploadFrameBuffer(DisplayContext*, const uint32_t*) {}
ImageSurface LoadImageSurface(const char*, DisplayContext*) { return nullptr; }
int32_t CopyBitmapToSurface(Surface*, const Surface*, int, int, int, int) { return 0; }
void KeyedBlit(const PixelRect*, ImageSurface, const PixelRect*) {}
void PlainBlit(const PixelRect*, ImageSurface) {}
