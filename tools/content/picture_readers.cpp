#include "content/picture_readers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/file.h"

namespace {

constexpr uint64_t kMaxPixels = 1u << 26;  // far beyond any picture of the pack
constexpr size_t kMaxFileBytes = size_t{256} << 20;

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool DecodePcx(const std::vector<uint8_t>& bytes, Image* image, std::string* error) {
  if (bytes.size() < 128) return Fail(error, "PCX shorter than its 128-byte header");
  if (bytes[0] != 10 || bytes[2] != 1 || bytes[3] != 8 || bytes[65] != 3)
    return Fail(error, "not a run-length encoded 24-bit PCX");
  const uint32_t xmin = Le16(bytes, 4), ymin = Le16(bytes, 6), xmax = Le16(bytes, 8), ymax = Le16(bytes, 10);
  if (xmax < xmin || ymax < ymin) return Fail(error, "PCX with an empty or inverted window");
  const uint32_t w = xmax - xmin + 1, h = ymax - ymin + 1;
  const uint32_t perLine = Le16(bytes, 66);
  if (perLine < w) return Fail(error, "PCX bytes per line smaller than its width");
  if (static_cast<uint64_t>(w) * h > kMaxPixels) return Fail(error, "PCX too large");
  Image out(static_cast<int>(w), static_cast<int>(h));
  std::vector<uint8_t> line(perLine);
  size_t pos = 128;
  for (uint32_t y = 0; y < h; ++y) {
    for (int plane = 0; plane < 3; ++plane) {
      uint32_t done = 0;
      while (done < perLine) {
        if (pos >= bytes.size()) return Fail(error, "PCX data ends early");
        uint8_t b = bytes[pos++];
        uint32_t run = 1;
        if ((b & 0xC0) == 0xC0) {
          run = b & 0x3F;
          if (pos >= bytes.size()) return Fail(error, "PCX data ends early");
          b = bytes[pos++];
        }
        if (run > perLine - done) return Fail(error, "PCX run crosses the end of a plane line");
        std::fill(line.begin() + done, line.begin() + done + run, b);
        done += run;
      }
      const int shift = 16 - 8 * plane;
      uint32_t* row = &out.pixels[static_cast<size_t>(y) * w];
      for (uint32_t x = 0; x < w; ++x) row[x] |= static_cast<uint32_t>(line[x]) << shift;
    }
  }
  *image = std::move(out);
  return true;
}

bool DecodeBmp(const std::vector<uint8_t>& bytes, Image* image, std::string* error) {
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(error, "not a BMP file");
  const uint32_t dataOffset = Le32(bytes, 10);
  const uint32_t infoSize = Le32(bytes, 14);
  if (infoSize < 40 || 14ull + infoSize > bytes.size()) return Fail(error, "BMP with a short info header");
  const int32_t w = static_cast<int32_t>(Le32(bytes, 18));
  const int32_t rawH = static_cast<int32_t>(Le32(bytes, 22));
  const uint32_t bits = Le16(bytes, 28), compression = Le32(bytes, 30);
  if (compression != 0) return Fail(error, "compressed BMP not supported");
  if (bits != 24 && bits != 8) return Fail(error, "BMP depth " + std::to_string(bits) + " not supported");
  if (w <= 0 || rawH == 0 || rawH == INT32_MIN) return Fail(error, "BMP with an empty size");
  const bool topDown = rawH < 0;
  const uint32_t h = static_cast<uint32_t>(topDown ? -static_cast<int64_t>(rawH) : rawH);
  if (static_cast<uint64_t>(w) * h > kMaxPixels) return Fail(error, "BMP too large");
  std::vector<uint32_t> palette;
  if (bits == 8) {
    uint32_t colours = Le32(bytes, 46);
    if (colours == 0) colours = 256;
    if (colours > 256) return Fail(error, "BMP colour table too large");
    const uint64_t tableAt = 14ull + infoSize;
    if (tableAt + 4ull * colours > bytes.size()) return Fail(error, "BMP colour table cut short");
    for (uint32_t i = 0; i < colours; ++i) {
      const size_t at = static_cast<size_t>(tableAt + 4ull * i);
      palette.push_back((bytes[at + 2] << 16) | (bytes[at + 1] << 8) | bytes[at]);
    }
  }
  const uint64_t stride = ((static_cast<uint64_t>(w) * bits + 31) / 32) * 4;
  if (dataOffset > bytes.size() || stride * h > bytes.size() - dataOffset)
    return Fail(error, "BMP pixel data cut short");
  Image out(w, static_cast<int>(h));
  for (uint32_t row = 0; row < h; ++row) {
    const size_t at = static_cast<size_t>(dataOffset + stride * row);
    const uint32_t y = topDown ? row : h - 1 - row;
    for (int32_t x = 0; x < w; ++x) {
      uint32_t p;
      if (bits == 24) {
        const size_t q = at + 3 * static_cast<size_t>(x);
        p = (bytes[q + 2] << 16) | (bytes[q + 1] << 8) | bytes[q];
      } else {
        const uint8_t index = bytes[at + x];
        if (index >= palette.size()) return Fail(error, "BMP index outside its colour table");
        p = palette[index];
      }
      out.At(x, static_cast<int>(y)) = p;
    }
  }
  *image = std::move(out);
  return true;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  FileRefusal refusal;
  if (!ReadWholeFile(path.c_str(), kMaxFileBytes, *bytes, &refusal)) return Fail(error, path + " " + refusal.why);
  return true;
}

bool ReadPictureFile(const std::string& path, Image* image, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, &bytes, error)) return false;
  std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  std::string why;
  bool ok;
  if (ext == ".pcx") {
    ok = DecodePcx(bytes, image, &why);
  } else if (ext == ".bmp") {
    ok = DecodeBmp(bytes, image, &why);
  } else {
    ok = false;
    why = "unknown picture type";
  }
  if (!ok) return Fail(error, path + ": " + why);
  return true;
}
