#include "support/bmp_files.h"

#include <algorithm>
#include <cstdio>

void PutLe16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  PutLe16(out, at, v);
  PutLe16(out, at + 2, v >> 16);
}

// A file as a writer following `spec` would make it; the colour table holds a colour per entry
// that no two entries share.
std::vector<uint8_t> BuildBmp(const BmpSpec& spec) {
  const bool os2 = spec.infoSize == 12;
  const bool masksAfterHeader = spec.infoSize == 40 && spec.compression == BMP_BITFIELDS;
  const size_t entrySize = os2 ? 3 : 4;
  const size_t tableAt = 14 + spec.infoSize + (masksAfterHeader ? 12 : 0);
  const size_t dataAt = tableAt + entrySize * spec.tableEntries;
  std::vector<uint8_t> out(dataAt, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out, 2, static_cast<uint32_t>(dataAt + spec.data.size()));
  PutLe32(out, 10, static_cast<uint32_t>(dataAt));
  PutLe32(out, 14, spec.infoSize);
  if (os2) {
    PutLe16(out, 18, static_cast<uint32_t>(spec.width));
    PutLe16(out, 20, static_cast<uint32_t>(spec.height));
    PutLe16(out, 22, 1);
    PutLe16(out, 24, spec.bits);
  } else {
    PutLe32(out, 18, static_cast<uint32_t>(spec.width));
    PutLe32(out, 22, static_cast<uint32_t>(spec.height));
    PutLe16(out, 26, 1);
    PutLe16(out, 28, spec.bits);
    PutLe32(out, 30, spec.compression);
    PutLe32(out, 34, static_cast<uint32_t>(spec.data.size()));
    PutLe32(out, 46, spec.colorsUsed);
    if (spec.compression == BMP_BITFIELDS && spec.infoSize != 64)
      for (int i = 0; i < (spec.infoSize >= 56 ? 4 : 3); ++i) PutLe32(out, 54 + 4 * i, spec.masks[i]);
  }
  for (uint32_t i = 0; i < spec.tableEntries; ++i) {
    uint8_t* entry = out.data() + tableAt + entrySize * i;
    entry[0] = static_cast<uint8_t>(i * 37 + 11);  // blue
    entry[1] = static_cast<uint8_t>(i * 91 + 5);   // green
    entry[2] = static_cast<uint8_t>(255 - i);      // red
  }
  out.insert(out.end(), spec.data.begin(), spec.data.end());
  return out;
}

// Uncompressed rows of random values; indices stay below `colors` when it is not 0.
std::vector<uint8_t> RandomRows(const BmpSpec& spec, uint32_t colors, std::mt19937& rng) {
  const int64_t height = spec.height < 0 ? -int64_t{spec.height} : spec.height;
  // 12 and 15-bit pixels are stored in 16 bits.
  const size_t bits = spec.bits == 12 || spec.bits == 15 ? 16 : spec.bits;
  const size_t stride = (static_cast<size_t>(spec.width) * bits + 31) / 32 * 4;
  std::vector<uint8_t> rows(stride * static_cast<size_t>(height));
  for (uint8_t& b : rows) b = static_cast<uint8_t>(rng());
  if (spec.bits <= 8 && colors) {
    const int perByte = 8 / spec.bits;
    for (int64_t y = 0; y < height; ++y)
      for (int x = 0; x < spec.width; ++x) {
        uint8_t& b = rows[static_cast<size_t>(y) * stride + static_cast<size_t>(x / perByte)];
        const int shift = 8 - spec.bits * (x % perByte + 1);
        const uint8_t mask = static_cast<uint8_t>(((1 << spec.bits) - 1) << shift);
        b = static_cast<uint8_t>((b & ~mask) | ((rng() % colors) << shift));
      }
  }
  return rows;
}

// Run-length data: runs, literal stretches, moves and line ends for every row, values below
// `colors`, and sometimes runs that cross a row's end. `ended` adds the end-of-bitmap mark.
std::vector<uint8_t> RandomRunLengths(int width, int height, bool eightBit, uint32_t colors, bool ended,
                                      std::mt19937& rng) {
  std::vector<uint8_t> out;
  auto value = [&] {
    return eightBit ? static_cast<uint8_t>(rng() % colors)
                    : static_cast<uint8_t>((rng() % colors) << 4 | (rng() % colors));
  };
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      const int left = width - x;
      switch (rng() % 6) {
        case 0:
        case 1: {  // a run, now and then too long for the row
          const int count = 1 + static_cast<int>(rng() % std::min(left + (rng() % 4 == 0 ? 6 : 0), 255));
          out.insert(out.end(), {static_cast<uint8_t>(count), value()});
          x += count;
          break;
        }
        case 2:
        case 3: {  // literal values
          if (left < 3) continue;
          const int count = 3 + static_cast<int>(rng() % std::min(left - 2, 253));
          out.insert(out.end(), {0, static_cast<uint8_t>(count)});
          const int bytes = eightBit ? count : (count + 1) / 2;
          for (int i = 0; i < bytes; ++i) out.push_back(value());
          if (bytes % 2) out.push_back(0);
          x += count;
          break;
        }
        case 4:  // a move right (and now and then up)
          if (rng() % 3) continue;
          out.insert(out.end(), {0, 2, static_cast<uint8_t>(rng() % (left + 1)), static_cast<uint8_t>(rng() % 4 == 0)});
          x = width;
          break;
        default:  // the line ends early
          if (rng() % 3) continue;
          x = width;
          break;
      }
    }
    out.insert(out.end(), {0, 0});
  }
  if (ended) out.insert(out.end(), {0, 1});
  return out;
}

