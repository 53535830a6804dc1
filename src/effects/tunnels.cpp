// tunnels.cpp - two textures mapped through per-pixel coordinates: the perspective tunnel
// reads them from the precomputed tunnel table; the swirl tunnel bends its own every frame,
// computing only the half left of the centre and mirroring it through a point. The vector
// versions of the loops marked Plain are in kernels_128.cpp and kernels_256.cpp.
#include <cmath>
#include <cstring>
#include <limits>

#include "effects/effects.h"
#include "effects/kernels.h"
#include "effects/show_pictures.h"
#include "effects/swirl_angles.h"

uint16_t SwirlTable[SCREEN_HEIGHT][106];

namespace {

// Halves every channel separately, so two halves add up without carries.
inline uint32_t Half(uint32_t q) { return (q >> 1) & 0x7F7F7Fu; }

}  // namespace

uint16_t PerspectiveTunnelOffset(float t) {
  const int32_t n = static_cast<int32_t>(static_cast<double>(t) * 5.0);
  // 511 = two rows forward, one column back: depth and angle scroll together.
  return static_cast<uint16_t>(511 * n);
}

// The formula, pixel by pixel: both textures darkened by the pixel's shade, halved and added.
void PerspectiveTunnelPlain(uint16_t d) {
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    const uint16_t entry = TunnelTable[i];
    const uint32_t shade = TunnelShadeTable[i];
    const uint32_t p1 = Texture1[static_cast<uint16_t>(entry + d)];
    const uint32_t p2 = Texture2[static_cast<uint16_t>(entry - d)];
    FrameBuffer[i] = Half(DarkenPixel(p1, shade)) + Half(DarkenPixel(p2, shade));
  }
}

void DrawPerspectiveTunnel(float t) { UsableEffectKernels().perspectiveTunnel(PerspectiveTunnelOffset(t)); }

uint16_t SwirlEntryPlain(int y, int j, double phase, double twist) {
  // Below the centre row the quarter table is read mirrored.
  const float h = SwirlDistance(y <= 120 ? y : 240 - y, j);
  const double e = static_cast<double>(y) - 120.00000001;
  const double q = twist * std::cos(static_cast<double>(h) * 0.06365372374283895 - phase) +
                   static_cast<double>(SWIRL_FIRST_X + j - 160) / e;
  const uint32_t angle = static_cast<uint8_t>(SwirlAngleFormula(q));
  const uint32_t radius = static_cast<uint8_t>(static_cast<int32_t>(h));
  return static_cast<uint16_t>(radius << 8 | angle);
}

