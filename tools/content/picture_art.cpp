#include "content/picture_art.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;

double Fract(double v) { return v - std::floor(v); }

// Pixel range [lo, hi) touched by the span [a, b], clipped to [0, limit).
void Span(double a, double b, int limit, int* lo, int* hi) {
  *lo = std::max(0, static_cast<int>(std::floor(a)));
  *hi = std::min(limit, static_cast<int>(std::floor(b)) + 1);
}

}  // namespace

uint32_t LatticeHash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb Add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb Hex(uint32_t v) { return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0}; }

Rgb Hsv(double hue, double s, double v) {
  const double h = Fract(hue) * 6.0;
  const int i = static_cast<int>(h);
  const double f = h - i;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
  }
}

// Range reduction plus a Taylor series: plain IEEE arithmetic, no library sine.
double ArtSin(double x) {
  const double twoPi = 2 * kPi;
  x -= std::floor(x / twoPi + 0.5) * twoPi;
  if (x > kPi / 2) x = kPi - x;
  if (x < -kPi / 2) x = -kPi - x;
  const double x2 = x * x;
  double term = x, sum = x;
  for (int i = 1; i <= 9; ++i) {
    term *= -x2 / ((2.0 * i) * (2.0 * i + 1));
    sum += term;
  }
  return sum;
}
double ArtCos(double x) { return ArtSin(x + kPi / 2); }

// Two argument halvings bring |t| below 0.2, where a short series is exact enough.
double ArtAtan2(double y, double x) {
  if (x == 0) return y > 0 ? kPi / 2 : (y < 0 ? -kPi / 2 : 0);
  const bool swap = std::fabs(y) > std::fabs(x);
  double t = swap ? x / y : y / x;
  for (int i = 0; i < 2; ++i) t = t / (1 + std::sqrt(1 + t * t));
  const double t2 = t * t;
  double term = t, sum = t;
  for (int i = 1; i <= 8; ++i) {
    term *= -t2;
    sum += term / (2 * i + 1);
  }
  double a = 4 * sum;
  if (swap) a = (a > 0 ? kPi / 2 : -kPi / 2) - a;
  if (x < 0) a += (y >= 0 ? kPi : -kPi);
  return a;
}
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double SmoothStep(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

uint32_t ArtRandom::Next() {
  state_ = state_ * 1664525u + 1013904223u;
  return state_ >> 8;
}
double ArtRandom::Unit() { return Next() / 16777216.0; }
double ArtRandom::Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

double TileNoise(double x, double y, int period, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const double tx = x - fx, ty = y - fy;
  auto wrap = [period](double v) {
    long long i = static_cast<long long>(v) % period;
    return static_cast<uint32_t>(i < 0 ? i + period : i);
  };
  const uint32_t x0 = wrap(fx), y0 = wrap(fy), x1 = (x0 + 1) % period, y1 = (y0 + 1) % period;
  auto v = [seed](uint32_t a, uint32_t b) { return (LatticeHash(a, b, seed) >> 8) / 16777215.0; };
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double top = v(x0, y0) + (v(x1, y0) - v(x0, y0)) * sx;
  const double bottom = v(x0, y1) + (v(x1, y1) - v(x0, y1)) * sx;
  return top + (bottom - top) * sy;
}

double TileFbm(double x, double y, int period, int octaves, uint32_t seed) {
  double sum = 0, weight = 0.5, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += TileNoise(x, y, period, seed + 101u * i) * weight;
    total += weight;
    x *= 2;
    y *= 2;
    period *= 2;
    weight *= 0.5;
  }
  return sum / total;
}

Paint Flat(Rgb c) {
  return [c](double, double) { return c; };
}
Paint VerticalGradient(double y0, Rgb top, double y1, Rgb bottom) {
  return [=](double, double y) { return Mix(top, bottom, Clamp01((y - y0) / (y1 - y0))); };
}
Paint HorizontalGradient(double x0, Rgb left, double x1, Rgb right) {
  return [=](double x, double) { return Mix(left, right, Clamp01((x - x0) / (x1 - x0))); };
}
Paint RadialGradient(double cx, double cy, double r, Rgb inner, Rgb outer) {
  return [=](double x, double y) {
    const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
    return Mix(inner, outer, Clamp01(d / r));
  };
}

