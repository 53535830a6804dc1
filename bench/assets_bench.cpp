// assets_bench.cpp - start-up loading and the animated scenes, with the real content pack:
// LoadAssets behind a display whose presenter throws every screen away (the 42 progress
// screens are still drawn, only not shown), and one frame of each AnimateScene entry on the
// software device, next to a plain copy of one 320 x 240 frame.
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "assets/tds_reader.h"
#include "bench_support.h"
#include "content/content.h"
#include "demo/load_assets.h"
#include "display/display.h"
#include "platform/audio_outputs.h"
#include "platform/display_driver.h"
#include "platform/offline_platform.h"
#include "platform/surface.h"
#include "raster/software_device.h"
#include "scene3d/animation.h"
#include "scene3d/scenes.h"

namespace {

namespace fs = std::filesystem;

// The content pack in a temporary folder for the whole run.
class PackFolder {
 public:
  PackFolder() : path_(fs::temp_directory_path() / ("tavrine_assets_bench_" + std::to_string(::getpid()))) {
    std::string error;
    fs::remove_all(path_);
    if (!MakeContent(path_.string(), &error)) error_ = "cannot make the content pack: " + error;
  }
  ~PackFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  fs::path path_;
  std::string error_;
};

const PackFolder& Pack() {
  static const PackFolder pack;
  return pack;
}

// Enters a folder for the lifetime of the object.
class InFolder {
 public:
  explicit InFolder(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
  ~InFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};


class DiscardingPresenter : public Presenter {
 public:
  void Present(const Surface&) override {}
};

void BM_LoadAssetsUnpresented(benchmark::State& state) {
  if (!Pack().error().empty()) return state.SkipWithError(Pack().error().c_str());
  InFolder in(Pack().path());
  double wall = 0;
  for (auto _ : state) {
    OfflineSystem system;
    DiscardingPresenter presenter;
    MemoryDisplayDriver display(&presenter);
    NullAudioOutput audio;
    Platform platform{&system, &display, &audio};
    InitDisplay(&platform, 1, &displayContext, DISPLAY_WINDOW);
    InitDisplay(&platform, 1, &displayContext, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D);
    displayContext.clearRect = DisplayRect{0, 0, 320, 240};
    // Processor time of this thread (the files come from the page cache after the first
    // pass); the wall clock, which counts other people's work too, is kept beside it.
    const double cpuStart = CpuNanoseconds();
    const auto wallStart = std::chrono::steady_clock::now();
    LoadAssets();
    wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    state.SetIterationTime((CpuNanoseconds() - cpuStart) * 1e-9);
    ReleaseDisplay(&displayContext);
  }
  state.counters["wall_ms"] = wall / static_cast<double>(state.iterations());
  state.counters["target_ms"] = 200;
}
BENCHMARK(BM_LoadAssetsUnpresented)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The seven scenes read once onto one software device with its own 320 x 240 target.
struct SceneRig {
  Surface target{320, 240, 32};
  DepthBuffer depth{320, 240};
  SoftwareDevice device{&target, &depth};
  bool loaded = false;

  SceneRig() {
    if (!Pack().error().empty()) return;
    InFolder in(Pack().path());
    Scene* scenes[] = {&Scene1, &Scene2, &Scene3, &Scene4, &Scene5, &Scene6, &Scene7, &Scene3Rest};
    const char* files[] = {"Scenes\\Scene1.3ds", "Scenes\\Scene2.3ds", "Scenes\\Scene3.3ds", "Scenes\\Scene4.3ds",
                           "Scenes\\Scene5.3ds", "Scenes\\Scene6.3ds", "Scenes\\Scene7.3ds", "Scenes\\Scene3.3ds"};
    loaded = true;
    for (int i = 0; i < 8; ++i) {
      FreeScene(scenes[i]);
      loaded &= Load3dsScene(files[i], scenes[i], &device) == 0;
    }
  }
};

SceneRig& Rig() {
  static SceneRig rig;
  return rig;
}


void BM_AnimatedScene(benchmark::State& state) {
  SceneRig& rig = Rig();
  if (!rig.loaded) return state.SkipWithError("the content pack's scenes could not be read");
  void (*const animate[7])(float) = {AnimateScene1, AnimateScene2, AnimateScene3, AnimateScene4,
                                     AnimateScene5, AnimateScene6, AnimateScene7};
  const int n = static_cast<int>(state.range(0));
  // Scenes 2 and 5 run through 16-unit windows, the others through 8.
  const float window = (n == 2 || n == 5) ? 192.0f : 96.0f;
  Device3D* previous = displayContext.device;
  displayContext.device = &rig.device;
  long frame = 0;
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    // The clear that each presented frame ends with belongs to the frame's cost.
    FillSurface(rig.target, nullptr, 0);
    std::fill(rig.depth.depth.begin(), rig.depth.depth.end(), 1.0f);
    rig.device.BeginScene();
    animate[n - 1](static_cast<float>(frame % 97) * (window / 96.0f));
    rig.device.EndScene();
    benchmark::DoNotOptimize(rig.target.pixels.data());
    ++frame;
  }
  const double perFrame = (CpuNanoseconds() - start) / static_cast<double>(frame ? frame : 1);
  displayContext.device = previous;
  state.counters["us"] = perFrame / 1000.0;
  state.counters["x_copy"] = perFrame / CopyNanoseconds();
}
BENCHMARK(BM_AnimatedScene)->DenseRange(1, 7)->Unit(benchmark::kMicrosecond);

}  // namespace
