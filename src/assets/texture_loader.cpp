#include "assets/texture_loader.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "assets/bmp.h"
#include "raster/device3d.h"

const TexturePixelFormat SoftwareTextureFormats[5] = {
    {PIXEL_FORMAT_PALETTEINDEXED8, 8, 0, 0, 0, 0},
    {PIXEL_FORMAT_RGB, 16, 0xF800, 0x07E0, 0x001F, 0},
    {PIXEL_FORMAT_RGB, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0},
    {PIXEL_FORMAT_RGB, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0},
    {PIXEL_FORMAT_RGB | PIXEL_FORMAT_ALPHAPIXELS, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000u},
};

TexturePixelFormat ChooseTextureFormat(const TexturePixelFormat* offered, size_t count, uint32_t requested) {
  TexturePixelFormat chosen{};
  for (size_t i = 0; i < count; ++i) {
    const TexturePixelFormat& format = offered[i];
    if (format.flags & (PIXEL_FORMAT_ALPHAPIXELS | PIXEL_FORMAT_ALPHA)) continue;
    if (format.bitCount > 8) {
      if (!(format.flags & PIXEL_FORMAT_RGB)) continue;
    } else if (!(format.flags & (PIXEL_FORMAT_PALETTEINDEXED8 | PIXEL_FORMAT_PALETTEINDEXED4)) || format.bitCount < 8) {
      continue;
    }
    if (chosen.bitCount == 0 ||
        (format.bitCount >= requested && format.bitCount - requested < chosen.bitCount - requested))
      chosen = format;
  }
  return chosen;
}

TexturePalette MakeTexturePalette(const uint8_t* colorTable, size_t entries) {
  TexturePalette palette;
  if (entries == 0) return palette;
  palette.caps = entries <= 16 ? PALETTE_4BIT : PALETTE_8BIT;
  for (size_t i = 0; i < entries; ++i) {
    const uint8_t* e = colorTable + 4 * i;  // blue, green, red, reserved
    palette.entries.push_back(static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0]);
  }
  return palette;
}

// The colour a format keeps of a pixel: a palette entry, 5-6-5 bits, or the pixel itself.
static uint32_t KeptColor(uint32_t pixel, const TexturePixelFormat& format, const TexturePalette& palette) {
  if (format.bitCount <= 8 && !palette.entries.empty()) {
    // Nearest palette entry; exact for the colours an indexed bitmap decodes to.
    uint32_t best = palette.entries[0];
    int bestDistance = 1 << 30;
    for (uint32_t entry : palette.entries) {
      const int dr = static_cast<int>((entry >> 16) & 0xFF) - static_cast<int>((pixel >> 16) & 0xFF);
      const int dg = static_cast<int>((entry >> 8) & 0xFF) - static_cast<int>((pixel >> 8) & 0xFF);
      const int db = static_cast<int>(entry & 0xFF) - static_cast<int>(pixel & 0xFF);
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        best = entry;
        bestDistance = distance;
        if (distance == 0) break;
      }
    }
    return best;
  }
  if (format.bitCount == 16) {
    const uint32_t r = (pixel >> 19) & 0x1F, g = (pixel >> 10) & 0x3F, b = (pixel >> 3) & 0x1F;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
  }
  return pixel & 0xFFFFFF;
}

void ReleaseMaterialTexture(MaterialTexture* record) {
  if (!record) return;
  if (record->device && record->handle) record->device->ReleaseTexture(record->handle);
  std::memset(record, 0, sizeof *record);
}

int LoadMaterialTexture(MaterialTexture* record, Device3D* device, const char* fileName) {
  if (!record || !device || !fileName) return 0;
  const std::string showName = std::string("Textures\\") + fileName;
  BmpPicture bitmap;
  if (LoadBmpPicture(showName.c_str(), &bitmap) != BmpResult::Decoded) return 0;

  ReleaseMaterialTexture(record);
  const TexturePixelFormat format = ChooseTextureFormat(SoftwareTextureFormats, 5, bitmap.bitsPerPixel);
  const TexturePalette palette = format.bitCount <= 8
                                     ? MakeTexturePalette(bitmap.colorTable.data(), bitmap.colorTable.size() / 4)
                                     : TexturePalette{};
  if (format.bitCount == 0) return 0;

  std::vector<uint32_t> pixels(bitmap.pixels.size());
  if (palette.entries.empty() || format.bitCount > 8) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = KeptColor(bitmap.pixels[i], format, palette);
  } else {
    // The nearest-entry search is slow and a picture repeats its few colours: each one once.
    std::unordered_map<uint32_t, uint32_t> kept;
    for (size_t i = 0; i < pixels.size(); ++i) {
      const auto [at, added] = kept.try_emplace(bitmap.pixels[i]);
      if (added) at->second = KeptColor(bitmap.pixels[i], format, palette);
      pixels[i] = at->second;
    }
  }
  const uint32_t handle = device->CreateTexture(bitmap.width, bitmap.height, pixels.data());
  if (handle == 0) return 0;
  record->device = device;
  record->width = bitmap.width;
  record->height = bitmap.height;
  record->handle = handle;
  return 1;
}
