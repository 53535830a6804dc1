// message_box.h - a message box of our own, drawn when the system's cannot be shown (SDL's
// on X11 asks zenity, which KDE, Xfce and a bare X server do not have, and then shows
// nothing).
//
//   if (SDL_ShowSimpleMessageBox(...) != 0) ShowDrawnMessageBox(caption, text, owner);
//
// A small centred window titled with the caption: the text in the desktop's sans-serif
// face, wrapped, and one OK button. Return, Space, Esc, a click on OK and closing the window
// each end it; only then does the call return. Input waiting from before it appeared is
// dropped, so a key pressed for the program does not close its box unseen.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/surface.h"

struct PlatformFont;
struct SDL_Window;
union SDL_Event;

struct MessageBoxLayout {
  int width = 0, height = 0;
  std::vector<std::string> lines;
  int textLeft = 0, textTop = 0, lineHeight = 0;
  PixelRect button{};
};

// Where everything goes for `text` in `font`: lines wrapped at the widest a box grows to.
MessageBoxLayout LayoutMessageBox(PlatformFont* font, const std::string& text);

// Decides, event by event, when the box ends.
class MessageBoxInput {
 public:
  MessageBoxInput(const PixelRect& button, uint32_t windowId) : button_(button), windowId_(windowId) {}
  // True when `event` ends the box.
  bool Handle(const SDL_Event& event);
  // The button is held down with the pointer on it: drawn pushed.
  bool Pushed() const { return armed_ && over_; }

 private:
  bool Inside(int x, int y) const;
  PixelRect button_;
  uint32_t windowId_;
  bool armed_ = false;  // the left button went down on OK
  bool over_ = false;
};

// Shows the box and waits for it to end. False when no window could be made (no display, no
// font): the caller has said the text elsewhere. `opened`, when given, is told the box's
// window id and layout once it is up (the tests answer it through it).
bool ShowDrawnMessageBox(const char* caption, const char* text, SDL_Window* owner,
                         const std::function<void(uint32_t windowId, const MessageBoxLayout&)>& opened = nullptr);
