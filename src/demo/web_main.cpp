// The show in a web page. The page starts the program once its start button is clicked, in
// the content folder it packed, with what its address asked for:
//
//   --start POSITION  the first frame is the one at POSITION, as `tavrine-tool frame` has it
//   --fps N           the offline clock: 1000/N ms per presented frame instead of real time
//   --hold            stay on that first frame until the page lets it go
//   --loop            start again at the end
//   --keys            the viewer's keys: Space pauses, Left and Right jump a segment
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo/demo.h"
#include "platform/atlas_text.h"
#include "platform/web_platform.h"

// clang-format off
EM_JS(void, page_status, (long frames, int running, float position, int segment, double musicSeconds), {
  Module.tavrinePage.status({frames: frames, running: running !== 0, position: position, segment: segment,
                             musicSeconds: musicSeconds});
});
EM_JS(void, page_finished, (int code), { Module.tavrinePage.finished(code); });
// clang-format on

namespace {

struct Options {
  ShowPlayback playback;
  double fps = 0;  // real time
  bool hold = false;
};

bool ReadNumber(const char* text, double* value) {
  char* end = nullptr;
  const double read = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(read >= 0) || read > 1e6) return false;
  *value = read;
  return true;
}

bool ReadOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    double number = 0;
    if (std::strcmp(argv[i], "--start") == 0 && hasValue) {
      if (!ReadNumber(argv[++i], &number) || number > 122) return false;
      options->playback.start = static_cast<float>(number);
    } else if (std::strcmp(argv[i], "--fps") == 0 && hasValue) {
      if (!ReadNumber(argv[++i], &options->fps) || options->fps < 1) return false;
    } else if (std::strcmp(argv[i], "--hold") == 0) {
      options->hold = true;
    } else if (std::strcmp(argv[i], "--loop") == 0) {
      options->playback.loop = true;
    } else if (std::strcmp(argv[i], "--keys") == 0) {
      options->playback.viewerKeys = true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  static Options options;
  if (!ReadOptions(argc, argv, &options)) {
    std::printf("usage: tavrine [--start POSITION] [--fps N] [--hold] [--loop] [--keys]\n");
    page_finished(2);
    return 2;
  }
  static WebPlatform web;
  SetShowFontAtlas("/fonts/show.atlas");
  if (options.fps > 0) web.system.UseFixedStepClock(options.fps);
  web.presenter.onFrame = [] {
    // The first frame of the loop is the one at the start position.
    if (options.hold && showState.running) {
      web.presenter.hold = true;
      options.hold = false;
    }
    page_status(web.system.presentedFrames, showState.running ? 1 : 0, showState.position, showState.segment,
                showState.running ? MidasPlayedSeconds(musicPlayHandle) : 0.0);
  };
  if (chdir("/content") != 0) {
    web.system.MessageBox(nullptr, "The show's content is missing from the page.", "Tavrine 3D");
    page_finished(1);
    return 1;
  }
  const int code = RunShow(&web.platform, options.playback);
  page_finished(code);
  return code;
}
