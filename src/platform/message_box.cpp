#include "platform/message_box.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace {

constexpr int kPoints = 10;
constexpr int kMargin = 18;
constexpr int kMaxTextWidth = 440;
constexpr int kMinWidth = 260;
constexpr int kButtonWidth = 88;

constexpr uint32_t kBackground = 0xF0F0F0;
constexpr uint32_t kText = 0x1E1E1E;
constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonPushed = 0xCCE4F7;
constexpr uint32_t kButtonEdge = 0x0078D7;  // the default button's edge

int Width(PlatformFont* font, const std::string& text) {
  return MeasureSurfaceText(font, text.c_str(), static_cast<int>(text.size()));
}

// Greedy word wrap; a word wider than a line on its own is cut where it no longer fits.
void WrapParagraph(PlatformFont* font, const std::string& paragraph, std::vector<std::string>& lines) {
  std::string line;
  size_t at = 0;
  while (at < paragraph.size()) {
    const size_t space = paragraph.find(' ', at);
    const std::string word = paragraph.substr(at, space == std::string::npos ? std::string::npos : space - at);
    at = space == std::string::npos ? paragraph.size() : space + 1;
    const std::string joined = line.empty() ? word : line + " " + word;
    if (Width(font, joined) <= kMaxTextWidth) {
      line = joined;
      continue;
    }
    if (!line.empty()) lines.push_back(line);
    line = word;
    while (line.size() > 1 && Width(font, line) > kMaxTextWidth) {
      size_t fits = line.size() - 1;
      while (fits > 1 && Width(font, line.substr(0, fits)) > kMaxTextWidth) --fits;
      lines.push_back(line.substr(0, fits));
      line = line.substr(fits);
    }
  }
  lines.push_back(line);
}

void Frame(Surface& canvas, const PixelRect& r, uint32_t color) {
  const PixelRect edges[] = {{r.left, r.top, r.right, r.top + 1},
                             {r.left, r.bottom - 1, r.right, r.bottom},
                             {r.left, r.top, r.left + 1, r.bottom},
                             {r.right - 1, r.top, r.right, r.bottom}};
  for (const PixelRect& edge : edges) FillSurface(canvas, &edge, color);
}

void Draw(Surface& canvas, PlatformFont* font, const MessageBoxLayout& layout, bool pushed) {
  FillSurface(canvas, nullptr, kBackground);
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const std::string& line = layout.lines[i];
    DrawSurfaceText(canvas, font, layout.textLeft, layout.textTop + static_cast<int>(i) * layout.lineHeight, line.c_str(),
                    static_cast<int>(line.size()), kText);
  }
  const PixelRect& b = layout.button;
  FillSurface(canvas, &b, pushed ? kButtonPushed : kButtonFace);
  Frame(canvas, b, kButtonEdge);
  const PixelRect inner{b.left + 1, b.top + 1, b.right - 1, b.bottom - 1};
  Frame(canvas, inner, kButtonEdge);
  const int x = (b.left + b.right - Width(font, "OK")) / 2;
  const int y = (b.top + b.bottom - FontHeight(font)) / 2;
  DrawSurfaceText(canvas, font, x, y, "OK", 2, kText);
}

void Present(SDL_Window* window, Surface& canvas) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target) return;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(canvas.pixels.data(), canvas.width, canvas.height, 32,
                                                           canvas.pitch, SDL_PIXELFORMAT_XRGB8888);
  if (!source) return;
  SDL_BlitSurface(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(window);
}

}  // namespace

