#include "assets/texture_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "content/bmp_writer.h"
#include "raster/device3d.h"

namespace {

namespace fs = std::filesystem;

constexpr TexturePixelFormat Rgb(uint32_t bits) { return {PIXEL_FORMAT_RGB, bits, 0, 0, 0, 0}; }

TEST(TextureFormatChoice, NearestDepthAtOrAboveTheBitmaps) {
  const TexturePixelFormat deep[] = {Rgb(16), Rgb(32), Rgb(24)};
  EXPECT_EQ(ChooseTextureFormat(deep, 3, 24).bitCount, 24u);
  EXPECT_EQ(ChooseTextureFormat(deep, 1, 24).bitCount, 16u);  // only 16 offered: taken anyway
  // A choice below the bitmap's depth gives way to one above it.
  EXPECT_EQ(ChooseTextureFormat(deep, 2, 24).bitCount, 32u);
  // Of two formats of the same depth the first stays.
  const TexturePixelFormat twins[] = {{PIXEL_FORMAT_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0}, Rgb(16)};
  EXPECT_EQ(ChooseTextureFormat(twins, 2, 16).redMask, 0x7C00u);

  const TexturePixelFormat paletteFirst[] = {{PIXEL_FORMAT_PALETTEINDEXED8, 8, 0, 0, 0, 0}, Rgb(16)};
  const TexturePixelFormat eight = ChooseTextureFormat(paletteFirst, 2, 8);
  EXPECT_EQ(eight.bitCount, 8u);
  EXPECT_EQ(eight.flags, PIXEL_FORMAT_PALETTEINDEXED8);
  const TexturePixelFormat sixteen = ChooseTextureFormat(paletteFirst, 2, 16);
  EXPECT_EQ(sixteen.bitCount, 16u);
  EXPECT_EQ(sixteen.flags, PIXEL_FORMAT_RGB);
}

TEST(TextureFormatChoice, AlphaAndFourBitFormatsAreNeverChosen) {
  const TexturePixelFormat refused[] = {
      {PIXEL_FORMAT_RGB | PIXEL_FORMAT_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u},
      {PIXEL_FORMAT_ALPHA, 8, 0, 0, 0, 0xFF},
      {PIXEL_FORMAT_PALETTEINDEXED4, 4, 0, 0, 0, 0},
      {PIXEL_FORMAT_PALETTEINDEXED8, 4, 0, 0, 0, 0},  // claims 8-bit indices at 4 bits
      {0, 24, 0xFF0000, 0xFF00, 0xFF, 0},              // deep but not RGB
  };
  for (uint32_t requested : {4u, 8u, 16u, 24u, 32u}) {
    const TexturePixelFormat none = ChooseTextureFormat(refused, 5, requested);
    EXPECT_EQ(none.bitCount, 0u) << requested;
    EXPECT_EQ(none.flags, 0u) << requested;
  }
  // Behind them an acceptable format is still found, whatever its depth.
  std::vector<TexturePixelFormat> withRgb(std::begin(refused), std::end(refused));
  withRgb.push_back(Rgb(32));
  EXPECT_EQ(ChooseTextureFormat(withRgb.data(), withRgb.size(), 4).bitCount, 32u);

  // Our own device's list: every bitmap depth finds its own format, never the alpha one.
  for (uint32_t bits : {8u, 16u, 24u, 32u}) {
    const TexturePixelFormat f = ChooseTextureFormat(SoftwareTextureFormats, 5, bits);
    EXPECT_EQ(f.bitCount, bits);
    EXPECT_EQ(f.flags & PIXEL_FORMAT_ALPHAPIXELS, 0u);
  }
  EXPECT_EQ(ChooseTextureFormat(SoftwareTextureFormats, 5, 4).bitCount, 8u);  // 4-bit bitmaps use 8-bit indices
}

TEST(TexturePalette, ColourTableOrderAndCapabilities) {
  std::vector<uint8_t> table(4 * 17, 0);
  table[0] = 0x10;  // blue
  table[1] = 0x20;  // green
  table[2] = 0x30;  // red
  table[3] = 0x99;  // reserved: not a colour
  table[4 * 16 + 2] = 0xFF;
  const TexturePalette sixteen = MakeTexturePalette(table.data(), 16);
  EXPECT_EQ(sixteen.caps, PALETTE_4BIT);
  ASSERT_EQ(sixteen.entries.size(), 16u);
  EXPECT_EQ(sixteen.entries[0], 0x00302010u);
  const TexturePalette seventeen = MakeTexturePalette(table.data(), 17);
  EXPECT_EQ(seventeen.caps, PALETTE_8BIT);
  ASSERT_EQ(seventeen.entries.size(), 17u);
  EXPECT_EQ(seventeen.entries[16], 0x00FF0000u);
  const TexturePalette none = MakeTexturePalette(table.data(), 0);
  EXPECT_EQ(none.caps, 0u);
  EXPECT_TRUE(none.entries.empty());
}

// A device that keeps what it is given.
class TextureRecorder : public Device3D {
 public:
  struct Texture {
    int width, height;
    std::vector<uint32_t> pixels;
  };
  std::vector<Texture> created;
  std::vector<uint32_t> released;
  bool refuse = false;

