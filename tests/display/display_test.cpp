#include "display/display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/display_results.h"
#include "platform/offline_platform.h"

namespace {

class DisplaySetUp : public ::testing::Test {
 protected:
  DisplaySetUp() : offline(60) {}
  int32_t Init() {
    EXPECT_EQ(InitDisplay(&offline.platform, 1, &context, DISPLAY_WINDOW), DD_OK);
    return InitDisplay(&offline.platform, 1, &context, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D);
  }
  bool Called(const std::string& step) const {
    const auto& calls = offline.display.calls;
    return std::find(calls.begin(), calls.end(), step) != calls.end();
  }

  OfflinePlatform offline;
  DisplayContext context{};
};

TEST_F(DisplaySetUp, WindowAloneMakesNoDisplayObjects) {
  context.quitRequested = 1;  // cleared with the rest of the record
  EXPECT_EQ(InitDisplay(&offline.platform, 1, &context, DISPLAY_WINDOW), DD_OK);
  EXPECT_NE(context.window, nullptr);
  EXPECT_EQ(context.window->userData, &context);
  EXPECT_EQ(context.instance, &offline.platform);
  EXPECT_EQ(context.quitRequested, 0);
  EXPECT_EQ(context.directDraw, nullptr);
  EXPECT_TRUE(offline.display.calls.empty());
}

TEST_F(DisplaySetUp, FullSetUpMakesEverythingAt32Bits) {
  ASSERT_EQ(Init(), DD_OK);
  EXPECT_EQ(context.backBufferBits, 32u);
  EXPECT_NE(context.device, nullptr);
  EXPECT_NE(context.viewport, nullptr);
  EXPECT_NE(context.zBuffer, nullptr);
  EXPECT_EQ(context.backBuffer->width, 320);
  EXPECT_EQ(context.backBuffer->height, 240);
  EXPECT_EQ(context.viewport->desc.clipY, 0.75f);
  EXPECT_EQ(context.viewport->desc.clipHeight, 1.5f);
  EXPECT_EQ(offline.display.renderStates[static_cast<int>(RenderState::ZFunc)], 4u);
  EXPECT_EQ(offline.display.renderStates[static_cast<int>(RenderState::CullMode)], 3u);
  EXPECT_EQ(std::count(offline.display.calls.begin(), offline.display.calls.end(), "SetRenderState"), 12);
  EXPECT_FALSE(Called("SetDisplayMode24"));
  EXPECT_FALSE(Called("CreateZBufferSystem"));
  EXPECT_FALSE(Called("CreateRgbDevice"));
  ReleaseDisplay(&context);
  EXPECT_EQ(offline.display.liveObjects, 0);
  EXPECT_EQ(context.device, nullptr);
}

TEST_F(DisplaySetUp, ModeFallsBackTo24BitsAndFailsWithTheSecondResult) {
  offline.display.refusals[DisplayStep::SetDisplayMode32] = DDERR_INVALIDMODE;
  ASSERT_EQ(Init(), DD_OK);
  EXPECT_EQ(context.backBufferBits, 24u);
  EXPECT_EQ(context.backBuffer->bitsPerPixel, 24);
  ReleaseDisplay(&context);

  OfflinePlatform both(60);
  both.display.refusals[DisplayStep::SetDisplayMode32] = DDERR_INVALIDMODE;
  both.display.refusals[DisplayStep::SetDisplayMode24] = DDERR_UNSUPPORTED;
  DisplayContext other{};
  InitDisplay(&both.platform, 1, &other, DISPLAY_WINDOW);
  EXPECT_EQ(InitDisplay(&both.platform, 1, &other, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D), DDERR_UNSUPPORTED);
  EXPECT_EQ(other.primarySurface, nullptr);
  ReleaseDisplay(&other);
  EXPECT_EQ(both.display.liveObjects, 0);
}

TEST_F(DisplaySetUp, DepthBufferFallsBackToSystemMemoryOnlyForNoHardware) {
  offline.display.refusals[DisplayStep::CreateZBufferVideo] = DDERR_NOZBUFFERHW;
  ASSERT_EQ(Init(), DD_OK);
  EXPECT_TRUE(Called("CreateZBufferSystem"));
  EXPECT_NE(context.zBuffer, nullptr);
  ReleaseDisplay(&context);

  OfflinePlatform other(60);
  other.display.refusals[DisplayStep::CreateZBufferVideo] = DDERR_OUTOFVIDEOMEMORY;
  DisplayContext ctx{};
  InitDisplay(&other.platform, 1, &ctx, DISPLAY_WINDOW);
  EXPECT_EQ(InitDisplay(&other.platform, 1, &ctx, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D), DDERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(std::count(other.display.calls.begin(), other.display.calls.end(), "CreateZBufferSystem"), 0);
  ReleaseDisplay(&ctx);
  EXPECT_EQ(other.display.liveObjects, 0);
}

TEST_F(DisplaySetUp, DeviceFallsBackFromHardwareToRgbToRamp) {
  offline.display.refusals[DisplayStep::CreateHardwareDevice] = DDERR_NO3D;
  ASSERT_EQ(Init(), DD_OK);
  EXPECT_TRUE(Called("CreateRgbDevice"));
  EXPECT_FALSE(Called("CreateRampDevice"));
  ReleaseDisplay(&context);

  for (int refused = 2; refused <= 3; ++refused) {
    OfflinePlatform other(60);
    other.display.refusals[DisplayStep::CreateHardwareDevice] = DDERR_NO3D;
    other.display.refusals[DisplayStep::CreateRgbDevice] = DDERR_OUTOFMEMORY;
    if (refused == 3) other.display.refusals[DisplayStep::CreateRampDevice] = DDERR_GENERIC;
    DisplayContext ctx{};
    InitDisplay(&other.platform, 1, &ctx, DISPLAY_WINDOW);
    const int32_t result = InitDisplay(&other.platform, 1, &ctx, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D);
    if (refused == 2) {
      EXPECT_EQ(result, DD_OK);
      EXPECT_NE(ctx.device, nullptr);
    } else {
      EXPECT_EQ(result, DDERR_GENERIC);  // the third device's result
      EXPECT_EQ(ctx.device, nullptr);
    }
    ReleaseDisplay(&ctx);
    EXPECT_EQ(other.display.liveObjects, 0);
  }
}

// Every step after the first refusal is never tried, the refusal's code comes back
// unchanged, and releasing frees exactly what was made.
TEST_F(DisplaySetUp, EveryStepStopsAtItsFirstFailure) {
  const DisplayStep steps[] = {
      DisplayStep::CreateDirectDraw, DisplayStep::SetCooperativeLevel, DisplayStep::QueryDirect3D,
      DisplayStep::CreatePrimarySurface, DisplayStep::GetBackBuffer, DisplayStep::AttachZBuffer,
      DisplayStep::CreateViewport, DisplayStep::AddViewport, DisplayStep::SetViewport,
      DisplayStep::SetCurrentViewport, DisplayStep::CreateMaterial, DisplayStep::SetMaterial,
      DisplayStep::GetMaterialHandle, DisplayStep::SetBackground, DisplayStep::SetRenderState,
  };
  const int32_t code = DisplayErrorCode(42);
  for (DisplayStep step : steps) {
    OfflinePlatform other(60);
    other.display.refusals[step] = code;
    other.display.refusedRenderState = RenderState::CullMode;
    DisplayContext ctx{};
    InitDisplay(&other.platform, 1, &ctx, DISPLAY_WINDOW);
    EXPECT_EQ(InitDisplay(&other.platform, 1, &ctx, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D), code)
        << "step " << static_cast<int>(step);
    const size_t tried = other.display.calls.size();
    ReleaseDisplay(&ctx);
    EXPECT_EQ(other.display.liveObjects, 0) << "step " << static_cast<int>(step);
    if (step == DisplayStep::SetRenderState) {
      EXPECT_EQ(std::count(other.display.calls.begin(), other.display.calls.begin() + static_cast<long>(tried), "SetRenderState"), 8);
    }
  }
}

TEST_F(DisplaySetUp, MissingPixelFormatLeavesTheDepthAtZero) {
  offline.display.refusals[DisplayStep::GetPixelFormat] = DDERR_GENERIC;
  EXPECT_EQ(Init(), DD_OK);
  EXPECT_EQ(context.backBufferBits, 0u);
  ReleaseDisplay(&context);
}

TEST_F(DisplaySetUp, PresentFlipsAndClearsToBlack) {
  ASSERT_EQ(Init(), DD_OK);
  context.clearRect = DisplayRect{0, 0, 320, 240};
  context.backBuffer->SetPixel(5, 5, 0xFFFFFF);
  context.zBuffer->depth[5 * 320 + 5] = 0.25f;
  PresentFrame(&context);
  EXPECT_EQ(offline.display.flips, 1);
  EXPECT_EQ(offline.presenter.frame[5 * 320 + 5], 0xFFFFFFu);  // shown
  EXPECT_EQ(context.backBuffer->GetPixel(5, 5), 0u);             // then cleared
  EXPECT_EQ(context.zBuffer->depth[5 * 320 + 5], 1.0f);

  // Without a viewport the back buffer is cleared by a colour fill.
  DisplayContext plain{};
  OfflinePlatform other(60);
  InitDisplay(&other.platform, 1, &plain, DISPLAY_WINDOW);
  ASSERT_EQ(InitDisplay(&other.platform, 1, &plain, DISPLAY_DIRECTDRAW), DD_OK);
  EXPECT_EQ(plain.device, nullptr);
  plain.backBuffer->SetPixel(1, 1, 0x123456);
  PresentFrame(&plain);
  EXPECT_EQ(other.presenter.frame[1 * 320 + 1], 0x123456u);
  EXPECT_EQ(plain.backBuffer->GetPixel(1, 1), 0u);
  ReleaseDisplay(&plain);
  ReleaseDisplay(&context);
}

}  // namespace
