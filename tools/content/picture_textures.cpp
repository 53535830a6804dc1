// The three 256 x 256 textures of the plasma and tunnel effects. Each is a sum of periodic
// terms (whole numbers of waves across 256 pixels) and tiling noise, so it wraps seamlessly.
#include "content/picture_set.h"

namespace {
constexpr double kTau = 6.283185307179586;

// Smooth palette through a list of stops at equal spacing, t wrapping in [0, 1).
Rgb CyclePalette(const std::vector<Rgb>& stops, double t) {
  t -= static_cast<long long>(t);
  if (t < 0) t += 1;
  const double f = t * stops.size();
  const size_t i = static_cast<size_t>(f) % stops.size();
  const double k = f - static_cast<double>(static_cast<size_t>(f));
  const double s = k * k * (3 - 2 * k);
  return Mix(stops[i], stops[(i + 1) % stops.size()], s);
}
}  // namespace

// Molten marble: bands bent by tiling noise, deep blue through cyan and white to amber.
Image MakeTexture1() {
  Image out(256, 256);
  const std::vector<Rgb> stops = {Hex(0x0A1040), Hex(0x1E4FA8), Hex(0x3FC4E0), Hex(0xE8F8FF),
                                  Hex(0xF0A030), Hex(0x8A2A10), Hex(0x301048)};
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const double u = x / 256.0, v = y / 256.0;
      const double warp = TileFbm(x / 32.0, y / 32.0, 8, 4, 11);
      const double warp2 = TileFbm(x / 16.0 + 3.5, y / 16.0, 16, 3, 23);
      const double t = 0.25 * ArtSin(kTau * (2 * u + v) + 5 * warp) + 0.5 * warp2 + u + v;
      Rgb c = CyclePalette(stops, t);
      const double vein = 1 - SmoothStep(0.0, 0.06, ArtSin(kTau * (3 * u - 2 * v) + 9 * warp) + 0.97);
      c = Mix(c, Hex(0xFFF4D0), 0.35 * (1 - vein));
      const double shade = 0.8 + 0.35 * TileFbm(x / 8.0, y / 8.0, 32, 2, 5);
      out.At(x, y) = PackRgb(Scale(c, shade));
    }
  return out;
}

// Candy glass: fully saturated hues flowing diagonally with bright lens spots; every texel
// keeps at least one channel near full so it survives heavy darkening.
Image MakeTexture2() {
  Image out(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const double u = x / 256.0, v = y / 256.0;
      const double n = TileFbm(x / 32.0, y / 32.0, 8, 3, 77);
      const double hue = u + 2 * v + 0.18 * ArtSin(kTau * (2 * u - v)) + 0.6 * n;
      // Round lenses on a 4 x 4 grid, lit from the top left.
      const double cx = x % 64 - 32.0, cy = y % 64 - 32.0;
      const double r2 = (cx * cx + cy * cy) / (26.0 * 26.0);
      double value = 1.0, sat = 1.0;
      if (r2 < 1) {
        const double spot = ((cx + 10) * (cx + 10) + (cy + 10) * (cy + 10)) / (12.0 * 12.0);
        sat = 1 - 0.75 * Clamp01(1 - spot);
      } else if (r2 < 1.25) {
        value = 0.8;
      }
      Rgb c = Hsv(r2 < 1 ? hue + 0.33 : hue, sat, value);
      out.At(x, y) = PackRgb(c);
    }
  return out;
}

// Bevelled tiles for the swirl tunnel: rows run along the radius, columns around the angle.
// Violet and teal tiles, 32 x 32, with lit top and left edges and a little grain.
Image MakeTexture4() {
  Image out(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const int tx = x / 32, ty = y / 32, lx = x % 32, ly = y % 32;
      const bool odd = ((tx + ty) & 1) != 0;
      Rgb base = odd ? Hex(0x7A2CC8) : Hex(0x16B0A8);
      if ((tx * 3 + ty * 5) % 7 == 0) base = Hex(0xF0C040);
      const double grain = 0.85 + 0.3 * TileFbm(x / 8.0, y / 8.0, 32, 3, 41);
      Rgb c = Scale(base, grain);
      const int edge = lx < ly ? lx : ly;
      const int far = (31 - lx) < (31 - ly) ? 31 - lx : 31 - ly;
      if (edge < 3) c = Mix(c, Hex(0xFFFFFF), 0.55 - edge * 0.15);
      else if (far < 3) c = Scale(c, 0.35 + far * 0.15);
      // A small inset diamond in each tile.
      const int dx = lx - 16 < 0 ? 16 - lx : lx - 16, dy = ly - 16 < 0 ? 16 - ly : ly - 16;
      if (dx + dy < 7) c = Mix(c, Hex(0xFFFFFF), 0.45 - (dx + dy) * 0.05);
      out.At(x, y) = PackRgb(c);
    }
  return out;
}
