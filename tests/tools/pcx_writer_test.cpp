#include "content/pcx_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "content/picture_readers.h"
#include "support/scratch.h"

namespace {

// The show's way of reading a PCX, kept tiny and literal: runs may cross a plane line's end
// (the rest is dropped), planes are red, green, blue per scan line.
std::vector<uint32_t> ShowStyleDecode(const std::vector<uint8_t>& f, int* w, int* h) {
  *w = (f[8] | f[9] << 8) - (f[4] | f[5] << 8) + 1;
  *h = (f[10] | f[11] << 8) - (f[6] | f[7] << 8) + 1;
  std::vector<uint32_t> out(static_cast<size_t>(*w) * *h);
  size_t pos = 128;
  for (int y = 0; y < *h; ++y)
    for (int plane = 0; plane < 3; ++plane) {
      int done = 0;
      while (done < *w) {
        uint8_t b = f.at(pos++);
        int run = 1;
        if ((b & 0xC0) == 0xC0) {
          run = b & 0x3F;
          b = f.at(pos++);
        }
        for (int i = 0; i < run && done + i < *w; ++i) out[y * *w + done + i] |= static_cast<uint32_t>(b) << (16 - 8 * plane);
        done += run;
      }
    }
  EXPECT_EQ(pos, f.size());
  return out;
}

Image RandomImage(int w, int h, uint32_t seed) {
  Image img(w, h);
  uint32_t s = seed;
  for (auto& p : img.pixels) {
    s = s * 1103515245u + 12345u;
    // Long runs of repeated colours mixed with noise and high (>= 0xC0) values.
    p = ((s >> 28) < 6) ? 0xC0FFEE : (s >> 8) & 0xFFFFFF;
  }
  return img;
}

}  // namespace

TEST(PcxWriter, HeaderFields) {
  Image img(6, 3, 0x102030);
  const std::vector<uint8_t> f = EncodePcx(img);
  ASSERT_GE(f.size(), 128u);
  EXPECT_EQ(f[0], 10);
  EXPECT_EQ(f[1], 5);
  EXPECT_EQ(f[2], 1);
  EXPECT_EQ(f[3], 8);
  EXPECT_EQ(f[4] | f[5] << 8, 0);   // xmin
  EXPECT_EQ(f[6] | f[7] << 8, 0);   // ymin
  EXPECT_EQ(f[8] | f[9] << 8, 5);   // xmax
  EXPECT_EQ(f[10] | f[11] << 8, 2); // ymax
  EXPECT_EQ(f[64], 0);
  EXPECT_EQ(f[65], 3);
  EXPECT_EQ(f[66] | f[67] << 8, 6);  // bytes per line = width
  // Each plane line of 6 equal values below 0xC0 is one run: 3 lines x 3 planes x 2 bytes.
  EXPECT_EQ(f.size(), 128u + 3 * 3 * 2);
  EXPECT_EQ(f[128], 0xC6);
  EXPECT_EQ(f[129], 0x10);
  EXPECT_EQ(f[131], 0x20);
  EXPECT_EQ(f[133], 0x30);

  EXPECT_TRUE(EncodePcx(Image(5, 2)).empty()) << "odd widths are not written";
  EXPECT_TRUE(EncodePcx(Image()).empty());
}

