// picture_set.h - every 2D picture of the content pack: where it goes, how it is stored,
// whether it is a keyed overlay, and the function that paints it.
//
//   for (const PackPicture& p : PackPictures()) Save(dir + "/" + p.path, p.make());
#pragma once
#include <string>
#include <vector>

#include "content/picture_art.h"
#include "image.h"

enum class PictureFormat { kPcx, kBmp24 };

struct PackPicture {
  const char* path;       // relative to the pack, '/' separated
  PictureFormat format;
  int width, height;      // the size the show uses
  bool keyed;             // pure blue 0x0000FF marks the holes
  Image (*make)();
};

// In the order the show loads them.
const std::vector<PackPicture>& PackPictures();

// Shared looks.
Paint ChromePaint(double y0, double y1);                  // sky-over-ground metal
// Text with a dark outline and a drop shadow, filled with `fill`.
void DrawTitleText(Canvas* canvas, const std::string& text, double x, double y, double sx, double sy,
                   const Paint& fill, Rgb outline, double outlineWidth, int shadow);
void DrawTitleTextCentred(Canvas* canvas, const std::string& text, double cx, double y, double sx, double sy,
                          const Paint& fill, Rgb outline, double outlineWidth, int shadow);

Image MakeTexture1();
Image MakeTexture2();
Image MakeTexture4();
Image MakeCredit(int number);  // 1..7
Image MakePixel1();
Image MakePixel2();
Image MakePixel3();
Image MakePixel4();
Image MakePixel5();
Image MakeBilde();
Image MakeLastpic();
Image MakeLoading();
Image MakeFace();
Image MakeNameStrip(const char* name, Rgb top, Rgb bottom);
Image MakeDisco();
Image MakeSidePanel();   // A_new
Image MakeBackdrop();    // A_new2
Image MakeTorusFrame();
Image MakeLady();
Image MakeLogo();
