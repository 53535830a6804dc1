// Fuzzes the BMP picture loader at both surface depths. It reads a path, so each input is
// written to one temporary file first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/surface.h"

namespace {

// One file per process, removed when the fuzzer exits normally.
class TempFile {
 public:
  TempFile() {
    char name[] = "/tmp/tavrine-bmp-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    path = name;
  }
  ~TempFile() { unlink(path.c_str()); }
  std::string path;
};

const std::string& TempPath() {
  static const TempFile file;
  return file.path;
}

bool WriteInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(TempPath().c_str(), "wb");
  if (!file) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

// Every pixel is read back, so rows the loader left short or unwritten are noticed.
uint32_t Checksum(const Surface& surface) {
  uint32_t sum = 0;
  for (int y = 0; y < surface.height; ++y)
    for (int x = 0; x < surface.width; ++x) sum = sum * 31 + surface.GetPixel(x, y);
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(data, size)) std::abort();
  volatile uint32_t sink = 0;
  for (int bits : {32, 24}) {
    std::unique_ptr<Surface> surface(LoadBmpSurface(TempPath().c_str(), bits));
    if (surface) sink = sink + Checksum(*surface);
  }
  (void)sink;
  return 0;
}
