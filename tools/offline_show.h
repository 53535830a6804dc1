// offline_show.h - running the whole show without a screen, for the tool's subcommands.
//
//   OfflineShow show(contentDir, fps, &audio);
//   show.offline.onFrame = [&](const OfflinePresenter& frame) { ... };
//   int code = show.Run(&error);
#pragma once
#include <string>

#include "demo/demo.h"
#include "platform/offline_platform.h"

// The content pack beside the tool (the build writes it there), else the installed one
// (share/tavrine3d beside the tool's bin folder), else "".
std::string DefaultContentDir();

class OfflineShow {
 public:
  OfflineShow(std::string contentDir, double fps, AudioOutput* audio = nullptr);
  // Runs the show in the content folder (and returns to the current one). The exit code is
  // the show's; on failure `error` gets the message box the show put up.
  int Run(std::string* error, const ShowPlayback& playback = {});
  // Asks the show to stop after the frame being presented, as Esc would.
  void Stop() { offline.system.PressKey(VK_ESCAPE_KEY); }

  OfflinePlatform offline;

 private:
  std::string contentDir_;
};
