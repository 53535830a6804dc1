#include "assets/bmp.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "content/bmp_writer.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace {

// ---- Files made to order ----

constexpr uint32_t RGB = 0, RLE8 = 1, RLE4 = 2, BITFIELDS = 3;

struct BmpSpec {
  uint32_t infoSize = 40;  // 12 (OS/2), 40, 52, 56, 64 (OS/2 2.x), 108, 124
  int32_t width = 5;
  int32_t height = 3;      // negative: rows top-down
  uint16_t bits = 24;
  uint32_t compression = RGB;
  uint32_t colorsUsed = 0;    // as the header says
  uint32_t tableEntries = 0;  // as written
  uint32_t masks[4] = {};     // red, green, blue, alpha; written with BITFIELDS
  std::vector<uint8_t> data;  // the pixel data as stored
};

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v);
  Put16(out, at + 2, v >> 16);
}

// A file as a writer following `spec` would make it; the colour table holds a colour per entry
// that no two entries share.
std::vector<uint8_t> Build(const BmpSpec& spec) {
  const bool os2 = spec.infoSize == 12;
  const bool masksAfterHeader = spec.infoSize == 40 && spec.compression == BITFIELDS;
  const size_t entrySize = os2 ? 3 : 4;
  const size_t tableAt = 14 + spec.infoSize + (masksAfterHeader ? 12 : 0);
  const size_t dataAt = tableAt + entrySize * spec.tableEntries;
  std::vector<uint8_t> out(dataAt, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(dataAt + spec.data.size()));
  Put32(out, 10, static_cast<uint32_t>(dataAt));
  Put32(out, 14, spec.infoSize);
  if (os2) {
    Put16(out, 18, static_cast<uint32_t>(spec.width));
    Put16(out, 20, static_cast<uint32_t>(spec.height));
    Put16(out, 22, 1);
    Put16(out, 24, spec.bits);
  } else {
    Put32(out, 18, static_cast<uint32_t>(spec.width));
    Put32(out, 22, static_cast<uint32_t>(spec.height));
    Put16(out, 26, 1);
    Put16(out, 28, spec.bits);
    Put32(out, 30, spec.compression);
    Put32(out, 34, static_cast<uint32_t>(spec.data.size()));
    Put32(out, 46, spec.colorsUsed);
    if (spec.compression == BITFIELDS && spec.infoSize != 64)
      for (int i = 0; i < (spec.infoSize >= 56 ? 4 : 3); ++i) Put32(out, 54 + 4 * i, spec.masks[i]);
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

// ---- The picture loader as it was: SDL's reader, converted to 0x00RRGGBB ----

struct Decoded {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

Decoded SdlDecode(const std::vector<uint8_t>& bytes) {
  Decoded result;
  if (bytes.empty()) return result;
  SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
  if (!loaded) return result;
  SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE);
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  if (!converted) return result;
  result.ok = true;
  result.width = converted->w;
  result.height = converted->h;
  for (int y = 0; y < converted->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                        static_cast<size_t>(y) * converted->pitch);
    for (int x = 0; x < converted->w; ++x) result.pixels.push_back(row[x] & 0xFFFFFF);
  }
  SDL_FreeSurface(converted);
  return result;
}

struct Tally {
  int decoded = 0;   // both gave the same picture
  int refused = 0;   // both refused
  int disbelieved = 0;  // a header our size rule refuses (SDL is not asked, as before)
};

// Our reader against SDL's. Sizes no picture has were refused before SDL saw them and still
// are; for everything else both must refuse, or both give the same pixels.
BmpResult Compare(const std::vector<uint8_t>& bytes, const std::string& what, Tally* tally) {
  BmpPicture ours;
  const BmpResult result = DecodeBmp(bytes.data(), bytes.size(), &ours);
  if (result == BmpResult::NotBmp || result == BmpResult::Implausible) {
    ++tally->disbelieved;
    return result;
  }
  const Decoded sdl = SdlDecode(bytes);
  EXPECT_EQ(result == BmpResult::Decoded, sdl.ok) << what << ": ours " << BmpResultText(result);
  if (result != BmpResult::Decoded || !sdl.ok) {
    if (!sdl.ok) ++tally->refused;
    return result;
  }
  EXPECT_EQ(ours.width, sdl.width) << what;
  EXPECT_EQ(ours.height, sdl.height) << what;
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < std::min(ours.pixels.size(), sdl.pixels.size()); ++i)
    if (ours.pixels[i] != sdl.pixels[i] && differing++ == 0) first = i;
  EXPECT_EQ(ours.pixels.size(), sdl.pixels.size()) << what;
  EXPECT_EQ(differing, 0u) << what << ": first at pixel " << first << ", ours " << std::hex
                           << (differing ? ours.pixels[first] : 0) << ", SDL " << (differing ? sdl.pixels[first] : 0);
  if (differing == 0) ++tally->decoded;
  return result;
}

