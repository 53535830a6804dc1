#include "content/pcx_writer.h"

#include <cstdio>

namespace {

void PutLe16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v & 0xFF);
  out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

// One plane line: runs of equal bytes up to 63 long; a single byte below 0xC0 goes as itself,
// everything else as a count byte (0xC0 | n) and the value. Runs never cross the line's end.
void EncodePlaneLine(const uint8_t* line, int width, std::vector<uint8_t>& out) {
  int x = 0;
  while (x < width) {
    const uint8_t v = line[x];
    int run = 1;
    while (x + run < width && run < 63 && line[x + run] == v) ++run;
    if (run == 1 && v < 0xC0) {
      out.push_back(v);
    } else {
      out.push_back(static_cast<uint8_t>(0xC0 | run));
      out.push_back(v);
    }
    x += run;
  }
}

}  // namespace

std::vector<uint8_t> EncodePcx(const Image& image) {
  const int w = image.width, h = image.height;
  if (w <= 0 || h <= 0 || (w & 1) != 0 || w > 65536 || h > 65536 ||
      image.pixels.size() != static_cast<size_t>(w) * h) {
    return {};
  }
  std::vector<uint8_t> out(128, 0);
  out[0] = 10;  // manufacturer
  out[1] = 5;   // version
  out[2] = 1;   // run-length encoding
  out[3] = 8;   // bits per pixel per plane
  PutLe16(out, 4, 0);
  PutLe16(out, 6, 0);
  PutLe16(out, 8, static_cast<uint32_t>(w - 1));
  PutLe16(out, 10, static_cast<uint32_t>(h - 1));
  PutLe16(out, 12, 72);
  PutLe16(out, 14, 72);
  out[65] = 3;  // planes
  PutLe16(out, 66, static_cast<uint32_t>(w));  // bytes per line: no padding
  PutLe16(out, 68, 1);                          // palette type: colour
  std::vector<uint8_t> plane(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = &image.pixels[static_cast<size_t>(y) * w];
    for (int shift : {16, 8, 0}) {
      for (int x = 0; x < w; ++x) plane[x] = static_cast<uint8_t>((row[x] >> shift) & 0xFF);
      EncodePlaneLine(plane.data(), w, out);
    }
  }
  return out;
}

bool WritePcx(const std::string& path, const Image& image, std::string* error) {
  const std::vector<uint8_t> bytes = EncodePcx(image);
  if (bytes.empty()) {
    if (error) *error = "cannot encode " + path + " as PCX (needs an even width and some pixels)";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    if (error) *error = "cannot create " + path;
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!ok || !closed) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}
