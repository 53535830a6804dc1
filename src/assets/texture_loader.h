// texture_loader.h - turns a material's texture bitmap into a texture of the 3D device.
//
//   LoadMaterialTexture(material->texture, device, "Chrome.bmp");   // reads Textures\Chrome.bmp
//   ... RenderScene selects material->texture->handle (0 = untextured) ...
//   ReleaseMaterialTexture(material->texture);
//
// The device offers pixel formats; the one that best fits the bitmap's depth is chosen the
// way the era's drivers were asked (ChooseTextureFormat). A palette format keeps the bitmap's
// colour table as its palette; a 16-bit format keeps 5-6-5 bits of each colour.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/scene.h"

class Device3D;

// Pixel-format flags, as the era's drivers described them.
constexpr uint32_t PIXEL_FORMAT_ALPHAPIXELS = 0x1;
constexpr uint32_t PIXEL_FORMAT_ALPHA = 0x2;
constexpr uint32_t PIXEL_FORMAT_PALETTEINDEXED4 = 0x8;
constexpr uint32_t PIXEL_FORMAT_PALETTEINDEXED8 = 0x20;
constexpr uint32_t PIXEL_FORMAT_RGB = 0x40;

struct TexturePixelFormat {
  uint32_t flags;
  uint32_t bitCount;  // 0: nothing chosen
  uint32_t redMask, greenMask, blueMask, alphaMask;
};

// The formats our software device offers, in its order.
extern const TexturePixelFormat SoftwareTextureFormats[5];

// Offers every format in order: formats with alpha are skipped, deep formats need RGB,
// palette formats must be 8-bit; the first acceptable one is taken, and a later one replaces
// it only when it is at least the requested depth and nearer to it (unsigned differences).
// All zero when nothing is acceptable.
TexturePixelFormat ChooseTextureFormat(const TexturePixelFormat* offered, size_t count, uint32_t requestedBits);

// Palette capabilities.
constexpr uint32_t PALETTE_4BIT = 0x1;
constexpr uint32_t PALETTE_8BIT = 0x4;

struct TexturePalette {
  uint32_t caps = 0;              // 0 when there is no palette
  std::vector<uint32_t> entries;  // 0x00RRGGBB
};

// A bitmap colour table (blue, green, red, reserved per entry) as a palette: 4-bit capability
// for up to 16 entries, 8-bit above; none for an empty table.
TexturePalette MakeTexturePalette(const uint8_t* colorTable, size_t entries);

// 1 when the texture and its handle were made, 0 otherwise (the material then draws
// untextured). A file that is missing or not a bitmap leaves the record untouched.
int LoadMaterialTexture(MaterialTexture* record, Device3D* device, const char* fileName);
void ReleaseMaterialTexture(MaterialTexture* record);
