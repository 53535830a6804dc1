// The credit cards and the keyed overlays. In a keyed picture every pixel left uncovered
// becomes pure blue, the colour the show's blits skip.
#include "content/picture_font.h"
#include "content/picture_set.h"

namespace {
constexpr double kPi = 3.141592653589793;

struct CreditCard {
  const char* role;
  const char* handle;
  double hue;
};

constexpr CreditCard kCards[7] = {
    {"CODE", "TRANDLE", 0.55}, {"GRAPHICS", "GARRITH", 0.92}, {"MUSIC", "QUIBEL", 0.13},
    {"3D MODELS", "VORSK", 0.36}, {"DESIGN", "NYTHRA", 0.75},  {"TOOLS", "PELLOW", 0.05},
    {"SUPPORT", "OSKEN", 0.47},
};

// Emblems, drawn into a mask around (cx, cy) within about 24 pixels.
void Emblem(Mask* m, int which, double cx, double cy) {
  switch (which) {
    case 0:  // code: < / >
      m->Line(cx - 10, cy - 14, cx - 22, cy, 4);
      m->Line(cx - 22, cy, cx - 10, cy + 14, 4);
      m->Line(cx + 10, cy - 14, cx + 22, cy, 4);
      m->Line(cx + 22, cy, cx + 10, cy + 14, 4);
      m->Line(cx + 5, cy - 18, cx - 5, cy + 18, 3);
      break;
    case 1:  // graphics: a brush over a palette of dots
      m->Ellipse(cx, cy + 4, 22, 16);
      m->Line(cx - 14, cy + 18, cx + 18, cy - 20, 4);
      break;
    case 2:  // music: two beamed notes
      m->Ellipse(cx - 12, cy + 14, 7, 5);
      m->Ellipse(cx + 12, cy + 10, 7, 5);
      m->Rect(cx - 7, cy - 18, cx - 4, cy + 14);
      m->Rect(cx + 17, cy - 22, cx + 20, cy + 10);
      m->Polygon({cx - 7, cy - 18, cx + 20, cy - 22, cx + 20, cy - 15, cx - 7, cy - 11});
      break;
    case 3: {  // 3D: a wireframe cube
      const double s = 14, o = 8;
      const double ax = cx - s + -o / 2, ay = cy - s + o / 2;
      auto box = [&](double x, double y) {
        m->Line(x, y, x + 2 * s, y, 2);
        m->Line(x + 2 * s, y, x + 2 * s, y + 2 * s, 2);
        m->Line(x + 2 * s, y + 2 * s, x, y + 2 * s, 2);
        m->Line(x, y + 2 * s, x, y, 2);
      };
      box(ax, ay);
      box(ax + o, ay - o);
      for (int i = 0; i < 4; ++i) {
        const double x = ax + (i & 1) * 2 * s, y = ay + (i >> 1) * 2 * s;
        m->Line(x, y, x + o, y - o, 2);
      }
      break;
    }
    case 4: {  // design: a cut gem, its facets cut out of the shape
      m->Polygon({cx - 22, cy - 6, cx - 11, cy - 18, cx + 11, cy - 18, cx + 22, cy - 6, cx, cy + 20});
      Mask facets(m->width, m->height);
      facets.Line(cx - 22, cy - 6, cx + 22, cy - 6, 1.5);
      facets.Line(cx - 11, cy - 18, cx - 6, cy - 6, 1.5);
      facets.Line(cx + 11, cy - 18, cx + 6, cy - 6, 1.5);
      facets.Line(cx - 6, cy - 6, cx, cy + 20, 1.5);
      facets.Line(cx + 6, cy - 6, cx, cy + 20, 1.5);
      m->Subtract(facets);
      break;
    }
    case 5: {  // tools: a gear
      std::vector<double> pts;
      for (int i = 0; i < 40; ++i) {
        const double a = i * kPi / 20;
        const double r = (i % 4 < 2) ? 22 : 16;
        pts.push_back(cx + r * ArtCos(a));
        pts.push_back(cy + r * ArtSin(a));
      }
      m->Polygon(pts);
      Mask hole(m->width, m->height);
      hole.Circle(cx, cy, 7);
      m->Subtract(hole);
      break;
    }
    default: {  // support: a five-pointed star
      std::vector<double> pts;
      for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + i * kPi / 5;
        const double r = (i % 2 == 0) ? 23 : 10;
        pts.push_back(cx + r * ArtCos(a));
        pts.push_back(cy + r * ArtSin(a));
      }
      m->Polygon(pts);
      break;
    }
  }
}

