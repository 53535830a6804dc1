#include "platform/view_layout.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const PixelRect& r, int left, int top, int width, int height, const char* what) {
  EXPECT_EQ(r.left, left) << what;
  EXPECT_EQ(r.top, top) << what;
  EXPECT_EQ(r.right - r.left, width) << what;
  EXPECT_EQ(r.bottom - r.top, height) << what;
}

TEST(ViewLayout, NearestTakesTheLargestWholeMultipleCentred) {
  ExpectRect(LayoutView(1280, 800, ScaleFilter::Nearest, 0).picture, 160, 40, 960, 720, "1280 x 800");
  ExpectRect(LayoutView(1920, 1080, ScaleFilter::Nearest, 0).picture, 320, 60, 1280, 960, "1920 x 1080");
  ExpectRect(LayoutView(640, 480, ScaleFilter::Nearest, 0).picture, 0, 0, 640, 480, "a window of scale 2");
  ExpectRect(LayoutView(1279, 959, ScaleFilter::Nearest, 0).picture, 159, 119, 960, 720, "just short of 4x");
  EXPECT_EQ(LayoutView(1280, 800, ScaleFilter::Nearest, 0).prescale, 1);
  // Smaller than the picture: shrunk to fit at 4:3 rather than cut.
  ExpectRect(LayoutView(300, 200, ScaleFilter::Nearest, 0).picture, 17, 0, 266, 200, "300 x 200");
}

TEST(ViewLayout, SmoothedFiltersFillTheFourByThreeArea) {
  ExpectRect(LayoutView(1920, 1080, ScaleFilter::Linear, 0).picture, 240, 0, 1440, 1080, "wide screen");
  ExpectRect(LayoutView(1024, 1024, ScaleFilter::Linear, 0).picture, 0, 128, 1024, 768, "square screen");
  const ViewLayout sharp = LayoutView(1920, 1080, ScaleFilter::Sharp, 0);
  ExpectRect(sharp.picture, 240, 0, 1440, 1080, "sharp");
  EXPECT_EQ(sharp.prescale, 4);  // 4.5 times: enlarged 4 times, then smoothed
  EXPECT_EQ(LayoutView(1280, 960, ScaleFilter::Sharp, 0).prescale, 4);
  EXPECT_EQ(LayoutView(200, 150, ScaleFilter::Sharp, 0).prescale, 1);
  ExpectRect(LayoutView(1920, 1080, ScaleFilter::Show, 0).picture, 240, 0, 1440, 1080, "the show's own");
}

TEST(ViewLayout, TheStatusLineIsBelowThePictureNeverOverIt) {
  const ViewLayout window = LayoutView(640, 502, ScaleFilter::Nearest, 22);
  ExpectRect(window.picture, 0, 0, 640, 480, "window picture");
  ExpectRect(window.status, 0, 480, 640, 22, "window status");
  const ViewLayout screen = LayoutView(1280, 960, ScaleFilter::Nearest, 22);
  ExpectRect(screen.picture, 160, 109, 960, 720, "a 4x screen drops to 3x to keep the line");
  ExpectRect(screen.status, 0, 938, 1280, 22, "screen status");
  const ViewLayout smooth = LayoutView(1280, 960, ScaleFilter::Linear, 22);
  EXPECT_LE(smooth.picture.bottom, smooth.status.top);
  // No room to spare: no status line.
  const ViewLayout tiny = LayoutView(160, 130, ScaleFilter::Nearest, 22);
  EXPECT_EQ(tiny.status.bottom - tiny.status.top, 0);
  EXPECT_EQ(tiny.picture.bottom - tiny.picture.top, 120);
}

}  // namespace
