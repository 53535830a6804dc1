// entry.cpp - start-up, the main loop and shutdown, in the order the show has always done
// them: window, sound library, display, assets, stars, music, loop, report.
#include <cstdio>
#include <cstdlib>

#include "base/screen.h"
#include "demo/demo.h"
#include "demo/load_assets.h"
#include "demo/timeline.h"
#include "display/display.h"
#include "display/display_errors.h"
#include "platform/rng.h"
#include "scene3d/starfield.h"

ShowState showState;
MidasModule musicModule;
MidasPlayHandle musicPlayHandle;

static SystemServices* System() { return displayContext.instance->system; }

static double Seconds(uint32_t ticks) { return ticks * 0.001; }

void MidasFailure(DisplayContext* context) {
  const char* text = MIDASgetErrorMessage(MIDASgetLastError());
  SystemServices* system = context->instance->system;
  system->MessageBox(context->window, text, "Midas");
  MIDASclose();
  system->ExitProcess(1);
  std::abort();  // not reached: ExitProcess does not return
}

static int DisplayFailure(Platform* instance, int32_t result) {
  ReleaseDisplay(&displayContext);
  instance->system->MessageBox(nullptr, DisplayErrorText(result), "Tavrine 3D");
  return 1;
}

void RunMainLoop(float startTime) {
  while (!displayContext.quitRequested) {
    MIDASpoll();
    const float position = static_cast<float>((Seconds(System()->Ticks()) - startTime) * 1.2);
    const TimelineSegment* segment = FindSegment(position);
    if (!segment) break;
    const float unshifted = position * 12.0f;
    const float sceneTime = unshifted - segment->offset;
    showState.segment = SegmentNumber(segment);
    showState.position = position;
    showState.sceneTime = sceneTime;
    for (DrawStep step : segment->steps)
      if (step) step(sceneTime);
    PresentFrame(&displayContext);
    PumpMessages();
    ++showState.frameCount;
  }
}

int WinMain(Platform* instance, void*, const char*, int showCommand) {
  showState = ShowState{};
  int32_t result = InitDisplay(instance, showCommand, &displayContext, DISPLAY_WINDOW);
  if (result) return DisplayFailure(instance, result);

  MIDASstartup();
  MIDASsetOption(MIDAS_OPTION_WINDOW, reinterpret_cast<intptr_t>(displayContext.window));
  MIDASsetOption(MIDAS_OPTION_MIXRATE_BUFFER, 0);
  MIDASsetOption(MIDAS_OPTION_BUFFER_COUNT, 10);
  if (!MIDASinit()) MidasFailure(&displayContext);

  result = InitDisplay(instance, showCommand, &displayContext, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D);
  if (result) return DisplayFailure(instance, result);
  SystemServices* system = instance->system;
  system->ShowCursor(false);
  displayContext.clearRect = DisplayRect{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};

  LoadAssets();
  InitStarfield();

  musicModule = MIDASloadModule("Music\\DISCO.XM");
  if (!musicModule) MidasFailure(&displayContext);
  musicPlayHandle = MIDASplayModule(musicModule, 1);
  if (!musicPlayHandle) MidasFailure(&displayContext);
  MIDASsetPosition(musicPlayHandle, 0);
  MIDASpoll();

  const float startTime = static_cast<float>(Seconds(system->Ticks()));
  showState.running = true;
  RunMainLoop(startTime);
  showState.running = false;

  // Real seconds, not timeline units. A run too short for the clock to move reports 0
  // rather than an infinite rate.
  const double elapsed = Seconds(system->Ticks()) - startTime;
  const double rate = elapsed > 0 ? static_cast<float>(showState.frameCount) / elapsed : 0.0;

  if (!MIDASstopModule(musicPlayHandle)) MidasFailure(&displayContext);
  if (!MIDASfreeModule(musicModule)) MidasFailure(&displayContext);
  if (!MIDASclose()) MidasFailure(&displayContext);
  system->ShowCursor(true);
  ReleaseDisplay(&displayContext);

  char report[64];
  std::snprintf(report, sizeof report, "Average framerate: %.0f fps", rate);
  system->MessageBox(nullptr, report, "Tavrine 3D");
  return 0;
}

int RunShow(Platform* platform) {
  RuntimeSrand(1);  // a new process: the runtime generator starts from its initial state
  int code;
  try {
    code = WinMain(platform, nullptr, "", 1);
  } catch (const ProcessExit& exit) {
    code = exit.code;
  }
  // Some paths leave the sound library open, as the show always has; the process ending
  // is what lets it go, and what loading made with it.
  MidasEndProcess();
  ReleaseAssets();
  return code;
}
