// tavrine-tool: the show's companion. Exit status 0 on success, 1 on failure with a one-line
// reason on stderr, 2 on a usage error.
#include <cstdio>
#include <string>

#include "capture_command.h"
#include "content/content.h"
#include "frame_command.h"
#include "glyph_atlas_command.h"
#include "pcx2png.h"
#include "play_command.h"
#include "scene_info.h"

static int Usage() {
  std::fprintf(stderr,
               "usage: tavrine-tool COMMAND ...\n"
               "  make-content DIR [--contact-sheet OUT.png]   write the content pack into DIR\n"
               "  frame POSITION OUT.png [--content DIR]       render the show's frame at POSITION (0..122)\n"
               "  capture OUT.mkv [--fps N] [--content DIR]    render the whole show with music to a video\n"
               "  pcx2png IN.pcx OUT.png                       decode a PCX picture with the show's reader\n"
               "  scene-info IN.3ds                            print a scene as the show loads it, as JSON\n"
               "  glyph-atlas OUT [--points 8,10]              write the show's face as the web page's glyph atlas\n");
  return 2;
}

static int MakeContentCommand(int argc, char** argv) {
  std::string dir, sheet;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--contact-sheet" && i + 1 < argc) sheet = argv[++i];
    else if (dir.empty() && arg.rfind("--", 0) != 0) dir = arg;
    else return Usage();
  }
  if (dir.empty()) return Usage();
  std::string error;
  if (!MakeContent(dir, &error) || (!sheet.empty() && !WriteContactSheet(dir, sheet, &error))) {
    std::fprintf(stderr, "tavrine-tool make-content: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "make-content") return MakeContentCommand(argc - 1, argv + 1);
  if (command == "frame") return RunFrameCommand(argc - 1, argv + 1);
  if (command == "capture") return RunCaptureCommand(argc - 1, argv + 1);
  if (command == "play") return RunPlayCommand(argc - 1, argv + 1);
  if (command == "pcx2png") return RunPcx2Png(argc - 1, argv + 1);
  if (command == "scene-info") return RunSceneInfo(argc - 1, argv + 1);
  if (command == "glyph-atlas") return RunGlyphAtlasCommand(argc - 1, argv + 1);
  return Usage();
}
