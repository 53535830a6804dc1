#include <algorithm>
#include <filesystem>

#include "content/bmp_writer.h"
#include "content/content.h"
#include "content/pcx_writer.h"
#include "content/picture_font.h"
#include "content/picture_readers.h"
#include "content/picture_set.h"
#include "png_writer.h"

bool WritePictureFiles(const std::string& dir, std::string* error) {
  for (const PackPicture& p : PackPictures()) {
    const std::string path = (std::filesystem::path(dir) / p.path).string();
    const Image image = p.make();
    if (image.width != p.width || image.height != p.height) {
      if (error) *error = std::string(p.path) + " came out at the wrong size";
      return false;
    }
    const bool ok = p.format == PictureFormat::kPcx ? WritePcx(path, image, error) : WriteBmp24(path, image, error);
    if (!ok) return false;
  }
  return true;
}

// Every picture read back from the pack, on a dark sheet with its name and size; keyed
// pictures on a checkerboard so their holes show.
bool WriteContactSheet(const std::string& dir, const std::string& pngPath, std::string* error) {
  constexpr int kSheetWidth = 1360, kGap = 14, kLabel = 14;
  struct Placed {
    Image image;
    std::string label;
    bool keyed;
    int x, y;
  };
  std::vector<Placed> placed;
  int x = kGap, y = kGap, rowHeight = 0;
  for (const PackPicture& p : PackPictures()) {
    Image image;
    if (!ReadPictureFile((std::filesystem::path(dir) / p.path).string(), &image, error)) return false;
    if (x + image.width + kGap > kSheetWidth && x > kGap) {
      x = kGap;
      y += rowHeight + kLabel + kGap;
      rowHeight = 0;
    }
    const std::string name = std::filesystem::path(p.path).filename().string();
    placed.push_back({std::move(image), name, p.keyed, x, y});
    const Placed& last = placed.back();
    x += std::max(last.image.width, static_cast<int>(FontTextWidth(name + " 000X000", 1)) ) + kGap;
    rowHeight = std::max(rowHeight, last.image.height);
  }
  const int height = y + rowHeight + kLabel + kGap;
  Canvas sheet(kSheetWidth, height);
  sheet.Fill(Hex(0x202028));
  Mask labels(kSheetWidth, height);
  for (const Placed& p : placed) {
    const std::string text = p.label + " " + std::to_string(p.image.width) + "X" + std::to_string(p.image.height);
    FontText(&labels, text, p.x, p.y + p.image.height + 4, 1, 1);
  }
  sheet.Paint(labels, Flat(Hex(0xE0E0E8)));
  Image out = sheet.ToImage();
  for (const Placed& p : placed)
    for (int py = 0; py < p.image.height; ++py)
      for (int px = 0; px < p.image.width; ++px) {
        uint32_t v = p.image.At(px, py);
        if (p.keyed && v == 0x0000FF) v = (((px / 6) + (py / 6)) & 1) ? 0x505058 : 0x3A3A40;
        out.At(p.x + px, p.y + py) = v;
      }
  return WritePng(pngPath, out, error);
}
