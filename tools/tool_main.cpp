// tavrine-tool: the show's companion. Exit status 0 on success, 1 on failure with a one-line
// reason on stderr, 2 on a usage error.
#include <cstdio>
#include <cstring>
#include <string>

#include "capture_command.h"
#include "commands.h"
#include "frame_command.h"
#include "glyph_atlas_command.h"
#include "make_content_command.h"
#include "pcx2png.h"
#include "play_command.h"
#include "scene_info.h"

namespace {

struct Command {
  const ToolCommand* command;
  int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

const Command kCommands[] = {
    {&kPlayCommand, RunPlayCommand},         {&kFrameCommand, RunFrameCommand},
    {&kCaptureCommand, RunCaptureCommand},   {&kMakeContentCommand, RunMakeContentCommand},
    {&kMakeIconCommand, RunMakeIconCommand}, {&kPcx2PngCommand, RunPcx2Png},
    {&kSceneInfoCommand, RunSceneInfo},      {&kGlyphAtlasCommand, RunGlyphAtlasCommand},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintToolOverview(stderr);
    return EXIT_USAGE;
  }
  const std::string name = argv[1];
  if (IsHelp(name)) {
    PrintToolOverview(stdout);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (name != c.command->name) continue;
    for (int i = 2; i < argc; ++i)
      if (IsHelp(argv[i])) return c.command->Help();
    return c.run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "tavrine-tool: unknown command %s ('tavrine-tool --help' lists the commands)\n", name.c_str());
  return EXIT_USAGE;
}
