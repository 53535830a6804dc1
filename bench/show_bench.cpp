// show_bench.cpp - the whole show's costs with the real content pack: every timeline
// segment's frame as the main loop draws it (next to a plain 320 x 240 frame copy measured in
// the same run), start-up, and whole-show frames per second offline.
//
// The pack is generated into a temporary folder once per run, and the show's files are read
// from there, as the show reads them from its own folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "content/content.h"
#include "demo/demo.h"
#include "demo/load_assets.h"
#include "demo/timeline.h"
#include "display/display.h"
#include "effects/show_pictures.h"
#include "platform/offline_platform.h"
#include "platform/rng.h"
#include "platform/sound.h"
#include "scene3d/scenes.h"
#include "scene3d/starfield.h"

namespace {



// The content pack in a temporary folder, removed when the run ends.
class ContentFolder {
 public:
  ContentFolder() {
    char name[] = "/tmp/tavrine-bench-XXXXXX";
    if (!mkdtemp(name)) return;
    path_ = name;
    std::string error;
    if (!MakeContent(path_, &error)) error_ = "cannot make the content pack: " + error;
  }
  ~ContentFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  // Empty when the folder is ready; otherwise why not.
  std::string Enter() const {
    if (path_.empty()) return "cannot make a temporary folder";
    if (!error_.empty()) return error_;
    std::error_code ec;
    std::filesystem::current_path(path_, ec);
    return ec ? "cannot enter " + path_ + ": " + ec.message() : "";
  }

 private:
  std::string path_, error_;
};

const ContentFolder& Content() {
  static const ContentFolder folder;
  return folder;
}

// The start-up the show does before its music: display, assets, stars.
int32_t StartShow(Platform* platform) {
  displayContext = DisplayContext{};
  int32_t result = InitDisplay(platform, 1, &displayContext, DISPLAY_WINDOW);
  if (result == 0) result = InitDisplay(platform, 1, &displayContext, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D);
  if (result != 0) return result;
  displayContext.clearRect = DisplayRect{0, 0, 320, 240};
  LoadAssets();
  RuntimeSrand(1);
  InitStarfield();
  return 0;
}

// Frees what StartShow loaded, so that the next start-up or run begins clean.
void StopShow() {
  ReleaseAssets();
  ReleaseDisplay(&displayContext);
  displayContext = DisplayContext{};
}

// The show as it stands when the main loop starts: everything loaded, the song playing into
// an output that wants no frames. Kept across the segment benchmarks.
struct LoadedShow {
  std::unique_ptr<OfflinePlatform> offline;
  std::string error;
};
LoadedShow loadedShow;

const std::string& EnsureShowLoaded() {
  if (loadedShow.offline || !loadedShow.error.empty()) return loadedShow.error;
  loadedShow.error = Content().Enter();
  if (!loadedShow.error.empty()) return loadedShow.error;
  loadedShow.offline = std::make_unique<OfflinePlatform>(60.0);
  if (StartShow(&loadedShow.offline->platform) != 0) return loadedShow.error = "the display could not be set up";
  MIDASstartup();
  MIDASsetOption(MIDAS_OPTION_WINDOW, reinterpret_cast<intptr_t>(displayContext.window));
  if (!MIDASinit()) return loadedShow.error = MIDASgetErrorMessage(MIDASgetLastError());
  musicModule = MIDASloadModule("Music\\DISCO.XM");
  musicPlayHandle = musicModule ? MIDASplayModule(musicModule, 1) : 0;
  if (!musicPlayHandle) return loadedShow.error = MIDASgetErrorMessage(MIDASgetLastError());
  return loadedShow.error;
}

void ReleaseLoadedShow() {
  if (!loadedShow.offline) return;
  MIDASstopModule(musicPlayHandle);
  MIDASfreeModule(musicModule);
  MIDASclose();
  musicPlayHandle = musicModule = 0;
  StopShow();
  loadedShow.offline.reset();
}

void BM_ShowFrameCopy(benchmark::State& state) {
  for (auto _ : state) CopyFrame();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FRAME_BYTES));
  state.counters["ns"] = CopyNanoseconds();
}
BENCHMARK(BM_ShowFrameCopy);

