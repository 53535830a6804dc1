// Fuzzes the BMP reader over bytes, against SDL's BMP loader, which the show used to decode its
// pictures: whatever the header size rule lets through, both must refuse it, or both give the
// same pixels.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/bmp.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// True when SDL decodes the file; then its pixels must be `ours`.
bool SameAsSdl(const uint8_t* data, size_t size, const BmpPicture& ours) {
  SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(data, static_cast<int>(size)), 1);
  if (!loaded) return false;
  SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE);
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  Require(converted != nullptr);
  if (!ours.pixels.empty()) {
    Require(converted->w == ours.width && converted->h == ours.height);
    for (int y = 0; y < converted->h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                          static_cast<size_t>(y) * converted->pitch);
      for (int x = 0; x < converted->w; ++x)
        Require((row[x] & 0xFFFFFF) == ours.pixels[static_cast<size_t>(y) * ours.width + x]);
    }
  }
  SDL_FreeSurface(converted);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BmpPicture picture;
  const BmpResult result = DecodeBmp(data, size, &picture);
  if (result == BmpResult::NotBmp || result == BmpResult::Implausible) {
    Require(picture.pixels.empty());
    return 0;
  }
  if (result == BmpResult::Decoded) {
    Require(picture.width > 0 && picture.height > 0);
    Require(picture.pixels.size() == static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    Require(picture.colorTable.size() % 4 == 0 && picture.colorTable.size() <= 4 * 256);
    for (uint32_t p : picture.pixels) Require(p <= 0xFFFFFF);
  }
  Require(SameAsSdl(data, size, picture) == (result == BmpResult::Decoded));
  return 0;
}
