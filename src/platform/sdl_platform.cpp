#include "platform/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/screen.h"
#include "platform/audio_outputs.h"
#include "platform/display_results.h"
#include "platform/message_box.h"
#include "platform/text.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

// Without a window manager nobody hands the keyboard on once the show's window is hidden, so
// the closing message box would never see its Return key: give the focus to whatever lies
// under the pointer and put the pointer where the box appears (centred, a third of the way down).
// With a window manager the box gets the focus the usual way and nothing is touched.
static void HandKeyboardToDesktop(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  ::Display* display = info.info.x11.display;
  const ::Window root = DefaultRootWindow(display);
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const bool managed = check != 0 &&
                       XGetWindowProperty(display, root, check, 0, 1, False, XA_WINDOW, &type, &format, &items,
                                          &after, &data) == Success &&
                       items > 0;
  if (data) XFree(data);
  if (managed) return;
  Screen* screen = DefaultScreenOfDisplay(display);
  XWarpPointer(display, 0, root, 0, 0, 0, 0, WidthOfScreen(screen) / 2, HeightOfScreen(screen) / 3);
  XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
  XFlush(display);
}

uint32_t VirtualKeyOf(int key) {
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE_KEY;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN_KEY;
    case SDLK_SPACE: return VK_SPACE_KEY;
    case SDLK_LEFT: return VK_LEFT_KEY;
    case SDLK_RIGHT: return VK_RIGHT_KEY;
    case SDLK_UP: return 0x26;
    case SDLK_DOWN: return 0x28;
    default: break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>(key);
  return 0;
}

namespace {
constexpr int kStatusPoints = 9;
constexpr int kStatusPadding = 8;
PlatformFont* StatusFont() { return OpenFontFile(SystemFontPath().c_str(), kStatusPoints); }
}  // namespace

int StatusLineHeight() {
  PlatformFont* font = StatusFont();
  const int height = font ? FontHeight(font) + kStatusPadding : 0;
  CloseFontFile(font);
  return height;
}

SdlSystem::SdlSystem(const SdlViewSettings& view) : view_(view) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "0");  // SIGTERM arrives as a quit event
  SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

SdlSystem::~SdlSystem() {
  if (sdlWindow) SDL_DestroyWindow(sdlWindow);
  SDL_Quit();
}

uint32_t SdlSystem::Ticks() {
  const int64_t now = static_cast<int64_t>(SDL_GetTicks()) + clockOffset_;
  return static_cast<uint32_t>(now < 0 ? 0 : now);
}

void SdlSystem::SetTicks(uint32_t ms, ClockStep) {
  clockOffset_ = static_cast<int64_t>(ms) - static_cast<int64_t>(SDL_GetTicks());
}

void SdlSystem::Idle(uint32_t ms) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_WaitEventTimeout(nullptr, static_cast<int>(ms));
  } else {
    SDL_Delay(ms);
  }
}

void SdlSystem::WindowedSize(int* width, int* height) const {
  const int scale = view_.scale > 0 ? view_.scale : 2;
  *width = SCREEN_WIDTH * scale;
  *height = SCREEN_HEIGHT * scale + (view_.status ? StatusLineHeight() : 0);
}

PlatformWindow* SdlSystem::CreateMainWindow(Platform* platform, const char* title) {
  window.platform = platform;
  window.native = nullptr;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return &window;
  if (view_.fullscreen) {
    // Created at the desktop's size: without a window manager a smaller window is not enlarged.
    SDL_DisplayMode desktop{};
    int width = 640, height = 480;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
      width = desktop.w;
      height = desktop.h;
    }
    sdlWindow = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN);
  } else {
    int width = 0, height = 0;
    WindowedSize(&width, &height);
    sdlWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                 SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
  }
  window.native = sdlWindow;
  posted_.push_back(WindowMessage{&window, WindowMessageType::Create, 0});
  return &window;
}

void SdlSystem::ToggleFullscreen() {
  if (!sdlWindow) return;
  if (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN) {
    SDL_SetWindowFullscreen(sdlWindow, 0);
    int width = 0, height = 0;
    WindowedSize(&width, &height);
    SDL_SetWindowSize(sdlWindow, width, height);
    SDL_SetWindowPosition(sdlWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else {
    // Without a window manager nobody enlarges the window for full screen: it covers the
    // desktop itself first.
    SDL_Rect desktop{};
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(sdlWindow), 0), &desktop) == 0) {
      SDL_SetWindowPosition(sdlWindow, desktop.x, desktop.y);
      SDL_SetWindowSize(sdlWindow, desktop.w, desktop.h);
    }
    SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
}

void SdlSystem::DestroyWindow(PlatformWindow* w) {
  // The window itself stays until the process ends, as the show has always had it.
  posted_.push_back(WindowMessage{w, WindowMessageType::Destroy, 0});
}

