// screen.h - the size of the show's picture: every frame, back buffer and viewport is
// 320 x 240 pixels, whatever the window or video it ends up in.
#pragma once

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;
constexpr int SCREEN_PIXELS = SCREEN_WIDTH * SCREEN_HEIGHT;
