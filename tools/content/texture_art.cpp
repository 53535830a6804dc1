#include "content/texture_art.h"

#include <algorithm>
#include <cmath>

#include "content/picture_art.h"

const ReflectionTones kChromeTones = {0x10246A, 0xD8ECFF, 0x5A4A3C, 0x1A1410};
const ReflectionTones kGoldTones = {0x7A4A14, 0xFFF6C8, 0xB07A2C, 0x3A2208};

namespace {

constexpr float kTau = 6.28318530718f;

float Lattice(int x, int y, int period, uint32_t seed) {
  const uint32_t px = static_cast<uint32_t>(((x % period) + period) % period);
  const uint32_t py = static_cast<uint32_t>(((y % period) + period) % period);
  return static_cast<float>(LatticeHash(px, py, seed) >> 8) * (1.0f / 16777216.0f);
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

uint8_t Channel(uint32_t c, int shift) { return static_cast<uint8_t>(c >> shift); }

uint32_t Mix(uint32_t a, uint32_t b, float t) {
  t = Clamp01(t);
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const float v = Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t;
    out |= static_cast<uint32_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255)) << shift;
  }
  return out;
}

uint32_t Scale(uint32_t c, float k) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int v = static_cast<int>(std::lround(Channel(c, shift) * k));
    out |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
  }
  return out;
}

// Colour along a ramp of evenly spaced stops, t in 0..1.
uint32_t Ramp(const std::vector<uint32_t>& stops, float t) {
  t = Clamp01(t) * static_cast<float>(stops.size() - 1);
  const size_t i = std::min(static_cast<size_t>(t), stops.size() - 2);
  return Mix(stops[i], stops[i + 1], t - static_cast<float>(i));
}

// 0..1 intensity with rounded edges: 1 inside a box of half size (hx, hy), falling over `soft`.
float SoftBox(float dx, float dy, float hx, float hy, float soft) {
  const float ox = std::max(std::fabs(dx) - hx, 0.0f), oy = std::max(std::fabs(dy) - hy, 0.0f);
  return Clamp01(1.0f - std::sqrt(ox * ox + oy * oy) / soft);
}

}  // namespace

float TileNoise(int x, int y, int size, int cells, int octaves, uint32_t seed) {
  float sum = 0, weight = 0, amp = 1;
  for (int o = 0; o < octaves && cells <= size; ++o, cells *= 2, amp *= 0.5f) {
    const float fx = static_cast<float>(x) * cells / size, fy = static_cast<float>(y) * cells / size;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const float tx = Smooth(fx - ix), ty = Smooth(fy - iy);
    const uint32_t s = seed + static_cast<uint32_t>(o) * 101u;
    const float a = Lattice(ix, iy, cells, s), b = Lattice(ix + 1, iy, cells, s);
    const float c = Lattice(ix, iy + 1, cells, s), d = Lattice(ix + 1, iy + 1, cells, s);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    sum += amp * (top + (bottom - top) * ty);
    weight += amp;
  }
  return weight > 0 ? sum / weight : 0;
}

Image MakeReflectionMap(int size, const ReflectionTones& tones) {
  Image img(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float nx = (x + 0.5f) * 2.0f / size - 1.0f;
      const float ny = (y + 0.5f) * 2.0f / size - 1.0f;  // lower rows: normals facing up
      uint32_t c;
      if (ny >= 0) {
        // Sky: bright band at the horizon fading to the zenith colour, with two soft
        // studio lights that give the metal its highlights.
        c = Mix(tones.horizon, tones.zenith, std::pow(ny, 0.55f));
        const float lamp = SoftBox(nx + 0.35f, ny - 0.55f, 0.10f, 0.05f, 0.12f) +
                           SoftBox(nx - 0.45f, ny - 0.30f, 0.04f, 0.14f, 0.10f);
        c = Mix(c, 0xFFFFFF, lamp);
      } else {
        // Ground: a dark floor with receding grid lines, lighter near the horizon.
        const float d = -ny;
        const float depth = 0.12f / (d + 0.04f);
        const float gu = nx * depth * 6.0f, gv = depth * 6.0f;
        const float lu = std::fabs(gu - std::nearbyint(gu)), lv = std::fabs(gv - std::nearbyint(gv));
        const float line = Clamp01(1.0f - std::min(lu, lv) / (0.05f + 0.1f * d));
        c = Mix(tones.ground, tones.floor, std::pow(d, 0.6f));
        c = Mix(c, tones.horizon, line * 0.35f * (1.0f - d));
      }
      const float band = Clamp01(1.0f - std::fabs(ny) / 0.035f);  // hot horizon line
      img.At(x, y) = Mix(c, 0xFFFFFF, band * 0.85f);
    }
  }
  return img;
}

