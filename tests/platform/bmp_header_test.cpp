#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "support/scratch.h"

namespace {

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

TEST(BmpLoading, ClaimedSizesMustBeBelievable) {
  std::unique_ptr<Surface> good(LoadBmpSurface(Write("good.bmp", SmallBmp()).c_str(), 32));
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->GetPixel(0, 1), 0x0000FFu);  // bottom row first in the file
  EXPECT_EQ(good->GetPixel(0, 0), 0xFF0000u);

  // A 29-byte file whose header asks for an enormous picture is refused before anything is
  // allocated for it.
  const std::vector<uint8_t> hostile = {0x42, 0x4d, 0xff, 0xff, 0xff, 0x00, 0xf0, 0x00, 0x00, 0x00,
                                        0x01, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x01, 0x00, 0x18,
                                        0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x18};
  EXPECT_EQ(LoadBmpSurface(Write("hostile.bmp", hostile).c_str(), 32), nullptr);

  // Pixel rows cut short, a zero width, a giant width: all refused.
  std::vector<uint8_t> cut = SmallBmp();
  cut.resize(cut.size() - 4);
  EXPECT_EQ(LoadBmpSurface(Write("cut.bmp", cut).c_str(), 32), nullptr);
  std::vector<uint8_t> narrow = SmallBmp();
  narrow[18] = 0;
  EXPECT_EQ(LoadBmpSurface(Write("narrow.bmp", narrow).c_str(), 32), nullptr);
  std::vector<uint8_t> wide = SmallBmp();
  wide[20] = 0x01;  // 65538 pixels wide
  EXPECT_EQ(LoadBmpSurface(Write("wide.bmp", wide).c_str(), 32), nullptr);
  EXPECT_EQ(LoadBmpSurface(nullptr, 32), nullptr);
}

}  // namespace