namespace {

// Entries of the bend term that lie at the same distance from the centre (the same sum of
// squares) share one cosine. Only the geometry is grouped: every entry's distance is still
// checked against its group's, so the result is the entry's own cosine whatever the table holds.
struct BendGroups {
  uint16_t group[SWIRL_BEND_ROWS][SWIRL_COLUMNS];
  uint16_t firstRow[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  uint16_t firstColumn[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  int count = 0;

  BendGroups() {
    static int32_t groupOfSum[160 * 160 + 120 * 120 + 1];
    for (int32_t& g : groupOfSum) g = -1;
    for (int y = 0; y < SWIRL_BEND_ROWS; ++y)
      for (int j = 0; j < SWIRL_COLUMNS; ++j) {
        const int dx = SWIRL_FIRST_X + j - 160, dy = y - 120;
        int32_t& g = groupOfSum[dx * dx + dy * dy];
        if (g < 0) {
          g = count++;
          firstRow[g] = static_cast<uint16_t>(y);
          firstColumn[g] = static_cast<uint16_t>(j);
        }
        group[y][j] = static_cast<uint16_t>(g);
      }
  }
};

}  // namespace

// The formula entry by entry, except that rows y and 240 - y, which lie at the same distances,
// share their bend terms, within them entries at one distance share a cosine, and the arc
// tangent is looked up (SwirlAngleOf, the same angle for every quotient).
void SwirlTablePlain(double phase, double twist) {
  static const BendGroups groups;
  static float groupDistance[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  static double groupBend[SWIRL_BEND_ROWS * SWIRL_COLUMNS];
  for (int g = 0; g < groups.count; ++g) {
    const float h = SwirlDistance(groups.firstRow[g], groups.firstColumn[g]);
    groupDistance[g] = h;
    groupBend[g] = twist * std::cos(static_cast<double>(h) * 0.06365372374283895 - phase);
  }
  static double bend[SWIRL_BEND_ROWS][SWIRL_COLUMNS];
  for (int y = 0; y < SWIRL_BEND_ROWS; ++y) {
    for (int j = 0; j < SWIRL_COLUMNS; ++j) {
      const float h = SwirlDistance(y, j);
      const int g = groups.group[y][j];
      bend[y][j] = h == groupDistance[g]
                       ? groupBend[g]
                       : twist * std::cos(static_cast<double>(h) * 0.06365372374283895 - phase);
    }
  }
  const SwirlAngleSteps& steps = SwirlAngles();
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    const int tableRow = y <= 120 ? y : 240 - y;
    const double e = static_cast<double>(y) - 120.00000001;
    for (int j = 0; j < SWIRL_COLUMNS; ++j) {
      const double q = bend[tableRow][j] + static_cast<double>(SWIRL_FIRST_X + j - 160) / e;
      const uint32_t angle = static_cast<uint8_t>(SwirlAngleOf(steps, q));
      const uint32_t radius = static_cast<uint8_t>(static_cast<int32_t>(SwirlDistance(tableRow, j)));
      SwirlTable[y][j] = static_cast<uint16_t>(radius << 8 | angle);
    }
  }
}

const SwirlTurnTable& UpdatedSwirlTurns() {
  static SwirlTurnTable turns = [] {
    SwirlTurnTable fresh{};
    for (auto& row : fresh.distance)
      for (float& h : row) h = std::numeric_limits<float>::quiet_NaN();  // equal to nothing
    return fresh;
  }();
  static bool made = false;
  for (int row = 0; row < SWIRL_BEND_ROWS; ++row) {
    // Rows 0..119 are read from the table as they lie there, so a row whose bits have not
    // changed keeps its terms; the centre row's distances are not the table's.
    if (made && (row == 120 || std::memcmp(turns.distance[row], DistanceTable + row * 160 + SWIRL_FIRST_X,
                                           sizeof(float) * SWIRL_COLUMNS) == 0))
      continue;
    for (int j = 0; j < SWIRL_PADDED_COLUMNS; ++j) {
      const float h = j < SWIRL_COLUMNS ? SwirlDistance(row, j) : 0.0f;
      if (h == turns.distance[row][j]) continue;
      const double a = static_cast<double>(h) * 0.06365372374283895;
      turns.distance[row][j] = h;
      turns.cosine[row][j] = std::cos(a);
      turns.sine[row][j] = std::sin(a);
    }
  }
  made = true;
  return turns;
}

void DrawSwirlTunnel(float t) {
  const double phase = static_cast<double>(t) * 0.16666666666666666;
  const double twist = std::cos(static_cast<double>(t) * static_cast<double>(0.083333336f) *
                                6.283185307179586);
  const uint16_t scroll = static_cast<uint16_t>(static_cast<int32_t>(static_cast<double>(t) * 12.0));
  const EffectKernels& kernels = UsableEffectKernels();
  kernels.swirlTable(phase, twist);
  kernels.swirlPixels(scroll);
}

// Each entry gives one pixel of the middle third and, through the point mirror, one of the right.
void SwirlPixelsPlain(uint16_t scroll) {
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    uint32_t* middle = FrameBuffer + y * SCREEN_WIDTH + 108;
    uint32_t* mirrored = FrameBuffer + (239 - y) * SCREEN_WIDTH + 214 + 105;
    const uint16_t* own = SwirlTable[y];
    for (int j = 0; j < SWIRL_COLUMNS; ++j) {
      const uint32_t texel = Texture4[static_cast<uint16_t>(own[j] + scroll)];
      middle[j] = texel;
      mirrored[-j] = texel;
    }
  }
}
