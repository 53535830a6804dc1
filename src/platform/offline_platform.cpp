#include "platform/offline_platform.h"

#include <cmath>
#include <cstdio>

OfflineSystem::~OfflineSystem() {
  for (PlatformWindow* window : windows) delete window;
}

uint32_t StepClockTicks(long frame, double fps) {
  return static_cast<uint32_t>(std::floor(static_cast<double>(frame) * 1000.0 / fps));
}

long StepClockFrame(uint32_t ms, double fps, ClockStep step) {
  // The estimate is within a frame; the exact frame is found with the clock's own formula.
  long frame = static_cast<long>(std::floor(static_cast<double>(ms) * fps / 1000.0));
  if (step == ClockStep::AtOrAfter) {
    while (frame > 0 && StepClockTicks(frame - 1, fps) >= ms) --frame;
    while (StepClockTicks(frame, fps) < ms) ++frame;
  } else {
    while (StepClockTicks(frame + 1, fps) <= ms) ++frame;
    while (frame > 0 && StepClockTicks(frame, fps) > ms) --frame;
  }
  return frame;
}

uint32_t OfflineSystem::Ticks() { return StepClockTicks(presentedFrames + clockShift, fps); }

void OfflineSystem::SetTicks(uint32_t ms, ClockStep step) { clockShift = StepClockFrame(ms, fps, step) - presentedFrames; }

PlatformWindow* OfflineSystem::CreateMainWindow(Platform* platform, const char*) {
  auto* window = new PlatformWindow;
  window->platform = platform;
  windows.push_back(window);
  queue.push_back(WindowMessage{window, WindowMessageType::Create, 0});
  return window;
}

void OfflineSystem::DestroyWindow(PlatformWindow* window) {
  queue.push_back(WindowMessage{window, WindowMessageType::Destroy, 0});
}

bool OfflineSystem::PeekMessage(WindowMessage& message) {
  if (queue.empty()) return false;
  message = queue.front();
  queue.pop_front();
  return true;
}

void OfflineSystem::PostQuitMessage(int code) {
  queue.push_back(WindowMessage{nullptr, WindowMessageType::Quit, static_cast<uint32_t>(code)});
}

void OfflineSystem::ShowCursor(bool show) { cursorShown = show; }

void OfflineSystem::MessageBox(PlatformWindow* owner, const char* text, const char* caption) {
  if (echoMessageBoxes) std::fprintf(stderr, "%s: %s\n", caption, text);
  messageBoxes.push_back(Box{caption, text, owner != nullptr});
}

void OfflineSystem::ExitProcess(int code) { throw ProcessExit{code}; }

void OfflineSystem::PressKey(uint32_t virtualKey) {
  queue.push_back(WindowMessage{windows.empty() ? nullptr : windows.back(), WindowMessageType::KeyDown, virtualKey});
}

void OfflineSystem::CloseWindow() {
  queue.push_back(WindowMessage{windows.empty() ? nullptr : windows.back(), WindowMessageType::Close, 0});
}

OfflinePlatform::OfflinePlatform(double fps, AudioOutput* audio) : display(&presenter) {
  system.fps = fps;
  platform.system = &system;
  platform.display = &display;
  platform.audio = audio ? audio : &nullAudio;
  presenter.user = this;
  presenter.onFrame = [](void* user, const OfflinePresenter& frame) {
    auto* self = static_cast<OfflinePlatform*>(user);
    ++self->system.presentedFrames;
    if (self->onFrame) self->onFrame(frame);
  };
}
