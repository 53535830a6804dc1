// Fuzzes the BMP header reader the texture loader trusts before it makes a texture, and the
// palette made from the colour table it returns.
#include <cstddef>
#include <cstdint>

#include "assets/texture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BitmapInfo info{};
  if (!ReadBitmapInfo(data, size, &info)) return 0;
  const TexturePixelFormat format = ChooseTextureFormat(SoftwareTextureFormats, 5, info.bitsPerPixel);
  if (format.bitCount != 0 && format.bitCount <= 8)
    MakeTexturePalette(info.colorTable.data(), info.colorTable.size() / 4);
  return 0;
}