MessageBoxLayout LayoutMessageBox(PlatformFont* font, const std::string& text) {
  MessageBoxLayout layout;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    WrapParagraph(font, text.substr(start, end == std::string::npos ? std::string::npos : end - start), layout.lines);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  int textWidth = 0;
  for (const std::string& line : layout.lines) textWidth = std::max(textWidth, Width(font, line));
  layout.lineHeight = std::max(FontHeight(font), 1);
  const int buttonHeight = layout.lineHeight + 12;
  const int buttonWidth = std::max(kButtonWidth, Width(font, "OK") + 32);
  layout.width = std::max({kMinWidth, textWidth + 2 * kMargin, buttonWidth + 2 * kMargin});
  layout.textLeft = kMargin;
  layout.textTop = kMargin;
  const int textBottom = layout.textTop + static_cast<int>(layout.lines.size()) * layout.lineHeight;
  const int buttonTop = textBottom + kMargin;
  const int buttonLeft = (layout.width - buttonWidth) / 2;
  layout.button = PixelRect{buttonLeft, buttonTop, buttonLeft + buttonWidth, buttonTop + buttonHeight};
  layout.height = buttonTop + buttonHeight + kMargin * 2 / 3;
  return layout;
}

bool MessageBoxInput::Inside(int x, int y) const {
  return x >= button_.left && x < button_.right && y >= button_.top && y < button_.bottom;
}

bool MessageBoxInput::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      return true;
    case SDL_KEYDOWN: {
      // A key held down from before (Esc ending the show) repeats; only a fresh press counts.
      if (event.key.repeat) return false;
      const SDL_Keycode key = event.key.keysym.sym;
      return key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE || key == SDLK_ESCAPE;
    }
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.windowID == windowId_ && event.button.button == SDL_BUTTON_LEFT &&
          Inside(event.button.x, event.button.y)) {
        armed_ = over_ = true;
      }
      return false;
    case SDL_MOUSEMOTION:
      if (event.motion.windowID == windowId_) over_ = Inside(event.motion.x, event.motion.y);
      return false;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT || !armed_) return false;
      armed_ = false;
      return event.button.windowID == windowId_ && Inside(event.button.x, event.button.y);
    case SDL_WINDOWEVENT:
      return event.window.windowID == windowId_ && event.window.event == SDL_WINDOWEVENT_CLOSE;
    default:
      return false;
  }
}

bool ShowDrawnMessageBox(const char* caption, const char* text, SDL_Window* owner,
                         const std::function<void(uint32_t, const MessageBoxLayout&)>& opened) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  PlatformFont* font = OpenFontFile(SystemFontPath().c_str(), kPoints);
  if (!font) font = OpenFontFile(ShowFontPath().c_str(), kPoints);
  if (!font) return false;
  const MessageBoxLayout layout = LayoutMessageBox(font, text ? text : "");
  const int display = owner ? std::max(SDL_GetWindowDisplayIndex(owner), 0) : 0;
  SDL_Window* window = SDL_CreateWindow(caption ? caption : "", SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                                        SDL_WINDOWPOS_CENTERED_DISPLAY(display), layout.width, layout.height,
                                        SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
  if (!window) {
    CloseFontFile(font);
    return false;
  }
  if (owner) SDL_SetWindowModalFor(window, owner);
  // Without a window manager nobody gives the new window the keyboard: take it.
  SDL_RaiseWindow(window);
  SDL_SetWindowInputFocus(window);
  const int cursor = SDL_ShowCursor(SDL_QUERY);
  SDL_ShowCursor(SDL_ENABLE);

  Surface canvas(layout.width, layout.height, 32);
  MessageBoxInput input(layout.button, SDL_GetWindowID(window));
  bool pushed = false;
  Draw(canvas, font, layout, pushed);
  Present(window, canvas);
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
  if (opened) opened(SDL_GetWindowID(window), layout);

  SDL_Event event;
  while (SDL_WaitEvent(&event)) {
    if (input.Handle(event)) break;
    const bool exposed = event.type == SDL_WINDOWEVENT && (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                                          event.window.event == SDL_WINDOWEVENT_SHOWN);
    if (exposed || input.Pushed() != pushed) {
      pushed = input.Pushed();
      Draw(canvas, font, layout, pushed);
      Present(window, canvas);
    }
  }
  SDL_ShowCursor(cursor);
  SDL_DestroyWindow(window);
  CloseFontFile(font);
  return true;
}
