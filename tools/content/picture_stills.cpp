// The full-screen stills, the loading screen, the backdrops, the side panel and the logo.
#include <cmath>

#include "content/picture_font.h"
#include "content/picture_set.h"

namespace {
constexpr double kPi = 3.141592653589793;

// Deep-space backdrop: dark gradient, tinted nebula clouds and faint stars.
void PaintSpace(Canvas* c, Rgb top, Rgb bottom, Rgb nebula, uint32_t seed, int stars) {
  const int w = c->width(), h = c->height();
  Mask all(w, h);
  all.Rect(0, 0, w, h);
  c->FillWith([&](double x, double y) {
    const double n = TileFbm(x / 40.0, y / 40.0, 64, 4, seed);
    const double k = SmoothStep(0.45, 0.85, n);
    return Add(Mix(top, bottom, y / h), Scale(nebula, k * 0.8));
  });
  ArtRandom rnd(seed);
  for (int i = 0; i < stars; ++i) {
    const int x = static_cast<int>(rnd.Range(0, w)), y = static_cast<int>(rnd.Range(0, h));
    const double b = rnd.Range(0.2, 0.9);
    c->Plot(x, y, Rgb{b, b, b * 1.1}, 1.0);
  }
}

void Sparkle(Canvas* c, double x, double y, double size, Rgb colour) {
  c->Glow(x, y, size, colour, 0.9);
  Mask m(c->width(), c->height());
  m.Line(x - size * 1.6, y, x + size * 1.6, y, 1.0);
  m.Line(x, y - size * 1.6, x, y + size * 1.6, 1.0);
  c->Paint(m, Flat(Mix(colour, Rgb{1, 1, 1}, 0.7)), 0.8);
}

// Mountains: a ridge line from layered periodic bumps, filled below.
void Mountains(Canvas* c, double base, double height, double seedPhase, const Paint& fill) {
  const int w = c->width();
  std::vector<double> poly;
  for (int x = 0; x <= w; x += 4) {
    const double t = x / static_cast<double>(w);
    const double ridge = 0.55 * ArtSin(t * 7.1 + seedPhase) + 0.3 * ArtSin(t * 17.3 + seedPhase * 2) +
                         0.15 * ArtSin(t * 41.0 + seedPhase * 3);
    poly.push_back(x);
    poly.push_back(base - height * (0.5 + 0.5 * ridge));
  }
  poly.push_back(w);
  poly.push_back(c->height());
  poly.push_back(0);
  poly.push_back(c->height());
  Mask m(w, c->height());
  m.Polygon(poly);
  c->Paint(m, fill);
}
}  // namespace

Paint ChromePaint(double y0, double y1) {
  return [=](double, double y) {
    const double t = Clamp01((y - y0) / (y1 - y0));
    if (t < 0.5) return Mix(Hex(0x2050B0), Hex(0xE8F4FF), SmoothStep(0.0, 0.5, t));
    if (t < 0.56) return Mix(Hex(0xFFFFFF), Hex(0x60381C), (t - 0.5) / 0.06);
    return Mix(Hex(0x60381C), Hex(0xF8D8A0), (t - 0.56) / 0.44);
  };
}

void DrawTitleText(Canvas* canvas, const std::string& text, double x, double y, double sx, double sy,
                   const Paint& fill, Rgb outline, double outlineWidth, int shadow) {
  Mask edge(canvas->width(), canvas->height());
  FontText(&edge, text, x, y, sx, sy, outlineWidth);
  if (shadow != 0) canvas->Paint(edge, Flat(Rgb{0, 0, 0}), 0.6, shadow, shadow);
  canvas->Paint(edge, Flat(outline));
  Mask body(canvas->width(), canvas->height());
  FontText(&body, text, x, y, sx, sy, 0);
  canvas->Paint(body, fill);
}

void DrawTitleTextCentred(Canvas* canvas, const std::string& text, double cx, double y, double sx, double sy,
                          const Paint& fill, Rgb outline, double outlineWidth, int shadow) {
  DrawTitleText(canvas, text, cx - FontTextWidth(text, sx) / 2, y, sx, sy, fill, outline, outlineWidth, shadow);
}

