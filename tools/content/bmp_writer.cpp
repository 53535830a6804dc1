#include "content/bmp_writer.h"

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool ValidImage(const Image& image) {
  return image.width > 0 && image.height > 0 && image.width <= 65536 && image.height <= 65536 &&
         image.pixels.size() == static_cast<size_t>(image.width) * image.height;
}

// File header and BITMAPINFOHEADER (40 bytes); no compression, 72 dpi.
void PutHeaders(std::vector<uint8_t>& out, const Image& image, int bits, uint32_t colours,
                uint32_t imageBytes) {
  const uint32_t dataOffset = 14 + 40 + colours * 4;
  out.push_back('B');
  out.push_back('M');
  Put32(out, dataOffset + imageBytes);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(image.width));
  Put32(out, static_cast<uint32_t>(image.height));  // positive: bottom-up rows
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);
  Put32(out, imageBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, colours);
  Put32(out, colours);
}

uint32_t RowBytes(int width, int bits) { return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4; }

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = "cannot create " + path;
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Image& image) {
  std::vector<uint8_t> out;
  if (!ValidImage(image)) return out;
  const uint32_t row = RowBytes(image.width, 24);
  out.reserve(54 + static_cast<size_t>(row) * image.height);
  PutHeaders(out, image, 24, 0, row * static_cast<uint32_t>(image.height));
  for (int y = image.height - 1; y >= 0; --y) {
    const size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.At(x, y);
      out.push_back(static_cast<uint8_t>(p));        // blue
      out.push_back(static_cast<uint8_t>(p >> 8));   // green
      out.push_back(static_cast<uint8_t>(p >> 16));  // red
    }
    out.resize(start + row, 0);
  }
  return out;
}

std::vector<uint8_t> EncodeBmp8(const Image& indices, const std::vector<uint32_t>& palette) {
  std::vector<uint8_t> out;
  if (!ValidImage(indices) || palette.empty() || palette.size() > 256) return out;
  for (uint32_t p : indices.pixels) {
    if ((p & 0xFF) >= palette.size()) return out;
  }
  const uint32_t colours = static_cast<uint32_t>(palette.size());
  const uint32_t row = RowBytes(indices.width, 8);
  PutHeaders(out, indices, 8, colours, row * static_cast<uint32_t>(indices.height));
  for (uint32_t c : palette) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
    out.push_back(0);
  }
  for (int y = indices.height - 1; y >= 0; --y) {
    const size_t start = out.size();
    for (int x = 0; x < indices.width; ++x) out.push_back(static_cast<uint8_t>(indices.At(x, y)));
    out.resize(start + row, 0);
  }
  return out;
}

bool WriteBmp24(const std::string& path, const Image& image, std::string* error) {
  const std::vector<uint8_t> bytes = EncodeBmp24(image);
  if (bytes.empty()) {
    if (error) *error = "bad picture for " + path;
    return false;
  }
  return WriteFile(path, bytes, error);
}

bool WriteBmp8(const std::string& path, const Image& indices, const std::vector<uint32_t>& palette,
               std::string* error) {
  const std::vector<uint8_t> bytes = EncodeBmp8(indices, palette);
  if (bytes.empty()) {
    if (error) *error = "bad picture or palette for " + path;
    return false;
  }
  return WriteFile(path, bytes, error);
}
