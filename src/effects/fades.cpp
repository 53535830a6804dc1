// fades.cpp - full-screen pictures brightening and darkening over time: Bilde in and out
// under the stars, Pixel2 into Pixel3, and Lastpic to black. Every level is the low byte of a
// truncated product; darkening goes through the subtraction table, never a multiply. The
// vector versions of the darkening loops are in kernels_128.cpp and kernels_256.cpp.
#include <cmath>
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"

namespace {

constexpr double ONE_48TH = 0.020833334f;  // the single-precision 1/48, widened
constexpr double PI = 3.141592653589793;

uint8_t LowByte(double value) { return static_cast<uint8_t>(static_cast<int32_t>(value)); }

}  // namespace

void DarkenPixelsPlain(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  for (int i = 0; i < count; ++i) destination[i] = DarkenPixel(source[i], k);
}

void AddDarkenedPixelsPlain(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  for (int i = 0; i < count; ++i) destination[i] += DarkenPixel(source[i], k);
}

void HandOverRowPlain(uint32_t* destination, uint32_t* frame, const uint32_t* picture, int covered, uint32_t k) {
  for (int x = 0; x < SCREEN_WIDTH; ++x) {
    destination[x] = frame[x] + (x < covered ? DarkenPixel(picture[x], k) : 0);
    frame[x] = 0;
  }
}

void DarkenPixels(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  UsableEffectKernels().darken(destination, source, count, k);
}

void AddDarkenedPixels(uint32_t* destination, const uint32_t* source, int count, uint32_t k) {
  UsableEffectKernels().addDarkened(destination, source, count, k);
}

uint8_t FadeBildeLevel(float t) {
  if (t <= 24.0f || t >= 72.0f) return 0;
  // Half a sine period over 48 units; the widened 1/48 peaks just past 0.5, so the top is 254.
  return LowByte(std::sin(static_cast<double>(t - 24.0f) * ONE_48TH * PI) * 255.0);
}

namespace {

struct BildeRows {
  const EffectKernels* kernels;
  uint32_t amount;
};

// The frame (the stars) with Bilde added in its 215 columns goes straight to the screen, and the
// frame is cleared as it is read: one pass over it instead of three.
void MakeBildeRow(uint32_t* row, int y, void* user) {
  const BildeRows& rows = *static_cast<const BildeRows*>(user);
  rows.kernels->handOverRow(row, FrameBuffer + y * SCREEN_WIDTH, Bilde + y * SCREEN_WIDTH, 215, rows.amount);
}

}  // namespace

void FadeBildePicture(float t) {
  const uint8_t v = FadeBildeLevel(t);
  if (v == 0) return;
  BildeRows rows{&UsableEffectKernels(), 255u - v};
  // The credits that follow rely on a black frame, also when nothing reached the screen.
  if (!UploadFrameRows(&displayContext, MakeBildeRow, &rows)) std::memset(FrameBuffer, 0, sizeof(FrameBuffer));
}

uint8_t CrossFadeLevel(float t) {
  if (t < 48.0f) return 0;
  if (t >= 96.0f) return 255;
  return LowByte(static_cast<double>(t - 48.0f) * ONE_48TH * 255.0);
}

void CrossFadePixelPictures(float t) {
  const uint8_t b = CrossFadeLevel(t);
  // Every column ends up either stored from a picture or black, so each row is written once
  // instead of cleared first; the overlap is the only place where a sum is needed.
  const uint32_t amount = 255u - b;
  const EffectKernels& kernels = UsableEffectKernels();
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    const uint32_t* first = Pixel2 + y * SCREEN_WIDTH;
    const uint32_t* second = Pixel3 + y * SCREEN_WIDTH;
    uint32_t* row = FrameBuffer + y * SCREEN_WIDTH;
    if (b == 255) {
      std::memset(row, 0, 145 * sizeof(uint32_t));
      kernels.darken(row + 145, second + 145, SCREEN_WIDTH - 145, amount);
      continue;
    }
    kernels.darken(row, first, 165, b);
    if (b == 0) {
      std::memset(row + 165, 0, (SCREEN_WIDTH - 165) * sizeof(uint32_t));
      continue;
    }
    // The two amounts add up to 255, so the overlap (columns 145..164) never carries.
    kernels.addDarkened(row + 145, second + 145, 20, amount);
    kernels.darken(row + 165, second + 165, SCREEN_WIDTH - 165, amount);
  }
}

bool FadeOutLastAmount(float t, uint8_t* amount) {
  if (t <= 24.0f || t >= 96.0f) return false;
  const uint8_t c = LowByte(static_cast<double>(t - 24.0f) * 3.5416666666666665);
  if (c == 255) return false;  // a zero level as an 8-bit value shows the picture again
  *amount = c;
  return true;
}

void FadeOutLastPicture(float t) {
  uint8_t c = 0;
  if (!FadeOutLastAmount(t, &c)) {
    std::memcpy(FrameBuffer, Lastpic, sizeof(FrameBuffer));
    return;
  }
  DarkenPixels(FrameBuffer, Lastpic, SCREEN_PIXELS, c);
}
