#include "display/text.h"

#include "platform/text.h"

// A font handle as the show creates and deletes it per drawing; the face behind it is shared.
struct TextFont {
  PlatformFont* face;
};

bool GetTextContext(DisplayContext* context, TextContext* dc) {
  if (!dc) return false;
  Surface* back = context ? context->backBuffer : nullptr;
  // A locked surface gives no text context either, as a lost or busy one would not.
  if (!back || back->refuseText || back->locked) return false;
  back->locked = true;
  *dc = TextContext{};
  dc->surface = back;
  return true;
}

void ReleaseTextContext(TextContext* dc) {
  if (!dc || !dc->surface) return;
  dc->surface->locked = false;
  dc->surface = nullptr;
  dc->font = nullptr;
}

void SetTextBackgroundTransparent(TextContext* dc) {
  if (dc) dc->transparent = true;
}

void SetTextColor(TextContext* dc, uint32_t color) {
  if (dc) dc->color = color;
}

TextFont* CreateTextFont(TextContext*, int points) {
  PlatformFont* face = OpenShowFont(points);
  return face ? new TextFont{face} : nullptr;
}

void SelectTextFont(TextContext* dc, TextFont* font) {
  if (dc) dc->font = font;
}

void DeleteTextFont(TextFont* font) { delete font; }

void DrawText(TextContext* dc, int x, int y, const char* text, int length) {
  if (!dc || !dc->surface || !dc->font) return;
  // 0x00BBGGRR as the show passes it; the surface wants 0x00RRGGBB.
  const uint32_t c = dc->color;
  const uint32_t rgb = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
  if (!dc->transparent) {
    // An opaque background is the default white of a fresh context, behind the text cell.
    const int width = MeasureSurfaceText(dc->font->face, text, length);
    if (width > 0) {
      const PixelRect cell{x, y, x + width, y + FontHeight(dc->font->face)};
      FillSurface(*dc->surface, &cell, 0xFFFFFF);
    }
  }
  DrawSurfaceText(*dc->surface, dc->font->face, x, y, text, length, rgb);
}

void FillRectWhite(TextContext* dc, const PixelRect& rect) {
  if (!dc || !dc->surface) return;
  FillSurface(*dc->surface, &rect, 0xFFFFFF);
}