// Title: a ringed planet rising at the lower left of a violet nebula, the chrome title above.
// Only columns 0..214 are shown, so everything is composed around column 107.
Image MakeBilde() {
  Canvas c(320, 240);
  PaintSpace(&c, Hex(0x02020A), Hex(0x0C0620), Hex(0x301050), 901, 90);
  Mask planet(320, 240);
  planet.Circle(60, 300, 150);
  c.Paint(planet, RadialGradient(120, 170, 190, Hex(0xE07040), Hex(0x180818)));
  Mask rim(320, 240);
  rim.Ring(60, 300, 149, 2.5);
  c.Paint(rim, Flat(Hex(0xFFC080)), 0.8);
  Mask haze(320, 240);
  haze.Ring(60, 300, 154, 8);
  c.Paint(haze, Flat(Hex(0xFF9060)), 0.25);
  c.Glow(175, 165, 60, Hex(0x6040A0), 0.35);
  DrawTitleTextCentred(&c, "TAVRINE", 107, 40, 4.6, 6.2, ChromePaint(40, 83.4), Hex(0x080418), 1.6, 3);
  DrawTitleTextCentred(&c, "3D", 107, 92, 9, 8.5, [](double, double y) {
    return Mix(Hex(0xFFE040), Hex(0xE02060), Clamp01((y - 92) / 60));
  }, Hex(0x100418), 2.0, 4);
  Sparkle(&c, 178, 44, 7, Hex(0xC0E0FF));
  Sparkle(&c, 30, 100, 5, Hex(0xFFD0F0));
  return c.ToImage();
}

// Pixel1: the mirror ball, lit facets on a purple haze, with spots thrown around the room.
Image MakePixel1() {
  Canvas c(320, 240);
  c.FillWith(RadialGradient(160, 110, 230, Hex(0x3A1050), Hex(0x060208)));
  ArtRandom rnd(1701);
  for (int i = 0; i < 60; ++i) {
    const double x = rnd.Range(0, 320), y = rnd.Range(0, 240);
    c.Glow(x, y, rnd.Range(3, 9), Hsv(rnd.Unit(), 0.5, 1), 0.7);
  }
  // Light shafts from the ball.
  for (int i = 0; i < 7; ++i) {
    Mask shaft(320, 240);
    const double a = -0.4 + i * 0.55;
    shaft.Polygon({160, 110, 160 + 400 * ArtCos(a - 0.06), 110 + 400 * ArtSin(a - 0.06),
                   160 + 400 * ArtCos(a + 0.06), 110 + 400 * ArtSin(a + 0.06)});
    c.Paint(shaft, Flat(Hsv(i / 7.0, 0.5, 1)), 0.14);
  }
  Mask cord(320, 240);
  cord.Line(160, 0, 160, 40, 2);
  c.Paint(cord, Flat(Hex(0x9090A0)));
  // Facets: a latitude/longitude grid on the sphere, each tile lit by its own normal.
  const double cx = 160, cy = 110, r = 72;
  for (int y = static_cast<int>(cy - r) - 1; y <= cy + r + 1; ++y)
    for (int x = static_cast<int>(cx - r) - 1; x <= cx + r + 1; ++x) {
      const double nx = (x + 0.5 - cx) / r, ny = (y + 0.5 - cy) / r;
      const double d2 = nx * nx + ny * ny;
      if (d2 >= 1) continue;
      const double nz = std::sqrt(1 - d2);
      const double lat = ArtAtan2(ny, nz) / kPi * 18, lon = ArtAtan2(nx, nz) / kPi * 18;
      const int tlat = static_cast<int>(std::floor(lat)), tlon = static_cast<int>(std::floor(lon + 0.5 * (tlat & 1)));
      const double fx = lat - std::floor(lat), fy = lon + 0.5 * (tlat & 1) - std::floor(lon + 0.5 * (tlat & 1));
      const uint32_t hsh = static_cast<uint32_t>(tlat * 73856093) ^ static_cast<uint32_t>(tlon * 19349663);
      const double facet = ((hsh >> 4) % 100) / 100.0;
      double light = 0.25 + 0.55 * Clamp01(-0.4 * nx - 0.5 * ny + 0.75 * nz) + 0.3 * facet * facet;
      if (facet > 0.93) light = 1.3;
      Rgb col = Scale(Mix(Hex(0xB0B8D0), Hsv(facet * 3, 0.4, 1), 0.35), light);
      if (fx < 0.1 || fy < 0.1) col = Scale(col, 0.35);
      const double edge = Clamp01((1 - std::sqrt(d2)) * r + 0.5);
      c.Plot(x, y, col, edge);
    }
  Sparkle(&c, 128, 78, 10, Hex(0xFFFFFF));
  Sparkle(&c, 196, 130, 7, Hex(0xFFE0FF));
  Sparkle(&c, 170, 60, 5, Hex(0xE0F0FF));
  DrawTitleTextCentred(&c, "GET DOWN", 160, 200, 3, 3.6, ChromePaint(200, 225), Hex(0x100418), 1.2, 2);
  return c.ToImage();
}

