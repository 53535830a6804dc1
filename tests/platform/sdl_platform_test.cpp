// The live platform's keyboard on SDL's offscreen display: the show's keys as virtual keys,
// and Alt+Enter switching between full screen and a window without the show seeing it.
#include "platform/sdl_platform.h"
#include "platform/display_results.h"
#include "raster/software_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SdlKeys, TheShowsKeysArriveAsTheirVirtualKeys) {
  EXPECT_EQ(VirtualKeyOf(SDLK_ESCAPE), VK_ESCAPE_KEY);
  EXPECT_EQ(VirtualKeyOf(SDLK_RETURN), VK_RETURN_KEY);
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_ENTER), VK_RETURN_KEY);
  EXPECT_EQ(VirtualKeyOf(SDLK_SPACE), VK_SPACE_KEY);
  EXPECT_EQ(VirtualKeyOf(SDLK_LEFT), VK_LEFT_KEY);
  EXPECT_EQ(VirtualKeyOf(SDLK_RIGHT), VK_RIGHT_KEY);
  EXPECT_EQ(VirtualKeyOf(SDLK_a), static_cast<uint32_t>('A'));
  EXPECT_EQ(VirtualKeyOf(SDLK_7), static_cast<uint32_t>('7'));
  // SDL's codes for ' and % are the virtual keys of Right and Left: they must not pass as them.
  EXPECT_EQ(VirtualKeyOf(SDLK_QUOTE), 0u);
  EXPECT_EQ(VirtualKeyOf(SDLK_PERCENT), 0u);
  EXPECT_EQ(VirtualKeyOf(SDLK_F1), 0u);
}

class SdlOffscreen : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
  void TearDown() override { unsetenv("SDL_VIDEODRIVER"); }

  // SDL ends one round of polling at a marker of its own, so a key pushed after a round that
  // stopped early comes with the round after.
  static bool NextMessage(SdlSystem& system, WindowMessage& message) {
    return system.PeekMessage(message) || system.PeekMessage(message);
  }

  static void Press(SDL_Keycode key, Uint16 mod) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
  }
};

TEST_F(SdlOffscreen, AltEnterSwitchesFullScreenAndTheShowNeverSeesIt) {
  SdlViewSettings view;
  view.fullscreen = false;
  view.scale = 3;
  SdlSystem system(view);
  Platform platform;
  PlatformWindow* window = system.CreateMainWindow(&platform, "Tavrine 3D");
  ASSERT_NE(system.sdlWindow, nullptr) << SDL_GetError();
  WindowMessage message;
  ASSERT_TRUE(system.PeekMessage(message));  // the window's creation
  EXPECT_EQ(message.window, window);
  int width = 0, height = 0;
  SDL_GetWindowSize(system.sdlWindow, &width, &height);
  EXPECT_EQ(width, 960);
  EXPECT_EQ(height, 720);
  EXPECT_FALSE(SDL_GetWindowFlags(system.sdlWindow) & SDL_WINDOW_FULLSCREEN);

  Press(SDLK_RETURN, KMOD_LALT);
  EXPECT_FALSE(system.PeekMessage(message));
  EXPECT_TRUE(SDL_GetWindowFlags(system.sdlWindow) & SDL_WINDOW_FULLSCREEN);
  Press(SDLK_KP_ENTER, KMOD_RALT);
  EXPECT_FALSE(system.PeekMessage(message));
  EXPECT_FALSE(SDL_GetWindowFlags(system.sdlWindow) & SDL_WINDOW_FULLSCREEN);
  SDL_GetWindowSize(system.sdlWindow, &width, &height);
  EXPECT_EQ(width, 960);
  EXPECT_EQ(height, 720);

  // Without Alt, Return is a key like any other.
  Press(SDLK_RETURN, KMOD_NONE);
  ASSERT_TRUE(NextMessage(system, message));
  EXPECT_EQ(message.type, WindowMessageType::KeyDown);
  EXPECT_EQ(message.wParam, VK_RETURN_KEY);
  Press(SDLK_ESCAPE, KMOD_NONE);
  ASSERT_TRUE(NextMessage(system, message));
  EXPECT_EQ(message.wParam, VK_ESCAPE_KEY);
}

TEST_F(SdlOffscreen, TheShowsWindowFillsTheDesktopAndTheClockCanBeSet) {
  SdlSystem system;
  Platform platform;
  system.CreateMainWindow(&platform, "Tavrine 3D");
  ASSERT_NE(system.sdlWindow, nullptr) << SDL_GetError();
  EXPECT_TRUE(SDL_GetWindowFlags(system.sdlWindow) & SDL_WINDOW_FULLSCREEN);

  system.SetTicks(500000, ClockStep::AtOrAfter);
  const uint32_t now = system.Ticks();
  EXPECT_GE(now, 500000u);
  EXPECT_LT(now, 501000u);
  system.SetTicks(0, ClockStep::AtOrBefore);
  EXPECT_LT(system.Ticks(), 1000u);
}

}  // namespace

// Behind the window there is no 3D hardware: asked for it, the driver says so as the era's
// did, and the show goes on to the RGB device.
TEST(SdlDisplayDriverDevices, HardwareIsRefusedAsAbsent) {
  SdlDisplayDriver driver(nullptr, SdlViewSettings{});
  Device3D* device = nullptr;
  EXPECT_EQ(driver.CreateDevice(nullptr, DeviceKind::Hardware, nullptr, MakeSoftwareDevice, &device), DDERR_NO3D);
  EXPECT_EQ(device, nullptr);
  ASSERT_FALSE(driver.calls.empty());
  EXPECT_EQ(driver.calls.back(), "CreateHardwareDevice");
}
