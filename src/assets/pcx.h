// pcx.h - the 24-bit run-length PCX reader.
//
// Pictures come out as 0x00RRGGBB pixels, rows without padding. The caller knows each
// picture's size; `capacityPixels` is how many pixels the destination may hold, and no write
// goes past it whatever the header claims.
//
//   static uint32_t Cred1[90 * 108];
//   LoadPcxPicture("Images\\Cred1.pcx", Cred1, 90 * 108);
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t PCX_HEADER_SIZE = 128;

// The largest file the reader takes: the show's largest PCX is a 320 x 240 picture of about
// 120 KB.
constexpr size_t PCX_FILE_LIMIT = size_t{64} << 20;

enum class PcxResult {
  Complete,       // every plane line decoded
  Missing,        // the file could not be read (or is not a regular file, or is too large)
  ShortHeader,    // fewer than 128 bytes
  Truncated,      // the data ended early; what was decoded is kept, the rest untouched
  TooLarge,       // the picture does not fit the destination; rows that fit are decoded
};

// Width and height from the header, in 32-bit unsigned arithmetic (a wrapped header gives an
// enormous size). False when there are fewer than 128 bytes.
bool ReadPcxSize(const uint8_t* data, size_t size, uint32_t* width, uint32_t* height);

// Decodes a whole file held in memory into `destination`.
PcxResult DecodePcxPicture(const uint8_t* data, size_t size, uint32_t* destination, size_t capacityPixels);

// Reads and decodes a picture file; the file name may use backslashes.
PcxResult LoadPcxPicture(const char* fileName, uint32_t* destination, size_t capacityPixels);

// A short English description of a result, for tools.
const char* PcxResultText(PcxResult result);
