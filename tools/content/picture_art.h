// picture_art.h - drawing kit for the generated pictures: a floating-point canvas with
// coverage, anti-aliased shapes built as coverage masks, paints (flat, gradients, noise),
// tiling noise, a fixed random generator and our own sine, so the bytes never depend on the
// C library or the machine.
//
//   Canvas c(320, 240);
//   c.Fill(Rgb{0, 0, 0.1});
//   Mask m(320, 240);
//   m.Circle(160, 120, 40);
//   c.Paint(m, Flat(Rgb{1, 0.8, 0.2}));
//   Image out = c.ToImage();          // or ToKeyedImage(): uncovered pixels become 0x0000FF
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image.h"

struct Rgb {
  double r = 0, g = 0, b = 0;
};
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb a, double k);
Rgb Add(Rgb a, Rgb b);
Rgb Hex(uint32_t rgb);
Rgb Hsv(double hue, double saturation, double value);  // hue in turns, wraps

// A well-mixed hash of a lattice point and a seed: the source of every noise and random pick.
uint32_t LatticeHash(uint32_t x, uint32_t y, uint32_t seed);

double ArtSin(double x);
double ArtCos(double x);
double ArtAtan2(double y, double x);
double Clamp01(double v);
double SmoothStep(double e0, double e1, double x);

// The pack's own generator (a 32-bit LCG): same sequence everywhere.
class ArtRandom {
 public:
  explicit ArtRandom(uint32_t seed) : state_(seed) {}
  uint32_t Next();
  double Unit();                  // [0, 1)
  double Range(double lo, double hi);

 private:
  uint32_t state_;
};

// Smooth value noise on an integer lattice that repeats every `period` cells in x and y,
// so a picture built from it tiles when its size is a multiple of the period's cell size.
double TileNoise(double x, double y, int period, uint32_t seed);
// Octaves of TileNoise, each with twice the period and half the weight; result in [0, 1].
double TileFbm(double x, double y, int period, int octaves, uint32_t seed);

using Paint = std::function<Rgb(double x, double y)>;
Paint Flat(Rgb c);
Paint VerticalGradient(double y0, Rgb top, double y1, Rgb bottom);
Paint HorizontalGradient(double x0, Rgb left, double x1, Rgb right);
Paint RadialGradient(double cx, double cy, double r, Rgb inner, Rgb outer);

// Coverage 0..1 per pixel. Shapes add their exact-ish area coverage (clamped to 1), so
// shapes that touch leave no seams.
struct Mask {
  int width, height;
  std::vector<float> cover;
  Mask(int w, int h) : width(w), height(h), cover(static_cast<size_t>(w) * h, 0.0f) {}
  float At(int x, int y) const;
  void AddAt(int x, int y, double a);

  void Rect(double x0, double y0, double x1, double y1);  // exact area coverage
  void Ellipse(double cx, double cy, double rx, double ry);
  void Circle(double cx, double cy, double r) { Ellipse(cx, cy, r, r); }
  void Ring(double cx, double cy, double r, double thickness);
  void Polygon(const std::vector<double>& xy);            // x0,y0,x1,y1,...; any winding
  void Line(double x0, double y0, double x1, double y1, double thickness);
  void RoundRect(double x0, double y0, double x1, double y1, double radius);
  void Subtract(const Mask& other);                       // cut other out of this
};

class Canvas {
 public:
  Canvas(int w, int h);
  int width() const { return width_; }
  int height() const { return height_; }
  void Fill(Rgb c);                         // opaque
  void FillWith(const Paint& paint);        // opaque
  void Paint(const Mask& mask, const ::Paint& paint, double opacity = 1.0, int dx = 0, int dy = 0);
  void Glow(double cx, double cy, double radius, Rgb c, double strength);  // additive soft light
  void Plot(int x, int y, Rgb c, double alpha);
  Rgb Get(int x, int y) const;              // un-premultiplied colour
  double Alpha(int x, int y) const;

  Image ToImage() const;                    // over black
  // Pixels under half covered become pure blue; covered pixels never are pure blue.
  Image ToKeyedImage() const;

 private:
  int width_, height_;
  std::vector<Rgb> colour_;   // premultiplied
  std::vector<double> alpha_;
};

uint32_t PackRgb(Rgb c);  // rounds and clamps to 0x00RRGGBB
