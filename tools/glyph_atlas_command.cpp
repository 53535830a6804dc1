#include "glyph_atlas_command.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/glyph_atlas_maker.h"
#include "platform/text.h"

static const ToolCommand kGlyphAtlas{
    "glyph-atlas", "OUT [--points 8,10]",
    "Writes the show's face as the glyph atlas the web page draws its text from: each Latin-1\n"
    "character's coverage as the font library renders it, and how a line lays them out.\n"
    "  --points LIST  the sizes, in points at 96 dpi (default 8,10: the sizes the show draws)\n"};

int RunGlyphAtlasCommand(int argc, char** argv) {
  std::string out;
  std::vector<int> points = {8, 10};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (IsHelp(arg)) return kGlyphAtlas.Help();
    if (arg == "--points") {
      const char* value = kGlyphAtlas.Value(i, argc, argv);
      if (!value) return kGlyphAtlas.UsageError("--points needs a list of sizes");
      points.clear();
      std::stringstream list(value);
      std::string item;
      while (std::getline(list, item, ',')) {
        long size = 0;
        if (!ParseInteger(item, &size) || size < 1 || size > 200)
          return kGlyphAtlas.UsageError("not a size from 1 to 200 points: " + item);
        points.push_back(static_cast<int>(size));
      }
      if (points.empty()) return kGlyphAtlas.UsageError("--points needs a list of sizes");
    } else if (IsOption(arg)) {
      return kGlyphAtlas.UnknownOption(arg);
    } else if (out.empty()) {
      out = arg;
    } else {
      return kGlyphAtlas.UsageError("too many arguments");
    }
  }
  if (out.empty()) return kGlyphAtlas.UsageError("missing arguments");
  std::vector<uint8_t> atlas;
  std::string error;
  if (!MakeGlyphAtlas(ShowFontPath(), points, atlas, &error)) {
    std::fprintf(stderr, "tavrine-tool glyph-atlas: %s\n", error.c_str());
    return 1;
  }
  std::ofstream file(out, std::ios::binary);
  file.write(reinterpret_cast<const char*>(atlas.data()), static_cast<std::streamsize>(atlas.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "tavrine-tool glyph-atlas: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
