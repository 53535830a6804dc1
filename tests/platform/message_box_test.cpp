// The message box we draw ourselves when the system's cannot be shown: what ends it, its
// layout, and the whole box on SDL's offscreen display, answered as a user would.
#include "platform/message_box.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/sdl_platform.h"
#include "platform/text.h"

namespace {

const PixelRect kButton{100, 60, 188, 88};
constexpr uint32_t kWindow = 7;

SDL_Event Key(SDL_Keycode key, bool repeat = false) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = key;
  e.key.repeat = repeat ? 1 : 0;
  return e;
}

SDL_Event Mouse(uint32_t type, int x, int y, uint8_t button = SDL_BUTTON_LEFT, uint32_t window = kWindow) {
  SDL_Event e{};
  e.type = type;
  e.button.windowID = window;
  e.button.button = button;
  e.button.x = x;
  e.button.y = y;
  return e;
}

SDL_Event WindowEvent(uint8_t what, uint32_t window = kWindow) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  e.window.windowID = window;
  return e;
}

TEST(MessageBoxInput, ReturnSpaceEscAndEnterEndItOtherKeysDoNot) {
  for (SDL_Keycode key : {SDLK_RETURN, SDLK_KP_ENTER, SDLK_SPACE, SDLK_ESCAPE}) {
    MessageBoxInput input(kButton, kWindow);
    EXPECT_TRUE(input.Handle(Key(key))) << key;
  }
  MessageBoxInput input(kButton, kWindow);
  for (SDL_Keycode key : {SDLK_a, SDLK_TAB, SDLK_LEFT, SDLK_F4, SDLK_LALT}) EXPECT_FALSE(input.Handle(Key(key))) << key;
  // A key held down since before the box (the Esc that ended the show) only repeats.
  EXPECT_FALSE(input.Handle(Key(SDLK_ESCAPE, true)));
  EXPECT_FALSE(input.Handle(Key(SDLK_RETURN, true)));
}

TEST(MessageBoxInput, AClickMustStartAndEndOnOk) {
  {
    MessageBoxInput input(kButton, kWindow);
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONDOWN, 120, 70)));
    EXPECT_TRUE(input.Pushed());
    EXPECT_TRUE(input.Handle(Mouse(SDL_MOUSEBUTTONUP, 187, 87)));
  }
  {
    // Pressed on OK, let go beside it: nothing, and the next press starts afresh.
    MessageBoxInput input(kButton, kWindow);
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONDOWN, 120, 70)));
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONUP, 188, 70)));
    EXPECT_FALSE(input.Pushed());
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONUP, 120, 70)));
  }
  {
    // Pressed beside it and let go on it; the right button; another window.
    MessageBoxInput input(kButton, kWindow);
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONDOWN, 99, 70)));
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONUP, 120, 70)));
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONDOWN, 120, 70, SDL_BUTTON_RIGHT)));
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONUP, 120, 70, SDL_BUTTON_RIGHT)));
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONDOWN, 120, 70, SDL_BUTTON_LEFT, kWindow + 1)));
    EXPECT_FALSE(input.Handle(Mouse(SDL_MOUSEBUTTONUP, 120, 70, SDL_BUTTON_LEFT, kWindow + 1)));
  }
}

TEST(MessageBoxInput, ClosingItsWindowOrQuittingEndsIt) {
  MessageBoxInput input(kButton, kWindow);
  EXPECT_FALSE(input.Handle(WindowEvent(SDL_WINDOWEVENT_CLOSE, kWindow + 1)));
  EXPECT_FALSE(input.Handle(WindowEvent(SDL_WINDOWEVENT_EXPOSED)));
  EXPECT_TRUE(input.Handle(WindowEvent(SDL_WINDOWEVENT_CLOSE)));
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  EXPECT_TRUE(MessageBoxInput(kButton, kWindow).Handle(quit));
}

PlatformFont* BoxFont() { return OpenFontFile(SystemFontPath().c_str(), 10); }

