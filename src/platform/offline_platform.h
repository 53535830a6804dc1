// offline_platform.h - the show without a screen: a virtual clock that advances 1000/fps ms
// per presented frame, a message queue that tests and tools feed, message boxes kept instead
// of shown, frames kept by an OfflinePresenter, and an exit that becomes an exception.
//
//   OfflinePlatform offline(60);
//   offline.onFrame = [&](const OfflinePresenter& frame) { ... offline.system.PressKey(27); };
//   int code = RunShow(&offline.platform);
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/audio_outputs.h"
#include "platform/display_driver.h"
#include "platform/sound.h"
#include "platform/system.h"

// The clock that moves one step of 1000/fps ms per presented frame: what it reads at `frame`,
// and the frame at which it first reads `ms` or more (AtOrAfter) or last reads `ms` or less
// (AtOrBefore). The web page's fixed-step clock is the same clock.
uint32_t StepClockTicks(long frame, double fps);
long StepClockFrame(uint32_t ms, double fps, ClockStep step);

class OfflineSystem : public SystemServices {
 public:
  double fps = 60.0;
  long presentedFrames = 0;  // advanced by the offline presenter
  long clockShift = 0;       // frames the clock was moved by SetTicks
  bool cursorShown = true;
  bool echoMessageBoxes = false;  // also write message boxes to stderr

  struct Box {
    std::string caption, text;
    bool owned;
  };
  std::vector<Box> messageBoxes;
  std::deque<WindowMessage> queue;
  std::vector<PlatformWindow*> windows;

  ~OfflineSystem() override;
  // The clock reads the time of frame presentedFrames + clockShift.
  uint32_t Ticks() override;
  void SetTicks(uint32_t ms, ClockStep step) override;
  void Idle(uint32_t) override {}
  PlatformWindow* CreateMainWindow(Platform* platform, const char* title) override;
  void DestroyWindow(PlatformWindow* window) override;
  bool PeekMessage(WindowMessage& message) override;
  void PostQuitMessage(int code) override;
  void ShowCursor(bool show) override;
  void MessageBox(PlatformWindow* owner, const char* text, const char* caption) override;
  [[noreturn]] void ExitProcess(int code) override;

  // Input as a user would give it, delivered by the next message pump.
  void PressKey(uint32_t virtualKey);
  void CloseWindow();
};

class OfflinePlatform {
 public:
  explicit OfflinePlatform(double fps = 60.0, AudioOutput* audio = nullptr);
  OfflinePlatform(const OfflinePlatform&) = delete;
  OfflinePlatform& operator=(const OfflinePlatform&) = delete;

  OfflineSystem system;
  OfflinePresenter presenter;
  MemoryDisplayDriver display;
  NullAudioOutput nullAudio;  // music loaded and played, nothing rendered
  Platform platform;
  std::function<void(const OfflinePresenter&)> onFrame;
};
