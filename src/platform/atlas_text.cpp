// The show's text where there is no font library (the web page): the same interface as
// text.cpp, drawn from a glyph atlas that the native build made with the font library, so
// the pixels are the native ones.
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "platform/atlas_text.h"
#include "platform/glyphs.h"
#include "platform/text.h"

struct PlatformFont {
  std::shared_ptr<const GlyphAtlas> atlas;  // keeps the face alive while the font is open
  const GlyphFace* face;
};

namespace {

std::string& AtlasPath() {
  static std::string path = "/fonts/show.atlas";
  return path;
}

// Atlases read so far, by path; a file that could not be read is remembered as null.
std::shared_ptr<const GlyphAtlas> ReadAtlas(const std::string& path) {
  static std::map<std::string, std::shared_ptr<const GlyphAtlas>> read;
  auto found = read.find(path);
  if (found != read.end()) return found->second;
  std::shared_ptr<const GlyphAtlas> atlas;
  std::ifstream file(path, std::ios::binary);
  if (file) {
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto parsed = std::make_shared<GlyphAtlas>();
    if (ParseGlyphAtlas(bytes, *parsed, nullptr)) atlas = std::move(parsed);
  }
  read[path] = atlas;
  return atlas;
}

}  // namespace

void SetShowFontAtlas(const std::string& path) { AtlasPath() = path; }

const std::string& ShowFontPath() { return AtlasPath(); }

PlatformFont* OpenFontFile(const char* path, int points) {
  if (!path || !*path || points <= 0) return nullptr;
  std::shared_ptr<const GlyphAtlas> atlas = ReadAtlas(path);
  const GlyphFace* face = atlas ? atlas->Face(points) : nullptr;
  return face ? new PlatformFont{std::move(atlas), face} : nullptr;
}

void CloseFontFile(PlatformFont* font) { delete font; }

PlatformFont* OpenShowFont(int points) {
  // As with the font library: one font per size, kept to the end of the run.
  struct Cache {
    std::map<std::pair<std::string, int>, PlatformFont*> fonts;
    ~Cache() {
      for (auto& [key, font] : fonts) CloseFontFile(font);
    }
  };
  static Cache cache;
  const auto key = std::make_pair(ShowFontPath(), points);
  auto found = cache.fonts.find(key);
  if (found != cache.fonts.end()) return found->second;
  PlatformFont* font = OpenFontFile(ShowFontPath().c_str(), points);
  cache.fonts[key] = font;
  return font;
}

int FontAscent(const PlatformFont* font) { return font ? font->face->ascent : 0; }
int FontHeight(const PlatformFont* font) { return font ? font->face->height : 0; }

int MeasureSurfaceText(PlatformFont* font, const char* text, int length) {
  return font ? MeasureAtlasText(*font->face, text, length) : 0;
}

void DrawSurfaceText(Surface& surface, PlatformFont* font, int x, int y, const char* text, int length,
                     uint32_t color) {
  if (font) DrawAtlasText(surface, *font->face, x, y, text, length, color);
}