bool SdlSystem::PeekMessage(WindowMessage& message) {
  if (!posted_.empty()) {
    message = posted_.front();
    posted_.pop_front();
    return true;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    message = WindowMessage{&window, WindowMessageType::Other, 0};
    switch (event.type) {
      case SDL_KEYDOWN: {
        const SDL_Keycode key = event.key.keysym.sym;
        if ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT)) {
          // The system's business, not the show's: it never sees the key.
          if (!event.key.repeat) ToggleFullscreen();
          break;
        }
        message.type = WindowMessageType::KeyDown;
        message.wParam = VirtualKeyOf(key);
        return true;
      }
      case SDL_QUIT:
        message.type = WindowMessageType::Close;
        return true;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          message.type = WindowMessageType::Close;
          return true;
        }
        break;
      default:
        break;
    }
  }
  return false;
}

void SdlSystem::PostQuitMessage(int code) {
  posted_.push_back(WindowMessage{nullptr, WindowMessageType::Quit, static_cast<uint32_t>(code)});
}

void SdlSystem::ShowCursor(bool show) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlSystem::MessageBox(PlatformWindow* owner, const char* text, const char* caption) {
  // Said on stderr first, so a run without a display still tells what happened.
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_Window* parent = owner ? static_cast<SDL_Window*>(owner->native) : nullptr;
  // TAVRINE_OWN_MESSAGE_BOX=1 skips the system's box, so that ours can be tried anywhere.
  const char* own = std::getenv("TAVRINE_OWN_MESSAGE_BOX");
  const bool forced = own && *own && std::strcmp(own, "0") != 0;
  if (!forced && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, parent) == 0) return;
  // A display nobody sees (SDL's offscreen and dummy drivers) could never answer a box.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (invisible && !forced) return;
  if (ShowDrawnMessageBox(caption, text, parent)) {
    ++drawnMessageBoxes;
  } else {
    std::fprintf(stderr, "(no message box could be shown)\n");
  }
}

void SdlSystem::ExitProcess(int code) {
  if (sdlWindow) SDL_DestroyWindow(sdlWindow);
  sdlWindow = nullptr;
  SDL_Quit();
  std::exit(code);
}

SdlPresenter::~SdlPresenter() { Close(); }

void SdlPresenter::Close() {
  if (statusTexture_) SDL_DestroyTexture(statusTexture_);
  if (prescaled_) SDL_DestroyTexture(prescaled_);
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  CloseFontFile(statusFont_);
  statusTexture_ = prescaled_ = texture_ = nullptr;
  renderer_ = nullptr;
  statusFont_ = nullptr;
  statusText_.clear();
  prescale_ = 0;
}

bool SdlPresenter::Open(SDL_Window* window) {
  if (renderer_) return true;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  const Uint32 vsync = view_.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | vsync);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) return false;
  // The show's own view: the logical size keeps 4:3 and puts black bars where the screen is
  // wider or taller. The player's views are laid out frame by frame instead.
  if (view_.filter == ScaleFilter::Show) SDL_RenderSetLogicalSize(renderer_, SCREEN_WIDTH, SCREEN_HEIGHT);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING, SCREEN_WIDTH,
                               SCREEN_HEIGHT);
  if (!texture_) {
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    return false;
  }
  SDL_SetTextureScaleMode(texture_, view_.filter == ScaleFilter::Linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  if (view_.status) statusFont_ = StatusFont();
  statusLine_ = statusFont_ ? FontHeight(statusFont_) + kStatusPadding : 0;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  return true;
}

void SdlPresenter::SetVsync(bool vsync) {
  view_.vsync = vsync;
  if (renderer_) SDL_RenderSetVSync(renderer_, vsync ? 1 : 0);
}

void SdlPresenter::DrawStatus(const PixelRect& line) {
  const std::string text = view_.status();
  if (!statusFont_ || line.bottom <= line.top) return;
  if (text != statusText_ || !statusTexture_) {
    statusText_ = text;
    if (statusTexture_) SDL_DestroyTexture(statusTexture_);
    statusTexture_ = nullptr;
    const int width = MeasureSurfaceText(statusFont_, text.c_str(), static_cast<int>(text.size()));
    const int height = FontHeight(statusFont_);
    if (width <= 0 || height <= 0) return;
    Surface canvas(width, height, 32);
    FillSurface(canvas, nullptr, 0);
    DrawSurfaceText(canvas, statusFont_, 0, 0, text.c_str(), static_cast<int>(text.size()), 0xB0B0B0);
    statusTexture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STATIC, width, height);
    if (!statusTexture_) return;
    SDL_UpdateTexture(statusTexture_, nullptr, canvas.pixels.data(), canvas.pitch);
    statusWidth_ = width;
    statusHeight_ = height;
  }
  const SDL_Rect where{line.left + 8, line.top + (line.bottom - line.top - statusHeight_) / 2, statusWidth_, statusHeight_};
  SDL_RenderCopy(renderer_, statusTexture_, nullptr, &where);
}