// One pass of the main loop for segment `state.range(0)` (1..14) at the middle of its span:
// the music poll, the segment's steps in order, the presentation and the message pump.
void BM_Segment(benchmark::State& state) {
  const std::string& error = EnsureShowLoaded();
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  const int number = static_cast<int>(state.range(0));
  const TimelineSegment& segment = Timeline[number - 1];
  const float start = number == 1 ? 0.0f : Timeline[number - 2].end;
  const float position = (start + segment.end) * 0.5f;
  const float sceneTime = position * 12.0f - segment.offset;

  const double copy = CopyNanoseconds();
  const double begin = CpuNanoseconds();
  for (auto _ : state) {
    MIDASpoll();
    for (DrawStep step : segment.steps)
      if (step) step(sceneTime);
    PresentFrame(&displayContext);
    PumpMessages();
  }
  const double perFrame = (CpuNanoseconds() - begin) / static_cast<double>(state.iterations());
  state.counters["ns_frame"] = perFrame;
  state.counters["x_copy"] = perFrame / copy;
  state.counters["scene_time"] = sceneTime;
}
BENCHMARK(BM_Segment)->DenseRange(1, TIMELINE_SEGMENTS);

// InitDisplay (both passes) + LoadAssets + InitStarfield: wall clock, since reading the files
// counts, and the processor time beside it.
void BM_StartUp(benchmark::State& state) {
  ReleaseLoadedShow();
  const std::string error = Content().Enter();
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  double cpu = 0;
  for (auto _ : state) {
    OfflinePlatform offline(60.0);
    const double cpuBegin = CpuNanoseconds();
    const auto begin = std::chrono::steady_clock::now();
    const int32_t result = StartShow(&offline.platform);
    const auto end = std::chrono::steady_clock::now();
    cpu += CpuNanoseconds() - cpuBegin;
    StopShow();
    if (result != 0) {
      state.SkipWithError("the display could not be set up");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
  }
  // On a shared machine the wall time counts other people's work; the processor time not.
  state.counters["cpu_ms"] = cpu / 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole show offline at 60 frames per second of virtual time, start to end: frames
// presented per wall-clock second (and per processor second), start-up included; loop_fps is
// the main loop alone.
void BM_WholeShowOffline(benchmark::State& state) {
  ReleaseLoadedShow();
  const std::string error = Content().Enter();
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  double frames = 0, seconds = 0, cpuSeconds = 0, loopFrames = 0, loopSeconds = 0;
  for (auto _ : state) {
    OfflinePlatform offline(60.0);
    // The main loop alone: from its first presented frame to its last.
    std::chrono::steady_clock::time_point firstLoopFrame, lastLoopFrame;
    long loopPresents = 0;
    offline.onFrame = [&](const OfflinePresenter&) {
      if (!showState.running) return;
      lastLoopFrame = std::chrono::steady_clock::now();
      if (loopPresents++ == 0) firstLoopFrame = lastLoopFrame;
    };
    const double cpuBegin = CpuNanoseconds();
    const auto begin = std::chrono::steady_clock::now();
    const int code = RunShow(&offline.platform);
    const auto end = std::chrono::steady_clock::now();
    cpuSeconds += (CpuNanoseconds() - cpuBegin) / 1e9;
    if (code != 0 || showState.frameCount == 0) {
      state.SkipWithError("the show did not run to its end");
      return;
    }
    const double elapsed = std::chrono::duration<double>(end - begin).count();
    state.SetIterationTime(elapsed);
    frames += showState.frameCount;
    seconds += elapsed;
    loopFrames += static_cast<double>(loopPresents - 1);
    loopSeconds += std::chrono::duration<double>(lastLoopFrame - firstLoopFrame).count();
  }
  state.counters["frames"] = frames / static_cast<double>(state.iterations());
  state.counters["fps"] = frames / seconds;
  state.counters["fps_cpu"] = frames / cpuSeconds;
  if (loopSeconds > 0) state.counters["loop_fps"] = loopFrames / loopSeconds;
}
BENCHMARK(BM_WholeShowOffline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