// Keyed outline text: dark edge then the fill; the rest of the strip stays uncovered.
void KeyedName(Canvas* c, const std::string& text, double sx, double sy, Rgb top, Rgb bottom) {
  const double x = (c->width() - FontTextWidth(text, sx)) / 2;
  const double y = (c->height() - 7 * sy) / 2;
  Mask edge(c->width(), c->height());
  FontText(&edge, text, x, y, sx, sy, 1.3);
  c->Paint(edge, Flat(Hex(0x100820)));
  Mask body(c->width(), c->height());
  FontText(&body, text, x, y, sx, sy);
  c->Paint(body, VerticalGradient(y, top, y + 7 * sy, bottom));
  Mask shine(c->width(), c->height());
  FontText(&shine, text, x, y, sx, sy * 0.5);
  Mask cut(c->width(), c->height());
  cut.Rect(0, y + sy, c->width(), c->height());
  shine.Subtract(cut);
  c->Paint(shine, Flat(Hex(0xFFFFFF)), 0.45);
}
}  // namespace

// A credit card: role on top, emblem in the middle, handle below, on a dark glass plate.
// The card fades to black by subtraction, so it is bright and contrasty.
Image MakeCredit(int number) {
  const CreditCard& card = kCards[(number - 1) % 7];
  Canvas c(90, 108);
  c.Fill(Rgb{0, 0, 0});
  const Rgb accent = Hsv(card.hue, 0.75, 1), deep = Hsv(card.hue, 0.9, 0.22);
  Mask plate(90, 108);
  plate.RoundRect(1, 1, 89, 107, 9);
  c.Paint(plate, VerticalGradient(0, deep, 108, Hex(0x06040C)));
  Mask border(90, 108);
  border.RoundRect(1, 1, 89, 107, 9);
  Mask inner(90, 108);
  inner.RoundRect(3, 3, 87, 105, 7);
  border.Subtract(inner);
  c.Paint(border, VerticalGradient(0, accent, 108, Scale(accent, 0.4)));
  c.Glow(45, 52, 30, accent, 0.35);
  Mask role(90, 108);
  const double roleScale = FontTextWidth(card.role, 1.4) <= 78 ? 1.4 : 1.2;
  FontTextCentred(&role, card.role, 45, 10, roleScale, 1.6);
  c.Paint(role, Flat(Mix(accent, Rgb{1, 1, 1}, 0.6)));
  Mask rule(90, 108);
  rule.Rect(14, 24, 76, 25);
  c.Paint(rule, Flat(accent), 0.6);
  Mask emblem(90, 108);
  Emblem(&emblem, (number - 1) % 7, 45, 54);
  c.Paint(emblem, VerticalGradient(30, Mix(accent, Rgb{1, 1, 1}, 0.5), 78, accent));
  if ((number - 1) % 7 == 1) {  // paint dots on the palette
    for (int i = 0; i < 4; ++i) {
      Mask dot(90, 108);
      dot.Circle(35 + i * 7, 62 - (i % 2) * 5, 3);
      c.Paint(dot, Flat(Hsv(i * 0.25, 0.9, 1)));
    }
  }
  const double sx = FontTextWidth(card.handle, 2) <= 80 ? 2 : 1.8;
  DrawTitleTextCentred(&c, card.handle, 45, 84, sx, 2.4, ChromePaint(84, 100.8), Hex(0x000000), 0.8, 0);
  return c.ToImage();
}

