#include "display/text.h"

// Placeholder until text lands.
bool GetTextContext(DisplayContext*, TextContext*) { return false; }
void ReleaseTextContext(TextContext*) {}
void SetTextBackgroundTransparent(TextContext*) {}
void SetTextColor(TextContext*, uint32_t) {}
TextFont* CreateTextFont(TextContext*, int) { return nullptr; }
void SelectTextFont(TextContext*, TextFont*) {}
void DeleteTextFont(TextFont*) {}
void DrawText(TextContext*, int, int, const char*, int) {}
void FillRectWhite(TextContext*, const PixelRect&) {}
