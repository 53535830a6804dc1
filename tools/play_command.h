// play_command.h - `tavrine-tool play [options]`: the show as a viewer wants it, on the live
// platform and through the show's own main loop: a window or full screen, whole-multiple or
// smoothed scaling, a start position, looping, a status line, keys to pause and to jump.
#pragma once
#include <string>

#include "demo/demo.h"
#include "platform/sdl_platform.h"

struct PlayOptions {
  SdlViewSettings view;      // view.status is set when showFps
  ShowPlayback playback;     // viewerKeys always on
  bool showFps = false;
  bool mute = false;
  std::string content;       // "" = the default pack
};

// Reads the options after "play". On a usage error returns false with the reason (one line).
bool ParsePlayOptions(int argc, char** argv, PlayOptions* options, std::string* reason);

int RunPlayCommand(int argc, char** argv);
