#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {

uint32_t At(int x, int y) { return FrameBuffer[y * SCREEN_WIDTH + x]; }

void ExpectLine(float t, const char* text, int x, int y, uint32_t color) {
  const GreetingLine line = GreetingCue(t);
  ASSERT_NE(line.text, nullptr) << "t = " << t;
  EXPECT_STREQ(line.text, text) << "t = " << t;
  EXPECT_EQ(line.x, x) << "t = " << t;
  EXPECT_EQ(line.y, y) << "t = " << t;
  EXPECT_EQ(line.color, color) << "t = " << t;
}

TEST(Greetings, CuesRiseAndFade) {
  ExpectLine(0.0f, "Greets", 180, 118, 0xFFFFFFFFu);
  ExpectLine(0.7f, "Greets", 180, 117, 0xFFE1E1E1u);
  ExpectLine(3.0f, "Greets", 180, 114, 0xFF7F7F7Fu);
  ExpectLine(5.99f, "Greets", 180, 110, 0xFF000000u);
  ExpectLine(6.0f, "Flies", 170, 120, 0xFFFFFFFFu);
  ExpectLine(12.0f, "Out", 180, 122, 0xFFFFFFFFu);
  ExpectLine(18.0f, "To", 170, 124, 0xFFFFFFFFu);
  ExpectLine(24.0f, GreetedNames[0], 180, 126, 0xFFFFFFFFu);
  ExpectLine(30.0f, GreetedNames[1], 170, 128, 0xFFFFFFFFu);
  ExpectLine(78.0f, GreetedNames[9], 170, 144, 0xFFFFFFFFu);
  ExpectLine(84.0f, "..and other hackers", 180, 146, 0xFFFFFFFFu);
  // The closing line in light blue (red in the low byte): red 85, green 127, blue 255.
  ExpectLine(90.0f, GreetingClosingLine, 170, 148, 0xFFFF7F55u);
  ExpectLine(95.0f, GreetingClosingLine, 170, 141, 0xFF2A150Eu);
  EXPECT_EQ(GreetingCue(96.0f).text, nullptr);

  std::set<std::string> names(std::begin(GreetedNames), std::end(GreetedNames));
  EXPECT_EQ(names.size(), 10u);
  for (const std::string& name : names) EXPECT_FALSE(name.empty());
  EXPECT_GT(std::strlen(GreetingClosingLine), 0u);
}

TEST(Greetings, EchoShakesWithTheFade) {
  EXPECT_EQ(GreetingEchoOffset(0.0f), 0);
  EXPECT_EQ(GreetingEchoOffset(0.7f), 2);
  EXPECT_EQ(GreetingEchoOffset(3.0f), 0);
  for (float t = 0.0f; t < 96.0f; t += 0.05f) {
    ASSERT_LE(std::abs(GreetingEchoOffset(t)), 2) << "t = " << t;
  }

  std::fill(std::begin(Pixel4), std::end(Pixel4), 0u);
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x) Pixel4[y * 320 + x] = 0x00FFFFFFu - (x + y);
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x00ABCDEFu);
  DrawGreetings(0.0f);  // no shake: the picture rebuilt from four quarters
  EXPECT_EQ(At(8, 0), 0x00FCFCFCu);
  EXPECT_EQ(At(122, 239), (0x00FFFFFFu - (114 + 239)) & 0x00FCFCFCu);
  EXPECT_EQ(At(7, 0), 0u);
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    for (int x = 123; x < SCREEN_WIDTH; ++x) ASSERT_EQ(At(x, y), 0u);

  std::fill(std::begin(Pixel4), std::end(Pixel4), 0u);
  Pixel4[10 * 320 + 50] = 0x00FFFFFFu;
  Pixel4[20 * 320 + 200] = 0x00FFFFFFu;  // beyond column 114: never read
  DrawGreetings(0.7f);                   // f = 2: copies at 8 + 50 +-2 and +-6
  for (int x : {52, 56, 60, 64}) EXPECT_EQ(At(x, 10), 0x003F3F3Fu) << "x = " << x;
  const long lit = std::count_if(std::begin(FrameBuffer), std::end(FrameBuffer),
                                 [](uint32_t p) { return p != 0; });
  EXPECT_EQ(lit, 4);
}

TEST(Greetings, TextReachesTheScreenOverTheEcho) {
  Surface back(320, 240, 32);
  displayContext.backBuffer = &back;
  displayContext.backBufferBits = 32;
  std::fill(std::begin(Pixel4), std::end(Pixel4), 0u);

  auto litInside = [&](int left, int top, int right, int bottom) {
    int lit = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) lit += back.GetPixel(x, y) != 0;
    return lit;
  };

  DrawGreetings(0.0f);  // "Greets" in white from (180, 118)
  EXPECT_GT(litInside(180, 118, 320, 140), 0);
  EXPECT_EQ(litInside(0, 0, 320, 118), 0);
  EXPECT_EQ(litInside(0, 0, 178, 240), 0);

  FillSurface(back, nullptr, 0x00123456);
  DrawGreetings(96.0f);  // no line after the last cue; the upload still blanks the screen
  EXPECT_EQ(litInside(0, 0, 320, 240), 0);
  displayContext.backBuffer = nullptr;
}

}  // namespace
