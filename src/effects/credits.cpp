// credits.cpp - seven small credit pictures, one after another in a fixed box near the middle
// of the screen, each darkening as its window runs out.
#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"

namespace {

constexpr int BOX_LEFT = 115;
constexpr int BOX_TOP = 66;

struct CreditSlot {
  float start, end;  // open at both ends, except the first which starts at -infinity
  const uint32_t* picture;
};

const CreditSlot CREDIT_SLOTS[] = {
    {24.0f, 32.0f, Cred2}, {48.0f, 56.0f, Cred3}, {60.0f, 68.0f, Cred4},
    {72.0f, 80.0f, Cred5}, {84.0f, 88.0f, Cred6}, {88.0f, 94.0f, Cred7},
};

uint8_t CreditAmount(float sinceStart) {
  return static_cast<uint8_t>(static_cast<int32_t>(static_cast<double>(sinceStart) * 0.125 * 255.0));
}

}  // namespace

const uint32_t* CreditWindow(float t, uint8_t* amount) {
  if (t < 8.0f) {
    *amount = CreditAmount(t);
    return Cred1;
  }
  for (const CreditSlot& slot : CREDIT_SLOTS) {
    if (t > slot.start && t < slot.end) {
      *amount = CreditAmount(t - slot.start);
      return slot.picture;
    }
  }
  *amount = 0;
  return nullptr;
}

void DrawCredits(float t) {
  uint8_t k = 0;
  const uint32_t* picture = CreditWindow(t, &k);
  const EffectKernels& kernels = UsableEffectKernels();
  for (int r = 0; r < CREDIT_HEIGHT; ++r) {
    uint32_t* row = FrameBuffer + (BOX_TOP + r) * SCREEN_WIDTH + BOX_LEFT;
    if (picture == nullptr) {
      for (int c = 0; c < CREDIT_WIDTH; ++c) row[c] = 0;
      continue;
    }
    kernels.darken(row, picture + r * CREDIT_WIDTH, CREDIT_WIDTH, k);
  }
}