void SdlPresenter::Present(const Surface& back) {
  if (!texture_ || back.width != SCREEN_WIDTH || back.height != SCREEN_HEIGHT) return;
  if (back.bitsPerPixel == 32) {
    SDL_UpdateTexture(texture_, nullptr, back.pixels.data(), back.pitch);
  } else {
    if (!converted_) converted_.reset(new uint32_t[SCREEN_PIXELS]);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 0; x < SCREEN_WIDTH; ++x) converted_[y * SCREEN_WIDTH + x] = back.GetPixel(x, y);
    SDL_UpdateTexture(texture_, nullptr, converted_.get(), SCREEN_WIDTH * 4);
  }
  SDL_RenderClear(renderer_);
  if (view_.filter == ScaleFilter::Show) {
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    return;
  }
  int width = 0, height = 0;
  SDL_GetRendererOutputSize(renderer_, &width, &height);
  const ViewLayout layout = LayoutView(width, height, view_.filter, statusLine_);
  const PixelRect& p = layout.picture;
  const SDL_Rect picture{p.left, p.top, p.right - p.left, p.bottom - p.top};
  SDL_Texture* source = texture_;
  if (view_.filter == ScaleFilter::Sharp) {
    if (prescale_ != layout.prescale) {
      if (prescaled_) SDL_DestroyTexture(prescaled_);
      prescaled_ = SDL_RenderTargetSupported(renderer_)
                       ? SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_TARGET,
                                           SCREEN_WIDTH * layout.prescale, SCREEN_HEIGHT * layout.prescale)
                       : nullptr;
      if (prescaled_) SDL_SetTextureScaleMode(prescaled_, SDL_ScaleModeLinear);
      prescale_ = layout.prescale;
    }
    if (prescaled_ && SDL_SetRenderTarget(renderer_, prescaled_) == 0) {
      SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
      SDL_SetRenderTarget(renderer_, nullptr);
      source = prescaled_;
    } else {
      // No render targets here: smoothed straight from the picture.
      SDL_SetTextureScaleMode(texture_, SDL_ScaleModeLinear);
    }
  }
  SDL_RenderCopy(renderer_, source, nullptr, &picture);
  if (view_.status) DrawStatus(layout.status);
  SDL_RenderPresent(renderer_);
}

SdlDisplayDriver::SdlDisplayDriver(SdlSystem* system, const SdlViewSettings& view)
    : MemoryDisplayDriver(nullptr), system_(system), sdlPresenter_(view) {
  presenter = &sdlPresenter_;
  // There is no 3D hardware behind this driver: the software rasterizer is the RGB device.
  refusals[DisplayStep::CreateHardwareDevice] = DDERR_NO3D;
}

int32_t SdlDisplayDriver::CreateDirectDraw(DisplayObject** directDraw) {
  // SDL quietly falls back to its offscreen or dummy driver when there is no display; a
  // show nobody can see is a failure unless that driver was asked for by name.
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (!driver || !system_->sdlWindow || (invisible && !(asked && std::strcmp(asked, driver) == 0))) {
    calls.emplace_back("CreateDirectDraw");
    return DDERR_NODIRECTDRAWHW;
  }
  const int32_t result = MemoryDisplayDriver::CreateDirectDraw(directDraw);
  if (result == DD_OK) directDraw_ = *directDraw;
  return result;
}

void SdlDisplayDriver::Release(DisplayObject* object) {
  if (object && object == directDraw_) {
    directDraw_ = nullptr;
    sdlPresenter_.Close();
    if (system_->sdlWindow) {
      SDL_HideWindow(system_->sdlWindow);
      HandKeyboardToDesktop(system_->sdlWindow);
    }
  }
  MemoryDisplayDriver::Release(object);
}

int32_t SdlDisplayDriver::SetDisplayMode(DisplayObject* directDraw, int width, int height, int bits) {
  if (!sdlPresenter_.Open(system_->sdlWindow)) {
    calls.emplace_back("SetDisplayMode");
    return DDERR_INVALIDMODE;
  }
  return MemoryDisplayDriver::SetDisplayMode(directDraw, width, height, bits);
}

SdlPlatform::SdlPlatform(const SdlViewSettings& view) : system(view), display(&system, view), audio(new SdlAudioOutput) {
  platform.system = &system;
  platform.display = &display;
  platform.audio = audio.get();
}
