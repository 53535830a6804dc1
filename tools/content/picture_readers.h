// picture_readers.h - small, careful decoders for the pack's own pictures, so the contact sheet
// and the checks look at the bytes on disk rather than at what the generator meant to write.
//
//   Image image;
//   if (!ReadPictureFile("pack/Images/Cred1.pcx", &image, &error)) ...
//
// PCX: 24-bit, three planes, run-length encoded (bytes per line honoured, padding dropped;
// a run across the end of a plane line is refused, since our writer never makes one).
// BMP: uncompressed 24-bit, and 8-bit with a colour table; bottom-up or top-down rows.
// Short, truncated or inconsistent input gives false and a one-line reason, never a read
// outside the buffer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

bool DecodePcx(const std::vector<uint8_t>& bytes, Image* image, std::string* error);
bool DecodeBmp(const std::vector<uint8_t>& bytes, Image* image, std::string* error);

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);
// Chooses the decoder by the file's extension (.pcx or .bmp, any case).
bool ReadPictureFile(const std::string& path, Image* image, std::string* error);
