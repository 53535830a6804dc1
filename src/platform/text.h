// text.h - the one text face of the show: bold sans-serif found through fontconfig, opened
// with SDL2_ttf at 96 dpi so that N points are round(N * 96 / 72) pixels of character height.
//
//   PlatformFont* font = OpenShowFont(10);           // cached; null when no font can be had
//   DrawSurfaceText(surface, font, 10, 10, "Loading...", 10, 0xFFFFFF);
//
// Text is drawn with its cell's top-left corner at (x, y): the baseline lies `ascent` pixels
// below y. The background stays as it is; the anti-aliased glyph edges are blended into it.
#pragma once
#include <cstdint>
#include <string>

#include "platform/surface.h"

struct PlatformFont;

// Path of the face that fontconfig gives for "sans-serif:bold"; empty when there is none.
const std::string& ShowFontPath();
// The desktop's plain sans-serif face, for the program's own windows (not the show's picture).
const std::string& SystemFontPath();

// The show's face at `points` points, opened once per size and kept to the end of the run.
PlatformFont* OpenShowFont(int points);
// A face from a given file, not cached: the caller closes it. Null when it cannot be opened.
PlatformFont* OpenFontFile(const char* path, int points);
void CloseFontFile(PlatformFont* font);

int FontAscent(const PlatformFont* font);
int FontHeight(const PlatformFont* font);
// Width in pixels of `length` characters of `text` (Latin-1).
int MeasureSurfaceText(PlatformFont* font, const char* text, int length);

// Draws `length` characters of `text` (Latin-1) in 0x00RRGGBB `color`, clipped to the surface.
void DrawSurfaceText(Surface& surface, PlatformFont* font, int x, int y, const char* text, int length,
                     uint32_t color);
