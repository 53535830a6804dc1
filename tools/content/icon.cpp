#include "content/icon.h"

#include <algorithm>
#include <cmath>

#include "content/picture_art.h"
#include "png_writer.h"

namespace {

// The design lives on a 256-unit square.
constexpr double kUnits = 256.0;

struct Star {
  double x, y, radius, strength;
};
const Star kStars[] = {{52, 46, 7, 0.9},   {92, 30, 4, 0.6},  {196, 40, 9, 1.0}, {224, 86, 4, 0.6},
                       {148, 58, 3, 0.5},  {36, 104, 4, 0.5}, {70, 80, 3, 0.45}, {210, 128, 3, 0.5},
                       {118, 36, 3, 0.45}, {176, 92, 3, 0.4}};

// The ring as an elliptic band; `front` keeps the half that passes in front of the planet.
Mask RingBand(int size, double k, bool front) {
  Mask band(size, size);
  band.Ellipse(128 * k, 152 * k, 110 * k, 32 * k);
  Mask inner(size, size);
  inner.Ellipse(128 * k, 152 * k, 94 * k, 22 * k);
  band.Subtract(inner);
  Mask half(size, size);
  if (front) {
    half.Rect(0, 152 * k, size, size);
  } else {
    half.Rect(0, 0, size, 152 * k);
  }
  Mask kept(size, size);
  for (size_t i = 0; i < kept.cover.size(); ++i) kept.cover[i] = band.cover[i] * half.cover[i];
  return kept;
}

}  // namespace

Image DrawIcon(int size) {
  const double k = size / kUnits;
  Canvas canvas(size, size);

  Mask tile(size, size);
  tile.RoundRect(8 * k, 8 * k, 248 * k, 248 * k, 44 * k);
  canvas.Paint(tile, VerticalGradient(8 * k, Hex(0x2C1C66), 248 * k, Hex(0x07051A)));
  for (const Star& star : kStars)
    canvas.Glow(star.x * k, star.y * k, std::max(star.radius * k, 1.2), Hex(0xDDE6FF), star.strength);

  const Paint gold = HorizontalGradient(18 * k, Hex(0xC9761E), 238 * k, Hex(0xFFD98A));
  canvas.Paint(RingBand(size, k, false), gold);
  Mask planet(size, size);
  planet.Circle(128 * k, 152 * k, 66 * k);
  canvas.Paint(planet, RadialGradient(104 * k, 122 * k, 92 * k, Hex(0xFFB45A), Hex(0x5E0C1E)));
  canvas.Paint(RingBand(size, k, true), gold);
  canvas.Glow(196 * k, 40 * k, 20 * k, Hex(0x8FA8FF), 0.35);  // the bright star's halo

  Image icon(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double a = Clamp01(canvas.Alpha(x, y));
      const uint32_t alpha = static_cast<uint32_t>(std::floor(a * 255 + 0.5));
      icon.At(x, y) = alpha << 24 | (alpha ? PackRgb(canvas.Get(x, y)) : 0);
    }
  return icon;
}

bool WriteIconFile(const std::string& path, int size, std::string* error) {
  const Image icon = DrawIcon(size);
  return WritePngWithAlpha(path, icon.width, icon.height, icon.pixels.data(), error);
}