// Pixel2 (columns 0..164 shown): a retro sunset over a city skyline.
Image MakePixel2() {
  Canvas c(320, 240);
  c.FillWith(VerticalGradient(0, Hex(0x1A0838), 170, Hex(0xF06838)));
  // Striped sun.
  Mask sun(320, 240);
  sun.Circle(82, 120, 58);
  for (int i = 0; i < 6; ++i) {
    Mask cut(320, 240);
    const double y = 128 + i * 9;
    cut.Rect(0, y, 320, y + 2 + i * 0.8);
    sun.Subtract(cut);
  }
  c.Glow(82, 120, 95, Hex(0xFF6040), 0.45);
  c.Paint(sun, VerticalGradient(62, Hex(0xFFF070), 178, Hex(0xFF3070)));
  // Skyline: towers with lit windows.
  ArtRandom rnd(2202);
  double x = -4;
  while (x < 330) {
    const double w = rnd.Range(14, 30), h = rnd.Range(40, 110);
    Mask tower(320, 240);
    tower.Rect(x, 240 - h, x + w, 240);
    c.Paint(tower, VerticalGradient(240 - h, Hex(0x281038), 240, Hex(0x0A0410)));
    for (double wy = 244 - h; wy < 236; wy += 7)
      for (double wx = x + 3; wx < x + w - 4; wx += 5)
        if (rnd.Unit() < 0.35) {
          Mask win(320, 240);
          win.Rect(wx, wy, wx + 2, wy + 3);
          c.Paint(win, Flat(rnd.Unit() < 0.5 ? Hex(0xFFD070) : Hex(0x70E0FF)));
        }
    x += w + rnd.Range(0, 4);
  }
  return c.ToImage();
}

// Pixel3 (columns 145..319 shown): moonrise over the sea.
Image MakePixel3() {
  Canvas c(320, 240);
  c.FillWith(VerticalGradient(0, Hex(0x020418), 150, Hex(0x183868)));
  ArtRandom rnd(3303);
  for (int i = 0; i < 120; ++i) {
    const double b = rnd.Range(0.3, 1);
    c.Plot(static_cast<int>(rnd.Range(0, 320)), static_cast<int>(rnd.Range(0, 140)), Rgb{b, b, b}, 1);
  }
  c.Glow(238, 80, 70, Hex(0x4070C0), 0.4);
  Mask moon(320, 240);
  moon.Circle(238, 80, 30);
  c.Paint(moon, RadialGradient(228, 70, 40, Hex(0xFFFFF0), Hex(0xC0C8D8)));
  Mask craters(320, 240);
  craters.Circle(230, 72, 6);
  craters.Circle(250, 92, 4);
  craters.Circle(244, 66, 3);
  c.Paint(craters, Flat(Hex(0xA8B0C4)), 0.7);
  Mountains(&c, 152, 26, 1.3, Flat(Hex(0x081020)));
  // Sea with a broken streak of moonlight.
  Mask sea(320, 240);
  sea.Rect(0, 150, 320, 240);
  c.Paint(sea, VerticalGradient(150, Hex(0x0C1A38), 240, Hex(0x02040C)));
  for (int y = 152; y < 240; y += 3) {
    const double spread = 8 + (y - 150) * 0.5;
    const double wobble = 6 * ArtSin(y * 0.9);
    Mask streak(320, 240);
    streak.Rect(238 - spread + wobble + rnd.Range(-4, 4), y, 238 + spread + wobble + rnd.Range(-4, 4), y + 1.2);
    c.Paint(streak, Flat(Hex(0xE0E8FF)), 0.55 - (y - 150) / 260.0);
  }
  return c.ToImage();
}

