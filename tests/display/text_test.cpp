#include "display/text.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/pictures.h"

namespace {

// Whether the show's font can be had here (the font made to find out is given back).
bool FontAvailable() {
  TextFont* font = CreateTextFont(nullptr, 10);
  DeleteTextFont(font);
  return font != nullptr;
}


int CountColour(const Surface& s, uint32_t colour) {
  int n = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) n += s.GetPixel(x, y) == colour;
  return n;
}

// The progress screen's text: black shadow one pixel right and down, then white.
void DrawProgressText(DisplayContext* ctx) {
  TextContext dc;
  if (!GetTextContext(ctx, &dc)) return;
  SetTextBackgroundTransparent(&dc);
  TextFont* font = CreateTextFont(&dc, 10);
  SelectTextFont(&dc, font);
  SetTextColor(&dc, 0xFF000000);
  DrawText(&dc, 11, 11, "Loading...", 10);
  SetTextColor(&dc, 0xFFFFFFFF);
  DrawText(&dc, 10, 10, "Loading...", 10);
  DeleteTextFont(font);
  FillRectWhite(&dc, PixelRect{310, 200, 320, 260});
  ReleaseTextContext(&dc);
}

TEST(BackBufferText, TextAfterTheUploadShowsTextBeforeItIsGone) {
  Surface back(320, 240, 32);
  DisplayContext ctx{};
  ctx.backBuffer = &back;
  ctx.backBufferBits = 32;
  const std::vector<uint32_t> grey(320 * 240, 0x406080);

  UploadFrameBuffer(&ctx, grey.data());
  DrawProgressText(&ctx);
  EXPECT_FALSE(back.locked);
  const bool haveFont = FontAvailable();
  EXPECT_EQ(CountColour(back, 0xFFFFFF) - 10 * 40 > 0, haveFont);
  EXPECT_EQ(back.GetPixel(309, 239), 0x406080u);
  EXPECT_EQ(back.GetPixel(310, 200), 0xFFFFFFu);  // the bar, clipped to the screen
  EXPECT_EQ(back.GetPixel(310, 199), 0x406080u);
  if (haveFont) {
    EXPECT_GT(CountColour(back, 0x000000), 10);  // the shadow
  }

  DrawProgressText(&ctx);
  UploadFrameBuffer(&ctx, grey.data());
  EXPECT_EQ(CountColour(back, 0x406080), 320 * 240);
}

TEST(BackBufferText, ColourIsRedInTheLowByteAndContextsCanFail) {
  Surface back(120, 40, 24);
  DisplayContext ctx{};
  ctx.backBuffer = &back;
  ctx.backBufferBits = 24;
  TextContext dc;
  ASSERT_TRUE(GetTextContext(&ctx, &dc));
  EXPECT_FALSE(GetTextContext(&ctx, &dc));  // one context at a time
  TextFont* font = CreateTextFont(&dc, 8);
  if (font) {
    SelectTextFont(&dc, font);
    SetTextBackgroundTransparent(&dc);
    SetTextColor(&dc, 0xFF0000FF);  // red
    DrawText(&dc, 2, 2, "MMM", 3);
    // On black, every inked pixel is a level of pure red.
    int red = 0, other = 0;
    for (int y = 0; y < back.height; ++y)
      for (int x = 0; x < back.width; ++x) {
        const uint32_t p = back.GetPixel(x, y);
        red += p >= 0x800000 && (p & 0xFFFF) == 0;
        other += (p & 0xFFFF) != 0;
      }
    EXPECT_GT(red, 10);
    EXPECT_EQ(other, 0);
    DeleteTextFont(font);
  }
  ReleaseTextContext(&dc);
  // DeleteTextFont left the context without a font: nothing drawn, no crash.
  DrawText(&dc, 2, 2, "MMM", 3);

  back.refuseText = true;
  EXPECT_FALSE(GetTextContext(&ctx, &dc));
  DrawText(&dc, 2, 2, "MMM", 3);
  FillRectWhite(&dc, PixelRect{0, 0, 10, 10});
  EXPECT_EQ(CountColour(back, 0xFFFFFF), 0);
  DisplayContext none{};
  EXPECT_FALSE(GetTextContext(&none, &dc));
}

TEST(BackBufferText, OpaqueBackgroundFillsTheCellWhite) {
  Surface back(100, 30, 32);
  DisplayContext ctx{};
  ctx.backBuffer = &back;
  TextContext dc;
  ASSERT_TRUE(GetTextContext(&ctx, &dc));
  TextFont* font = CreateTextFont(&dc, 10);
  if (!font) GTEST_SKIP() << "no sans-serif font installed";
  SelectTextFont(&dc, font);
  SetTextColor(&dc, 0xFF000000);
  DrawText(&dc, 5, 5, "Hi", 2);
  EXPECT_EQ(back.GetPixel(5, 5), 0xFFFFFFu);
  EXPECT_EQ(back.GetPixel(5, 20), 0xFFFFFFu);  // 16 pixels of cell
  EXPECT_EQ(back.GetPixel(5, 21), 0u);
  EXPECT_EQ(back.GetPixel(4, 5), 0u);
  DeleteTextFont(font);
  ReleaseTextContext(&dc);
}

}  // namespace
