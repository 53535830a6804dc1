// pcx_writer.h - 24-bit PCX pictures as the show reads them: a 128-byte header, then per scan
// line the red, green and blue plane lines, each run-length encoded on its own.
//
//   std::vector<uint8_t> bytes = EncodePcx(image);      // even widths only
//   WritePcx("Images/Cred1.pcx", image, &error);
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

// Empty when the picture cannot be stored (no pixels, odd width, or wider/taller than 65536).
std::vector<uint8_t> EncodePcx(const Image& image);

bool WritePcx(const std::string& path, const Image& image, std::string* error);
