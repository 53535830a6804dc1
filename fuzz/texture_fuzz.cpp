// Fuzzes the two users of the BMP reader through real files, as the show calls them: the
// texture loader (format choice, palette, kept colours) and picture surfaces at both depths.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "assets/texture_loader.h"
#include "display/pictures.h"
#include "raster/device3d.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Takes every texture and reads every texel of it.
class TextureReader : public Device3D {
 public:
  uint32_t sum = 0;
  void SetTransform(TransformState, const float*) override {}
  void SetTextureHandle(uint32_t) override {}
  void Begin(PrimitiveType) override {}
  void Vertex(const LitVertex&) override {}
  void End() override {}
  uint32_t CreateTexture(int width, int height, const uint32_t* pixels) override {
    Require(width > 0 && height > 0);
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) sum += pixels[i];
    return 1;
  }
  void ReleaseTexture(uint32_t) override {}
};

// A folder of this process's own holding Textures/, entered once and removed at exit.
std::string folder;

void RemoveFolder() {
  std::remove((folder + "/Textures/input.bmp").c_str());
  rmdir((folder + "/Textures").c_str());
  rmdir(folder.c_str());
}

bool EnterFolder() {
  // In memory where there is such a folder: each input is written and read three times.
  char shared[] = "/dev/shm/tavrine-fuzz-XXXXXX", temporary[] = "/tmp/tavrine-fuzz-XXXXXX";
  const char* name = mkdtemp(shared);
  if (!name) name = mkdtemp(temporary);
  if (!name) return false;
  folder = name;
  std::atexit(RemoveFolder);
  return chdir(folder.c_str()) == 0 && mkdir("Textures", 0700) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool entered = EnterFolder();
  Require(entered);
  FILE* file = std::fopen("Textures/input.bmp", "wb");
  Require(file != nullptr);
  Require(std::fwrite(data, 1, size, file) == size);
  std::fclose(file);

  TextureReader device;
  MaterialTexture record{};
  if (LoadMaterialTexture(&record, &device, "input.bmp")) Require(record.width > 0 && record.handle == 1);
  ReleaseMaterialTexture(&record);

  for (uint32_t bits : {32u, 24u}) {
    DisplayContext context{};
    context.backBufferBits = bits;
    std::unique_ptr<Surface> surface(LoadImageSurface("Textures\\input.bmp", &context));
    if (surface) Require(surface->bitsPerPixel == static_cast<int>(bits) && surface->width > 0);
  }
  return 0;
}
