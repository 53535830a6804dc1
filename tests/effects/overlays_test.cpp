#include <gtest/gtest.h>

#include <algorithm>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {

bool SameRect(const PixelRect& a, const PixelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(PictureOverlays, FacePulsesAroundItsCentre) {
  EXPECT_EQ(OverlayWobble(0.0f), 10);
  EXPECT_EQ(OverlayWobble(1.5f), 0);
  EXPECT_EQ(OverlayWobble(3.0f), -10);
  EXPECT_EQ(OverlayWobble(6.0f), 10);
  EXPECT_TRUE(SameRect(FaceOverlayRect(0.0f), PixelRect{90, 58, 207, 182}));
  EXPECT_TRUE(SameRect(FaceOverlayRect(1.5f), PixelRect{100, 68, 197, 172}));
  EXPECT_TRUE(SameRect(FaceOverlayRect(3.0f), PixelRect{110, 78, 187, 162}));
  for (float t = 0.0f; t < 96.0f; t += 0.1f) {
    const PixelRect r = FaceOverlayRect(t);
    ASSERT_EQ(r.left + r.right, 297) << "t = " << t;
    ASSERT_EQ(r.top + r.bottom, 240) << "t = " << t;
  }
}

TEST(PictureOverlays, NameStripSwaysAndChangesName) {
  EXPECT_TRUE(SameRect(NameStripRect(0.0f), PixelRect{31, 150, 167, 180}));
  EXPECT_TRUE(SameRect(NameStripRect(3.0f), PixelRect{11, 150, 147, 180}));
  EXPECT_EQ(NameStripChoice(0.0f), 0);
  EXPECT_EQ(NameStripChoice(47.99f), 0);
  EXPECT_EQ(NameStripChoice(50.0f), 1);
  EXPECT_EQ(NameStripChoice(96.0f), 2);
  EXPECT_EQ(NameStripChoice(143.9f), 2);
  EXPECT_EQ(NameStripChoice(191.9f), 3);
  EXPECT_EQ(NameStripChoice(192.0f), -1);
}

class OverlaysOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetPictures();  // whatever an earlier test loaded is not this test's
    displayContext.backBuffer = &back;
    displayContext.backBufferBits = 32;
    FillSurface(back, nullptr, 0x00123456);
  }
  void TearDown() override {
    displayContext.backBuffer = nullptr;
    ForgetPictures();
  }
  static void ForgetPictures() {
    LadySurface = ANewSurface = ANew2Surface = TorusSurface = FaceSurface = DiscoSurface = nullptr;
    TrandleSurface = GarrithSurface = QuibelSurface = VorskSurface = nullptr;
  }
  Surface back{320, 240, 32};
};

TEST_F(OverlaysOnScreen, KeyedOverlaysLetBlueThroughPlainOnesDoNot) {
  Surface lady(201, 240, 32);  // exactly its destination, so no stretching
  FillSurface(lady, nullptr, 0x00FF0000);
  lady.SetPixel(0, 0, KEYED_BLIT_COLOR);
  lady.SetPixel(1, 0, 0x000000FE);
  LadySurface = &lady;
  BlitLadyOverlay(0.0f);
  EXPECT_EQ(back.GetPixel(118, 0), 0x00123456u);
  EXPECT_EQ(back.GetPixel(119, 0), 0x00123456u);
  EXPECT_EQ(back.GetPixel(120, 0), 0x000000FEu);
  EXPECT_EQ(back.GetPixel(319, 239), 0x00FF0000u);

  Surface panel(108, 240, 32);
  FillSurface(panel, nullptr, KEYED_BLIT_COLOR);
  ANewSurface = &panel;
  BlitSidePanel(0.0f);
  EXPECT_EQ(back.GetPixel(0, 0), KEYED_BLIT_COLOR);
  EXPECT_EQ(back.GetPixel(107, 239), KEYED_BLIT_COLOR);
  EXPECT_EQ(back.GetPixel(108, 0), 0x00123456u);
}

TEST_F(OverlaysOnScreen, NameStripsAndMissingPictures) {
  Surface trandle(136, 30, 32), vorsk(136, 30, 32);
  FillSurface(trandle, nullptr, 0x00010101);
  FillSurface(vorsk, nullptr, 0x00040404);
  TrandleSurface = &trandle;
  VorskSurface = &vorsk;

  BlitNameStrip(0.0f);  // (31, 150, 167, 180)
  EXPECT_EQ(back.GetPixel(30, 150), 0x00123456u);
  EXPECT_EQ(back.GetPixel(31, 150), 0x00010101u);
  EXPECT_EQ(back.GetPixel(166, 179), 0x00010101u);
  EXPECT_EQ(back.GetPixel(167, 179), 0x00123456u);

  BlitNameStrip(191.9f);
  EXPECT_EQ(back.GetPixel(100, 160), 0x00040404u);

  // Garrith and Quibel were never made: nothing is drawn and nothing breaks.
  FillSurface(back, nullptr, 0x00123456);
  BlitNameStrip(50.0f);
  BlitNameStrip(100.0f);
  BlitNameStrip(200.0f);
  BlitFaceOverlay(0.0f);
  BlitBackdrop(0.0f);
  EXPECT_EQ(back.GetPixel(100, 160), 0x00123456u);
}

TEST_F(OverlaysOnScreen, StillsReplaceTheWholeScreen) {
  for (int i = 0; i < SCREEN_PIXELS; ++i) Pixel1[i] = (i * 2654435761u) & 0xFFFFFFu;
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x00777777u);
  ShowPixel1Picture(0.0f);
  EXPECT_EQ(back.GetPixel(0, 0), Pixel1[0]);
  EXPECT_EQ(back.GetPixel(319, 239), Pixel1[SCREEN_PIXELS - 1]);
  EXPECT_EQ(back.GetPixel(17, 33), Pixel1[33 * 320 + 17]);
  EXPECT_EQ(FrameBuffer[0], 0x00777777u);  // the frame itself is left alone
}

}  // namespace
