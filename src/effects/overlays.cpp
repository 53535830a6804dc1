// overlays.cpp - fixed pictures over the segments' backgrounds: keyed frames and captions,
// plain backdrops, two full-screen stills, the pulsing face and the swaying name strip.
#include <cmath>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {

// A missing picture (the loader could not make it) simply is not drawn.
void Keyed(const PixelRect& destination, ImageSurface image, const PixelRect* source = nullptr) {
  if (image != nullptr) KeyedBlit(&destination, image, source);
}

void Plain(const PixelRect* destination, ImageSurface image) {
  if (image != nullptr) PlainBlit(destination, image);
}

}  // namespace

int32_t OverlayWobble(float t) {
  return static_cast<int32_t>(std::cos(static_cast<double>(t) * 1.0471975511965976) * 10.0);
}

PixelRect FaceOverlayRect(float t) {
  const int32_t a = OverlayWobble(t);
  return PixelRect{100 - a, 68 - a, 197 + a, 172 + a};
}

PixelRect NameStripRect(float t) {
  const int32_t a = OverlayWobble(t);
  return PixelRect{21 + a, 150, 157 + a, 180};
}

int NameStripChoice(float t) {
  if (t < 48.0f) return 0;
  if (t < 96.0f) return 1;
  if (t < 144.0f) return 2;
  if (t < 192.0f) return 3;
  return -1;
}

void BlitLadyOverlay(float) { Keyed(PixelRect{119, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, LadySurface); }

void ShowPixel5Picture(float) { UploadFrameBuffer(&displayContext, Pixel5); }

void BlitTorusOverlay(float) {
  const PixelRect source{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  Keyed(PixelRect{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, TorusSurface, &source);
}

void BlitFaceOverlay(float t) { Keyed(FaceOverlayRect(t), FaceSurface); }

void BlitDiscoOverlay(float) { Keyed(PixelRect{0, 190, SCREEN_WIDTH, 233}, DiscoSurface); }

void BlitNameStrip(float t) {
  const ImageSurface strips[] = {TrandleSurface, GarrithSurface, QuibelSurface, VorskSurface};
  const int choice = NameStripChoice(t);
  if (choice < 0) return;
  Keyed(NameStripRect(t), strips[choice]);
}

void ShowPixel1Picture(float) { UploadFrameBuffer(&displayContext, Pixel1); }

void BlitBackdrop(float) { Plain(nullptr, ANew2Surface); }

void BlitSidePanel(float) {
  const PixelRect panel{0, 0, 108, SCREEN_HEIGHT};
  Plain(&panel, ANewSurface);
}