float Mask::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
  return cover[static_cast<size_t>(y) * width + x];
}

void Mask::AddAt(int x, int y, double a) {
  if (x < 0 || y < 0 || x >= width || y >= height || a <= 0) return;
  float& c = cover[static_cast<size_t>(y) * width + x];
  c = static_cast<float>(std::min(1.0, c + a));
}

void Mask::Rect(double x0, double y0, double x1, double y1) {
  if (x1 <= x0 || y1 <= y0) return;
  int xa, xb, ya, yb;
  Span(x0, x1, width, &xa, &xb);
  Span(y0, y1, height, &ya, &yb);
  for (int y = ya; y < yb; ++y) {
    const double cy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
    if (cy <= 0) continue;
    for (int x = xa; x < xb; ++x) {
      const double cx = std::min<double>(x + 1, x1) - std::max<double>(x, x0);
      if (cx > 0) AddAt(x, y, cx * cy);
    }
  }
}

void Mask::Ellipse(double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return;
  int xa, xb, ya, yb;
  Span(cx - rx - 1, cx + rx + 1, width, &xa, &xb);
  Span(cy - ry - 1, cy + ry + 1, height, &ya, &yb);
  const double rmin = std::min(rx, ry);
  for (int y = ya; y < yb; ++y) {
    for (int x = xa; x < xb; ++x) {
      const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
      const double d = (std::sqrt(u * u + v * v) - 1) * rmin;
      AddAt(x, y, Clamp01(0.5 - d));
    }
  }
}

void Mask::Ring(double cx, double cy, double r, double thickness) {
  int xa, xb, ya, yb;
  const double outer = r + thickness / 2 + 1;
  Span(cx - outer, cx + outer, width, &xa, &xb);
  Span(cy - outer, cy + outer, height, &ya, &yb);
  for (int y = ya; y < yb; ++y) {
    for (int x = xa; x < xb; ++x) {
      const double d = std::fabs(std::sqrt((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy)) - r);
      AddAt(x, y, Clamp01(thickness / 2 + 0.5 - d));
    }
  }
}

void Mask::Polygon(const std::vector<double>& xy) {
  const size_t n = xy.size() / 2;
  if (n < 3) return;
  double minX = xy[0], maxX = xy[0], minY = xy[1], maxY = xy[1];
  for (size_t i = 0; i < n; ++i) {
    minX = std::min(minX, xy[2 * i]);
    maxX = std::max(maxX, xy[2 * i]);
    minY = std::min(minY, xy[2 * i + 1]);
    maxY = std::max(maxY, xy[2 * i + 1]);
  }
  int xa, xb, ya, yb;
  Span(minX, maxX, width, &xa, &xb);
  Span(minY, maxY, height, &ya, &yb);
  // 4 x 4 samples per pixel, even-odd rule.
  for (int y = ya; y < yb; ++y) {
    for (int x = xa; x < xb; ++x) {
      int inside = 0;
      for (int s = 0; s < 16; ++s) {
        const double px = x + (s % 4 + 0.5) / 4, py = y + (s / 4 + 0.5) / 4;  // NOLINT(bugprone-integer-division): s / 4 is the sample row
        bool in = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
          const double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
          if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
        }
        inside += in ? 1 : 0;
      }
      AddAt(x, y, inside / 16.0);
    }
  }
}

void Mask::Line(double x0, double y0, double x1, double y1, double thickness) {
  int xa, xb, ya, yb;
  const double pad = thickness / 2 + 1;
  Span(std::min(x0, x1) - pad, std::max(x0, x1) + pad, width, &xa, &xb);
  Span(std::min(y0, y1) - pad, std::max(y0, y1) + pad, height, &ya, &yb);
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int y = ya; y < yb; ++y) {
    for (int x = xa; x < xb; ++x) {
      const double px = x + 0.5 - x0, py = y + 0.5 - y0;
      const double t = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0;
      const double ex = px - t * dx, ey = py - t * dy;
      AddAt(x, y, Clamp01(thickness / 2 + 0.5 - std::sqrt(ex * ex + ey * ey)));
    }
  }
}

