#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
};

Ink FindInk(const Surface& s, uint32_t background) {
  Ink ink;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.GetPixel(x, y) != background) {
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
        ++ink.count;
      }
  return ink;
}

TEST(ShowFont, BoldSansSerifAtNinetySixDpi) {
  PlatformFont* ten = OpenShowFont(10);
  if (!ten) GTEST_SKIP() << "no sans-serif font installed";
  EXPECT_NE(ShowFontPath().find("Bold"), std::string::npos) << ShowFontPath();
  EXPECT_EQ(FontAscent(ten), 13);
  EXPECT_EQ(FontHeight(ten), 16);
  EXPECT_EQ(OpenShowFont(10), ten);  // opened once per size
  PlatformFont* eight = OpenShowFont(8);
  ASSERT_NE(eight, nullptr);
  EXPECT_LT(FontHeight(eight), FontHeight(ten));
  EXPECT_GT(MeasureSurfaceText(ten, "Loading...", 10), MeasureSurfaceText(ten, "Load", 4));
  EXPECT_EQ(MeasureSurfaceText(ten, "", 0), 0);

  EXPECT_EQ(OpenFontFile("/no/such/font.ttf", 10), nullptr);
  EXPECT_EQ(OpenFontFile(nullptr, 10), nullptr);
  Surface s(8, 8, 32);
  DrawSurfaceText(s, nullptr, 0, 0, "A", 1, 0xFFFFFF);  // no font: nothing drawn, no crash
  EXPECT_EQ(FindInk(s, 0).count, 0);
}

TEST(ShowFont, TextSitsInItsCellInTheExactColour) {
  PlatformFont* font = OpenShowFont(10);
  if (!font) GTEST_SKIP() << "no sans-serif font installed";
  for (int bits : {24, 32}) {
    Surface s(64, 40, bits);
    FillSurface(s, nullptr, 0x202020);
    DrawSurfaceText(s, font, 10, 7, "HI", 2, 0xFF8000);
    const Ink ink = FindInk(s, 0x202020);
    ASSERT_GT(ink.count, 0);
    // Capitals stand on the baseline, ascent pixels below the cell's top, and reach above
    // mid-cell.
    EXPECT_EQ(ink.bottom, 7 + FontAscent(font) - 1);
    EXPECT_GE(ink.top, 8);
    EXPECT_LE(ink.top, 11);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 12);
    // The stems are solid: fully covered pixels hold the colour exactly; edges are blends.
    int exact = 0;
    for (int y = ink.top; y <= ink.bottom; ++y)
      for (int x = ink.left; x <= ink.right; ++x) {
        const uint32_t p = s.GetPixel(x, y);
        exact += p == 0xFF8000;
        EXPECT_LE(p & 0xFF, 0x20u);  // blue only ever fades from the background toward 0
      }
    EXPECT_GT(exact, 20);
  }
}

TEST(ShowFont, ClippedAtTheSurfaceEdges) {
  PlatformFont* font = OpenShowFont(10);
  if (!font) GTEST_SKIP() << "no sans-serif font installed";
  Surface s(20, 10, 24, 70);  // a wide pitch: bytes past the row must stay as they are
  std::fill(s.pixels.begin(), s.pixels.end(), 0);
  DrawSurfaceText(s, font, -5, -6, "WWWWWW", 6, 0xFFFFFF);
  DrawSurfaceText(s, font, 12, 4, "WWWWWW", 6, 0xFFFFFF);
  EXPECT_GT(FindInk(s, 0).count, 0);
  for (int y = 0; y < 10; ++y)
    for (int b = 60; b < 70; ++b) ASSERT_EQ(s.pixels[y * 70 + b], 0) << y;
  // Only `length` characters, and a NUL ends the text early.
  Surface a(80, 20, 32), b(80, 20, 32);
  DrawSurfaceText(a, font, 0, 0, "AB", 1, 0xFFFFFF);
  DrawSurfaceText(b, font, 0, 0, "A\0B", 3, 0xFFFFFF);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_LT(FindInk(a, 0).right, MeasureSurfaceText(font, "AB", 2) - 2);
}

}  // namespace
