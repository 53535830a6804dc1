#include "frame_command.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/screen.h"
#include "demo/demo.h"
#include "offline_show.h"
#include "png_writer.h"

static int Usage() {
  std::fprintf(stderr, "usage: tavrine-tool frame POSITION OUT.png [--content DIR]\n");
  return 2;
}

int RunFrameCommand(int argc, char** argv) {
  std::vector<std::string> positional;
  std::string content = DefaultContentDir();
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]).rfind("--", 0) == 0) {
      if (!TakeOption(i, argc, argv, "--content", &content)) return Usage();
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.size() != 2) return Usage();
  char* end = nullptr;
  const double wanted = std::strtod(positional[0].c_str(), &end);
  if (end == positional[0].c_str() || *end != '\0' || !(wanted >= 0)) return Usage();

  OfflineShow show(content, 60.0);
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
  const int code = show.Run(&error);
  if (code != 0) {
    std::fprintf(stderr, "tavrine-tool frame: %s\n", error.c_str());
    return 1;
  }
  if (!taken) {
    std::fprintf(stderr, "tavrine-tool frame: the show ends at position 122 before position %s\n", positional[0].c_str());
    return 1;
  }
  if (!WritePng(positional[1], SCREEN_WIDTH, SCREEN_HEIGHT, frame.data(), &error)) {
    std::fprintf(stderr, "tavrine-tool frame: %s\n", error.c_str());
    return 1;
  }
  std::printf("position=%.9g scene_time=%.9g segment=%d\n", at.position, at.sceneTime, at.segment);
  return 0;
}
