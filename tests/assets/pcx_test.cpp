#include "assets/pcx.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Header(uint16_t xmin, uint16_t ymin, uint16_t xmax, uint16_t ymax, uint16_t bytesPerLine) {
  std::vector<uint8_t> h(PCX_HEADER_SIZE, 0);
  h[0] = 10, h[1] = 5, h[2] = 1, h[3] = 8, h[65] = 3;
  auto put = [&](size_t at, uint16_t v) { h[at] = v & 0xFF, h[at + 1] = v >> 8; };
  put(4, xmin), put(6, ymin), put(8, xmax), put(10, ymax), put(66, bytesPerLine);
  return h;
}

std::vector<uint8_t> Pcx(uint16_t width, uint16_t height, std::vector<uint8_t> data, uint16_t bytesPerLine = 0) {
  std::vector<uint8_t> file = Header(0, 0, width - 1, height - 1, bytesPerLine ? bytesPerLine : width);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

PcxResult Decode(const std::vector<uint8_t>& file, std::vector<uint32_t>& out) {
  return DecodePcxPicture(file.data(), file.size(), out.data(), out.size());
}

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = ScratchDir() + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

constexpr uint32_t UNTOUCHED = 0xDEADBEEF;

TEST(PcxReader, DecodesPlanesIntoRgbPixels) {
  std::vector<uint32_t> out(1, UNTOUCHED);
  EXPECT_EQ(Decode(Pcx(1, 1, {0x10, 0x20, 0x30}), out), PcxResult::Complete);
  EXPECT_EQ(out[0], 0x00102030u);

  // 3 x 2, literals and runs, the values 192 and above only as runs of one.
  std::vector<uint8_t> data = {
      0xC3, 0x11,  0x01, 0x02, 0x03,        0xC1, 0xC8, 0xC1, 0xFF, 0x00,  // row 0: R, G, B
      0x21, 0x22,  0x23, 0xC3, 0x44,        0xC2, 0x55, 0xC1, 0xC0};      // row 1
  std::vector<uint32_t> pic(6, UNTOUCHED);
  EXPECT_EQ(Decode(Pcx(3, 2, data), pic), PcxResult::Complete);
  EXPECT_EQ(pic, (std::vector<uint32_t>{0x1101C8, 0x1102FF, 0x110300, 0x214455, 0x224455, 0x2344C0}));
}

TEST(PcxReader, RunsCrossingTheLineEndAndEmptyRuns) {
  // Width 6: two literals, then a run of 10 fills the last 4 and ends the red line; the green
  // line starts right after the run's value byte. 0xC0 pairs write nothing.
  const std::vector<uint8_t> file = Pcx(6, 1, {0x01, 0x02, 0xCA, 0x09,   // red: 1 2 9 9 9 9, 6 dropped
                                               0xC0, 0x77, 0xC6, 0x05,   // green: all 5
                                               0xC0, 0x66, 0xC0, 0xEE, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F});
  std::vector<uint32_t> out(6 + 2, UNTOUCHED);
  EXPECT_EQ(DecodePcxPicture(file.data(), file.size(), out.data(), 6), PcxResult::Complete);
  EXPECT_EQ(out, (std::vector<uint32_t>{0x01050A, 0x02050B, 0x09050C, 0x09050D, 0x09050E, 0x09050F,
                                        UNTOUCHED, UNTOUCHED}));
}

TEST(PcxReader, SizeEdgeCases) {
  std::vector<uint32_t> out(4, UNTOUCHED);
  // Height 0 (ymax = ymin - 1) writes nothing.
  std::vector<uint8_t> file = Header(0, 5, 1, 4, 2);
  file.insert(file.end(), {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(Decode(file, out), PcxResult::Complete);
  EXPECT_EQ(out, std::vector<uint32_t>(4, UNTOUCHED));

  // A wrapped width (xmax far below xmin) is enormous: not one row fits, nothing is written.
  uint32_t w = 0, h = 0;
  file = Header(10, 0, 2, 0, 0);
  file.insert(file.end(), 300, 0xC1);
  ASSERT_TRUE(ReadPcxSize(file.data(), file.size(), &w, &h));
  EXPECT_EQ(w, 0xFFFFFFF9u);
  EXPECT_EQ(h, 1u);
  EXPECT_EQ(Decode(file, out), PcxResult::TooLarge);
  EXPECT_EQ(out, std::vector<uint32_t>(4, UNTOUCHED));

  // A wrapped height with a width that fits: only the rows the capacity holds are written.
  file = Header(0, 3, 1, 0, 2);
  for (int row = 0; row < 4; ++row) file.insert(file.end(), {0x10, 0x11, 0x20, 0x21, 0x30, 0x31});
  EXPECT_EQ(Decode(file, out), PcxResult::TooLarge);
  EXPECT_EQ(out, (std::vector<uint32_t>{0x102030, 0x112131, 0x102030, 0x112131}));

  // A zero capacity or a null destination writes nothing at all.
  EXPECT_EQ(DecodePcxPicture(file.data(), file.size(), nullptr, 100), PcxResult::TooLarge);
}

TEST(PcxReader, ShortAndTruncatedFilesKeepTheRestUnchanged) {
  std::vector<uint32_t> out(4, UNTOUCHED);
  std::vector<uint8_t> header = Header(0, 0, 1, 1, 2);
  header.resize(100);
  EXPECT_EQ(Decode(header, out), PcxResult::ShortHeader);
  EXPECT_EQ(out, std::vector<uint32_t>(4, UNTOUCHED));

  // 2 x 2 picture ending inside the second row's red line, and one ending between a run byte
  // and its value.
  EXPECT_EQ(Decode(Pcx(2, 2, {1, 2, 3, 4, 5, 6, 7}), out), PcxResult::Truncated);
  EXPECT_EQ(out, (std::vector<uint32_t>{0x010305, 0x020406, 0x070000, UNTOUCHED}));
  out.assign(4, UNTOUCHED);
  EXPECT_EQ(Decode(Pcx(2, 2, {0xC2}), out), PcxResult::Truncated);
  EXPECT_EQ(out, std::vector<uint32_t>(4, UNTOUCHED));
}

TEST(PcxReader, PaddedLinesSkipThePadAndShortBytesPerLineIsTheWidth) {
  // Width 3 with 4 bytes per line, as writers store odd widths; the pad value is dropped even
  // when a run carries it.
  std::vector<uint8_t> data = {0x01, 0x02, 0x03, 0x00,  0xC4, 0x07,  0x0A, 0x0B, 0x0C, 0x2E,
                               0x11, 0x12, 0x13, 0x00,  0xC4, 0x08,  0x1A, 0x1B, 0x1C, 0x2E};
  std::vector<uint32_t> out(6, UNTOUCHED);
  EXPECT_EQ(Decode(Pcx(3, 2, data, 4), out), PcxResult::Complete);
  EXPECT_EQ(out, (std::vector<uint32_t>{0x01070A, 0x02070B, 0x03070C, 0x11081A, 0x12081B, 0x13081C}));

  // A bytes-per-line below the width (here 1) is taken as the width.
  out.assign(2, UNTOUCHED);
  EXPECT_EQ(Decode(Pcx(2, 1, {1, 2, 3, 4, 5, 6}, 1), out), PcxResult::Complete);
  EXPECT_EQ(out, (std::vector<uint32_t>{0x010305, 0x020406}));
}

TEST(PcxReader, LoadsFilesByShowName) {
  const std::string path = WriteTemp("pcx_reader_1x1.pcx", Pcx(1, 1, {0x10, 0x20, 0x30}));
  std::vector<uint32_t> out(1, UNTOUCHED);
  EXPECT_EQ(LoadPcxPicture(path.c_str(), out.data(), out.size()), PcxResult::Complete);
  EXPECT_EQ(out[0], 0x00102030u);

  // The show's backslashes name the same file.
  std::string showName = path;
  for (char& c : showName) if (c == '/') c = '\\';
  out[0] = UNTOUCHED;
  EXPECT_EQ(LoadPcxPicture(showName.c_str(), out.data(), out.size()), PcxResult::Complete);
  EXPECT_EQ(out[0], 0x00102030u);

  out[0] = UNTOUCHED;
  EXPECT_EQ(LoadPcxPicture((path + ".missing").c_str(), out.data(), out.size()), PcxResult::Missing);
  const std::string empty = WriteTemp("pcx_reader_empty.pcx", {});
  EXPECT_EQ(LoadPcxPicture(empty.c_str(), out.data(), out.size()), PcxResult::ShortHeader);
  EXPECT_EQ(out[0], UNTOUCHED);
}

}  // namespace
