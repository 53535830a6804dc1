// bmp_files.h - BMP files made to order, header fields as given: every depth, compression,
// header size and colour table the readers must take, for the tests and the fuzzing seeds.
//
//   BmpSpec spec;  spec.bits = 4;  spec.tableEntries = 16;
//   spec.data = RandomRows(spec, 16, rng);
//   std::vector<uint8_t> file = BuildBmp(spec);
#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

constexpr uint32_t BMP_RGB = 0, BMP_RLE8 = 1, BMP_RLE4 = 2, BMP_BITFIELDS = 3;

struct BmpSpec {
  uint32_t infoSize = 40;  // 12 (OS/2), 40, 52, 56, 64 (OS/2 2.x), 108, 124
  int32_t width = 5;
  int32_t height = 3;      // negative: rows top-down
  uint16_t bits = 24;
  uint32_t compression = BMP_RGB;
  uint32_t colorsUsed = 0;    // as the header says
  uint32_t tableEntries = 0;  // as written
  uint32_t masks[4] = {};     // red, green, blue, alpha; written with BITFIELDS
  std::vector<uint8_t> data;  // the pixel data as stored
};

void PutLe16(std::vector<uint8_t>& out, size_t at, uint32_t v);
void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v);

// A file as a writer following `spec` would make it; the colour table holds a colour per entry
// that no two entries share (entry i: blue i * 37 + 11, green i * 91 + 5, red 255 - i).
std::vector<uint8_t> BuildBmp(const BmpSpec& spec);

// Uncompressed rows of random values; indices stay below `colors` when it is not 0.
std::vector<uint8_t> RandomRows(const BmpSpec& spec, uint32_t colors, std::mt19937& rng);

// Run-length data: runs, literal stretches, moves and line ends for every row, values below
// `colors`, and sometimes runs that cross a row's end. `ended` adds the end-of-bitmap mark.
std::vector<uint8_t> RandomRunLengths(int width, int height, bool eightBit, uint32_t colors, bool ended,
                                      std::mt19937& rng);

// Well-formed files of every kind a picture comes as (1, 2, 4 and 8 bits with whole and short
// tables, run-length encoded, 15, 16, 24 and 32 bits with every set of masks, OS/2 headers),
// each at a few sizes and both row orders, named.
std::vector<std::pair<std::string, std::vector<uint8_t>>> EveryKindOfBmp();