// The well-formed files of every kind a picture comes as.
std::vector<std::pair<std::string, std::vector<uint8_t>>> EveryKindOfBmp() {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  std::mt19937 rng(1234);
  const int sizes[][2] = {{1, 1}, {5, 3}, {17, 2}, {33, 4}};
  auto add = [&](BmpSpec spec, uint32_t colors, const std::string& kind) {
    for (const auto& size : sizes) {
      for (bool topDown : {false, true}) {
        if (topDown && (spec.infoSize == 12 || spec.compression == BMP_RLE8 || spec.compression == BMP_RLE4)) continue;
        spec.width = size[0];
        spec.height = topDown ? -size[1] : size[1];
        if (spec.compression == BMP_RLE8 || spec.compression == BMP_RLE4)
          spec.data = RandomRunLengths(size[0], size[1], spec.compression == BMP_RLE8, colors, true, rng);
        else
          spec.data = RandomRows(spec, colors, rng);
        files.emplace_back(kind + " " + std::to_string(size[0]) + "x" + std::to_string(spec.height), BuildBmp(spec));
      }
    }
  };
  for (uint16_t bits : {1, 2, 4, 8}) {
    const uint32_t full = 1u << bits;
    for (uint32_t infoSize : {12u, 40u, 64u, 108u}) {
      BmpSpec spec;
      spec.infoSize = infoSize;
      spec.bits = bits;
      spec.tableEntries = full;
      add(spec, full, std::to_string(bits) + "-bit, header " + std::to_string(infoSize));
      if (infoSize == 12 || bits == 1) continue;
      spec.colorsUsed = spec.tableEntries = full / 2 + 1;  // a short table
      add(spec, spec.colorsUsed, std::to_string(bits) + "-bit, short table");
    }
  }
  for (uint32_t compression : {BMP_RLE8, BMP_RLE4}) {
    BmpSpec spec;
    spec.compression = compression;
    spec.bits = compression == BMP_RLE8 ? 8 : 4;
    spec.tableEntries = 1u << spec.bits;
    add(spec, spec.tableEntries, compression == BMP_RLE8 ? "RLE8" : "RLE4");
    spec.colorsUsed = spec.tableEntries = 5;
    add(spec, 5, compression == BMP_RLE8 ? "RLE8, short table" : "RLE4, short table");
  }
  for (uint16_t bits : {15, 16, 24, 32}) {
    for (uint32_t infoSize : {12u, 40u, 108u, 124u}) {
      BmpSpec spec;
      spec.bits = bits;
      spec.infoSize = infoSize;
      add(spec, 0, std::to_string(bits) + "-bit, header " + std::to_string(infoSize));
    }
  }
  const uint32_t sixteen[][4] = {
      {0xF800, 0x07E0, 0x001F, 0}, {0x7C00, 0x03E0, 0x001F, 0},    {0x001F, 0x07E0, 0xF800, 0},
      {0x001F, 0x03E0, 0x7C00, 0}, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0xF000, 0x0F00, 0x00F0, 0x000F},
      {0x000F, 0x00F0, 0x0F00, 0xF000}, {0x00F0, 0x0F00, 0xF000, 0x000F}, {0x7C00, 0x03E0, 0x001F, 0x8000},
      {0xF800, 0x07C0, 0x003E, 0x0001}, {0x001F, 0x03E0, 0x7C00, 0x8000}, {0x003E, 0x07C0, 0xF800, 0x0001},
      {0x003F, 0x07C0, 0xF800, 0},      {0, 0, 0, 0}};
  const uint32_t thirtyTwo[][4] = {
      {0xFF0000, 0xFF00, 0xFF, 0},          {0xFF000000, 0xFF0000, 0xFF00, 0},   {0xFF, 0xFF00, 0xFF0000, 0},
      {0xFF00, 0xFF0000, 0xFF000000, 0},    {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0xFF000000, 0xFF0000, 0xFF00, 0xFF},
      {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {0xFF00, 0xFF0000, 0xFF000000, 0xFF}, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
      {0, 0, 0, 0}};
  auto addMasked = [&](uint16_t bits, const uint32_t (&masks)[4]) {
    for (uint32_t infoSize : {40u, 52u, 56u, 108u}) {
      // Alpha masks are read only from headers that hold them.
      if (masks[3] && infoSize < 56) continue;
      BmpSpec spec;
      spec.bits = bits;
      spec.infoSize = infoSize;
      spec.compression = BMP_BITFIELDS;
      std::copy(masks, masks + 4, spec.masks);
      char name[96];
      std::snprintf(name, sizeof name, "%d-bit masks %x %x %x %x, header %u", bits, masks[0], masks[1], masks[2],
                    masks[3], infoSize);
      add(spec, 0, name);
    }
  };
  for (const auto& masks : sixteen) addMasked(16, masks);
  for (const auto& masks : thirtyTwo) addMasked(32, masks);
  addMasked(24, {0xFF, 0xFF00, 0xFF0000, 0});
  addMasked(24, {0xFF0000, 0xFF00, 0xFF, 0});
  addMasked(8, {0xE0, 0x1C, 0x03, 0});  // 3-3-2 without a colour table
  BmpSpec twelve;
  twelve.bits = 12;
  add(twelve, 0, "12-bit");
  return files;
}
