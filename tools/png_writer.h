// png_writer.h - writes 0x00RRGGBB pixels as an 8-bit RGB PNG, or 0xAARRGGBB ones (alpha
// not premultiplied) as an RGBA PNG.
#pragma once
#include <cstdint>
#include <string>

#include "image.h"

bool WritePng(const std::string& path, int width, int height, const uint32_t* pixels, std::string* error);
bool WritePngWithAlpha(const std::string& path, int width, int height, const uint32_t* pixels, std::string* error);
inline bool WritePng(const std::string& path, const Image& image, std::string* error) {
  return WritePng(path, image.width, image.height, image.pixels.data(), error);
}