  void SetTransform(TransformState, const float*) override {}
  void SetTextureHandle(uint32_t) override {}
  void Begin(PrimitiveType) override {}
  void Vertex(const LitVertex&) override {}
  void End() override {}
  uint32_t CreateTexture(int width, int height, const uint32_t* pixels) override {
    if (refuse) return 0;
    created.push_back({width, height, std::vector<uint32_t>(pixels, pixels + width * height)});
    return 100 + static_cast<uint32_t>(created.size());
  }
  void ReleaseTexture(uint32_t handle) override { released.push_back(handle); }
};

// A content folder with a Textures folder, entered for the test and left afterwards.
class TextureFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("tavrine_textures_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Textures");
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  static void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(fs::path("Textures") / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  fs::path previous_, dir_;
};

TEST_F(TextureFolder, BitmapsBecomeDeviceTextures) {
  Image image(3, 2);
  const uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x010203};
  for (int i = 0; i < 6; ++i) image.pixels[i] = colours[i];
  WriteBytes("True.bmp", EncodeBmp24(image));
  Image indices(2, 2);
  indices.pixels = {0, 1, 2, 1};
  WriteBytes("Indexed.bmp", EncodeBmp8(indices, {0x000000, 0xC08040, 0x20A0E0}));

  TextureRecorder device;
  MaterialTexture record{};
  EXPECT_EQ(LoadMaterialTexture(&record, &device, "True.bmp"), 1);
  EXPECT_EQ(record.handle, 101u);
  EXPECT_EQ(record.device, &device);
  EXPECT_EQ(record.width, 3);
  EXPECT_EQ(record.height, 2);
  ASSERT_EQ(device.created.size(), 1u);
  EXPECT_EQ(device.created[0].width, 3);
  EXPECT_EQ(device.created[0].pixels, image.pixels);  // 24 bits keep every colour, top row first

  // A second load into the same record gives the first texture back to the device.
  EXPECT_EQ(LoadMaterialTexture(&record, &device, "Indexed.bmp"), 1);
  EXPECT_EQ(record.handle, 102u);
  EXPECT_EQ(device.released, std::vector<uint32_t>{101u});
  ASSERT_EQ(device.created.size(), 2u);
  EXPECT_EQ(device.created[1].pixels, (std::vector<uint32_t>{0x000000, 0xC08040, 0x20A0E0, 0xC08040}));

  ReleaseMaterialTexture(&record);
  EXPECT_EQ(record.handle, 0u);
  EXPECT_EQ(record.device, nullptr);
  EXPECT_EQ(device.released.back(), 102u);
}

TEST_F(TextureFolder, FailuresLeaveNoTexture) {
  WriteBytes("Good.bmp", EncodeBmp24(Image(4, 4, 0x808080)));
  std::vector<uint8_t> corrupt = EncodeBmp24(Image(64, 64, 0x808080));
  corrupt.resize(60);  // headers whole, pixels gone
  WriteBytes("Cut.bmp", corrupt);
  WriteBytes("Words.bmp", std::vector<uint8_t>(100, 'x'));

  TextureRecorder device;
  MaterialTexture kept{&device, 8, 8, 55};
  for (const char* name : {"Missing.bmp", "Cut.bmp", "Words.bmp"}) {
    EXPECT_EQ(LoadMaterialTexture(&kept, &device, name), 0) << name;
    EXPECT_EQ(kept.handle, 55u) << name;  // an unreadable bitmap leaves the record as it was
    EXPECT_EQ(kept.width, 8) << name;
  }
  EXPECT_EQ(LoadMaterialTexture(&kept, nullptr, "Good.bmp"), 0);
  EXPECT_EQ(kept.handle, 55u);
  EXPECT_TRUE(device.released.empty());

  // Past the bitmap, a device that cannot take the texture leaves the record released.
  device.refuse = true;
  EXPECT_EQ(LoadMaterialTexture(&kept, &device, "Good.bmp"), 0);
  EXPECT_EQ(kept.handle, 0u);
  EXPECT_EQ(kept.device, nullptr);
  EXPECT_EQ(device.released, std::vector<uint32_t>{55u});
}

}  // namespace
