// sdl_platform.h - the live platform: one full-screen SDL window showing the 320 x 240
// picture scaled at 4:3 with black bars, keyboard and window events as window messages,
// SDL's millisecond clock, message boxes (the text also goes to stderr; SDL's box, else one
// of our own), and SDL audio.
//
//   SdlPlatform live;
//   return RunShow(&live.platform);
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/display_driver.h"
#include "platform/sound.h"
#include "platform/system.h"
#include "platform/view_layout.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct PlatformFont;

// How the picture is shown. The show itself uses the defaults; the player sets the rest.
struct SdlViewSettings {
  bool fullscreen = true;
  int scale = 0;  // a window's size in multiples of 320 x 240 (0: 2)
  ScaleFilter filter = ScaleFilter::Show;
  bool vsync = true;
  // A status line under the picture (never over it), with this text, asked for every frame.
  std::function<std::string()> status;
};

// The virtual key of an SDL key (Esc 27, Space 32, Left 37, Right 39, letters and digits as
// their capitals); 0 for keys the show has no name for.
uint32_t VirtualKeyOf(int sdlKeycode);

// The status line's height in pixels (0 when no face can be had for it).
int StatusLineHeight();

class SdlSystem : public SystemServices {
 public:
  explicit SdlSystem(const SdlViewSettings& view = {});
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

  // Alt+Enter: between full screen and a window, as SDL programs do.
  void ToggleFullscreen();
  // The window's size when it is not full screen.
  void WindowedSize(int* width, int* height) const;

  PlatformWindow window;
  SDL_Window* sdlWindow = nullptr;
  int drawnMessageBoxes = 0;  // boxes shown by our own drawing, the system's having failed

 private:
  SdlViewSettings view_;
  std::deque<WindowMessage> posted_;
  int64_t clockOffset_ = 0;  // what SetTicks moved the clock by
};

// Uploads each flipped frame to a streaming texture and presents it (with vsync unless the
// settings say otherwise), scaled as the settings say, with the status line below it.
class SdlPresenter : public Presenter {
 public:
  explicit SdlPresenter(const SdlViewSettings& view) : view_(view) {}
  ~SdlPresenter() override;
  bool Open(SDL_Window* window);  // false when no renderer can be made
  void Close();
  void Present(const Surface& backBuffer) override;
  // Waiting for the screen's refresh (or not) from the next frame on.
  void SetVsync(bool vsync);

 private:
  void DrawStatus(const PixelRect& line);

  SdlViewSettings view_;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Texture* prescaled_ = nullptr;  // Sharp's whole-multiple enlargement
  int prescale_ = 0;
  SDL_Texture* statusTexture_ = nullptr;
  std::string statusText_;
  int statusWidth_ = 0, statusHeight_ = 0;
  PlatformFont* statusFont_ = nullptr;
  int statusLine_ = 0;  // the status line's height
  std::unique_ptr<uint32_t[]> converted_;
};

// The memory driver on a real display: refuses to start without one, and sets the mode by
// making the renderer.
class SdlDisplayDriver : public MemoryDisplayDriver {
 public:
  SdlDisplayDriver(SdlSystem* system, const SdlViewSettings& view);
  int32_t CreateDirectDraw(DisplayObject** directDraw) override;
  int32_t SetDisplayMode(DisplayObject* directDraw, int width, int height, int bitsPerPixel) override;
  // Releasing the display object gives up the full-screen picture: the window is hidden, as
  // the show's zero-sized window was once its display mode ended.
  void Release(DisplayObject* object) override;
  SdlPresenter& Presenter() { return sdlPresenter_; }

 private:
  SdlSystem* system_;
  SdlPresenter sdlPresenter_;
  DisplayObject* directDraw_ = nullptr;
};

class SdlPlatform {
 public:
  explicit SdlPlatform(const SdlViewSettings& view = {});
  SdlSystem system;
  SdlDisplayDriver display;
  std::unique_ptr<AudioOutput> audio;
  Platform platform;
};
