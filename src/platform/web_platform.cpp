#include "platform/web_platform.h"

#include <emscripten.h>

#include <algorithm>
#include <string>

#include "base/screen.h"
#include "platform/display_results.h"
#include "platform/offline_platform.h"

// The page's side of each service lives in web/page.js, as Module.tavrinePage.
// clang-format off
EM_JS(int, page_has_screen, (), { return Module.tavrinePage.hasScreen() ? 1 : 0; });
EM_JS(void, page_open_window, (const char* title), { Module.tavrinePage.openWindow(UTF8ToString(title)); });
EM_JS(void, page_draw, (const uint8_t* rgba, int width, int height), {
  Module.tavrinePage.draw(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
EM_ASYNC_JS(void, page_next_frame, (), { await Module.tavrinePage.nextFrame(); });
EM_JS(int, page_holding, (), { return Module.tavrinePage.holding() ? 1 : 0; });
EM_ASYNC_JS(void, page_idle, (int ms), { await Module.tavrinePage.idle(ms); });
EM_JS(int, page_next_key, (), { return Module.tavrinePage.nextKey(); });
EM_JS(void, page_show_cursor, (int show), { Module.tavrinePage.showCursor(show !== 0); });
EM_JS(void, page_message_box, (const char* caption, const char* text), {
  Module.tavrinePage.messageBox(UTF8ToString(caption), UTF8ToString(text));
});
EM_JS(void, page_hide_screen, (), { Module.tavrinePage.hideScreen(); });
EM_JS(int, page_audio_open, (int rate), { return Module.tavrinePage.audio.open(rate) ? 1 : 0; });
EM_JS(int, page_audio_queued, (), { return Module.tavrinePage.audio.queued(); });
EM_JS(void, page_audio_write, (const int16_t* interleaved, int frames), {
  Module.tavrinePage.audio.write(HEAP16.subarray(interleaved >> 1, (interleaved >> 1) + frames * 2), frames);
});
EM_JS(void, page_audio_flush, (), { Module.tavrinePage.audio.flush(); });
EM_JS(void, page_audio_pause, (int paused), { Module.tavrinePage.audio.pause(paused !== 0); });
EM_JS(void, page_audio_close, (), { Module.tavrinePage.audio.close(); });
// clang-format on

namespace {
constexpr int kQueuedMilliseconds = 200;
}  // namespace

// ---- System ---------------------------------------------------------------------------

WebSystem::WebSystem() { clockOffsetMs_ = -emscripten_get_now(); }

uint32_t WebSystem::Ticks() {
  if (fixedStepFps_ > 0) return StepClockTicks(presentedFrames + clockShift_, fixedStepFps_);
  return static_cast<uint32_t>(std::max(0.0, emscripten_get_now() + clockOffsetMs_));
}

void WebSystem::SetTicks(uint32_t ms, ClockStep step) {
  if (fixedStepFps_ <= 0) {
    clockOffsetMs_ = static_cast<double>(ms) - emscripten_get_now();
    return;
  }
  clockShift_ = StepClockFrame(ms, fixedStepFps_, step) - presentedFrames;
}

void WebSystem::Idle(uint32_t ms) { page_idle(static_cast<int>(std::min<uint32_t>(ms, 1000))); }

void WebSystem::UseFixedStepClock(double fps) {
  if (fps > 0) {
    fixedStepFps_ = fps;
    clockShift_ = -presentedFrames;
  }
}

PlatformWindow* WebSystem::CreateMainWindow(Platform* platform, const char* title) {
  window.platform = platform;
  page_open_window(title ? title : "");
  posted_.push_back(WindowMessage{&window, WindowMessageType::Create, 0});
  return &window;
}

void WebSystem::DestroyWindow(PlatformWindow* w) { posted_.push_back(WindowMessage{w, WindowMessageType::Destroy, 0}); }

bool WebSystem::PeekMessage(WindowMessage& message) {
  if (!posted_.empty()) {
    message = posted_.front();
    posted_.pop_front();
    return true;
  }
  const int key = page_next_key();
  if (key < 0) return false;
  message = WindowMessage{&window, WindowMessageType::KeyDown, static_cast<uint32_t>(key)};
  return true;
}

void WebSystem::PostQuitMessage(int code) {
  posted_.push_back(WindowMessage{nullptr, WindowMessageType::Quit, static_cast<uint32_t>(code)});
}

void WebSystem::ShowCursor(bool show) { page_show_cursor(show ? 1 : 0); }

void WebSystem::MessageBox(PlatformWindow*, const char* text, const char* caption) {
  page_message_box(caption ? caption : "", text ? text : "");
}

void WebSystem::ExitProcess(int code) { throw ProcessExit{code}; }

// ---- Presenter -------------------------------------------------------------------------

void WebPresenter::Present(const Surface& back) {
  if (back.width == SCREEN_WIDTH && back.height == SCREEN_HEIGHT) {
    rgba_.resize(static_cast<size_t>(SCREEN_PIXELS) * 4);
    uint8_t* out = rgba_.data();
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 0; x < SCREEN_WIDTH; ++x, out += 4) {
        const uint32_t p = back.GetPixel(x, y);
        out[0] = static_cast<uint8_t>(p >> 16);
        out[1] = static_cast<uint8_t>(p >> 8);
        out[2] = static_cast<uint8_t>(p);
        out[3] = 255;
      }
    page_draw(rgba_.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
  }
  ++system_->presentedFrames;
  if (onFrame) onFrame();
  if (hold) {
    // The frame stays on the canvas; the program waits until the page lets it go.
    while (page_holding()) page_next_frame();
    hold = false;
  }
  page_next_frame();
}

// ---- Display driver --------------------------------------------------------------------

int32_t WebDisplayDriver::CreateDirectDraw(DisplayObject** directDraw) {
  if (!page_has_screen()) {
    calls.emplace_back("CreateDirectDraw");
    return DDERR_NODIRECTDRAWHW;
  }
  const int32_t result = MemoryDisplayDriver::CreateDirectDraw(directDraw);
  if (result == DD_OK) directDraw_ = *directDraw;
  return result;
}

void WebDisplayDriver::Release(DisplayObject* object) {
  if (object && object == directDraw_) {
    directDraw_ = nullptr;
    page_hide_screen();
  }
  MemoryDisplayDriver::Release(object);
}

// ---- Audio -----------------------------------------------------------------------------

WebAudioOutput::~WebAudioOutput() { Close(); }

bool WebAudioOutput::Open(int sampleRate, std::string* error) {
  Close();
  if (sampleRate <= 0 || !page_audio_open(sampleRate)) {
    if (error) *error = "the page has no audio context at " + std::to_string(sampleRate) + " Hz";
    return false;
  }
  rate_ = sampleRate;
  open_ = true;
  return true;
}

int WebAudioOutput::FramesWanted() {
  if (!open_) return 0;
  const int target = rate_ * kQueuedMilliseconds / 1000;
  return std::max(0, target - page_audio_queued());
}

void WebAudioOutput::Write(const int16_t* interleaved, int frames) {
  if (open_ && frames > 0) page_audio_write(interleaved, frames);
}

void WebAudioOutput::Flush() {
  if (open_) page_audio_flush();
}

void WebAudioOutput::Pause(bool paused) {
  if (open_) page_audio_pause(paused ? 1 : 0);
}

void WebAudioOutput::Close() {
  if (!open_) return;
  open_ = false;
  page_audio_close();
}

// ---- Platform --------------------------------------------------------------------------

WebPlatform::WebPlatform() : presenter(&system), display(&presenter) {
  platform.system = &system;
  platform.display = &display;
  platform.audio = &audio;
}
