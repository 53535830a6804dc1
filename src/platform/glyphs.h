// glyphs.h - text as coverage: how the font library lays a line of glyphs out and blends it
// into a surface, and an atlas that holds the show's face as coverage maps, so that a build
// without the font library (the web page) draws the very same pixels.
//
// The native build draws through SDL2_ttf (text.cpp) and writes the atlas with the same
// FreeType and HarfBuzz set-up (glyph_atlas_maker.h); the web build draws from the atlas alone
// (atlas_text.cpp). Both blend coverage into the surface with BlendTextCoverage.
//
//   GlyphAtlas atlas;  std::string error;
//   if (ParseGlyphAtlas(bytes, atlas, &error))
//     if (const GlyphFace* face = atlas.Face(10)) DrawAtlasText(surface, *face, 10, 10, "Hi", 2, 0xFFFFFF);
//
// The line is laid out as the font library does it: glyph pens advance in 26.6 fixed point,
// each coverage map lands at floor(pen) + its left bearing, maps that overlap are OR-ed, and the
// line's box starts where its leftmost or topmost glyph pixel would fall outside it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

// One character's coverage map and metrics. The advance is 26.6 fixed point.
struct AtlasGlyph {
  int32_t advance = 0;
  int32_t left = 0, top = 0;  // from the pen to the map's top-left, y up (as FreeType gives it)
  uint32_t width = 0, rows = 0;
  uint32_t offset = 0;  // into GlyphFace::coverage
};

struct KerningPair {
  uint8_t first, second;
  int32_t adjust;  // 26.6, added to the first glyph's advance when the second follows it
};

// The face at one size: every Latin-1 character 1..255.
struct GlyphFace {
  int32_t points = 0;
  int32_t ascent = 0;  // pixels from the cell's top to the baseline
  int32_t height = 0;  // pixels of the cell
  AtlasGlyph glyphs[256];  // [0] is never drawn: a NUL ends the text
  std::vector<KerningPair> kerning;  // sorted by (first, second)
  std::vector<uint8_t> coverage;

  int32_t Kerning(uint8_t first, uint8_t second) const;
};

struct GlyphAtlas {
  std::vector<GlyphFace> faces;
  const GlyphFace* Face(int points) const;  // null when the atlas lacks that size
};

// Reads an atlas written by WriteGlyphAtlas. False, with the reason, for anything short,
// inconsistent or out of bounds; `atlas` is then empty.
bool ParseGlyphAtlas(const std::vector<uint8_t>& bytes, GlyphAtlas& atlas, std::string* error);
std::vector<uint8_t> WriteGlyphAtlas(const GlyphAtlas& atlas);

// The coverage of a laid-out line: `width` x `height` bytes, 0 = background, 255 = ink.
struct TextCoverage {
  int width = 0, height = 0;
  std::vector<uint8_t> alpha;
};

// The first `length` characters of `text` (a NUL ends them earlier), laid out and rendered.
TextCoverage RenderAtlasText(const GlyphFace& face, const char* text, int length);
// Width in pixels of the same line: 0 for empty text.
int MeasureAtlasText(const GlyphFace& face, const char* text, int length);
void DrawAtlasText(Surface& surface, const GlyphFace& face, int x, int y, const char* text, int length,
                   uint32_t color);

// Mixes 0x00RRGGBB `color` into `surface` by a coverage map whose top-left lands at (x, y),
// clipped to the surface: full coverage replaces, partial coverage rounds to nearest.
void BlendTextCoverage(Surface& surface, int x, int y, const uint8_t* alpha, int width, int height, int stride,
                       uint32_t color);
