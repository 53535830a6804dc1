// picture_font.h - the pack's built-in 5 x 7 font (capitals, digits, a little punctuation;
// small letters print as capitals), drawn into a coverage mask at any scale. No system fonts,
// so the pictures come out the same everywhere.
//
//   Mask m(136, 30);
//   FontText(&m, "VORSK", 4, 2, 3.6, 3.6, 0.4);   // x, y, cell width, cell height, grow
#pragma once
#include <string>

#include "content/picture_art.h"

// Width in pixels of `text` at cell width sx (each glyph is 5 cells plus 1 cell of spacing,
// without the trailing space).
double FontTextWidth(const std::string& text, double sx);
// Adds the glyph cells of `text`, each cell sx by sy, top-left at (x, y); `grow` widens every
// cell on all sides (for outlines and bold). Unknown characters print as a blank.
void FontText(Mask* mask, const std::string& text, double x, double y, double sx, double sy, double grow = 0);
// The same, centred on column cx.
void FontTextCentred(Mask* mask, const std::string& text, double cx, double y, double sx, double sy,
                     double grow = 0);
// Vertical text, one glyph under the other, centred on column cx.
void FontTextVertical(Mask* mask, const std::string& text, double cx, double y, double sx, double sy,
                      double gap, double grow = 0);
