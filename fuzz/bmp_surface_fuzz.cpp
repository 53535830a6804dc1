// Fuzzes the BMP picture loader at both surface depths. It reads a path, so each input is
// written to a file first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "input_file.h"
#include "platform/surface.h"

namespace {

const InputFile& Input() { return InputFile::Get(); }

// Every pixel is read back, so rows the loader left short or unwritten are noticed.
uint32_t Checksum(const Surface& surface) {
  uint32_t sum = 0;
  for (int y = 0; y < surface.height; ++y)
    for (int x = 0; x < surface.width; ++x) sum = sum * 31 + surface.GetPixel(x, y);
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input().Write(data, size);
  volatile uint32_t sink = 0;
  for (int bits : {32, 24}) {
    std::unique_ptr<Surface> surface(LoadBmpSurface(Input().Path().c_str(), bits));
    if (surface) sink = sink + Checksum(*surface);
  }
  (void)sink;
  return 0;
}
