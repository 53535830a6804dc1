// text.h - text on the back buffer, the way the show draws it: a text context of the back
// buffer, a transparent background, a colour, the one bold sans-serif font, and white
// rectangles.
//
//   TextContext dc;
//   if (GetTextContext(&displayContext, &dc)) {
//     SetTextBackgroundTransparent(&dc);
//     TextFont* font = CreateTextFont(&dc, 10);      // 10 points at 96 dpi
//     SelectTextFont(&dc, font);
//     SetTextColor(&dc, 0xFFFFFFFF);                 // 0xFFBBGGRR: red in the low byte
//     DrawText(&dc, 10, 10, "Loading...", 10);       // top-left of the text cell
//     FillRectWhite(&dc, PixelRect{310, 200, 320, 240});
//     DeleteTextFont(font);
//     ReleaseTextContext(&dc);
//   }
#pragma once
#include <cstdint>

#include "display/display.h"

struct TextFont;

struct TextContext {
  Surface* surface = nullptr;
  TextFont* font = nullptr;
  uint32_t color = 0;  // 0xFFBBGGRR, red in the low byte
  bool transparent = false;
};

// False when the back buffer is missing or refuses a text context: draw nothing then.
bool GetTextContext(DisplayContext* context, TextContext* dc);
void ReleaseTextContext(TextContext* dc);
void SetTextBackgroundTransparent(TextContext* dc);
void SetTextColor(TextContext* dc, uint32_t color);
// Bold sans-serif at `points` points on a 96 dpi screen; null when no font can be had
// (text is then not drawn).
TextFont* CreateTextFont(TextContext* dc, int points);
void SelectTextFont(TextContext* dc, TextFont* font);
void DeleteTextFont(TextFont* font);
void DrawText(TextContext* dc, int x, int y, const char* text, int length);
void FillRectWhite(TextContext* dc, const PixelRect& rect);
