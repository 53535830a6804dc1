#include "effects/tables.h"

#include <cmath>

int32_t SineTable[1024];
uint8_t SubtractTable[256 * 256];
int32_t GlowSprite[16][16];
uint16_t TunnelTable[SCREEN_PIXELS];
float DistanceTable[160 * 120];
uint8_t TunnelShadeTable[SCREEN_PIXELS];

// The low byte of a truncated value, two's complement (-53 reads as 203).
static uint8_t LowByte(double v) { return static_cast<uint8_t>(static_cast<int32_t>(v) & 0xFF); }

static void BuildSineTable() {
  for (int i = 0; i < 1024; ++i)
    SineTable[i] = static_cast<int32_t>(std::sin(i * 0.006135923151542565) * 50);
}

static void BuildSubtractTable() {
  for (int j = 0; j < 256; ++j)
    for (int k = 0; k < 256; ++k) SubtractTable[j * 256 + k] = static_cast<uint8_t>(k < j ? j - k : 0);
}

static void BuildGlowSprite() {
  for (int dx = -8; dx < 8; ++dx) {
    for (int dy = -8; dy < 8; ++dy) {
      const int b = dx * dx + dy * dy;
      int32_t weight = 0;
      if (!(std::sqrt(static_cast<double>(b)) > 8.0))
        weight = static_cast<int32_t>((8.5 / std::sqrt(static_cast<double>(b + 1)) - 1) * 32768);
      GlowSprite[dy + 8][dx + 8] = weight;
    }
  }
}

// Tunnel depth and angle, swirl distance and tunnel shade share the per-pixel distance, so
// they are made in one pass.
static void BuildPixelTables() {
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const int dx = x - 160, dy = y - 120;
      const float d = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
      if (x < 160 && y < 120) DistanceTable[y * 160 + x] = d;

      const double angle = std::atan2(static_cast<double>(dx), y - 120.00000001) * 81.487 + 127;
      // At the centre the quotient is infinite; its depth byte is 0.
      const uint8_t depth = d == 0.0f ? 0 : LowByte(5000 / (d * 1.35));
      TunnelTable[y * SCREEN_WIDTH + x] = static_cast<uint16_t>(depth << 8 | LowByte(angle));

      const double shade = d * 1.5;
      TunnelShadeTable[y * SCREEN_WIDTH + x] = shade >= 255 ? 0 : static_cast<uint8_t>(static_cast<int32_t>(255 - shade));
    }
  }
}

void BuildLookupTables(ProgressFunction progress) {
  progress(0);
  BuildSineTable();
  progress(2);
  BuildSubtractTable();
  progress(4);
  BuildGlowSprite();
  progress(8);
  BuildPixelTables();
  progress(15);
}
