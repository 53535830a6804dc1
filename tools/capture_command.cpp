#include "capture_command.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "demo/timeline.h"
#include "offline_show.h"
#include "platform/audio_outputs.h"

static int Usage() {
  std::fprintf(stderr, "usage: tavrine-tool capture OUT.mkv [--fps N] [--content DIR]\n");
  return 2;
}

static bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

// Single quotes for the shell.
static std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

static void DrawProgress(float position) {
  const int width = 40;
  const int filled = static_cast<int>(position / TIMELINE_END * width);
  std::fprintf(stderr, "\r[%-*s] %5.1f / %.0f", width, std::string(static_cast<size_t>(std::max(0, std::min(width, filled))), '#').c_str(),
               position, TIMELINE_END);
}

int RunCaptureCommand(int argc, char** argv) {
  std::string output, content = DefaultContentDir(), fpsText = "60";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) == 0) {
      if (!TakeOption(i, argc, argv, "--content", &content) && !TakeOption(i, argc, argv, "--fps", &fpsText)) return Usage();
    } else if (output.empty()) {
      output = arg;
    } else {
      return Usage();
    }
  }
  char* end = nullptr;
  const long fps = std::strtol(fpsText.c_str(), &end, 10);
  if (output.empty() || *end != '\0' || fps < 1 || fps > 240) return Usage();
  if (!OnPath("ffmpeg")) {
    std::fprintf(stderr, "tavrine-tool capture: the ffmpeg command is not installed (apt-get install ffmpeg)\n");
    return 1;
  }

  std::error_code ec;
  const std::filesystem::path outputPath = std::filesystem::absolute(output, ec);
  const std::filesystem::path work = std::filesystem::temp_directory_path(ec) /
                                     ("tavrine-capture-" + std::to_string(getpid()));
  std::filesystem::create_directories(work, ec);
  const std::string wavPath = (work / "music.wav").string();
  const std::string videoPath = (work / "video.mkv").string();

  // The picture goes to ffmpeg as raw frames while the music is written beside it in step;
  // the two are joined once the show is over.
  const std::string encode = "ffmpeg -loglevel error -y -f rawvideo -pixel_format bgr0 -video_size 320x240 -framerate " +
                             std::to_string(fps) +
                             " -i - -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p "
                             "-vf scale=1280:960:flags=neighbor " + Quoted(videoPath);
  FILE* pipe = popen(encode.c_str(), "w");
  if (!pipe) {
    std::fprintf(stderr, "tavrine-tool capture: cannot start ffmpeg\n");
    return 1;
  }

  OfflineShow* showPointer = nullptr;
  WavAudioOutput wav(wavPath, [&] { return static_cast<uint64_t>(showPointer->offline.system.presentedFrames); }, static_cast<int>(fps));
  OfflineShow show(content, static_cast<double>(fps), &wav);
  showPointer = &show;
  bool pipeFailed = false;
  show.offline.onFrame = [&](const OfflinePresenter& frame) {
    if (!pipeFailed && std::fwrite(frame.frame.data(), sizeof(uint32_t), frame.frame.size(), pipe) != frame.frame.size())
      pipeFailed = true;
    if (showState.running) DrawProgress(showState.position);
  };
  std::string error;
  const int code = show.Run(&error);
  std::fprintf(stderr, "\n");
  const int encoded = pclose(pipe);
  if (code != 0) {
    std::fprintf(stderr, "tavrine-tool capture: %s\n", error.c_str());
    std::filesystem::remove_all(work, ec);
    return 1;
  }
  if (pipeFailed || encoded != 0 || !wav.Error().empty()) {
    std::fprintf(stderr, "tavrine-tool capture: encoding failed%s%s\n", wav.Error().empty() ? "" : ": ", wav.Error().c_str());
    std::filesystem::remove_all(work, ec);
    return 1;
  }
  const std::string mux = "ffmpeg -loglevel error -y -i " + Quoted(videoPath) + " -i " + Quoted(wavPath) +
                          " -c:v copy -c:a aac -b:a 192k -shortest " + Quoted(outputPath.string());
  const int muxed = std::system(mux.c_str());
  std::filesystem::remove_all(work, ec);
  if (muxed != 0) {
    std::fprintf(stderr, "tavrine-tool capture: ffmpeg could not write %s\n", outputPath.string().c_str());
    return 1;
  }
  std::fprintf(stderr, "wrote %s (%u frames at %ld fps)\n", outputPath.string().c_str(), showState.frameCount, fps);
  return 0;
}
