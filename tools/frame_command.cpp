#include "frame_command.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/screen.h"
#include "command_line.h"
#include "demo/demo.h"
#include "demo/timeline.h"
#include "offline_show.h"
#include "png_writer.h"

static const ToolCommand kFrameCommand{
    "frame", "POSITION OUT.png [--replay] [--fps N] [--content DIR]",
    "Writes the show's frame at timeline position POSITION (0 to 122; one unit is 1/1.2 s) as a\n"
    "320 x 240 PNG: the first frame at or after POSITION, or the show's last frame from there on.\n"
    "Prints position=P scene_time=T segment=S.\n"
    "  --replay       play every frame from the start instead of jumping there (same pixels)\n"
    "  --fps N        frames per second of the offline clock, 1 to 240 (default 60)\n"
    "  --content DIR  the content pack (default: the one beside the tool, else the installed one)\n"};

int RunFrameCommand(int argc, char** argv) {
  std::vector<std::string> positional;
  std::string content = DefaultContentDir();
  bool replay = false;
  long fps = 60;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (IsHelp(arg)) return kFrameCommand.Help();
    if (arg == "--replay") {
      replay = true;
    } else if (arg == "--fps") {
      const char* value = kFrameCommand.Value(i, argc, argv);
      if (!value || !ParseInteger(value, &fps) || fps < 1 || fps > 240)
        return kFrameCommand.UsageError("--fps needs a whole number from 1 to 240");
    } else if (arg == "--content") {
      const char* value = kFrameCommand.Value(i, argc, argv);
      if (!value) return kFrameCommand.UsageError("--content needs a folder");
      content = value;
    } else if (IsOption(arg)) {
      return kFrameCommand.UnknownOption(arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return kFrameCommand.UsageError(positional.size() < 2 ? "missing arguments" : "too many arguments");
  double wanted = 0;
  if (!ParseNumber(positional[0], &wanted)) return kFrameCommand.UsageError("not a position: " + positional[0]);
  if (wanted < 0 || wanted > TIMELINE_END) return kFrameCommand.UsageError("the position must be from 0 to 122: " + positional[0]);

  OfflineShow show(content, static_cast<double>(fps));
  ShowPlayback playback;
  if (!replay) playback.start = static_cast<float>(wanted);
  bool taken = false;
  std::vector<uint32_t> frame;
  ShowState at{};
  show.offline.onFrame = [&](const OfflinePresenter& presented) {
    if (taken || !showState.running || showState.position < wanted) return;
    taken = true;
    frame = presented.frame;
    at = showState;
    show.Stop();
  };
  std::string error;
  if (show.Run(&error, playback) != 0) {
    std::fprintf(stderr, "tavrine-tool frame: %s\n", error.c_str());
    return 1;
  }
  if (!taken && show.offline.presenter.frameCount > 0 && showState.frameCount > 0) {
    // Past the show's last frame: that frame, which the presenter still holds.
    frame = show.offline.presenter.frame;
    at = showState;
    taken = true;
  }
  if (!taken) {
    std::fprintf(stderr, "tavrine-tool frame: the show drew no frame\n");
    return 1;
  }
  if (!WritePng(positional[1], SCREEN_WIDTH, SCREEN_HEIGHT, frame.data(), &error)) {
    std::fprintf(stderr, "tavrine-tool frame: %s\n", error.c_str());
    return 1;
  }
  std::printf("position=%.9g scene_time=%.9g segment=%d\n", at.position, at.sceneTime, at.segment);
  return 0;
}