// Pixel4: a dancer in columns 0..114, on pure black so the echo adds nothing elsewhere.
Image MakePixel4() {
  Canvas c(320, 240);
  c.Fill(Rgb{0, 0, 0});
  Mask hair(320, 240);
  hair.Polygon({46, 30, 58, 22, 74, 26, 86, 44, 98, 76, 84, 68, 80, 82, 72, 54});
  c.Paint(hair, VerticalGradient(20, Hex(0xC040FF), 90, Hex(0x301060)));
  Mask body(320, 240);
  body.Circle(60, 38, 12);                                        // head
  body.Polygon({55, 48, 66, 48, 68, 58, 53, 58});                  // neck
  body.Polygon({40, 60, 82, 58, 76, 110, 70, 128, 50, 128, 46, 108});  // torso
  body.Line(44, 64, 22, 36, 10);                                   // raised arm
  body.Line(22, 36, 14, 8, 8);
  body.Circle(13, 6, 6);
  body.Line(78, 64, 96, 96, 10);                                   // other arm, down and out
  body.Line(96, 96, 108, 122, 8);
  body.Circle(109, 125, 6);
  body.Polygon({50, 124, 70, 124, 100, 196, 78, 204, 52, 200, 16, 198});  // skirt, swirling
  body.Line(44, 196, 36, 236, 9);                                  // legs
  body.Line(70, 196, 88, 234, 9);
  Paint fill = [](double x, double y) {
    const Rgb warm = Mix(Hex(0xFF40A0), Hex(0xFFC040), Clamp01(y / 240));
    return Mix(warm, Hex(0x40E0FF), Clamp01((x - 30) / 90));
  };
  c.Paint(body, fill);
  // Folds of the skirt and a belt, so the figure reads as cloth and not as a cut-out.
  Mask folds(320, 240);
  for (int i = 0; i < 5; ++i) folds.Line(54 + i * 4, 130, 26 + i * 17, 196, 1.4);
  c.Paint(folds, Flat(Hex(0xFFF0FF)), 0.35);
  Mask belt(320, 240);
  belt.Rect(48, 120, 72, 126);
  c.Paint(belt, Flat(Hex(0xFFF0A0)));
  // Nothing may leak right of column 114.
  Image out = c.ToImage();
  for (int y = 0; y < 240; ++y)
    for (int x = 115; x < 320; ++x) out.At(x, y) = 0;
  return out;
}