IndexedImage MakeMarble(int size) {
  IndexedImage out;
  // 0: darkest vein, 255: polished white.
  const std::vector<uint32_t> stops = {0x0E1A14, 0x2E4A3A, 0x7E9488, 0xC8D0C8, 0xEDEEE8, 0xF8F6F0};
  for (int i = 0; i < 256; ++i) out.palette.push_back(Ramp(stops, i / 255.0f));
  out.indices = Image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float n = TileNoise(x, y, size, 4, 6, 11);
      const float m = TileNoise(x, y, size, 2, 4, 29);
      // Veins run diagonally: a sine of the position bent by turbulence, sharpened.
      const float phase = kTau * (2.0f * (x + y) / size + 3.0f * n + 1.5f * m);
      const float vein = std::pow(std::fabs(std::sin(phase * 0.5f)), 0.35f);
      const float cloud = 0.85f + 0.3f * (TileNoise(x, y, size, 8, 4, 53) - 0.5f);
      const float v = Clamp01(vein * cloud);
      out.indices.At(x, y) = static_cast<uint32_t>(v * 255.0f);
    }
  }
  return out;
}

IndexedImage MakeTiles(int size) {
  IndexedImage out;
  // Four glaze ramps of 60 shades each (indices 0..239), then grout shades (240..255).
  const uint32_t glazes[4][2] = {{0x143C78, 0x9CD4FF}, {0x0E5058, 0x8CF0E4}, {0x2A2A70, 0xB4B0FF}, {0x184468, 0xA0DCF4}};
  for (const auto& g : glazes) {
    for (int i = 0; i < 60; ++i) out.palette.push_back(Mix(g[0], g[1], i / 59.0f));
  }
  for (int i = 0; i < 16; ++i) out.palette.push_back(Mix(0x101010, 0x6A665E, i / 15.0f));
  out.indices = Image(size, size);
  const int tile = size / 4, grout = std::max(2, size / 64);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int tx = x / tile, ty = y / tile, lx = x % tile, ly = y % tile;
      const float grain = TileNoise(x, y, size, 16, 3, 7);
      if (lx < grout || ly < grout) {
        out.indices.At(x, y) = 240 + static_cast<uint32_t>(grain * 15.0f);
        continue;
      }
      const int glaze = static_cast<int>(LatticeHash(tx, ty, 3) % 4);
      // Raised glaze: light from the top left, dark lower right rim.
      const float fx = (lx - grout) / float(tile - grout), fy = (ly - grout) / float(tile - grout);
      float shade = 0.62f + 0.2f * (TileNoise(x, y, size, 4, 3, 17 + glaze) - 0.5f);
      if (fx < 0.08f || fy < 0.08f) shade += 0.3f;
      if (fx > 0.92f || fy > 0.92f) shade -= 0.3f;
      const float spot = SoftBox(fx - 0.3f, fy - 0.3f, 0.05f, 0.05f, 0.2f);
      shade = Clamp01(shade + 0.35f * spot + 0.1f * (grain - 0.5f));
      out.indices.At(x, y) = static_cast<uint32_t>(glaze * 60 + static_cast<int>(shade * 59.0f));
    }
  }
  return out;
}

Image MakeBrushedMetal(int size) {
  Image img(size, size);
  const int panel = size / 2;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Brushing: noise stretched along x (few cells across, many down).
      const float streak = TileNoise(x / 8, y, size, size / 2, 3, 5);
      const float cloud = TileNoise(x, y, size, 4, 3, 9);
      float v = 0.62f + 0.22f * (streak - 0.5f) + 0.16f * (cloud - 0.5f);
      const int px = x % panel, py = y % panel;
      // Panel seams: a dark groove with a lit lip.
      if (px == 0 || py == 0) v = 0.18f;
      else if (px == 1 || py == 1) v += 0.22f;
      else if (px == panel - 1 || py == panel - 1) v -= 0.15f;
      // Rivets near each panel corner, lit from the top left.
      for (int cy = 0; cy < 2; ++cy) {
        for (int cx = 0; cx < 2; ++cx) {
          const float rx = px - (cx ? panel - 7.0f : 7.0f), ry = py - (cy ? panel - 7.0f : 7.0f);
          const float r2 = rx * rx + ry * ry;
          if (r2 < 9.0f) v = 0.55f + 0.45f * Clamp01(-(rx + ry) / 4.5f + 0.3f);
          else if (r2 < 13.0f) v *= 0.6f;
        }
      }
      const uint32_t base = Mix(0x4A525E, 0xDCE4EE, v);
      img.At(x, y) = base;
    }
  }
  return img;
}