// Face: a cool head in mirrored shades, on the key colour (stretched to about 97 x 104).
Image MakeFace() {
  Canvas c(97, 104);
  Mask hair(97, 104);
  hair.Ellipse(48.5, 44, 44, 42);
  hair.Polygon({6, 44, 18, 98, 32, 70});
  hair.Polygon({91, 44, 79, 98, 65, 70});
  c.Paint(hair, VerticalGradient(0, Hex(0x603018), 100, Hex(0x180804)));
  Mask face(97, 104);
  face.Ellipse(48.5, 56, 31, 40);
  c.Paint(face, RadialGradient(40, 46, 50, Hex(0xF8C8A0), Hex(0xA86040)));
  Mask fringe(97, 104);
  fringe.Polygon({14, 36, 30, 12, 60, 8, 84, 30, 70, 28, 48, 20, 30, 30});
  c.Paint(fringe, VerticalGradient(8, Hex(0x804020), 36, Hex(0x301008)));
  Mask glasses(97, 104);
  glasses.RoundRect(19, 44, 46, 60, 5);
  glasses.RoundRect(51, 44, 78, 60, 5);
  glasses.Rect(44, 47, 53, 50);
  c.Paint(glasses, VerticalGradient(44, Hex(0xFF40C0), 60, Hex(0x2020A0)));
  Mask glint(97, 104);
  glint.Line(24, 48, 31, 48, 1.6);
  glint.Line(56, 48, 63, 48, 1.6);
  c.Paint(glint, Flat(Hex(0xFFFFFF)), 0.9);
  Mask nose(97, 104);
  nose.Line(50, 62, 54, 74, 2);
  nose.Line(54, 74, 48, 76, 2);
  c.Paint(nose, Flat(Hex(0x985030)), 0.7);
  Mask lips(97, 104);
  lips.Ellipse(48.5, 84, 10, 4);
  c.Paint(lips, VerticalGradient(80, Hex(0xF04060), 88, Hex(0x901830)));
  Mask smile(97, 104);
  smile.Line(39, 84, 58, 84, 1);
  c.Paint(smile, Flat(Hex(0x500818)));
  return c.ToKeyedImage();
}

// A name strip: the name in big outlined letters, nothing else (stretched to 136 x 30).
Image MakeNameStrip(const char* name, Rgb top, Rgb bottom) {
  Canvas c(136, 30);
  KeyedName(&c, name, 3.0, 3.5, top, bottom);
  return c.ToKeyedImage();
}

// Disco: the caption strip along the bottom: a rounded banner with the word in chrome.
Image MakeDisco() {
  Canvas c(320, 43);
  Mask banner(320, 43);
  banner.RoundRect(40, 4, 280, 40, 14);
  c.Paint(banner, Flat(Hex(0xFFD050)));
  Mask inner(320, 43);
  inner.RoundRect(43, 7, 277, 37, 11);
  c.Paint(inner, HorizontalGradient(43, Hex(0x7010A0), 277, Hex(0xD02080)));
  for (int i = 0; i < 10; ++i) {
    Mask dot(320, 43);
    const double x = i < 5 ? 56 + i * 9 : 228 + (i - 5) * 9;
    dot.Circle(x, 22, 2.5);
    c.Paint(dot, Flat(Hsv(i / 10.0, 0.6, 1)));
  }
  DrawTitleTextCentred(&c, "DISCO", 160, 9, 5, 3.6, ChromePaint(9, 34.2), Hex(0x200828), 1.2, 0);
  Mask star(320, 43);
  star.Polygon({18, 22, 24, 20, 26, 13, 28, 20, 34, 22, 28, 24, 26, 31, 24, 24});
  star.Polygon({286, 22, 292, 20, 294, 13, 296, 20, 302, 22, 296, 24, 294, 31, 292, 24});
  c.Paint(star, Flat(Hex(0xFFF0A0)));
  return c.ToKeyedImage();
}

