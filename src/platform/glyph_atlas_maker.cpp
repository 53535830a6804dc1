#include "platform/glyph_atlas_maker.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <memory>

#include "platform/glyphs.h"

namespace {

struct FreeType {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  hb_font_t* shaper = nullptr;
  ~FreeType() {
    if (shaper) hb_font_destroy(shaper);
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL;  // hinting "normal"

int CeilPixels(FT_Pos fixed26_6) { return static_cast<int>(((fixed26_6 + 63) & -64) / 64); }

struct Shaped {
  unsigned count = 0;
  hb_codepoint_t glyph[2] = {};
  hb_position_t advance[2] = {};
  bool offsets = false;  // some glyph moved off its pen
};

// Latin-1 characters shaped as the font library shapes a line: left to right, script left
// unknown, no features asked for.
Shaped Shape(hb_font_t* font, const uint8_t* text, int length) {
  Shaped result;
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
  hb_buffer_set_script(buffer, HB_SCRIPT_UNKNOWN);
  hb_buffer_add_latin1(buffer, text, length, 0, length);
  hb_shape(font, buffer, nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* position = hb_buffer_get_glyph_positions(buffer, &count);
  result.count = count;
  for (unsigned i = 0; i < count && i < 2; ++i) {
    result.glyph[i] = info[i].codepoint;
    result.advance[i] = position[i].x_advance;
    if (position[i].x_offset || position[i].y_offset || position[i].y_advance) result.offsets = true;
  }
  hb_buffer_destroy(buffer);
  return result;
}

bool MakeFace(FreeType& ft, int points, GlyphFace& face, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why + " at " + std::to_string(points) + " points";
    return false;
  };
  if (FT_Set_Char_Size(ft.face, 0, points * 64, 96, 96) != 0) return fail("the face cannot be scaled");
  hb_ft_font_changed(ft.shaper);
  const FT_Fixed scale = ft.face->size->metrics.y_scale;
  face.points = points;
  face.ascent = CeilPixels(FT_MulFix(ft.face->ascender, scale));
  face.height = CeilPixels(FT_MulFix(ft.face->ascender - ft.face->descender, scale));

  hb_codepoint_t glyphIds[256] = {};
  for (int c = 1; c < 256; ++c) {
    const uint8_t text = static_cast<uint8_t>(c);
    const Shaped alone = Shape(ft.shaper, &text, 1);
    if (alone.count != 1 || alone.offsets) return fail("character " + std::to_string(c) + " does not shape alone");
    glyphIds[c] = alone.glyph[0];
    AtlasGlyph& glyph = face.glyphs[c];
    glyph.advance = alone.advance[0];
    if (FT_Load_Glyph(ft.face, alone.glyph[0], kLoadFlags) != 0 ||
        FT_Render_Glyph(ft.face->glyph, FT_RENDER_MODE_NORMAL) != 0)
      return fail("character " + std::to_string(c) + " cannot be rendered");
    const FT_GlyphSlot slot = ft.face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = bitmap.width;
    glyph.rows = bitmap.width == 0 ? 0 : bitmap.rows;  // as the font library keeps it
    glyph.offset = static_cast<uint32_t>(face.coverage.size());
    if (glyph.rows > 0 && (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays != 256))
      return fail("character " + std::to_string(c) + " renders as something other than 256 greys");
    for (unsigned row = 0; row < glyph.rows; ++row) {
      const uint8_t* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
      face.coverage.insert(face.coverage.end(), line, line + glyph.width);
    }
  }

  // A line is its pairs: each second glyph keeps its own advance, the first may be kerned.
  for (int a = 1; a < 256; ++a)
    for (int b = 1; b < 256; ++b) {
      const uint8_t text[2] = {static_cast<uint8_t>(a), static_cast<uint8_t>(b)};
      const Shaped pair = Shape(ft.shaper, text, 2);
      if (pair.count != 2 || pair.offsets || pair.glyph[0] != glyphIds[a] || pair.glyph[1] != glyphIds[b] ||
          pair.advance[1] != face.glyphs[b].advance)
        return fail("characters " + std::to_string(a) + " and " + std::to_string(b) + " shape beyond kerning");
      const int32_t adjust = pair.advance[0] - face.glyphs[a].advance;
      if (adjust != 0) face.kerning.push_back(KerningPair{text[0], text[1], adjust});
    }
  return true;
}

}  // namespace

bool MakeGlyphAtlas(const std::string& fontPath, const std::vector<int>& points, std::vector<uint8_t>& bytes,
                    std::string* error) {
  bytes.clear();
  FreeType ft;
  if (FT_Init_FreeType(&ft.library) != 0) {
    if (error) *error = "FreeType cannot start";
    return false;
  }
  if (fontPath.empty() || FT_New_Face(ft.library, fontPath.c_str(), 0, &ft.face) != 0) {
    if (error) *error = "the face " + (fontPath.empty() ? std::string("(none found)") : fontPath) + " cannot be opened";
    return false;
  }
  // The Unicode map, as the font library picks it: a full one first, else the first of the
  // others (Latin-1 codes are Unicode code points).
  FT_CharMap chosen = nullptr;
  for (int i = 0; i < ft.face->num_charmaps && !chosen; ++i) {
    const FT_CharMap map = ft.face->charmaps[i];
    if (map->platform_id == 3 && map->encoding_id == 10) chosen = map;
  }
  for (int i = 0; i < ft.face->num_charmaps && !chosen; ++i) {
    const FT_CharMap map = ft.face->charmaps[i];
    if ((map->platform_id == 3 && (map->encoding_id == 1 || map->encoding_id == 0)) ||
        (map->platform_id == 2 && map->encoding_id == 1) || map->platform_id == 0)
      chosen = map;
  }
  if (chosen) FT_Set_Charmap(ft.face, chosen);
  if (!FT_IS_SCALABLE(ft.face)) {
    if (error) *error = "the face " + fontPath + " is not scalable";
    return false;
  }
  ft.shaper = hb_ft_font_create(ft.face, nullptr);
  hb_ft_font_set_load_flags(ft.shaper, kLoadFlags);
  GlyphAtlas atlas;
  for (int size : points) {
    if (size <= 0 || size > 200) {
      if (error) *error = "no face can be made at " + std::to_string(size) + " points";
      return false;
    }
    GlyphFace face;
    if (!MakeFace(ft, size, face, error)) return false;
    atlas.faces.push_back(std::move(face));
  }
  bytes = WriteGlyphAtlas(atlas);
  return true;
}
