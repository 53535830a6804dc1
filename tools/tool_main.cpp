// tavrine-tool: the show's companion. Exit status 0 on success, 1 on failure with a one-line
// reason on stderr, 2 on a usage error. Each command answers --help and its own mistakes;
// this file only finds the command.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "capture_command.h"
#include "command_line.h"
#include "frame_command.h"
#include "glyph_atlas_command.h"
#include "make_content_command.h"
#include "pcx2png.h"
#include "play_command.h"
#include "scene_info.h"

namespace {

struct Command {
  const char* name;
  const char* summary;
  int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

const Command kCommands[] = {
    {"play", "play the show in a window or full screen, from any position", RunPlayCommand},
    {"frame", "render the show's frame at a position", RunFrameCommand},
    {"capture", "render the show with music to a video, pictures or sound", RunCaptureCommand},
    {"make-content", "write the content pack into a folder", RunMakeContentCommand},
    {"make-icon", "draw the desktop icon", RunMakeIconCommand},
    {"pcx2png", "decode a PCX picture with the show's reader", RunPcx2Png},
    {"scene-info", "print a scene as the show loads it, as JSON", RunSceneInfo},
    {"glyph-atlas", "write the show's face as the web page's glyph atlas", RunGlyphAtlasCommand},
};

void PrintOverview(FILE* out) {
  std::fprintf(out, "usage: tavrine-tool COMMAND [ARGUMENTS]\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-13s %s\n", c.name, c.summary);
  std::fprintf(out, "'tavrine-tool COMMAND --help' shows a command's arguments.\n");
}

}  // namespace

static int Dispatch(int argc, char** argv) {
  if (argc < 2) {
    PrintOverview(stderr);
    return EXIT_USAGE;
  }
  const std::string name = argv[1];
  if (IsHelp(name)) {
    PrintOverview(stdout);
    return 0;
  }
  for (const Command& c : kCommands)
    if (name == c.name) return c.run(argc - 1, argv + 1);
  std::fprintf(stderr, "tavrine-tool: unknown command %s ('tavrine-tool --help' lists the commands)\n", name.c_str());
  return EXIT_USAGE;
}

// Whatever a command fails with, even memory running out, ends as its one line and status 1.
int main(int argc, char** argv) {
  const char* command = argc > 1 ? argv[1] : "";
  try {
    return Dispatch(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tavrine-tool %s: out of memory\n", command);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrine-tool %s: %s\n", command, e.what());
  } catch (...) {
    std::fprintf(stderr, "tavrine-tool %s: failed\n", command);
  }
  return 1;
}
