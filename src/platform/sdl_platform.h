// sdl_platform.h - the live platform: one full-screen SDL window showing the 320 x 240
// picture scaled at 4:3 with black bars, keyboard and window events as window messages,
// SDL's millisecond clock, message boxes (the text also goes to stderr; SDL's box, else one
// of our own), and SDL audio.
//
//   SdlPlatform live;
//   return RunShow(&live.platform);
#pragma once
#include <deque>
#include <memory>

#include "platform/display_driver.h"
#include "platform/sound.h"
#include "platform/system.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

class SdlSystem : public SystemServices {
 public:
  SdlSystem();
  ~SdlSystem() override;
  uint32_t Ticks() override;
  void SetTicks(uint32_t ms, ClockStep step) override;
  void Idle(uint32_t ms) override;
  PlatformWindow* CreateMainWindow(Platform* platform, const char* title) override;
  void DestroyWindow(PlatformWindow* window) override;
  bool PeekMessage(WindowMessage& message) override;
  void PostQuitMessage(int code) override;
  void ShowCursor(bool show) override;
  void MessageBox(PlatformWindow* owner, const char* text, const char* caption) override;
  [[noreturn]] void ExitProcess(int code) override;

  PlatformWindow window;
  SDL_Window* sdlWindow = nullptr;
  int drawnMessageBoxes = 0;  // boxes shown by our own drawing, the system's having failed

 private:
  std::deque<WindowMessage> posted_;
  int64_t clockOffset_ = 0;  // what SetTicks moved the clock by
};

// Uploads each flipped frame to a streaming texture and presents it with vsync.
class SdlPresenter : public Presenter {
 public:
  ~SdlPresenter() override;
  bool Open(SDL_Window* window);  // false when no renderer can be made
  void Close();
  void Present(const Surface& backBuffer) override;

 private:
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::unique_ptr<uint32_t[]> converted_;
};

// The memory driver on a real display: refuses to start without one, and sets the mode by
// making the renderer.
class SdlDisplayDriver : public MemoryDisplayDriver {
 public:
  explicit SdlDisplayDriver(SdlSystem* system);
  int32_t CreateDirectDraw(DisplayObject** directDraw) override;
  int32_t SetDisplayMode(DisplayObject* directDraw, int width, int height, int bitsPerPixel) override;
  int32_t CreateDevice(DisplayObject* direct3D, DeviceKind kind, Surface* backBuffer, DeviceMaker make,
                       Device3D** device) override;
  // Releasing the display object gives up the full-screen picture: the window is hidden, as
  // the show's zero-sized window was once its display mode ended.
  void Release(DisplayObject* object) override;

 private:
  SdlSystem* system_;
  SdlPresenter sdlPresenter_;
  DisplayObject* directDraw_ = nullptr;
};

class SdlPlatform {
 public:
  SdlPlatform();
  SdlSystem system;
  SdlDisplayDriver display;
  std::unique_ptr<AudioOutput> audio;
  Platform platform;
};
