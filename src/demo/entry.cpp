// entry.cpp - start-up, the main loop and shutdown, in the order the show has always done
// them: window, sound library, display, assets, stars, music, loop, report.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/screen.h"
#include "demo/demo.h"
#include "demo/load_assets.h"
#include "demo/timeline.h"
#include "display/display.h"
#include "display/display_errors.h"
#include "effects/show_pictures.h"
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

namespace {

ShowPlayback playback;
float loopStartTime;     // seconds on the clock when the music started
double seekedSeconds;    // how far seeks moved the clock: not time the show ran
uint32_t pausedTicks;    // the clock of the pass shown while paused
uint32_t resumeTicks;    // the clock when the pause began, where it goes on from
bool pauseRequested;
int segmentJump;

float PositionAt(uint32_t ticks) { return static_cast<float>((Seconds(ticks) - loopStartTime) * 1.2); }

// The first tick at which the loop's position reaches `position`.
uint32_t FirstTickAt(float position) {
  const double estimate = (static_cast<double>(position) / 1.2 + loopStartTime) * 1000.0;
  if (!(estimate < 4.0e9)) return UINT32_MAX;  // beyond the clock (or no position at all)
  uint32_t ticks = estimate > 0 ? static_cast<uint32_t>(estimate) : 0;
  while (ticks > 0 && PositionAt(ticks - 1) >= position) --ticks;
  while (ticks < UINT32_MAX && PositionAt(ticks) < position) ++ticks;
  return ticks;
}

// Sets the clock, and the music and the shared drawing state to match where it lands.
void MoveTo(uint32_t ticks, ClockStep step) {
  SystemServices* system = System();
  const uint32_t before = system->Ticks();
  system->SetTicks(ticks, step);
  const uint32_t after = system->Ticks();
  seekedSeconds += Seconds(after) - Seconds(before);
  if (showState.paused) pausedTicks = resumeTicks = after;

  const float position = PositionAt(after);
  // What the drawing steps share from pass to pass, as a run from the start leaves it for
  // the steps that read it: the frame buffer, cleared wherever the first two segments do not
  // draw it whole; the device's texture, chosen by every scene before it draws and still the
  // device's first (none) when the starfield draws its points with it.
  std::memset(FrameBuffer, 0, sizeof FrameBuffer);
  if (displayContext.device) displayContext.device->SetTextureHandle(0);
  MIDASsetMusicVolume(musicPlayHandle, MusicVolumeAtPosition(position));
  MidasSeekSeconds(musicPlayHandle, position > 0 ? position / 1.2 : 0.0);
}

// A start past the show's last frame shows that frame.
void StartAt(float position) {
  SeekShow(position);
  if (PositionAt(System()->Ticks()) >= TIMELINE_END) MoveTo(FirstTickAt(TIMELINE_END) - 1, ClockStep::AtOrBefore);
}

void SetPaused(bool paused, uint32_t ticks) {
  if (paused == showState.paused) return;
  if (paused) {
    pausedTicks = ticks;
    resumeTicks = System()->Ticks();
  } else {
    // The clock goes on from where it stood; the pause is not counted as a seek, so it stays
    // out of the frame rate.
    System()->SetTicks(resumeTicks, ClockStep::AtOrAfter);
  }
  showState.paused = paused;
  MidasPauseOutput(paused);
}

void FollowViewer(const TimelineSegment* segment, uint32_t ticks) {
  if (pauseRequested) SetPaused(!showState.paused, ticks);
  if (segmentJump != 0) {
    const int index = SegmentNumber(segment) - 1;
    const auto start = [](int i) { return i <= 0 ? 0.0f : Timeline[i - 1].end; };
    SeekShow(segmentJump > 0 ? segment->end : start(index - 1));
  }
  pauseRequested = false;
  segmentJump = 0;
  if (showState.paused) System()->Idle(15);  // nothing moves: no need to draw flat out
}

}  // namespace

void SeekShow(float position) { MoveTo(FirstTickAt(position), ClockStep::AtOrAfter); }

void ViewerKeyDown(uint32_t virtualKey) {
  if (!playback.viewerKeys) return;
  if (virtualKey == VK_SPACE_KEY) pauseRequested = !pauseRequested;
  if (virtualKey == VK_LEFT_KEY) segmentJump = -1;
  if (virtualKey == VK_RIGHT_KEY) segmentJump = 1;
}

void RunMainLoop(float startTime) {
  loopStartTime = startTime;
  seekedSeconds = 0;
  if (playback.start > 0) StartAt(playback.start);
  while (!displayContext.quitRequested) {
    if (!showState.paused) MIDASpoll();
    const uint32_t ticks = showState.paused ? pausedTicks : System()->Ticks();
    const float position = PositionAt(ticks);
    const TimelineSegment* segment = FindSegment(position);
    if (!segment) {
      if (!playback.loop) break;
      SeekShow(0.0f);
      continue;
    }
    const float unshifted = position * 12.0f;
    const float sceneTime = unshifted - segment->offset;
    showState.segment = SegmentNumber(segment);
    showState.position = position;
    showState.sceneTime = sceneTime;
    for (DrawStep step : segment->steps)
      if (step) step(sceneTime);
    PresentFrame(&displayContext);
    PumpMessages();
    if (!showState.paused) ++showState.frameCount;
    FollowViewer(segment, ticks);
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
  if (playback.started) playback.started();
  RunMainLoop(startTime);
  showState.running = false;

  // Real seconds, not timeline units, and only those the show ran (not paused, not
  // jumped over). A run too short for the clock to move reports 0 rather than an infinite rate.
  const uint32_t endTicks = showState.paused ? resumeTicks : system->Ticks();
  const double elapsed = Seconds(endTicks) - startTime - seekedSeconds;
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

int RunShow(Platform* platform, const ShowPlayback& settings) {
  // A new process: the runtime generator and the frame buffer start from their initial state.
  RuntimeSrand(1);
  std::memset(FrameBuffer, 0, sizeof FrameBuffer);
  playback = settings;
  pauseRequested = false;
  segmentJump = 0;
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
