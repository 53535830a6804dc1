// web_platform.h - the show in a web page (WebAssembly): frames to the page's canvas, the
// page's clock, keys from the page, message boxes as a box in the page, and the music through
// the page's audio context. The page (web/page.js) sets these up and starts the program once
// its start button is clicked.
//
//   WebPlatform web;
//   web.onFrame = [&] { ... };        // after each presented frame
//   return RunShow(&web.platform);
//
// The show's loop runs as it is: each presented frame is drawn to the canvas, then the
// program waits for the browser's next frame (the wait unwinds to the browser and back,
// Asyncify), so the show draws at the browser's frame rate.
//
// The clock is the page's, in milliseconds from the program's start; or, for tests, the
// offline platform's fixed step (1000/fps ms per presented frame), so that the page draws the
// very frames `tavrine-tool frame` renders. The presenter can hold a frame on the canvas until
// the page lets it go.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/display_driver.h"
#include "platform/display_results.h"
#include "platform/sound.h"
#include "platform/system.h"

class WebSystem : public SystemServices {
 public:
  WebSystem();
  uint32_t Ticks() override;
  PlatformWindow* CreateMainWindow(Platform* platform, const char* title) override;
  void DestroyWindow(PlatformWindow* window) override;
  bool PeekMessage(WindowMessage& message) override;
  void PostQuitMessage(int code) override;
  void ShowCursor(bool show) override;
  void MessageBox(PlatformWindow* owner, const char* text, const char* caption) override;
  // Ends the run by an exception that RunShow turns into its code: a page has no process to end.
  [[noreturn]] void ExitProcess(int code) override;

  void SetTicks(uint32_t ms, ClockStep step) override;
  // Waits for the browser (a timer, or a key, whichever comes first).
  void Idle(uint32_t ms) override;

  void UseFixedStepClock(double fps);

  long presentedFrames = 0;  // counted by the presenter
  PlatformWindow window;

 private:
  std::deque<WindowMessage> posted_;
  double fixedStepFps_ = 0;  // 0: the page's clock
  long clockShift_ = 0;      // fixed step: frames the clock was moved by
  double clockOffsetMs_ = 0;  // page's clock: what it was moved by, from the program's start
};

// Draws each frame on the page's canvas and paces the program by the browser's frames.
class WebPresenter : public Presenter {
 public:
  explicit WebPresenter(WebSystem* system) : system_(system) {}
  void Present(const Surface& backBuffer) override;

  std::function<void()> onFrame;
  bool hold = false;  // set by onFrame: keep this frame until the page lets it go

 private:
  WebSystem* system_;
  std::vector<uint8_t> rgba_;
};

// The memory driver on the page's canvas: no 3D hardware (the software device is the RGB
// device), and releasing the display object takes the picture off the page.
class WebDisplayDriver : public MemoryDisplayDriver {
 public:
  // No 3D hardware here: the software rasterizer is the RGB device.
  explicit WebDisplayDriver(WebPresenter* presenter) : MemoryDisplayDriver(presenter) {
    refusals[DisplayStep::CreateHardwareDevice] = DDERR_NO3D;
  }
  int32_t CreateDirectDraw(DisplayObject** directDraw) override;
  void Release(DisplayObject* object) override;

 private:
  DisplayObject* directDraw_ = nullptr;
};

// The page's audio context (an audio worklet fed from a queue): about 200 ms kept queued, as
// the browser's frames are further apart than the sound card's polls.
class WebAudioOutput : public AudioOutput {
 public:
  ~WebAudioOutput() override;
  bool Open(int sampleRate, std::string* error) override;
  int FramesWanted() override;
  void Write(const int16_t* interleaved, int frames) override;
  void Flush() override;
  void Pause(bool paused) override;
  void Close() override;

 private:
  int rate_ = 0;
  bool open_ = false;
};

class WebPlatform {
 public:
  WebPlatform();
  WebPlatform(const WebPlatform&) = delete;
  WebPlatform& operator=(const WebPlatform&) = delete;

  WebSystem system;
  WebPresenter presenter;
  WebDisplayDriver display;
  WebAudioOutput audio;
  Platform platform;
};
