// demo.h - the program's spine: entry, window messages, the main loop and shutdown.
//
//   int code = RunShow(&platform);   // the whole show, as a process would run it
//
// The same code runs live (SDL platform) and offline (virtual clock, kept frames, WAV
// music): only the Platform record differs.
#pragma once
#include <cstdint>

#include "platform/sound.h"
#include "platform/system.h"

// What the main loop is drawing, for the tools and tests that watch a run.
struct ShowState {
  bool running;         // the main loop has started
  int segment;          // 1..14 while drawing, 0 before the loop
  float position;       // TimelinePosition of the pass
  float sceneTime;      // SceneTime handed to the segment's steps
  uint32_t frameCount;  // completed passes
};
extern ShowState showState;

extern MidasModule musicModule;
extern MidasPlayHandle musicPlayHandle;

int WinMain(Platform* instance, void* previousInstance, const char* commandLine, int showCommand);
// Runs WinMain as a fresh process would: the runtime generator in its initial state, an exit
// from deep inside turned into the returned code.
int RunShow(Platform* platform);

int32_t MainWindowProc(PlatformWindow* window, WindowMessageType message, uint32_t wParam, intptr_t lParam);
void PumpMessages();
[[noreturn]] void MidasFailure(struct DisplayContext* context);

// The loop itself, from the first pass to the end (Esc, window closed, or position 122).
void RunMainLoop(float startTime);
