// view_layout.h - where the 320 x 240 picture goes in a window or on a screen of any size,
// for the player's scaling choices, with an optional status line that never covers it.
//
//   const ViewLayout l = LayoutView(1920, 1080, ScaleFilter::Nearest, 0);  // 4x, centred
#pragma once
#include "platform/surface.h"

enum class ScaleFilter {
  Show,     // the show's own: filling the 4:3 area, nearest neighbour
  Nearest,  // the largest whole multiple that fits, centred
  Sharp,    // a whole-multiple enlargement, then smoothed to fill the 4:3 area
  Linear,   // smoothed to fill the 4:3 area
};

struct ViewLayout {
  PixelRect picture;  // where the picture is drawn
  PixelRect status;   // the status line below it, empty without one
  int prescale;       // Sharp: the whole multiple enlarged to before smoothing, else 1
};

// `statusHeight` pixels at the bottom are kept for the status line (none when the output is
// too small to spare them).
ViewLayout LayoutView(int outputWidth, int outputHeight, ScaleFilter filter, int statusHeight);