// The well-formed files of every kind a picture comes as.
std::vector<std::pair<std::string, std::vector<uint8_t>>> WellFormedFiles() {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  std::mt19937 rng(1234);
  const int sizes[][2] = {{1, 1}, {5, 3}, {17, 2}, {33, 4}};
  auto add = [&](BmpSpec spec, uint32_t colors, const std::string& kind) {
    for (const auto& size : sizes) {
      for (bool topDown : {false, true}) {
        if (topDown && (spec.infoSize == 12 || spec.compression == RLE8 || spec.compression == RLE4)) continue;
        spec.width = size[0];
        spec.height = topDown ? -size[1] : size[1];
        if (spec.compression == RLE8 || spec.compression == RLE4)
          spec.data = RandomRunLengths(size[0], size[1], spec.compression == RLE8, colors, true, rng);
        else
          spec.data = RandomRows(spec, colors, rng);
        files.emplace_back(kind + " " + std::to_string(size[0]) + "x" + std::to_string(spec.height), Build(spec));
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
  for (uint32_t compression : {RLE8, RLE4}) {
    BmpSpec spec;
    spec.compression = compression;
    spec.bits = compression == RLE8 ? 8 : 4;
    spec.tableEntries = 1u << spec.bits;
    add(spec, spec.tableEntries, compression == RLE8 ? "RLE8" : "RLE4");
    spec.colorsUsed = spec.tableEntries = 5;
    add(spec, 5, compression == RLE8 ? "RLE8, short table" : "RLE4, short table");
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
      spec.compression = BITFIELDS;
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

TEST(BmpReader, EveryKindOfPictureAsSdlShowedIt) {
  SDL_Init(0);
  Tally tally;
  const auto files = WellFormedFiles();
  for (const auto& [what, bytes] : files) {
    EXPECT_EQ(Compare(bytes, what, &tally), BmpResult::Decoded) << what;
  }
  EXPECT_EQ(tally.decoded, static_cast<int>(files.size()));
  EXPECT_GT(tally.decoded, 400);
}

TEST(BmpReader, DamagedFilesAsSdlTookThem) {
  Tally tally;
  std::mt19937 rng(99);
  auto spec8 = [] {
    BmpSpec spec;
    spec.bits = 8;
    spec.width = 6;
    spec.height = 4;
    spec.tableEntries = 256;
    return spec;
  };
  // An index past a short colour table: refused uncompressed, black when run-length encoded.
  BmpSpec shortTable = spec8();
  shortTable.colorsUsed = shortTable.tableEntries = 4;
  shortTable.data = RandomRows(shortTable, 4, rng);
  shortTable.data[2] = 9;
  EXPECT_EQ(Compare(Build(shortTable), "index past the table", &tally), BmpResult::Damaged);
  BmpSpec shortFour = shortTable;
  shortFour.bits = 4;
  shortFour.data = RandomRows(shortFour, 4, rng);
  shortFour.data[0] = 0x7F;
  EXPECT_EQ(Compare(Build(shortFour), "4-bit index past the table", &tally), BmpResult::Damaged);
  BmpSpec runs = shortTable;
  runs.compression = RLE8;
  runs.data = {3, 9, 2, 1, 0, 1};
  EXPECT_EQ(Compare(Build(runs), "run past the table", &tally), BmpResult::Decoded);
  BmpPicture picture;
  ASSERT_EQ(DecodeBmp(Build(runs).data(), Build(runs).size(), &picture), BmpResult::Decoded);
  EXPECT_EQ(picture.pixels[18], 0u);         // bottom row, index 9: black
  EXPECT_EQ(picture.pixels[21], 0xFE6030u);  // index 1 from the table
  EXPECT_EQ(picture.pixels[0], 0xFF050Bu);   // untouched pixels are index 0

  // Run-length data without its end mark, or cut inside a command.
  for (const std::vector<uint8_t>& data : std::vector<std::vector<uint8_t>>{
           {3, 1, 0, 0}, {3}, {0}, {0, 2, 1}, {0, 5, 1, 2}, {0, 3, 1, 2, 3}}) {
    runs.data = data;
    EXPECT_EQ(Compare(Build(runs), "unended runs", &tally), BmpResult::Damaged);
  }
  // Moves far outside the picture are dropped, not written.
  runs.data = {0, 2, 255, 255, 0, 2, 200, 0, 5, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 2, 0, 1};
  EXPECT_EQ(Compare(Build(runs), "moves outside", &tally), BmpResult::Decoded);

  // The colour table past the end of the file: white entries.
  BmpSpec far = spec8();
  far.tableEntries = 0;
  far.data = RandomRows(far, 0, rng);
  std::vector<uint8_t> farTable = Build(far);
  Put32(farTable, 14, 4000);  // a header as long as that puts the table past the end
  EXPECT_EQ(Compare(farTable, "table past the end", &tally), BmpResult::Decoded);
  ASSERT_EQ(DecodeBmp(farTable.data(), farTable.size(), &picture), BmpResult::Decoded);
  EXPECT_EQ(picture.pixels[0], 0xFFFFFFu);

  // Depths and masks that are not picture formats.
  for (uint16_t bits : {0, 3, 5, 7, 9, 17, 31, 33, 64}) {
    BmpSpec odd;
    odd.bits = bits;
    odd.data = RandomRows(odd, 0, rng);
    EXPECT_EQ(Compare(Build(odd), "depth " + std::to_string(bits), &tally), BmpResult::Unsupported);
  }
  BmpSpec oddMasks;
  oddMasks.bits = 16;
  oddMasks.compression = BITFIELDS;
  oddMasks.masks[0] = 0x3C00;
  oddMasks.masks[1] = 0x03E0;
  oddMasks.masks[2] = 0x001F;
  oddMasks.data = RandomRows(oddMasks, 0, rng);
  EXPECT_EQ(Compare(Build(oddMasks), "odd masks", &tally), BmpResult::Unsupported);
  EXPECT_GE(tally.refused, 12);
}

// Every well-formed file bent in random ways: bytes changed in the headers, the table and the
// data, cut short, lengthened. Whatever comes of it, both readers agree.
TEST(BmpReader, BentFilesAsSdlTookThem) {
  Tally tally;
  std::mt19937 rng(2024);
  for (const auto& [what, original] : WellFormedFiles()) {
    for (int round = 0; round < 12; ++round) {
      std::vector<uint8_t> bytes = original;
      const int changes = 1 + static_cast<int>(rng() % 4);
      for (int c = 0; c < changes; ++c) {
        const size_t headerEnd = std::min<size_t>(bytes.size(), 70);
        switch (rng() % 5) {
          case 0:
          case 1:  // a header byte
            bytes[rng() % headerEnd] = static_cast<uint8_t>(rng() % 4 ? rng() : (rng() % 2 ? 0 : 0xFF));
            break;
          case 2:  // a byte anywhere
            bytes[rng() % bytes.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
            break;
          case 3:  // cut short
            bytes.resize(26 + rng() % (bytes.size() - 25));
            break;
          default:  // lengthened
            bytes.resize(bytes.size() + rng() % 64, static_cast<uint8_t>(rng()));
            break;
        }
      }
      Compare(bytes, what + " bent " + std::to_string(round), &tally);
    }
  }
  // The bending must leave plenty for both readers to decode and to refuse.
  EXPECT_GT(tally.decoded, 1000);
  EXPECT_GT(tally.refused, 200);
}

TEST(BmpReader, TheContentPackAsSdlShowedIt) {
  namespace fs = std::filesystem;
  Tally tally;
  int files = 0;
  for (const char* folder : {"Images", "Textures"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(TAVRINE_CONTENT_DIR) / folder)) {
      if (entry.path().extension() != ".bmp") continue;
      std::vector<uint8_t> bytes(static_cast<size_t>(entry.file_size()));
      FILE* f = std::fopen(entry.path().c_str(), "rb");
      ASSERT_NE(f, nullptr);
      ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
      std::fclose(f);
      EXPECT_EQ(Compare(bytes, entry.path().string(), &tally), BmpResult::Decoded);
      ++files;
    }
  }
  EXPECT_GE(files, 12);  // the eleven pictures, the loading screen and the textures
  EXPECT_EQ(tally.decoded, files);
}

// ---- Headers are believed only within reason ----

std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = ScratchDir() + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// A 2 x 2 24-bit picture: 54-byte header, rows of 8 bytes (6 and 2 of padding), bottom up.
std::vector<uint8_t> SmallBmp() {
  return {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
          1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          // bottom row: blue, red; top row: red, white (blue, green, red per pixel, 2 pad bytes)
          0xFF, 0, 0, 0, 0, 0xFF, 0, 0,
          0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
}

TEST(BmpReader, ClaimedSizesMustBeBelievable) {
  BmpPicture good;
  ASSERT_EQ(LoadBmpPicture(Write("good.bmp", SmallBmp()).c_str(), &good), BmpResult::Decoded);
  ASSERT_EQ(good.pixels.size(), 4u);
  EXPECT_EQ(good.pixels[2], 0x0000FFu);  // bottom row first in the file
  EXPECT_EQ(good.pixels[0], 0xFF0000u);

  // A 29-byte file whose header asks for an enormous picture is refused before anything is
  // allocated for it.
  const std::vector<uint8_t> hostile = {0x42, 0x4d, 0xff, 0xff, 0xff, 0x00, 0xf0, 0x00, 0x00, 0x00,
                                        0x01, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x01, 0x00, 0x18,
                                        0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x18};
  BmpPicture refused;
  EXPECT_EQ(LoadBmpPicture(Write("hostile.bmp", hostile).c_str(), &refused), BmpResult::Implausible);
  EXPECT_TRUE(refused.pixels.empty());

  // Pixel rows cut short, a zero width, a giant width: all refused.
  std::vector<uint8_t> cut = SmallBmp();
  cut.resize(cut.size() - 4);
  EXPECT_EQ(LoadBmpPicture(Write("cut.bmp", cut).c_str(), &refused), BmpResult::Implausible);
  std::vector<uint8_t> narrow = SmallBmp();
  narrow[18] = 0;
  EXPECT_EQ(LoadBmpPicture(Write("narrow.bmp", narrow).c_str(), &refused), BmpResult::Implausible);
  std::vector<uint8_t> wide = SmallBmp();
  wide[20] = 0x01;  // 65538 pixels wide
  EXPECT_EQ(LoadBmpPicture(Write("wide.bmp", wide).c_str(), &refused), BmpResult::Implausible);
  EXPECT_EQ(LoadBmpPicture(nullptr, &refused), BmpResult::Missing);
  EXPECT_EQ(LoadBmpPicture("/no/such/picture.bmp", &refused), BmpResult::Missing);
  EXPECT_EQ(LoadBmpPicture("", &refused), BmpResult::Missing);
  const uint8_t words[] = "not a bitmap at all, just some words";
  EXPECT_EQ(DecodeBmp(words, sizeof words, &refused), BmpResult::NotBmp);
}

TEST(BmpReader, DepthAndColourTableForTextures) {
  BmpPicture picture;
  const std::vector<uint8_t> bmp24 = EncodeBmp24(Image(3, 2, 0x123456));
  ASSERT_EQ(DecodeBmp(bmp24.data(), bmp24.size(), &picture), BmpResult::Decoded);
  EXPECT_EQ(picture.width, 3);
  EXPECT_EQ(picture.height, 2);
  EXPECT_EQ(picture.bitsPerPixel, 24u);
  EXPECT_TRUE(picture.colorTable.empty());

  const std::vector<uint8_t> bmp8 = EncodeBmp8(Image(2, 2, 1), {0x000000, 0x112233, 0x445566});
  ASSERT_EQ(DecodeBmp(bmp8.data(), bmp8.size(), &picture), BmpResult::Decoded);
  EXPECT_EQ(picture.bitsPerPixel, 8u);
  ASSERT_GE(picture.colorTable.size(), 12u);
  EXPECT_EQ(picture.colorTable[4], 0x33);  // blue first
  EXPECT_EQ(picture.colorTable[6], 0x11);
  EXPECT_EQ(picture.pixels, std::vector<uint32_t>(4, 0x112233));

  // Every cut of the file is refused or read without going past the cut.
  for (size_t cut = 0; cut < bmp8.size(); ++cut) {
    BmpPicture partial;
    if (DecodeBmp(bmp8.data(), cut, &partial) == BmpResult::Decoded) {
      EXPECT_LE(partial.colorTable.size(), cut);
    } else {
      EXPECT_TRUE(partial.pixels.empty() && partial.colorTable.empty());
    }
  }

  // The table holds the entries the header declares (all 2^bits when it says 0), 3-byte
  // OS/2 entries widened with a zero fourth byte.
  BmpSpec os2;
  os2.infoSize = 12;
  os2.bits = 4;
  os2.tableEntries = 16;
  os2.width = 2;
  os2.height = 1;
  os2.data = {0x1F, 0, 0, 0};
  const std::vector<uint8_t> os2File = Build(os2);
  ASSERT_EQ(DecodeBmp(os2File.data(), os2File.size(), &picture), BmpResult::Decoded);
  ASSERT_EQ(picture.colorTable.size(), 64u);
  EXPECT_EQ(picture.colorTable[4 * 15 + 2], 240);  // red of entry 15
  EXPECT_EQ(picture.colorTable[4 * 15 + 3], 0);
  EXPECT_EQ(picture.pixels[0], 0xFE6030u);  // entry 1
  EXPECT_EQ(picture.pixels[1], 0xF05A36u);  // entry 15
}

}  // namespace
