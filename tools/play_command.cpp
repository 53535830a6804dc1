#include "play_command.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "command_line.h"
#include "demo/timeline.h"
#include "offline_show.h"
#include "platform/audio_outputs.h"

static const ToolCommand kPlayCommand{
    "play",
    "[--window|--fullscreen] [--scale N] [--filter nearest|sharp|linear] [--no-vsync] [--start POSITION] "
    "[--loop] [--fps] [--mute] [--content DIR]",
    "Plays the show with its music, as the show itself does, the way you want to watch it.\n"
    "  --window         in a window of 320 x 240 times the scale (default: full screen)\n"
    "  --fullscreen     full screen (the default)\n"
    "  --scale N        the window's size in multiples of 320 x 240, 1 to 16 (default 2)\n"
    "  --filter F       nearest (default: the largest whole multiple that fits, centred), sharp\n"
    "                   (a whole multiple, then smoothed to fill the 4:3 area) or linear (smoothed)\n"
    "  --no-vsync       present frames as fast as they come\n"
    "  --start P        start at timeline position P, 0 to 122 (one unit is 1/1.2 s)\n"
    "  --loop           at the end start again from the beginning, music and all\n"
    "  --fps            the frame rate, position and music time in a line under the picture\n"
    "  --mute           no sound (the music still keeps time)\n"
    "  --content DIR    the content pack (default: the one beside the tool, else the installed one)\n"
    "Keys: Esc quits, Alt+Enter switches full screen, Space pauses, Left and Right jump a segment.\n"};

bool ParsePlayOptions(int argc, char** argv, PlayOptions* options, std::string* reason) {
  PlayOptions o;
  o.view.filter = ScaleFilter::Nearest;
  o.playback.viewerKeys = true;
  bool window = false, fullscreen = false;
  const auto fail = [&](const std::string& why) {
    *reason = why;
    return false;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> const char* { return kPlayCommand.Value(i, argc, argv); };
    if (arg == "--window") {
      window = true;
    } else if (arg == "--fullscreen") {
      fullscreen = true;
    } else if (arg == "--scale") {
      const char* text = value();
      long scale = 0;
      if (!text || !ParseInteger(text, &scale) || scale < 1 || scale > 16)
        return fail("--scale needs a whole number from 1 to 16" + std::string(text ? std::string(": ") + text : ""));
      o.view.scale = static_cast<int>(scale);
    } else if (arg == "--filter") {
      const char* text = value();
      const std::string name = text ? text : "";
      if (name == "nearest") o.view.filter = ScaleFilter::Nearest;
      else if (name == "sharp") o.view.filter = ScaleFilter::Sharp;
      else if (name == "linear") o.view.filter = ScaleFilter::Linear;
      else return fail("--filter needs nearest, sharp or linear" + std::string(text ? std::string(": ") + text : ""));
    } else if (arg == "--no-vsync") {
      o.view.vsync = false;
    } else if (arg == "--start") {
      const char* text = value();
      double position = 0;
      if (!text || !ParseNumber(text, &position) || position < 0 || position > TIMELINE_END)
        return fail("--start needs a position from 0 to 122" + std::string(text ? std::string(": ") + text : ""));
      o.playback.start = static_cast<float>(position);
    } else if (arg == "--loop") {
      o.playback.loop = true;
    } else if (arg == "--fps") {
      o.showFps = true;
    } else if (arg == "--mute") {
      o.mute = true;
    } else if (arg == "--content") {
      const char* text = value();
      if (!text) return fail("--content needs a folder");
      o.content = text;
    } else if (IsOption(arg)) {
      return fail("unknown option " + arg);
    } else {
      return fail("unexpected argument " + arg);
    }
  }
  if (window && fullscreen) return fail("--window and --fullscreen exclude each other");
  o.view.fullscreen = !window;
  *options = o;
  return true;
}

namespace {

// The frame rate over the last half second, the position, the segment and the music's time.
class StatusLine {
 public:
  std::string Text() {
    // Before the loop there is no position and no music to report.
    if (!showState.running) return "loading";
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    // Paused, nothing is drawn anew: the rate stays what it was, and is measured afresh after.
    if (showState.paused) frames_ = 0;
    if (frames_ == 0) since_ = now;
    ++frames_;
    const double seconds = std::chrono::duration<double>(now - since_).count();
    if (seconds >= 0.5 && !showState.paused) {
      rate_ = (frames_ - 1) / seconds;
      frames_ = 1;
      since_ = now;
    }
    char text[128];
    std::snprintf(text, sizeof text, "%.0f fps   position %.2f   segment %d   music %.2f s%s", rate_, showState.position,
                  showState.segment, MidasPlayedSeconds(musicPlayHandle), showState.paused ? "   paused" : "");
    return text;
  }

 private:
  std::chrono::steady_clock::time_point since_;
  long frames_ = 0;
  double rate_ = 0;
};

}  // namespace

int RunPlayCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (IsHelp(argv[i])) return kPlayCommand.Help();
  PlayOptions options;
  std::string reason;
  if (!ParsePlayOptions(argc, argv, &options, &reason)) return kPlayCommand.UsageError(reason);

  const std::string content = options.content.empty() ? DefaultContentDir() : options.content;
  std::error_code ec;
  if (content.empty()) {
    std::fprintf(stderr, "tavrine-tool play: no content pack beside the tool or installed; give one with --content DIR\n");
    return 1;
  }
  const std::filesystem::path previous = std::filesystem::current_path(ec);
  std::filesystem::current_path(content, ec);
  if (ec) {
    std::fprintf(stderr, "tavrine-tool play: cannot enter the content folder %s: %s\n", content.c_str(), ec.message().c_str());
    return 1;
  }

  StatusLine status;
  if (options.showFps) options.view.status = [&status] { return status.Text(); };
  SilentAudioOutput silence;
  // The loading screen is shown as fast as it comes; the show itself at the screen's pace.
  const bool vsync = options.view.vsync;
  options.view.vsync = false;
  SdlPlatform live(options.view);
  if (options.mute) live.platform.audio = &silence;
  options.playback.started = [&live, vsync] { live.display.Presenter().SetVsync(vsync); };
  const int code = RunShow(&live.platform, options.playback);
  if (!previous.empty()) std::filesystem::current_path(previous, ec);
  return code;
}
