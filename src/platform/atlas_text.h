// atlas_text.h - where the text of a build without the font library (the web page) finds its
// glyph atlas. text.h is the interface; ShowFontPath() names the atlas file there.
//
//   SetShowFontAtlas("/fonts/show.atlas");   // the default
//   PlatformFont* font = OpenShowFont(10);    // null when the atlas lacks that size
#pragma once
#include <string>

void SetShowFontAtlas(const std::string& path);