// torus: a riveted metal frame with a rounded window (blue) in the middle.
Image MakeTorusFrame() {
  Canvas c(320, 240);
  Mask frame(320, 240);
  frame.Rect(0, 0, 320, 240);
  Mask window(320, 240);
  window.RoundRect(22, 18, 298, 212, 26);
  frame.Subtract(window);
  c.Paint(frame, [](double x, double y) {
    const double brushed = TileNoise(x * 0.8, y / 30.0, 256, 12) * 0.12;
    const Rgb base = Mix(Hex(0x586078), Hex(0x20222E), Clamp01(y / 240));
    return Add(base, Rgb{brushed, brushed, brushed * 1.1});
  });
  Mask lip(320, 240);
  lip.RoundRect(18, 14, 302, 216, 29);
  Mask lipHole(320, 240);
  lipHole.RoundRect(22, 18, 298, 212, 26);
  lip.Subtract(lipHole);
  c.Paint(lip, VerticalGradient(14, Hex(0xE0E8FF), 216, Hex(0x404060)));
  for (double x : {10.0, 310.0})
    for (double y : {9.0, 120.0, 231.0}) {
      Mask rivet(320, 240);
      rivet.Circle(x, y, 3.5);
      c.Paint(rivet, RadialGradient(x - 1, y - 1, 5, Hex(0xFFFFFF), Hex(0x303040)));
    }
  Mask name(320, 240);
  FontTextCentred(&name, "TAVRINE 3D", 160, 222, 1.6, 1.6);
  c.Paint(name, Flat(Hex(0xFFB040)));
  for (int i = 0; i < 9; ++i) {  // a row of signal lamps along the top
    const double x = 120 + i * 10;
    const Rgb lamp = Hsv(i / 9.0, 0.7, 1);
    c.Glow(x, 8, 5, lamp, 0.6);
    Mask dot(320, 240);
    dot.Circle(x, 8, 2);
    c.Paint(dot, Flat(lamp));
  }
  return c.ToKeyedImage();
}

// Lady: a woman in an evening gown, standing in the right half of her picture, so the
// 3D object in the middle of the screen stays in view.
Image MakeLady() {
  Canvas c(201, 240);
  const Paint skin = RadialGradient(130, 40, 90, Hex(0xF8D0B0), Hex(0xB87050));
  Mask hair(201, 240);
  hair.Ellipse(142, 34, 20, 22);
  hair.Polygon({124, 30, 162, 28, 172, 96, 150, 70, 132, 60});
  c.Paint(hair, VerticalGradient(10, Hex(0x2A1208), 96, Hex(0x0A0404)));
  Mask head(201, 240);
  head.Ellipse(140, 38, 13, 17);
  head.Polygon({134, 50, 146, 50, 148, 66, 132, 66});  // neck
  c.Paint(head, skin);
  Mask fringe(201, 240);
  fringe.Polygon({126, 30, 136, 16, 156, 18, 160, 34, 146, 26});
  c.Paint(fringe, Flat(Hex(0x2A1208)));
  Mask arms(201, 240);
  arms.Line(122, 72, 104, 110, 8);   // arm raised to the hip
  arms.Line(104, 110, 124, 128, 7);
  arms.Line(160, 72, 172, 40, 8);    // arm up behind the head
  arms.Line(172, 40, 156, 20, 7);
  c.Paint(arms, skin);
  Mask gown(201, 240);
  gown.Polygon({124, 64, 158, 64, 154, 100, 146, 130, 160, 170, 190, 240, 96, 240, 126, 170, 132, 130, 126, 100});
  c.Paint(gown, [](double x, double y) {
    const double sheen = 0.5 + 0.5 * ArtSin(x * 0.16 + y * 0.05);
    return Mix(Mix(Hex(0xD01848), Hex(0x600820), Clamp01((y - 60) / 180)), Hex(0xFF80A0), 0.35 * sheen * sheen);
  });
  Mask sash(201, 240);
  sash.Line(130, 128, 150, 122, 4);
  c.Paint(sash, Flat(Hex(0xFFD060)));
  Mask earring(201, 240);
  earring.Circle(130, 50, 2);
  c.Paint(earring, Flat(Hex(0xFFE080)));
  c.Glow(152, 126, 6, Hex(0xFFFFC0), 0.8);
  return c.ToKeyedImage();
}

