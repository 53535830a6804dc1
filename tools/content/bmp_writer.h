// bmp_writer.h - Windows BMP files: 24-bit true colour and 8-bit with a colour table.
// Rows are stored bottom-up, each padded to a multiple of 4 bytes; no compression.
//
//   WriteBmp24("Textures/Metal.bmp", image, &error);          // image pixels 0x00RRGGBB
//   WriteBmp8("Textures/Marble.bmp", indices, palette, &error); // indices in the low byte
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

// The whole file in memory (what the Write* functions put on disk). Empty on bad input
// (non-positive size, pixel count not width*height, or a palette of more than 256 colours).
std::vector<uint8_t> EncodeBmp24(const Image& image);
std::vector<uint8_t> EncodeBmp8(const Image& indices, const std::vector<uint32_t>& palette);

// 24-bit: every pixel 0x00RRGGBB. Returns false and sets *error (one line) on failure.
bool WriteBmp24(const std::string& path, const Image& image, std::string* error);

// 8-bit: each pixel's low byte is an index into `palette` (0x00RRGGBB, 1..256 entries);
// an index past the palette's end is an error.
bool WriteBmp8(const std::string& path, const Image& indices_as_0_255_in_low_byte,
               const std::vector<uint32_t>& palette_0x00RRGGBB, std::string* error);