TEST(MessageBoxLayout, WrapsLongTextAndPutsOkBelowIt) {
  PlatformFont* font = BoxFont();
  if (!font) GTEST_SKIP() << "no sans-serif face";
  const MessageBoxLayout small = LayoutMessageBox(font, "Average framerate: 61 fps");
  EXPECT_EQ(small.lines.size(), 1u);
  EXPECT_GE(small.width, 260);
  EXPECT_GT(small.button.top, small.textTop + small.lineHeight);
  EXPECT_LE(small.button.bottom, small.height);
  EXPECT_EQ(small.button.left + small.button.right, small.width);  // centred

  std::string sentence;
  for (int i = 0; i < 40; ++i) sentence += "The module file could not be opened. ";
  sentence += "Second\nparagraph " + std::string(200, 'x');
  const MessageBoxLayout big = LayoutMessageBox(font, sentence);
  EXPECT_GT(big.lines.size(), 5u);
  std::string joined;
  for (const std::string& line : big.lines) {
    EXPECT_LE(MeasureSurfaceText(font, line.c_str(), static_cast<int>(line.size())), big.width - 2 * big.textLeft) << line;
    joined += line;
  }
  // Nothing lost but the spaces and the line break where the text was wrapped.
  std::string expected;
  for (char c : sentence)
    if (c != ' ' && c != '\n') expected += c;
  std::string got;
  for (char c : joined)
    if (c != ' ') got += c;
  EXPECT_EQ(got, expected);
  EXPECT_GT(big.button.top, big.textTop + static_cast<int>(big.lines.size()) * big.lineHeight);
  CloseFontFile(font);
}

// SDL on its offscreen display: windows, surfaces and events, nothing on a screen.
class OffscreenVideo : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0) << SDL_GetError();
  }
  void TearDown() override {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("TAVRINE_OWN_MESSAGE_BOX");
  }
};

TEST_F(OffscreenVideo, TheBoxWaitsForOkAndIgnoresKeysFromBefore) {
  if (SystemFontPath().empty()) GTEST_SKIP() << "no sans-serif face";
  SDL_Event early = Key(SDLK_RETURN);
  SDL_PushEvent(&early);  // pressed before the box: must not end it
  bool opened = false;
  const bool shown = ShowDrawnMessageBox("Tavrine 3D", "Average framerate: 60 fps", nullptr,
                                         [&](uint32_t window, const MessageBoxLayout& layout) {
                                           opened = true;
                                           const int x = (layout.button.left + layout.button.right) / 2;
                                           const int y = (layout.button.top + layout.button.bottom) / 2;
                                           SDL_Event a = Key(SDLK_a), down = Mouse(SDL_MOUSEBUTTONDOWN, x, y, 1, window),
                                                     up = Mouse(SDL_MOUSEBUTTONUP, x, y, 1, window),
                                                     close = WindowEvent(SDL_WINDOWEVENT_CLOSE, window);
                                           for (SDL_Event* e : {&a, &down, &up, &close}) SDL_PushEvent(e);
                                         });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(opened);
  // The click ended it; the close behind it is still waiting, so nothing before it did.
  SDL_PumpEvents();
  SDL_Event left{};
  ASSERT_EQ(SDL_PeepEvents(&left, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT), 1);
  EXPECT_EQ(left.window.event, SDL_WINDOWEVENT_CLOSE);
}

TEST_F(OffscreenVideo, TheLivePlatformDrawsItsOwnBoxWhenTheSystemsIsRuledOut) {
  if (SystemFontPath().empty()) GTEST_SKIP() << "no sans-serif face";
  SdlSystem system;
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  // On a display nobody sees, a failed system box is not followed by one nobody could answer.
  system.MessageBox(nullptr, "Average framerate: 60 fps", "Tavrine 3D");
  EXPECT_EQ(system.drawnMessageBoxes, 0);

  // Forced, as the tests and a desktop without the system's box go: ours, answered with Return.
  setenv("TAVRINE_OWN_MESSAGE_BOX", "1", 1);
  std::atomic<bool> done{false};
  std::thread user([&] {
    while (!done) {
      SDL_Event enter = Key(SDLK_RETURN);
      SDL_PushEvent(&enter);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  system.MessageBox(nullptr, "Average framerate: 60 fps", "Tavrine 3D");
  done = true;
  user.join();
  EXPECT_EQ(system.drawnMessageBoxes, 1);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
