// demo.h - the program's spine: entry, window messages, the main loop and shutdown.
//
//   int code = RunShow(&platform);   // the whole show, as a process would run it
//
// The same code runs live (SDL platform) and offline (virtual clock, kept frames, WAV
// music): only the Platform record differs.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/sound.h"
#include "platform/system.h"

// What the main loop is drawing, for the tools and tests that watch a run.
struct ShowState {
  bool running;         // the main loop has started
  bool paused;          // a player's pause: the position stands still
  int segment;          // 1..14 while drawing, 0 before the loop
  float position;       // TimelinePosition of the pass
  float sceneTime;      // SceneTime handed to the segment's steps
  uint32_t frameCount;  // completed passes (paused ones not counted)
};
extern ShowState showState;

// How a viewer watches it (tavrine-tool play, frame). The show itself runs with the defaults.
struct ShowPlayback {
  // The first pass draws the first frame at or after this position (past the show's last
  // frame: that frame), as a run from the start would have drawn it.
  float start = 0;
  bool loop = false;        // at 122 the show starts again at 0, music and all
  bool viewerKeys = false;  // Space pauses and goes on, Left and Right jump a segment
  // Called once the assets are loaded and the music starts, before the loop's first pass.
  std::function<void()> started;
};

extern MidasModule musicModule;
extern MidasPlayHandle musicPlayHandle;

int WinMain(Platform* instance, void* previousInstance, const char* commandLine, int showCommand);
// Runs WinMain as a fresh process would: the runtime generator and the frame buffer in their
// initial state, an exit from deep inside turned into the returned code.
int RunShow(Platform* platform, const ShowPlayback& playback = {});

// Moves the running show to `position` without replaying what lies between: the clock reads
// the first tick at which the loop's position is at least that, the music plays from there,
// and what the drawing steps share is as a run from the start leaves it. Every step draws
// from its SceneTime alone, so the next pass draws what a run from the start would draw.
void SeekShow(float position);
// A key other than Esc, as the window procedure hands it on. With the viewer's keys on,
// Space pauses and goes on, Left jumps to the previous segment's start and Right to the next
// one's, after the pass; otherwise nothing happens.
void ViewerKeyDown(uint32_t virtualKey);

int32_t MainWindowProc(PlatformWindow* window, WindowMessageType message, uint32_t wParam, intptr_t lParam);
void PumpMessages();
[[noreturn]] void MidasFailure(struct DisplayContext* context);

// The loop itself, from the first pass to the end (Esc, window closed, or position 122).
void RunMainLoop(float startTime);