// Pixel5: backdrop for a 3D scene: synth sunset sky, mountains and a glowing grid floor.
Image MakePixel5() {
  Canvas c(320, 240);
  c.FillWith(VerticalGradient(0, Hex(0x06021A), 140, Hex(0x9A2878)));
  c.Glow(160, 140, 110, Hex(0xFF6080), 0.45);
  ArtRandom rnd(5505);
  for (int i = 0; i < 70; ++i) {
    const double b = rnd.Range(0.3, 1);
    c.Plot(static_cast<int>(rnd.Range(0, 320)), static_cast<int>(rnd.Range(0, 90)), Rgb{b, b, b}, 1);
  }
  Mountains(&c, 142, 34, 4.2, VerticalGradient(105, Hex(0x301050), 142, Hex(0x120620)));
  Mask floor(320, 240);
  floor.Rect(0, 140, 320, 240);
  c.Paint(floor, VerticalGradient(140, Hex(0x10041C), 240, Hex(0x220838)));
  Mask grid(320, 240);
  for (int i = -12; i <= 12; ++i) grid.Line(160 + i * 14, 140, 160 + i * 70, 240, 1.2);
  for (int k = 1; k < 12; ++k) {
    const double y = 140 + 100.0 * (k * k) / 121.0;
    grid.Line(0, y, 320, y, 0.8 + k * 0.08);
  }
  c.Paint(grid, Flat(Hex(0xFF40D0)), 0.85);
  Mask horizon(320, 240);
  horizon.Rect(0, 139, 320, 141);
  c.Paint(horizon, Flat(Hex(0xFFA0E0)));
  return c.ToImage();
}

// Lastpic: the closing picture, a quiet night sea and the sign-off, faded out to black.
Image MakeLastpic() {
  Canvas c(320, 240);
  PaintSpace(&c, Hex(0x010208), Hex(0x0A1838), Hex(0x183060), 7707, 150);
  c.Glow(160, 170, 140, Hex(0xFF8040), 0.35);
  Mountains(&c, 178, 30, 2.2, Flat(Hex(0x050A18)));
  Mask sea(320, 240);
  sea.Rect(0, 176, 320, 240);
  c.Paint(sea, VerticalGradient(176, Hex(0x201830), 240, Hex(0x020206)));
  DrawTitleTextCentred(&c, "THE END", 160, 56, 6, 7.5, ChromePaint(56, 108.5), Hex(0x060210), 1.8, 4);
  Mask line(320, 240);
  FontTextCentred(&line, "THANKS FOR WATCHING", 160, 130, 2, 2);
  c.Paint(line, Flat(Hex(0xC0D0F0)));
  Mask sig(320, 240);
  FontTextCentred(&sig, "TAVRINE 3D", 160, 150, 1.4, 1.4);
  c.Paint(sig, Flat(Hex(0x8090C0)));
  return c.ToImage();
}

// Loading screen: dark indigo with a faint grid and a dim emblem; the text corner and the
// bar on the right stay dark so white reads on them.
Image MakeLoading() {
  Canvas c(320, 240);
  c.FillWith(RadialGradient(200, 150, 260, Hex(0x24184C), Hex(0x06040E)));
  Mask grid(320, 240);
  for (int x = 0; x < 300; x += 16) grid.Rect(x, 0, x + 1, 240);
  for (int y = 0; y < 240; y += 16) grid.Rect(0, y, 300, y + 1);
  c.Paint(grid, Flat(Hex(0x4A3C88)), 0.25);
  Mask emblem(320, 240);
  emblem.Ring(200, 150, 60, 6);
  emblem.Ring(200, 150, 44, 2);
  c.Paint(emblem, Flat(Hex(0x5C48A8)), 0.5);
  Mask word(320, 240);
  FontTextCentred(&word, "TAVRINE 3D", 200, 143, 3, 2.4);
  c.Paint(word, Flat(Hex(0x7060C0)), 0.55);
  // A dark glass panel behind the text and a dark track for the bar keep white readable.
  Mask panel(320, 240);
  panel.RoundRect(4, 4, 96, 72, 8);
  c.Paint(panel, Flat(Hex(0x04030A)), 0.8);
  Mask panelEdge(320, 240);
  panelEdge.RoundRect(4, 4, 96, 72, 8);
  Mask panelInside(320, 240);
  panelInside.RoundRect(5, 5, 95, 71, 7);
  panelEdge.Subtract(panelInside);
  c.Paint(panelEdge, Flat(Hex(0x7060C0)), 0.7);
  Mask track(320, 240);
  track.Rect(306, 0, 320, 240);
  c.Paint(track, Flat(Hex(0x04030A)), 0.8);
  Mask trackEdge(320, 240);
  trackEdge.Rect(306, 0, 307, 240);
  c.Paint(trackEdge, Flat(Hex(0x7060C0)), 0.7);
  return c.ToImage();
}