TEST(PcxWriter, RunLengthEncoding) {
  // One scan line of 70 pixels: a run longer than 63, then single values below and above 0xC0.
  Image img(70, 1, 0x000000);
  for (int x = 0; x < 66; ++x) img.At(x, 0) = 0x050000;
  img.At(66, 0) = 0x3F0000;
  img.At(67, 0) = 0xC0C0C0;
  img.At(68, 0) = 0xFF0000;
  img.At(69, 0) = 0x3F0000;
  const std::vector<uint8_t> f = EncodePcx(img);
  const std::vector<uint8_t> red(f.begin() + 128, f.begin() + 128 + 10);
  EXPECT_EQ(red, (std::vector<uint8_t>{0xFF, 0x05, 0xC3, 0x05, 0x3F, 0xC1, 0xC0, 0xC1, 0xFF, 0x3F}));
  // The green plane follows: 67 zeros split 63 + 4, 0xC0 as a run of one, then two zeros.
  const std::vector<uint8_t> green(f.begin() + 138, f.begin() + 146);
  EXPECT_EQ(green, (std::vector<uint8_t>{0xFF, 0x00, 0xC4, 0x00, 0xC1, 0xC0, 0xC2, 0x00}));
  // Blue: 67 zeros, 0xC0, 0, 0.
  const std::vector<uint8_t> blue(f.begin() + 146, f.end());
  EXPECT_EQ(blue, (std::vector<uint8_t>{0xFF, 0x00, 0xC4, 0x00, 0xC1, 0xC0, 0xC2, 0x00}));
  // Runs never continue from one plane line into the next.
  Image flat(4, 2, 0x777777);
  const std::vector<uint8_t> g = EncodePcx(flat);
  EXPECT_EQ(g.size(), 128u + 2 * 3 * 2);
  for (size_t i = 128; i < g.size(); i += 2) {
    EXPECT_EQ(g[i], 0xC4);
    EXPECT_EQ(g[i + 1], 0x77);
  }
}

TEST(PcxWriter, RoundTripsThroughReaders) {
  const Image img = RandomImage(130, 37, 99);
  const std::vector<uint8_t> f = EncodePcx(img);
  int w = 0, h = 0;
  EXPECT_EQ(ShowStyleDecode(f, &w, &h), img.pixels);
  EXPECT_EQ(w, 130);
  EXPECT_EQ(h, 37);
  Image back;
  std::string error;
  ASSERT_TRUE(DecodePcx(f, &back, &error)) << error;
  EXPECT_EQ(back.width, 130);
  EXPECT_EQ(back.pixels, img.pixels);
  // Truncated data and a bad header are refused cleanly.
  for (size_t cut : {size_t{0}, size_t{60}, size_t{128}, f.size() - 1}) {
    std::vector<uint8_t> shortFile(f.begin(), f.begin() + cut);
    EXPECT_FALSE(DecodePcx(shortFile, &back, &error)) << cut;
  }
  // A hand-made 2 x 1 file with padded plane lines (4 bytes per line) decodes without the
  // pad; one whose run runs past the line's end is refused.
  std::vector<uint8_t> padded = EncodePcx(Image(2, 1));
  padded.resize(128);
  padded[66] = 4;
  for (uint8_t v : {0x11, 0x12, 0x00, 0x00, 0x21, 0x22, 0x00, 0x00, 0x31, 0x32, 0x00, 0x00}) padded.push_back(v);
  ASSERT_TRUE(DecodePcx(padded, &back, &error)) << error;
  EXPECT_EQ(back.pixels, (std::vector<uint32_t>{0x112131, 0x122232}));
  std::vector<uint8_t> overrun = EncodePcx(Image(2, 1));
  overrun.resize(128);
  for (uint8_t v : {0xC3, 0x11, 0xC2, 0x22, 0xC2, 0x33}) overrun.push_back(v);
  EXPECT_FALSE(DecodePcx(overrun, &back, &error));
  std::vector<uint8_t> inverted = f;
  inverted[8] = 0;
  inverted[9] = 0;
  inverted[4] = 5;
  EXPECT_FALSE(DecodePcx(inverted, &back, &error));
}

TEST(PcxWriter, PillowReadsEveryPixel) {
  if (!std::filesystem::exists("/usr/bin/python3") ||
      std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "Pillow not available";
  }
  const Image img = RandomImage(64, 20, 7);
  const std::string path = ScratchDir() + "pcx_writer_test_pillow.pcx";
  std::string error;
  ASSERT_TRUE(WritePcx(path, img, &error)) << error;
  const std::string cmd = "/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                          "'); print(im.size[0], im.size[1], im.mode, im.convert('RGB').tobytes().hex())\"";
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
  pclose(pipe);
  std::filesystem::remove(path);
  std::string expected = "64 20 RGB ";
  char hex[8];
  for (uint32_t p : img.pixels) {
    std::snprintf(hex, sizeof hex, "%06x", p);
    expected += hex;
  }
  EXPECT_EQ(out, expected + "\n");
}