void Mask::RoundRect(double x0, double y0, double x1, double y1, double radius) {
  int xa, xb, ya, yb;
  Span(x0 - 1, x1 + 1, width, &xa, &xb);
  Span(y0 - 1, y1 + 1, height, &ya, &yb);
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  for (int y = ya; y < yb; ++y) {
    for (int x = xa; x < xb; ++x) {
      const double qx = std::fabs(x + 0.5 - cx) - hx, qy = std::fabs(y + 0.5 - cy) - hy;
      const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
      const double d = std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
      AddAt(x, y, Clamp01(0.5 - d));
    }
  }
}

void Mask::Subtract(const Mask& other) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float& c = cover[static_cast<size_t>(y) * width + x];
      c = std::max(0.0f, c - other.At(x, y));
    }
}

Canvas::Canvas(int w, int h)
    : width_(w), height_(h), colour_(static_cast<size_t>(w) * h), alpha_(static_cast<size_t>(w) * h, 0.0) {}

void Canvas::Fill(Rgb c) {
  std::fill(colour_.begin(), colour_.end(), c);
  std::fill(alpha_.begin(), alpha_.end(), 1.0);
}

void Canvas::FillWith(const ::Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const size_t i = static_cast<size_t>(y) * width_ + x;
      colour_[i] = paint(x + 0.5, y + 0.5);
      alpha_[i] = 1.0;
    }
}

void Canvas::Plot(int x, int y, Rgb c, double a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || a <= 0) return;
  const size_t i = static_cast<size_t>(y) * width_ + x;
  colour_[i] = Add(Scale(c, a), Scale(colour_[i], 1 - a));
  alpha_[i] = a + alpha_[i] * (1 - a);
}

void Canvas::Paint(const Mask& mask, const ::Paint& paint, double opacity, int dx, int dy) {
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      const double a = mask.cover[static_cast<size_t>(y) * mask.width + x] * opacity;
      if (a > 0) Plot(x + dx, y + dy, paint(x + dx + 0.5, y + dy + 0.5), a);
    }
}

void Canvas::Glow(double cx, double cy, double radius, Rgb c, double strength) {
  int xa, xb, ya, yb;
  Span(cx - radius, cx + radius, width_, &xa, &xb);
  Span(cy - radius, cy + radius, height_, &ya, &yb);
  for (int y = ya; y < yb; ++y)
    for (int x = xa; x < xb; ++x) {
      const double d2 = ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy)) / (radius * radius);
      if (d2 >= 1) continue;
      const double k = strength * (1 - d2) * (1 - d2);
      const size_t i = static_cast<size_t>(y) * width_ + x;
      colour_[i] = Add(colour_[i], Scale(c, k * (alpha_[i] > 0 ? alpha_[i] : 1)));
      if (alpha_[i] <= 0) alpha_[i] = Clamp01(k);
    }
}

Rgb Canvas::Get(int x, int y) const {
  const size_t i = static_cast<size_t>(y) * width_ + x;
  return alpha_[i] > 0 ? Scale(colour_[i], 1 / alpha_[i]) : Rgb{};
}
double Canvas::Alpha(int x, int y) const { return alpha_[static_cast<size_t>(y) * width_ + x]; }

uint32_t PackRgb(Rgb c) {
  auto q = [](double v) { return static_cast<uint32_t>(std::floor(Clamp01(v) * 255 + 0.5)); };
  return (q(c.r) << 16) | (q(c.g) << 8) | q(c.b);
}

Image Canvas::ToImage() const {
  Image out(width_, height_);
  for (size_t i = 0; i < colour_.size(); ++i) {
    const uint32_t p = PackRgb(colour_[i]);
    out.pixels[i] = p == 0x0000FF ? 0x0000FE : p;  // keep the key colour out of every picture
  }
  return out;
}

Image Canvas::ToKeyedImage() const {
  Image out(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      uint32_t p = 0x0000FF;
      if (Alpha(x, y) >= 0.5) {
        p = PackRgb(Get(x, y));
        if (p == 0x0000FF) p = 0x0000FE;  // the key colour is reserved for holes
      }
      out.At(x, y) = p;
    }
  return out;
}
