#include "assets/bmp.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "content/bmp_writer.h"
#include "support/bmp_files.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace {

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

TEST(BmpReader, EveryKindOfPictureAsSdlShowedIt) {
  SDL_Init(0);
  Tally tally;
  const auto files = EveryKindOfBmp();
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
  EXPECT_EQ(Compare(BuildBmp(shortTable), "index past the table", &tally), BmpResult::Damaged);
  BmpSpec shortFour = shortTable;
  shortFour.bits = 4;
  shortFour.data = RandomRows(shortFour, 4, rng);
  shortFour.data[0] = 0x7F;
  EXPECT_EQ(Compare(BuildBmp(shortFour), "4-bit index past the table", &tally), BmpResult::Damaged);
  BmpSpec runs = shortTable;
  runs.compression = BMP_RLE8;
  runs.data = {3, 9, 2, 1, 0, 1};
  EXPECT_EQ(Compare(BuildBmp(runs), "run past the table", &tally), BmpResult::Decoded);
  BmpPicture picture;
  ASSERT_EQ(DecodeBmp(BuildBmp(runs).data(), BuildBmp(runs).size(), &picture), BmpResult::Decoded);
  EXPECT_EQ(picture.pixels[18], 0u);         // bottom row, index 9: black
  EXPECT_EQ(picture.pixels[21], 0xFE6030u);  // index 1 from the table
  EXPECT_EQ(picture.pixels[0], 0xFF050Bu);   // untouched pixels are index 0

  // Run-length data without its end mark, or cut inside a command.
  for (const std::vector<uint8_t>& data : std::vector<std::vector<uint8_t>>{
           {3, 1, 0, 0}, {3}, {0}, {0, 2, 1}, {0, 5, 1, 2}, {0, 3, 1, 2, 3}}) {
    runs.data = data;
    EXPECT_EQ(Compare(BuildBmp(runs), "unended runs", &tally), BmpResult::Damaged);
  }
  // Moves far outside the picture are dropped, not written.
  runs.data = {0, 2, 255, 255, 0, 2, 200, 0, 5, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 2, 0, 1};
  EXPECT_EQ(Compare(BuildBmp(runs), "moves outside", &tally), BmpResult::Decoded);

  // The colour table past the end of the file: white entries.
  BmpSpec far = spec8();
  far.tableEntries = 0;
  far.data = RandomRows(far, 0, rng);
  std::vector<uint8_t> farTable = BuildBmp(far);
  PutLe32(farTable, 14, 4000);  // a header as long as that puts the table past the end
  EXPECT_EQ(Compare(farTable, "table past the end", &tally), BmpResult::Decoded);
  ASSERT_EQ(DecodeBmp(farTable.data(), farTable.size(), &picture), BmpResult::Decoded);
  EXPECT_EQ(picture.pixels[0], 0xFFFFFFu);

  // Depths and masks that are not picture formats.
  for (uint16_t bits : {0, 3, 5, 7, 9, 17, 31, 33, 64}) {
    BmpSpec odd;
    odd.bits = bits;
    odd.data = RandomRows(odd, 0, rng);
    EXPECT_EQ(Compare(BuildBmp(odd), "depth " + std::to_string(bits), &tally), BmpResult::Unsupported);
  }
  BmpSpec oddMasks;
  oddMasks.bits = 16;
  oddMasks.compression = BMP_BITFIELDS;
  oddMasks.masks[0] = 0x3C00;
  oddMasks.masks[1] = 0x03E0;
  oddMasks.masks[2] = 0x001F;
  oddMasks.data = RandomRows(oddMasks, 0, rng);
  EXPECT_EQ(Compare(BuildBmp(oddMasks), "odd masks", &tally), BmpResult::Unsupported);
  EXPECT_GE(tally.refused, 12);
}

// Every well-formed file bent in random ways: bytes changed in the headers, the table and the
// data, cut short, lengthened. Whatever comes of it, both readers agree.
TEST(BmpReader, BentFilesAsSdlTookThem) {
  Tally tally;
  std::mt19937 rng(2024);
  for (const auto& [what, original] : EveryKindOfBmp()) {
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
  const std::vector<uint8_t> os2File = BuildBmp(os2);
  ASSERT_EQ(DecodeBmp(os2File.data(), os2File.size(), &picture), BmpResult::Decoded);
  ASSERT_EQ(picture.colorTable.size(), 64u);
  EXPECT_EQ(picture.colorTable[4 * 15 + 2], 240);  // red of entry 15
  EXPECT_EQ(picture.colorTable[4 * 15 + 3], 0);
  EXPECT_EQ(picture.pixels[0], 0xFE6030u);  // entry 1
  EXPECT_EQ(picture.pixels[1], 0xF05A36u);  // entry 15
}

}  // namespace