// A_new2: aurora over snowy peaks, a calm backdrop behind a 3D scene.
Image MakeBackdrop() {
  Canvas c(320, 240);
  PaintSpace(&c, Hex(0x010308), Hex(0x0A1830), Hex(0x000000), 2020, 110);
  for (int y = 0; y < 170; ++y)
    for (int x = 0; x < 320; ++x) {
      const double curtain = 60 + 30 * ArtSin(x * 0.021 + 1) + 14 * ArtSin(x * 0.057);
      const double d = (y - curtain) / 45.0;
      if (d < -1.2 || d > 1.5) continue;
      const double rays = 0.6 + 0.4 * TileNoise(x / 3.0, 0.5, 107, 9);
      const double k = (d < 0 ? Clamp01(1 + d / 1.2) : Clamp01(1 - d / 1.5)) * rays;
      const Rgb col = Mix(Hex(0x40FF90), Hex(0xA040FF), Clamp01(-d));
      c.Plot(x, y, Add(c.Get(x, y), Scale(col, 0.55 * k * k)), 1);
    }
  Mountains(&c, 200, 60, 0.7, VerticalGradient(140, Hex(0xC8D8F0), 210, Hex(0x304060)));
  Mountains(&c, 228, 40, 3.9, VerticalGradient(180, Hex(0x1C2840), 240, Hex(0x060A14)));
  return c.ToImage();
}

// A_new: the side panel left of the swirl tunnel: brushed metal, lights and the name.
Image MakeSidePanel() {
  Canvas c(108, 240);
  c.FillWith([](double x, double y) {
    const double grain = TileNoise(x / 40.0, y * 1.5, 64, 31) * 0.08;
    return Add(Mix(Hex(0x2A2E3C), Hex(0x121420), x / 108), Rgb{grain, grain, grain * 1.2});
  });
  Mask inset(108, 240);
  inset.RoundRect(12, 10, 94, 230, 8);
  c.Paint(inset, VerticalGradient(10, Hex(0x0C0A1C), 230, Hex(0x1E0C30)));
  Mask bevel(108, 240);
  bevel.Rect(104, 0, 108, 240);
  c.Paint(bevel, HorizontalGradient(104, Hex(0x8090B0), 108, Hex(0x202434)));
  Mask word(108, 240);
  FontTextVertical(&word, "TAVRINE", 53, 22, 3, 3, 4);
  c.Paint(word, ChromePaint(22, 200));
  Mask three(108, 240);
  FontTextCentred(&three, "3D", 53, 206, 2, 2);
  c.Paint(three, Flat(Hex(0xFF60A0)));
  for (int i = 0; i < 5; ++i) {
    const Rgb led = Hsv(i / 5.0, 0.7, 1);
    c.Glow(22, 40 + i * 40, 7, led, 0.7);
    Mask dot(108, 240);
    dot.Circle(22, 40 + i * 40, 2.5);
    c.Paint(dot, Flat(led));
  }
  return c.ToImage();
}

// Logo1: the group's logo on a dark plate.
Image MakeLogo() {
  Canvas c(256, 128);
  c.FillWith(VerticalGradient(0, Hex(0x101028), 128, Hex(0x040410)));
  Mask ring(256, 128);
  ring.Ring(128, 64, 54, 5);
  c.Paint(ring, VerticalGradient(10, Hex(0xFF60A0), 118, Hex(0x6040FF)));
  DrawTitleTextCentred(&c, "TAVRINE", 128, 40, 4.4, 5, ChromePaint(40, 75), Hex(0x04020C), 1.4, 3);
  DrawTitleTextCentred(&c, "3D", 128, 80, 2.6, 2.6, Flat(Hex(0xFFE040)), Hex(0x04020C), 1, 2);
  return c.ToImage();
}
