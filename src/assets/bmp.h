// bmp.h - the BMP reader: Windows and OS/2 bitmap files as 0x00RRGGBB pixels, top row first.
//
//   BmpPicture picture;
//   if (LoadBmpPicture("Images\\Face.bmp", &picture) == BmpResult::Decoded)
//     ... picture.pixels[y * picture.width + x] ...
//
// Every kind of bitmap a picture or a texture comes as: 1, 2, 4 and 8 bits with a colour table
// (also run-length encoded, 8 and 4 bits), 16 bits (5-5-5, or the channel masks the file
// gives), 24 and 32 bits, rows bottom-up or top-down, the 12-byte OS/2 header. Colours come
// out as the show has always shown them: 5 and 6-bit channels widened by v * 255 / max
// (5-6-5 pictures with green widened in two parts), a colour index past the table black.
// A header is believed only when its picture is one a show could use (at most 16384 pixels a
// side and 16 million in all, uncompressed rows inside the file), so a 29-byte file cannot
// make the reader allocate gigabytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The largest file the reader takes: the show's largest BMP is a 320 x 240 picture of 230 KB.
constexpr size_t BMP_FILE_LIMIT = size_t{64} << 20;

enum class BmpResult {
  Decoded,
  Missing,      // the file could not be read (or is not a regular file, or is too large)
  NotBmp,       // no "BM" signature, or shorter than the headers
  Implausible,  // a size no picture has, or uncompressed rows the file does not hold
  Unsupported,  // a depth or a set of channel masks that is not a picture format
  Damaged,      // pixels cut short, an index past the colour table, run-length data unended
};

struct BmpPicture {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bitsPerPixel = 0;        // as the header says
  std::vector<uint8_t> colorTable;  // blue, green, red, reserved per entry; bitmaps of 8 bits or fewer
  std::vector<uint32_t> pixels;     // width * height, 0x00RRGGBB
};

// Decodes a whole file held in memory. On any result but Decoded the picture is left empty.
BmpResult DecodeBmp(const uint8_t* bytes, size_t size, BmpPicture* picture);

// Reads a show file (the name may use backslashes) once and decodes it.
BmpResult LoadBmpPicture(const char* fileName, BmpPicture* picture);

// A short English description of a result, for tools and tests.
const char* BmpResultText(BmpResult result);