Image MakeLava(int size) {
  Image img(size, size);
  const std::vector<uint32_t> ramp = {0x1A0200, 0x6A0A00, 0xD23A00, 0xFF9010, 0xFFE070, 0xFFFFE0};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Turbulence: folded noise gives bright cracks between dark crusts.
      const float n = TileNoise(x, y, size, 4, 5, 71);
      const float fold = 1.0f - std::fabs(2.0f * TileNoise(x, y, size, 8, 4, 73) - 1.0f);
      img.At(x, y) = Ramp(ramp, Clamp01(0.02f + 0.5f * n * n + 0.6f * std::pow(fold, 5.0f)));
    }
  }
  return img;
}

Image MakeGasBands(int size) {
  Image img(size, size);
  const std::vector<uint32_t> ramp = {0x5A2E1A, 0xB8703C, 0xE8C89A, 0xF6EAD2, 0xC88850, 0x7A3E22, 0xD8A878};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float warp = TileNoise(x, y, size, 4, 4, 91) - 0.5f;
      const float t = static_cast<float>(y) / size + 0.08f * warp;
      const float band = 0.5f + 0.5f * std::sin(kTau * (3.0f * t + 0.3f * std::sin(kTau * 2.0f * t)));
      uint32_t c = Ramp(ramp, band);
      // A storm eye, a soft oval.
      const float dx = (x - size * 0.3f) / (size * 0.09f), dy = (y - size * 0.62f) / (size * 0.05f);
      const float eye = Clamp01(1.0f - std::sqrt(dx * dx + dy * dy));
      c = Mix(c, 0xA03A20, eye * 0.8f);
      img.At(x, y) = Scale(c, 0.9f + 0.2f * TileNoise(x, y, size, 16, 2, 93));
    }
  }
  return img;
}

Image MakeWood(int size) {
  Image img(size, size);
  const std::vector<uint32_t> ramp = {0x3A1C0C, 0x7A4220, 0xA8642E, 0xC88A48};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Long grain along x: rings of a trunk seen from the side, wobbled by noise.
      const float n = TileNoise(x, y, size, 2, 4, 41);
      const float rings = 10.0f * static_cast<float>(y) / size + 1.2f * n +
                          0.12f * std::sin(kTau * static_cast<float>(x) / size);
      const float f = rings - std::floor(rings);
      const float ring = std::pow(f, 3.0f);
      const float fibre = 0.7f * TileNoise(0, y, size, size / 2, 2, 43) + 0.3f * TileNoise(x, y, size, 16, 2, 47);
      img.At(x, y) = Ramp(ramp, Clamp01(0.9f - 0.85f * ring + 0.3f * (fibre - 0.5f)));
    }
  }
  return img;
}

Image MakeCircuit(int size) {
  Image img(size, size, 0x0A2A16);
  const int grid = 8;
  // Traces run along lattice lines chosen by the hash; pads where two meet.
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int cx = x / grid, cy = y / grid, lx = x % grid, ly = y % grid;
      const int cells = size / grid;
      const bool east = (LatticeHash(cx, cy, 61) & 3) == 0, south = (LatticeHash(cx, cy, 67) & 3) == 0;
      const bool west = (LatticeHash((cx + cells - 1) % cells, cy, 61) & 3) == 0;
      const bool north = (LatticeHash(cx, (cy + cells - 1) % cells, 67) & 3) == 0;
      const bool midX = lx >= 3 && lx <= 4, midY = ly >= 3 && ly <= 4;
      const float board = 0.85f + 0.3f * TileNoise(x, y, size, 16, 2, 63);
      uint32_t c = Scale(0x0C3A1E, board);
      const bool trace = (midY && ((east && lx >= 3) || (west && lx <= 4))) ||
                         (midX && ((south && ly >= 3) || (north && ly <= 4)));
      const int links = east + south + west + north;
      const bool pad = links != 2 && links > 0 && lx >= 2 && lx <= 5 && ly >= 2 && ly <= 5;
      if (pad) c = (lx == 2 || ly == 2) ? 0xFFE0A0 : 0xD89A40;
      else if (trace) c = (lx == 3 && midX) || (ly == 3 && midY) ? 0xE8A860 : 0xB06E2A;
      img.At(x, y) = c;
    }
  }
  return img;
}
