// glyph_atlas_maker.h - writes the show's face into a glyph atlas (glyphs.h), with FreeType and
// HarfBuzz set up exactly as SDL2_ttf sets them up for the native text, so that text drawn from
// the atlas has the native build's pixels. Native builds only.
//
//   std::vector<uint8_t> bytes;  std::string error;
//   if (MakeGlyphAtlas(ShowFontPath(), {8, 10}, bytes, &error)) ... write bytes ...
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// False, with the reason, when the face cannot be opened or its shaping goes beyond what an
// atlas holds (ligatures, marks, glyphs that move their neighbours other than by kerning).
bool MakeGlyphAtlas(const std::string& fontPath, const std::vector<int>& points, std::vector<uint8_t>& atlas,
                    std::string* error);
