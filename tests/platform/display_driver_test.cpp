#include "platform/display_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "platform/display_results.h"
#include "platform/surface.h"
#include "raster/software_device.h"

namespace {

// A back buffer of 33 x 21 pixels (rows padded past their pixels) with depth, a device and a
// viewport whose background is orange, as the show sets them up.
struct Drawing {
  MemoryDisplayDriver driver;
  DisplayObject* directDraw = nullptr;
  Surface* primary = nullptr;
  Surface* back = nullptr;
  DepthBuffer* depth = nullptr;
  Device3D* device = nullptr;
  Viewport* viewport = nullptr;
  Material* material = nullptr;

  Drawing() {
    uint32_t handle = 0;
    EXPECT_EQ(driver.CreateDirectDraw(&directDraw), DD_OK);
    EXPECT_EQ(driver.SetDisplayMode(directDraw, 33, 21, 32), DD_OK);
    EXPECT_EQ(driver.CreatePrimarySurface(directDraw, true, 1, &primary), DD_OK);
    EXPECT_EQ(driver.GetBackBuffer(primary, &back), DD_OK);
    EXPECT_EQ(driver.CreateZBuffer(directDraw, 33, 21, 16, false, &depth), DD_OK);
    EXPECT_EQ(driver.AttachZBuffer(back, depth), DD_OK);
    EXPECT_EQ(driver.CreateDevice(nullptr, DeviceKind::Rgb, back, MakeSoftwareDevice, &device), DD_OK);
    EXPECT_EQ(driver.CreateViewport(nullptr, &viewport), DD_OK);
    EXPECT_EQ(driver.AddViewport(device, viewport), DD_OK);
    EXPECT_EQ(driver.CreateMaterial(nullptr, &material), DD_OK);
    EXPECT_EQ(driver.SetMaterial(material, 1.0f, 0.5f, 0.0f), DD_OK);
    EXPECT_EQ(driver.GetMaterialHandle(material, device, &handle), DD_OK);
    EXPECT_EQ(driver.SetBackground(viewport, handle), DD_OK);
  }
  ~Drawing() {
    // The driver owns nothing it hands out: everything made goes back through Release.
    for (DisplayObject* made : std::initializer_list<DisplayObject*>{material, viewport, device, depth, back, primary,
                                                                     directDraw})
      driver.Release(made);
    EXPECT_EQ(driver.liveObjects, 0);
  }
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;
};

TEST(MemoryDisplayDriver, ClearingAViewportTouchesOnlyItsRectangleInsideTheBuffers) {
  Drawing d;
  ASSERT_NE(d.back, nullptr);
  ASSERT_NE(d.depth, nullptr);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 33; ++x) d.back->SetPixel(x, y, 0x123456);
  std::fill(d.depth->depth.begin(), d.depth->depth.end(), 0.25f);

  // Hanging over the left and bottom edges: cleared up to them, nothing written past them.
  d.driver.ClearViewport(d.viewport, PixelRect{-4, 3, 11, 400}, true, true);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 33; ++x) {
      const bool inside = x < 11 && y >= 3;
      EXPECT_EQ(d.back->GetPixel(x, y), inside ? 0xFF7F00u : 0x123456u) << x << "," << y;
      EXPECT_EQ(d.depth->depth[static_cast<size_t>(y) * 33 + x], inside ? 1.0f : 0.25f) << x << "," << y;
    }
  }

  // The depth alone, over a rectangle wholly inside.
  std::fill(d.depth->depth.begin(), d.depth->depth.end(), 0.25f);
  d.driver.ClearViewport(d.viewport, PixelRect{5, 0, 30, 2}, false, true);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 33; ++x)
      EXPECT_EQ(d.depth->depth[static_cast<size_t>(y) * 33 + x], x >= 5 && x < 30 && y < 2 ? 1.0f : 0.25f);
  EXPECT_EQ(d.back->GetPixel(6, 0), 0x123456u);
}

TEST(OfflinePresenter, HandsOnEveryPixelWithoutItsTopByte) {
  for (int bits : {32, 24}) {
    // 13 wide: the tail after whole steps; pitch beyond the pixels.
    Surface s(13, 3, bits, 13 * (bits / 8) + 8);
    for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    OfflinePresenter presenter;
    presenter.Present(s);
    ASSERT_EQ(presenter.width, 13);
    ASSERT_EQ(presenter.height, 3);
    ASSERT_EQ(presenter.frame.size(), 39u);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 13; ++x) {
        EXPECT_EQ(presenter.frame[static_cast<size_t>(y) * 13 + x], s.GetPixel(x, y)) << bits << " " << x << "," << y;
        EXPECT_EQ(presenter.frame[static_cast<size_t>(y) * 13 + x] >> 24, 0u);
      }
  }
}

}  // namespace
