#include "platform/text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <vector>

#include "platform/glyphs.h"

struct PlatformFont {
  TTF_Font* face;
};

static bool StartTtf() {
  static const bool started = TTF_Init() == 0;
  return started;
}

static std::string FindFont(const char* description) {
  std::string path;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(description));
  if (pattern) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
      path = reinterpret_cast<const char*>(file);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return path;
}

const std::string& ShowFontPath() {
  static const std::string path = FindFont("sans-serif:bold");
  return path;
}

const std::string& SystemFontPath() {
  static const std::string path = FindFont("sans-serif");
  return path;
}

PlatformFont* OpenFontFile(const char* path, int points) {
  if (!path || !*path || points <= 0 || !StartTtf()) return nullptr;
  TTF_Font* face = TTF_OpenFontDPI(path, points, 96, 96);
  if (!face) return nullptr;
  // Hinted outlines keep small text crisp on a 320 x 240 screen.
  TTF_SetFontHinting(face, TTF_HINTING_NORMAL);
  return new PlatformFont{face};
}

void CloseFontFile(PlatformFont* font) {
  if (!font) return;
  TTF_CloseFont(font->face);
  delete font;
}

PlatformFont* OpenShowFont(int points) {
  // Fonts live as long as the program: the show opens the same two sizes every frame.
  struct Cache {
    std::map<int, PlatformFont*> fonts;
    ~Cache() {
      for (auto& [size, font] : fonts) CloseFontFile(font);
    }
  };
  static Cache cache;
  auto found = cache.fonts.find(points);
  if (found != cache.fonts.end()) return found->second;
  PlatformFont* font = OpenFontFile(ShowFontPath().c_str(), points);
  cache.fonts[points] = font;  // a failure is remembered too, so it is not retried every frame
  return font;
}

int FontAscent(const PlatformFont* font) { return font ? TTF_FontAscent(font->face) : 0; }
int FontHeight(const PlatformFont* font) { return font ? TTF_FontHeight(font->face) : 0; }

static std::string Slice(const char* text, int length) {
  if (!text || length <= 0) return {};
  std::string s(text, static_cast<size_t>(length));
  // A NUL inside the text ends it, as it would in a C string.
  s.resize(std::char_traits<char>::length(s.c_str()));
  return s;
}

int MeasureSurfaceText(PlatformFont* font, const char* text, int length) {
  const std::string s = Slice(text, length);
  int w = 0, h = 0;
  if (!font || s.empty() || TTF_SizeText(font->face, s.c_str(), &w, &h) != 0) return 0;
  return w;
}

void DrawSurfaceText(Surface& surface, PlatformFont* font, int x, int y, const char* text, int length,
                     uint32_t color) {
  const std::string s = Slice(text, length);
  if (!font || s.empty()) return;
  const SDL_Color white{255, 255, 255, 255};
  // Rendered in white; the alpha channel is the glyph coverage, mixed in the wanted colour.
  SDL_Surface* rendered = TTF_RenderText_Blended(font->face, s.c_str(), white);
  if (!rendered) return;
  SDL_Surface* glyphs = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(rendered);
  if (!glyphs) return;
  SDL_LockSurface(glyphs);
  // The alpha byte of each ARGB pixel is the glyph coverage.
  std::vector<uint8_t> alpha(static_cast<size_t>(glyphs->w) * static_cast<size_t>(glyphs->h));
  for (int py = 0; py < glyphs->h; ++py) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(glyphs->pixels) +
                                                        static_cast<size_t>(py) * glyphs->pitch);
    for (int px = 0; px < glyphs->w; ++px) alpha[static_cast<size_t>(py) * glyphs->w + px] = static_cast<uint8_t>(row[px] >> 24);
  }
  BlendTextCoverage(surface, x, y, alpha.data(), glyphs->w, glyphs->h, glyphs->w, color);
  SDL_UnlockSurface(glyphs);
  SDL_FreeSurface(glyphs);
}
