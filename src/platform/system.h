// system.h - what the show takes from the operating system: the window and its messages,
// the millisecond clock, the cursor, message boxes and the end of the process.
//
// SystemServices has a live implementation over SDL (sdl_platform.h) and an offline one
// with a virtual clock (offline_platform.h). The show reaches it through the Platform record
// that stands in for the module instance.
#pragma once
#include <cstdint>

class DisplayDriver;
class AudioOutput;
struct Platform;

// A window made by the system services. `platform` lets services that are handed only the
// window (the sound library) find the rest of the platform.
struct PlatformWindow {
  Platform* platform = nullptr;
  void* native = nullptr;
  void* userData = nullptr;  // the show attaches its display context here
};

enum class WindowMessageType { Create, KeyDown, Close, Destroy, Quit, Other };

struct WindowMessage {
  PlatformWindow* window = nullptr;
  WindowMessageType type = WindowMessageType::Other;
  uint32_t wParam = 0;  // KeyDown: the virtual key (27 = Esc)
};

// Virtual keys, as the era's headers numbered them.
constexpr uint32_t VK_RETURN_KEY = 0x0D;
constexpr uint32_t VK_ESCAPE_KEY = 0x1B;
constexpr uint32_t VK_SPACE_KEY = 0x20;
constexpr uint32_t VK_LEFT_KEY = 0x25;
constexpr uint32_t VK_RIGHT_KEY = 0x27;

// Where a clock that moves in steps (one per frame, offline) lands when it is set between two.
enum class ClockStep { AtOrAfter, AtOrBefore };

// Thrown by an offline platform's ExitProcess, so that a test or the tool sees the exit code
// instead of losing the process.
struct ProcessExit {
  int code;
};

class SystemServices {
 public:
  virtual ~SystemServices() = default;
  virtual uint32_t Ticks() = 0;  // milliseconds, starting near 0
  // Moves the clock so that it reads `ms` now and goes on from there (a seek). A clock that
  // moves in steps lands on its step at or after `ms`, or at or before it.
  virtual void SetTicks(uint32_t ms, ClockStep step) = 0;
  // Nothing to do for a while (a paused player): give the processor back, at most `ms`
  // milliseconds, returning early when a message arrives.
  virtual void Idle(uint32_t ms) = 0;
  virtual PlatformWindow* CreateMainWindow(Platform* platform, const char* title) = 0;
  virtual void DestroyWindow(PlatformWindow* window) = 0;  // queues a Destroy message
  virtual bool PeekMessage(WindowMessage& message) = 0;    // non-blocking, removes it
  virtual void PostQuitMessage(int code) = 0;
  virtual void ShowCursor(bool show) = 0;
  // Modal text box; the text is written to stderr first (live) or recorded (offline).
  virtual void MessageBox(PlatformWindow* owner, const char* text, const char* caption) = 0;
  [[noreturn]] virtual void ExitProcess(int code) = 0;
};

struct Platform {
  SystemServices* system = nullptr;
  DisplayDriver* display = nullptr;
  AudioOutput* audio = nullptr;
};
