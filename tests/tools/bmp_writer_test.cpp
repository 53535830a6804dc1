#include "content/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

}  // namespace

TEST(BmpWriter, TrueColourRowsBottomUpPaddedToFourBytes) {
  Image img(3, 2);
  img.At(0, 0) = 0x112233;  // top left
  img.At(2, 0) = 0x445566;
  img.At(0, 1) = 0xA0B0C0;  // bottom left
  const std::vector<uint8_t> b = EncodeBmp24(img);
  const uint32_t row = 12;  // 9 bytes of pixels padded to 12
  ASSERT_EQ(b.size(), 54u + 2 * row);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size());
  EXPECT_EQ(U32(b, 10), 54u);
  EXPECT_EQ(U32(b, 14), 40u);
  EXPECT_EQ(U32(b, 18), 3u);
  EXPECT_EQ(U32(b, 22), 2u);  // positive height: bottom-up
  EXPECT_EQ(U16(b, 26), 1u);
  EXPECT_EQ(U16(b, 28), 24u);
  EXPECT_EQ(U32(b, 30), 0u);
  EXPECT_EQ(U32(b, 34), 2 * row);
  // First stored row is the bottom one, blue green red.
  EXPECT_EQ(b[54], 0xC0);
  EXPECT_EQ(b[55], 0xB0);
  EXPECT_EQ(b[56], 0xA0);
  EXPECT_EQ(b[54 + 9], 0);  // padding
  EXPECT_EQ(b[54 + row + 0], 0x33);
  EXPECT_EQ(b[54 + row + 2], 0x11);
  EXPECT_EQ(b[54 + row + 6], 0x66);
  EXPECT_EQ(b[54 + row + 8], 0x44);
}

TEST(BmpWriter, IndexedWithColourTable) {
  Image idx(5, 2);
  for (int x = 0; x < 5; ++x) {
    idx.At(x, 0) = static_cast<uint32_t>(x);
    idx.At(x, 1) = 2;
  }
  const std::vector<uint32_t> pal = {0x000000, 0x102030, 0xFFEEDD};
  const std::vector<uint8_t> none = EncodeBmp8(idx, pal);
  EXPECT_TRUE(none.empty()) << "indices 3 and 4 are past the palette";

  const std::vector<uint32_t> pal5 = {0x000000, 0x102030, 0xFFEEDD, 0x010203, 0x040506};
  const std::vector<uint8_t> b = EncodeBmp8(idx, pal5);
  const uint32_t data = 54 + 5 * 4, row = 8;
  ASSERT_EQ(b.size(), data + 2 * row);
  EXPECT_EQ(U32(b, 10), data);
  EXPECT_EQ(U16(b, 28), 8u);
  EXPECT_EQ(U32(b, 46), 5u);  // colours used
  // Table entries are blue, green, red, 0.
  EXPECT_EQ(b[54 + 4 + 0], 0x30);
  EXPECT_EQ(b[54 + 4 + 1], 0x20);
  EXPECT_EQ(b[54 + 4 + 2], 0x10);
  EXPECT_EQ(b[54 + 4 + 3], 0x00);
  // Bottom row first: all 2; then the top row 0..4; each padded to 8.
  for (int x = 0; x < 5; ++x) EXPECT_EQ(b[data + x], 2);
  for (int x = 5; x < 8; ++x) EXPECT_EQ(b[data + x], 0);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(b[data + row + x], x);
}

TEST(BmpWriter, RejectsBadInputAndReportsIt) {
  Image wrong(4, 4);
  wrong.pixels.resize(3);
  EXPECT_TRUE(EncodeBmp24(wrong).empty());
  EXPECT_TRUE(EncodeBmp24(Image()).empty());
  EXPECT_TRUE(EncodeBmp8(Image(2, 2), {}).empty());
  EXPECT_TRUE(EncodeBmp8(Image(2, 2), std::vector<uint32_t>(257)).empty());

  const auto dir = std::filesystem::path(ScratchDir()) / "bmp_writer_test";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_FALSE(WriteBmp24((dir / "none" / "x.bmp").string(), Image(2, 2), &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
  error.clear();
  EXPECT_FALSE(WriteBmp8((dir / "x.bmp").string(), Image(2, 2, 9), {0, 1}, &error));
  EXPECT_FALSE(error.empty());

  const std::string ok = (dir / "ok.bmp").string();
  ASSERT_TRUE(WriteBmp24(ok, Image(7, 3, 0x123456), &error)) << error;
  std::ifstream in(ok, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, EncodeBmp24(Image(7, 3, 0x123456)));
  std::filesystem::remove_all(dir);
}