const std::vector<PackPicture>& PackPictures() {
  static const std::vector<PackPicture> list = {
      {"Textures/Texture1.pcx", PictureFormat::kPcx, 256, 256, false, MakeTexture1},
      {"Textures/Texture2.pcx", PictureFormat::kPcx, 256, 256, false, MakeTexture2},
      {"Textures/Texture4.pcx", PictureFormat::kPcx, 256, 256, false, MakeTexture4},
      {"Images/Cred1.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(1); }},
      {"Images/Cred2.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(2); }},
      {"Images/Cred3.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(3); }},
      {"Images/Cred4.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(4); }},
      {"Images/Cred5.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(5); }},
      {"Images/Cred6.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(6); }},
      {"Images/Cred7.pcx", PictureFormat::kPcx, 90, 108, false, [] { return MakeCredit(7); }},
      {"Images/Pixel1.pcx", PictureFormat::kPcx, 320, 240, false, MakePixel1},
      {"Images/Pixel2.pcx", PictureFormat::kPcx, 320, 240, false, MakePixel2},
      {"Images/Pixel3.pcx", PictureFormat::kPcx, 320, 240, false, MakePixel3},
      {"Images/Pixel4.pcx", PictureFormat::kPcx, 320, 240, false, MakePixel4},
      {"Images/Pixel5.pcx", PictureFormat::kPcx, 320, 240, false, MakePixel5},
      {"Images/Bilde.pcx", PictureFormat::kPcx, 320, 240, false, MakeBilde},
      {"Images/Lastpic.pcx", PictureFormat::kPcx, 320, 240, false, MakeLastpic},
      {"Images/Loading.bmp", PictureFormat::kBmp24, 320, 240, false, MakeLoading},
      {"Images/Face.bmp", PictureFormat::kBmp24, 97, 104, true, MakeFace},
      {"Images/Garrith.bmp", PictureFormat::kBmp24, 136, 30, true,
       [] { return MakeNameStrip("GARRITH", Hex(0xFFF080), Hex(0xFF5020)); }},
      {"Images/Trandle.bmp", PictureFormat::kBmp24, 136, 30, true,
       [] { return MakeNameStrip("TRANDLE", Hex(0xC0FFFF), Hex(0x2080FF)); }},
      {"Images/Quibel.bmp", PictureFormat::kBmp24, 136, 30, true,
       [] { return MakeNameStrip("QUIBEL", Hex(0xFFD0FF), Hex(0xC020C0)); }},
      {"Images/Vorsk.bmp", PictureFormat::kBmp24, 136, 30, true,
       [] { return MakeNameStrip("VORSK", Hex(0xE0FFC0), Hex(0x20B040)); }},
      {"Images/Disco.bmp", PictureFormat::kBmp24, 320, 43, true, MakeDisco},
      {"Images/A_new.bmp", PictureFormat::kBmp24, 108, 240, false, MakeSidePanel},
      {"Images/A_new2.bmp", PictureFormat::kBmp24, 320, 240, false, MakeBackdrop},
      {"Images/torus.bmp", PictureFormat::kBmp24, 320, 240, true, MakeTorusFrame},
      {"Images/Lady.bmp", PictureFormat::kBmp24, 201, 240, true, MakeLady},
      {"Images/Logo1.bmp", PictureFormat::kBmp24, 256, 128, false, MakeLogo},
  };
  return list;
}
